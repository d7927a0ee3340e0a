#pragma once

#include "libkernwick/font/font.h"

#include <QFileInfo>
#include <QString>

#include <cstdint>

namespace Kernwick {

/// The number of characters the Import Font dialog proposes to import.
inline constexpr int DefaultImportCount = 95;

/// What the Import Font dialog shows and what the user chose in it.
///
/// The BDF import fills `characterCount`, `firstEncoding` and `name` from the
/// file before the dialog opens (see initialImportFontChoice()); the dialog
/// binds the remaining fields.
struct ImportFontChoice
{
    int characterCount = 0; ///< N: the characters the file declares ("This font contains")
    int firstEncoding = 0;  ///< M: the file's first non-zero encoding ("Encoding begins at")
    std::uint8_t depth = 0; ///< 0 = 1 bit per pixel, 1 = 2 bits per pixel
    int firstToImport = 0;  ///< characters with a smaller encoding are passed over
    int countToImport = DefaultImportCount; ///< real characters to take (gaps not counted)
    QString name;                           ///< the font name, at most MaxFontNameLength characters
    int encodeAs = 0;       ///< hidden field; the import replaces it by the first encoding taken
    bool retainGaps = true; ///< fill encoding gaps with zero-width glyphs
    /// "Keep glyphs as drawn": each glyph as wide as its advance (DWIDTH), its
    /// bitmap where the BDF draws it, nothing moved or dropped; unticked, every
    /// glyph is a cell of the font's bounding box, its bitmap one column right.
    bool asDrawn = false;
};

/// The font name proposed for a BDF file: the file's name (without its folder)
/// up to its first ".", or the whole name when it has none, cut to
/// MaxFontNameLength characters.
inline QString proposedFontName(const QString &fileName)
{
    const QString base = QFileInfo(fileName).fileName();
    return base.section(QLatin1Char('.'), 0, 0).left(MaxFontNameLength);
}

/// The dialog as it opens for a file that declares `characterCount` characters
/// and whose encoding begins at `firstEncoding`: 1 BPP, the first encoding as the
/// first character to import and as the encode-as value, 95 characters, the
/// proposed name and gaps retained.
inline ImportFontChoice initialImportFontChoice(int characterCount, int firstEncoding,
                                                const QString &fileName)
{
    ImportFontChoice choice;
    choice.characterCount = characterCount;
    choice.firstEncoding = firstEncoding;
    choice.firstToImport = firstEncoding;
    choice.encodeAs = firstEncoding;
    choice.name = proposedFontName(fileName);
    return choice;
}

/// Checks the choices as the Import Font dialog accepts them: a name of at most
/// MaxFontNameLength Latin-1 characters, a first encoding of 0 to 65535, 1 to
/// 65535 characters and a depth of 0 or 1. Returns the message for the first
/// refused field, in the dialog's order, or an empty text.
QString importFontChoiceProblem(const ImportFontChoice &choice);

} // namespace Kernwick
