#pragma once

#include "libkernwick/font/font.h"

#include <QByteArray>
#include <QString>

namespace Kernwick {

/// A font written as BDF, and what BDF could not hold.
struct BdfExport
{
    QByteArray text;
    /// Pixels neither transparent nor white (a 2BPP font's halftone, and value 3),
    /// written as clear: BDF holds one bit per pixel.
    qint64 leftOutPixels = 0;
};

/// Writes `font` as one BDF 2.1 font that the import, keeping glyphs as drawn,
/// reads back to the same pixels, widths, codes, Height and Ascent.
///
/// FONT and FAMILY_NAME carry the font's name (control bytes become "?", an empty
/// name "unnamed"); FONT_ASCENT is Ascent + 1 and FONT_DESCENT the rest of the
/// height, and FONTBOUNDINGBOX is the widest glyph by Height with the baseline
/// below row Ascent. Every glyph is a character with ENCODING its code, DWIDTH
/// its Width, and a BBX and BITMAP covering its Width × Height cell placed
/// against that baseline; a glyph of width 0 keeps its place with DWIDTH 0 and
/// an empty box. White pixels are the set bits.
BdfExport exportBdf(const Font &font);

/// The note for `pixels` pixels that BDF could not hold: "BDF holds one bit per
/// pixel: the font's %1 halftone pixels are left out."
QString bdfLeftOutNote(qint64 pixels);

} // namespace Kernwick
