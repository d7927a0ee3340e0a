#pragma once

#include "libkernwick/font/font.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

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

/// Encodes `font` as a .zvf file. Like saving, this updates the fields the file
/// derives from the glyphs: `layout` (1, or 2 when an offset passes 65535),
/// `skip` (0), every glyph's `offset` and reserved bytes (0), and `pixwidth`.
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

/// Writes `font` to `path` atomically (see writeZvf for the fields it updates).
/// On failure the file at `path` is unchanged and `error` holds the reason.
bool saveZvfFile(const QString &path, Font &font, QString *error);

} // namespace Kernwick
