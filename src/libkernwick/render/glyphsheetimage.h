#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/glyphsheet.h"

#include <QRgb>
#include <QString>

class QIODevice;

namespace Kernwick {

/// The colour of each role in a sheet picture: transparent black, halftone grey,
/// white, value 3 orange and a blue for the borders. Every colour is opaque.
QRgb sheetColorRgb(SheetColor color);

/// Writes the glyph sheet of `font` on `device` as a PNG picture in the five sheet
/// colours, with the sheet's text under SheetTextKey. Returns false with `error`
/// set when the sheet would be too large or cannot be encoded.
bool writeGlyphSheet(const Font &font, QIODevice *device, QString *error);

/// Reads a glyph sheet PNG from `device` into `font`. The picture's size is checked
/// before its pixels are decoded, so a picture that claims huge dimensions is
/// refused without being read. The pixels may be stored in any form a pixel editor
/// saves (palette, grey, RGB, with or without alpha) as long as each one is exactly
/// one of the sheet's colours. On failure returns false with `error` saying why (a
/// foreign colour names its first pixel); `font` is then unchanged.
bool readGlyphSheet(QIODevice *device, Font *font, QString *error);

/// Reads the glyph sheet file at `path`; see readGlyphSheet().
bool loadGlyphSheetFile(const QString &path, Font *font, QString *error);

} // namespace Kernwick
