#pragma once

#include "libkernwick/font/font.h"

#include <QByteArray>

namespace Kernwick {

/// Renders a font as a C array initialiser: 18 rows of 12 pixels from every glyph,
/// each row packed into 3 bytes of 2-bit codes (transparent 1, value 1 → 0,
/// white 2 → 2, value 3 → 3). Pixels a glyph does not have export as transparent.
QByteArray exportCSource(const Font &font);

} // namespace Kernwick
