#pragma once

#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/font.h"

namespace Kernwick {

/// The debug command "X2": doubles the font vertically. Every row of every glyph
/// appears twice in succession, and Height and Ascent double. The glyphs are
/// rebuilt in the clipboard glyph, which ends holding a copy of the last glyph.
/// `fileSize` is not recomputed; the document is marked modified and the
/// views are updated. Refused, with no change, when Height or Ascent is above
/// 127, since the doubled value would not fit its byte.
EditResult applyX2(Font &font, EditingState &state);

} // namespace Kernwick
