#include "libkernwick/font/editcommands.h"

#include "libkernwick/font/glyphediting.h"
#include "libkernwick/font/x2.h"

#include <algorithm>
#include <cassert>

namespace Kernwick {

namespace {

bool oneBpp(const Font &font, const ViewState &)
{
    return isOneBpp(font);
}

bool twoBpp(const Font &font, const ViewState &)
{
    return isTwoBpp(font);
}

bool somethingCopied(const Font &, const ViewState &state)
{
    return state.canPaste;
}

using Op = EditOperation;
using Menu = EditMenu;
using Arg = EditArgument;
constexpr auto GlyphStep = EditScope::Glyph;
constexpr auto TableStep = EditScope::Table;
constexpr auto HeaderStep = EditScope::Header;
constexpr std::nullopt_t Never = std::nullopt;

// clang-format off
const EditCommand commands[] = {
    // operation, function, undo scope, undo text, enable rule,
    //   menu, menu text, prompt, tip, keys, icon, checkable,
    //   command-line word, its value, its help, the function for one glyph of a range
    {Op::Cut, cutGlyph, GlyphStep, "Cut", nullptr,
     Menu::Edit, "Cu&t", "Cut the selection and put it on the Clipboard", "Cut",
     "Ctrl+X; Shift+Del", "cut", false,
     "cut", Arg::None, "copy the current glyph, then clear it", nullptr},
    {Op::Copy, copyGlyph, Never, "", nullptr,
     Menu::Edit, "&Copy", "Copy the selection and put it on the Clipboard", "Copy",
     "Ctrl+C; Ctrl+Ins", "copy", false,
     "copy", Arg::None, "copy the current glyph to the clipboard glyph", nullptr},
    {Op::Paste, pasteGlyph, GlyphStep, "Paste", somethingCopied,
     Menu::Edit, "&Paste", "Insert Clipboard contents", "Paste",
     "Ctrl+V; Shift+Ins", "paste", false,
     "paste", Arg::None, "give the current glyph the clipboard glyph", nullptr},
    {Op::Clear, clearGlyph, GlyphStep, "Clear", nullptr,
     Menu::Edit, "Clear", "Erase the selection", "Erase",
     nullptr, nullptr, false,
     "clear", Arg::None, "make the current glyph transparent", clearGlyph},
    {Op::InsertRow, insertRow, TableStep, "Insert Row", nullptr,
     Menu::Insert, "Row", "Insert a row at the bottom of every glyph", nullptr,
     nullptr, nullptr, false,
     "insert-row", Arg::None, "a row at the bottom of every glyph", nullptr},
    {Op::InsertColumn, insertColumn, GlyphStep, "Insert Column", nullptr,
     Menu::Insert, "Column", "Insert a column at the right of the glyph", nullptr,
     nullptr, nullptr, false,
     "insert-column", Arg::None, "a column at the right of the current glyph", nullptr},
    {Op::InsertCharacter, insertCharacter, TableStep, "Insert Character", nullptr,
     Menu::Insert, "Character", "Insert a blank character at this code", nullptr,
     nullptr, nullptr, false,
     "insert-char", Arg::None, "a blank glyph at the current code", nullptr},
    {Op::Outline, addOutline, TableStep, "Outline", twoBpp,
     Menu::Insert, "Outline", "Outline", "Add outline to font",
     nullptr, "outline", false,
     "outline", Arg::None, "halftone outline around white pixels (2BPP fonts)", outlineCurrentGlyph},
    {Op::DeleteRow, deleteRow, TableStep, "Delete Row", nullptr,
     Menu::Delete, "Row", "Delete the bottom row of every glyph", nullptr,
     nullptr, nullptr, false,
     "delete-row", Arg::None, "remove the bottom row of every glyph", nullptr},
    {Op::DeleteColumn, deleteColumn, GlyphStep, "Delete Column", nullptr,
     Menu::Delete, "Column", "Delete the rightmost column of the glyph", nullptr,
     nullptr, nullptr, false,
     "delete-column", Arg::None, "remove the rightmost column of the current glyph", nullptr},
    {Op::DeleteSelectedCharacter, deleteSelectedCharacter, TableStep, "Delete Character", nullptr,
     Menu::Delete, "Selected Character", "Delete the character shown", nullptr,
     nullptr, nullptr, false,
     "delete-char", Arg::None, "remove the current glyph", nullptr},
    {Op::MoveDown, moveDown, GlyphStep, "Move Down", nullptr,
     Menu::Move, "&Down", "Down", "Move image down",
     nullptr, "down", false,
     "move-down", Arg::None, "shift the current glyph's image down", moveDown},
    {Op::MoveUp, moveUp, GlyphStep, "Move Up", nullptr,
     Menu::Move, "&Up", "Up", "Move image up",
     nullptr, "up", false,
     "move-up", Arg::None, "shift the current glyph's image up", moveUp},
    {Op::MoveRight, moveRight, GlyphStep, "Move Right", nullptr,
     Menu::Move, "&Right", "Right", "Move image right",
     nullptr, "right", false,
     "move-right", Arg::None, "shift the current glyph's image right", moveRight},
    {Op::MoveLeft, moveLeft, GlyphStep, "Move Left", nullptr,
     Menu::Move, "&Left", "Left", "Move image left",
     nullptr, "left", false,
     "move-left", Arg::None, "shift the current glyph's image left", moveLeft},
    {Op::FlipHorizontal, flipGlyphHorizontal, GlyphStep, "Flip Horizontal", nullptr,
     Menu::Transform, "Flip &Horizontal", "Mirror the glyph left to right", nullptr,
     nullptr, nullptr, false,
     "flip-h", Arg::None, "mirror the current glyph left to right", flipGlyphHorizontal},
    {Op::FlipVertical, flipGlyphVertical, GlyphStep, "Flip Vertical", nullptr,
     Menu::Transform, "Flip &Vertical", "Mirror the glyph top to bottom", nullptr,
     nullptr, nullptr, false,
     "flip-v", Arg::None, "mirror the current glyph top to bottom", flipGlyphVertical},
    {Op::RotateClockwise, rotateGlyphClockwise, GlyphStep, "Rotate Clockwise", nullptr,
     Menu::Transform, "Rotate 90\xB0 &Clockwise", "Turn a square glyph a quarter turn clockwise", nullptr,
     nullptr, nullptr, false,
     "rotate-cw", Arg::None, "turn the current glyph 90 degrees clockwise (square glyphs)", rotateGlyphClockwise},
    {Op::RotateAnticlockwise, rotateGlyphAnticlockwise, GlyphStep, "Rotate Anticlockwise", nullptr,
     Menu::Transform, "Rotate 90\xB0 &Anticlockwise", "Turn a square glyph a quarter turn anticlockwise", nullptr,
     nullptr, nullptr, false,
     "rotate-ccw", Arg::None, "turn the current glyph 90 degrees anticlockwise (square glyphs)", rotateGlyphAnticlockwise},
    {Op::Invert, invertGlyph, GlyphStep, "Invert", nullptr,
     Menu::Transform, "&Invert", "Swap the glyph's white and transparent pixels", nullptr,
     nullptr, nullptr, false,
     "invert", Arg::None, "swap white and transparent in the current glyph", invertGlyph},
    {Op::To2Bpp, convertTo2Bpp, TableStep, "1BPP->2BPP", oneBpp,
     Menu::PixelDepth, "1BPP->&2BPP", "Convert the font to 2 bits per pixel", nullptr,
     nullptr, nullptr, false,
     "to-2bpp", Arg::None, "convert the font to 2 bits per pixel", nullptr},
    {Op::To1Bpp, convertTo1Bpp, TableStep, "2BPP->1BPP", twoBpp,
     Menu::PixelDepth, "2BPP->&1BPP", "Convert the font to 1 bit per pixel", nullptr,
     nullptr, nullptr, false,
     "to-1bpp", Arg::None, "convert the font to 1 bit per pixel", nullptr},
    {Op::Transparent, chooseTransparent, Never, "", nullptr,
     Menu::Color, "&Transparent", "Transparent", "Make active color Transparent",
     nullptr, "transparent", true,
     nullptr, Arg::None, nullptr, nullptr},
    {Op::White, chooseWhite, Never, "", nullptr,
     Menu::Color, "&White", "White ", "Make active color White",
     nullptr, "white", true,
     nullptr, Arg::None, nullptr, nullptr},
    {Op::Halftone, chooseHalftone, Never, "", twoBpp,
     Menu::Color, "&Halftone", "Halftone", "Make active color Halftone",
     nullptr, "halftone", true,
     nullptr, Arg::None, nullptr, nullptr},
    {Op::SetAscent, setAscent, HeaderStep, "Set Ascent", nullptr,
     Menu::Cell, "Set Ascent", nullptr, nullptr,
     nullptr, nullptr, false,
     "set-ascent", Arg::Row, "set the ascent row (0 to Height - 1)", nullptr},
    {Op::SetLeft, setLeft, GlyphStep, "Set Left", nullptr,
     Menu::Cell, "Set Left", nullptr, nullptr,
     nullptr, nullptr, false,
     "set-left", Arg::Column, "set the current glyph's left marker (-128 to 255)", nullptr},
    {Op::Mod, trimRows, TableStep, "mod", nullptr,
     Menu::Debug, "mod", "Take up to six rows off the bottom of the font", nullptr,
     nullptr, nullptr, false,
     "mod", Arg::None, "take up to 6 rows off the bottom of every glyph", nullptr},
    {Op::X2, applyX2, TableStep, "X2", nullptr,
     Menu::Debug, "X2", "Double the font vertically", nullptr,
     nullptr, nullptr, false,
     "x2", Arg::None, "double the font vertically", nullptr},
};
// clang-format on

} // namespace

std::span<const EditCommand> editCommands()
{
    return commands;
}

const EditCommand &editCommand(EditOperation operation)
{
    const auto found = std::find_if(
        std::begin(commands), std::end(commands),
        [operation](const EditCommand &command) { return command.operation == operation; });
    assert(found != std::end(commands));
    return *found;
}

bool isEnabled(EditOperation operation, const Font &font, const ViewState &state)
{
    const EditCommand &command = editCommand(operation);
    return !command.enabled || command.enabled(font, state);
}

EditResult applyEdit(EditOperation operation, Font &font, EditingState &state)
{
    return editCommand(operation).run(font, state);
}

bool takesRange(EditOperation operation)
{
    return editCommand(operation).runOnGlyph != nullptr;
}

} // namespace Kernwick
