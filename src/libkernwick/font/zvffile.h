#pragma once

#include "libkernwick/font/font.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace Kernwick {

/// The message for a font file that cannot be decoded.
inline constexpr char UnexpectedFileFormat[] = "Unexpected file format.";

/// Outcome of reading a font file.
enum class ZvfRead
{
    Ok,       ///< the font was replaced by the file's font
    Empty,    ///< the file has no bytes; the font is unchanged
    Malformed ///< the file ends early or does not describe a font; the font is unchanged
};

/// The header and table fields a written file derives from the glyphs. A save
/// gives them to the font only once the file is safely written.
struct ZvfDerivedFields
{
    std::uint8_t layout = 1;           ///< 1, or 2 when a glyph offset passes 65535
    std::uint32_t skip = 0;            ///< a lone font's Skip
    std::uint32_t pixwidth = 0;        ///< bytes per strip row
    std::vector<std::int32_t> offsets; ///< each glyph's first strip column
    std::int32_t fileSize = 0;         ///< the file's length
};

/// A font encoded as a .zvf file, with the fields the encoding derived.
struct ZvfImage
{
    QByteArray bytes;
    ZvfDerivedFields fields;
};

/// Encodes `font` as a .zvf file without changing it, so a copy can be encoded
/// on another thread and a failed save changes nothing.
ZvfImage encodeZvf(const Font &font);

/// What a save does to the font once its file is written: takes the derived
/// fields and clears every glyph's reserved bytes.
void adoptDerivedFields(Font &font, const ZvfDerivedFields &fields);

/// Encodes `font` and adopts the derived fields, as a successful save does.
QByteArray writeZvf(Font &font);

/// Decodes a .zvf file into `font`. On anything but Ok the font is left exactly as
/// it was. Files whose strip rows are too narrow for their glyph widths are
/// Malformed; a file never makes the reader look past its end or allocate more
/// than its own size suggests.
ZvfRead readZvf(QByteArrayView bytes, Font *font);

/// Reads the font file at `path` into `font`, reading only as much of the file as
/// its header asks for. Returns Malformed with `error` set to the system's text
/// when the file cannot be read, or to UnexpectedFileFormat.
ZvfRead loadZvfFile(const QString &path, Font *font, QString *error);

/// Writes `font` to `path` atomically and then adopts the derived fields. On
/// failure the file at `path` and the font are unchanged and `error` holds the
/// reason.
bool saveZvfFile(const QString &path, Font &font, QString *error);

/// The 32-byte header of `font` with every field as the font holds it now (Skip,
/// Pixwidth and Layout as last read or written, the name's bytes after its NUL
/// included); the four reserved bytes are 0, as every writer leaves them.
QByteArray zvfHeader(const Font &font);

/// The bytes a file needs to hold its Skip field (the name and Skip).
inline constexpr int ZvfSkipEndBytes = 16;

/// Sets the Skip field of the font file `file`, which is at least ZvfSkipEndBytes
/// long, leaving every other byte as it is.
void setZvfSkip(QByteArray &file, std::uint32_t skip);

/// Takes the fields of a header (at least ZvfHeaderBytes long) into `font`, leaving
/// its glyph table alone, and returns the glyph count (Chars) the header names.
int readZvfHeader(QByteArrayView header, Font *font);

} // namespace Kernwick
