#include "libkernwick/font/editingstate.h"

namespace Kernwick {

EditingState initialEditingState(const Font &font)
{
    EditingState state;
    resetForNewFont(state, font);
    return state;
}

void resetForNewFont(EditingState &state, const Font &font)
{
    state.currentCode = font.first;
    state.paintValue = font.whiteValue();
}

int currentGlyphIndex(const Font &font, const EditingState &state)
{
    const int index = int(state.currentCode) - int(font.first);
    return index >= 0 && index < font.chars() ? index : -1;
}

bool selectCode(const Font &font, EditingState &state, int code)
{
    const int index = code - int(font.first);
    if (code < 0 || code > 0xffff || index < 0 || index >= font.chars())
        return false;
    state.currentCode = std::uint16_t(code);
    return true;
}

} // namespace Kernwick
