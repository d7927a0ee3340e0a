#include "libkernwick/font/editingstate.h"

#include <algorithm>

namespace Kernwick {

EditingState initialEditingState(const Font &font)
{
    EditingState state;
    resetForNewFont(state, font);
    return state;
}

void resetForNewFont(ViewState &state, const Font &font)
{
    state.currentCode = font.header.first;
    state.paintValue = font.whiteValue();
}

int currentGlyphIndex(const Font &font, const ViewState &state)
{
    const int index = state.currentCode - int(font.header.first);
    return index >= 0 && index < font.chars() ? index : -1;
}

bool selectCode(const Font &font, ViewState &state, int code)
{
    const int index = code - int(font.header.first);
    if (index < 0 || index >= font.chars())
        return false;
    state.currentCode = code;
    return true;
}

void clampToFont(const Font &font, ViewState &state)
{
    if (font.chars() == 0)
        state.currentCode = font.header.first;
    else
        state.currentCode = std::clamp(state.currentCode, int(font.header.first), font.lastCode());
    if (state.paintValue > font.whiteValue())
        state.paintValue = font.whiteValue();
}

} // namespace Kernwick
