#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/importfontchoice.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Kernwick {

/// The message for a BDF file without "ENDPROPERTIES" or without a usable
/// "FONTBOUNDINGBOX" (width 1 to 255, height not a multiple of 256).
inline constexpr char InvalidFileFormat[] = "Invalid File Format";
/// The message for a BDF file in which no character has a non-zero encoding.
inline constexpr char NoCharactersToImport[] = "No characters to import";

/// The message for an import that would build more than MaxImportPixels pixels.
inline constexpr char FontTooLarge[] = "The font is too large to import";

/// The largest BDF file the import reads.
inline constexpr qint64 MaxBdfFileBytes = qint64(256) * 1024 * 1024;
/// The most pixels (over all glyphs) an import may build; a larger font is refused.
inline constexpr qint64 MaxImportPixels = qint64(1) << 27;

/// What a first pass over a BDF text learns: the values the Import Font dialog
/// shows, the character cell, and where the characters begin.
///
/// Numbers in the file are read as 32-bit decimal integers; larger values
/// saturate at the 32-bit limits.
struct BdfScan
{
    int characterCount = 0;        ///< N: the number after "CHARS ", 0 when there is none
    int firstEncoding = 0;         ///< E: the first "ENCODING " value that is not 0
    int cellWidth = 0;             ///< W: 1 to 255
    int cellHeight = 0;            ///< H: the box height modulo 256, 1 to 255
    qint64 cellXOffset = 0;        ///< absolute value of the box's x offset
    qint64 baselineRow = 0;        ///< y offset + H - 1: the lowest row above the baseline
    qsizetype charactersStart = 0; ///< the text position just after "ENDPROPERTIES"
};

/// Reads a regular BDF file of at most MaxBdfFileBytes. On failure returns false
/// with `error` set to the system's description of the problem, NotARegularFile
/// or a note that the file is too large.
bool readBdfFile(const QString &path, QByteArray *text, QString *error);

/// Scans the header of a BDF text and its characters up to the first non-zero
/// encoding. Returns false with `error` set to InvalidFileFormat when there is
/// no "ENDPROPERTIES" or no usable "FONTBOUNDINGBOX" before it, and to
/// NoCharactersToImport when the text ends before a character with a non-zero
/// encoding. Runs in time linear in the text's length.
bool scanBdf(QByteArrayView text, BdfScan *scan, QString *error);

/// Builds a font from the characters of a BDF text, as chosen in the Import Font
/// dialog. `scan` must come from scanBdf() on the same text.
///
/// Characters are taken in file order from the first one whose encoding is at
/// least `choice.firstToImport` (and 1 to 65535) until `choice.countToImport`
/// have been taken, "ENDFONT" or the end of the text; with `retainGaps`, missing
/// encodings become zero-width glyphs (cellHeight empty rows). The table stops
/// before a glyph whose code would pass 65535. Every character taken is a glyph
/// of cellHeight rows (0 or white), its bitmap rows placed against the baseline by
/// its "BBX " line, and:
/// - by default a fixed cell of cellWidth pixels, its bitmap moved one column
///   further right than its x offsets say (the rightmost column of a full cell is
///   lost);
/// - with `asDrawn`, as wide as the first number of its "DWIDTH " line (0 to 255),
///   widened to hold its ink up to 255 columns, its bitmap at the box's own x
///   offset from the origin. Ink left of the origin (a negative offset) moves the
///   glyph right, so that nothing is dropped. A character without "DWIDTH " takes
///   the previous one's advance (the first, cellWidth).
/// A character without "BBX " takes the previous one's box.
///
/// The result has Skip 0, the chosen name and depth, Height H, Ascent the
/// baseline row modulo 256, First the encoding of the first character taken,
/// every Left 0 and its file size computed. On success `*font` is replaced; on
/// failure it is untouched and `error` says why: no character qualifies, a count
/// below 1, a depth other than 0 or 1, or FontTooLarge (more than MaxImportPixels
/// pixels, or a text that makes the import redraw one glyph over and over).
/// Runs in time linear in the text's length plus the pixels it writes.
bool importBdf(QByteArrayView text, const BdfScan &scan, const ImportFontChoice &choice, Font *font,
               QString *error);

} // namespace Kernwick
