#include "libkernwick/font/x2.h"

#include "libkernwick/font/edithistory.h"

#include <algorithm>

namespace Kernwick {

EditResult applyX2(Font &font, EditingState &state)
{
    if (font.header.height > 127 || font.header.ascent > 127)
        return EditResult::refuse(EditRefusal::TooTallToDouble);
    if (state.undoRecord && !state.undoRecord->recordTable(font))
        return EditResult::unchanged();
    const int oldHeight = font.header.height;
    const int newHeight = 2 * oldHeight;
    font.header.height = std::uint8_t(newHeight);
    font.header.ascent = std::uint8_t(2 * font.header.ascent);
    Glyph &clip = state.clipboard.glyph;
    state.clipboard.ldepth = font.header.ldepth;
    for (Glyph &g : font.glyphs) {
        clip.left = g.left;
        clip.reserved1 = g.reserved1;
        clip.reserved2 = g.reserved2;
        clip.reset(newHeight, g.width);
        const int rows = std::min(oldHeight, g.rowCount);
        for (int k = 0; k < rows; ++k) {
            std::copy_n(g.row(k), g.width, clip.row(2 * k));
            std::copy_n(g.row(k), g.width, clip.row(2 * k + 1));
        }
        g.rowCount = newHeight;
        g.pixels = clip.pixels;
    }
    return EditResult::changed();
}

} // namespace Kernwick
