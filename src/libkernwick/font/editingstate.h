#pragma once

#include "libkernwick/font/font.h"

#include <cstdint>

namespace Kernwick {

/// What the glyph editor remembers between commands.
///
/// In the desktop program the view owns `currentCode`, `paintValue` and
/// `canPaste`, and the document owns `clipGlyph`, `pickRow` and `pickColumn`;
/// the editing operations take them together so they can be used and tested
/// without any window.
struct EditingState
{
    std::uint16_t currentCode = 32; ///< code of the glyph being edited (entry currentCode - first)
    std::uint8_t paintValue = 1;    ///< pixel value that mouse painting writes, 0 to 2
    bool canPaste = false;          ///< set by the first Copy, never cleared
    Glyph clipGlyph;                ///< the copy-and-paste glyph; X2 also works in it
    std::int32_t pickRow = 0;       ///< glyph row under the last right-click
    std::int32_t pickColumn = 0;    ///< glyph column under the last right-click
};

/// A fresh state for `font`: its first glyph current, painting white, nothing copied.
EditingState initialEditingState(const Font &font);

/// What the view does when the font has been replaced as a whole: the first glyph
/// becomes current and painting goes back to white. The clipboard glyph,
/// `canPaste` and the pick positions are kept, so a glyph copied from one font
/// can be pasted into the next.
void resetForNewFont(EditingState &state, const Font &font);

/// Index of the current glyph in the glyph table, or -1 when `currentCode` names
/// no glyph (for instance in a font without glyphs).
int currentGlyphIndex(const Font &font, const EditingState &state);

/// Makes `code` the current glyph. Returns false, changing nothing, when the font
/// has no glyph for that code.
bool selectCode(const Font &font, EditingState &state, int code);

} // namespace Kernwick
