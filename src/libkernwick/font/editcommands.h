#pragma once

#include "libkernwick/font/edithistory.h"
#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/font.h"

#include <optional>
#include <span>

namespace Kernwick {

/// The editor commands. Each is described once, in the table editCommands()
/// returns; the order of the names here means nothing.
enum class EditOperation
{
    InsertRow,
    DeleteRow,
    InsertColumn,
    DeleteColumn,
    InsertCharacter,
    DeleteSelectedCharacter,
    Outline,
    MoveDown,
    MoveUp,
    MoveRight,
    MoveLeft,
    To2Bpp,
    To1Bpp,
    Clear,
    Copy,
    Cut,
    Paste,
    Transparent,
    White,
    Halftone,
    SetAscent,
    SetLeft,
    Mod,
    X2,
    FlipHorizontal,
    FlipVertical,
    RotateClockwise,
    RotateAnticlockwise,
    Invert,
};

/// Where a command's entry sits in the desktop program's menus.
enum class EditMenu
{
    Edit,       ///< the Edit menu itself, after Undo and Redo
    Insert,     ///< Edit > Insert...
    Delete,     ///< Edit > Delete...
    Move,       ///< Edit > Move
    Transform,  ///< Edit > Transform
    PixelDepth, ///< Edit > Pixel Depth
    Color,      ///< the Color menu
    Debug,      ///< the Debug menu, placed among its other entries by the window
    Cell,       ///< the editor view's right-click menu for one grid cell
};

/// The value a command takes from the view: none, or the right-clicked cell's row
/// or column (on the command line, `name=N`).
enum class EditArgument
{
    None,
    Row,
    Column,
};

/// Everything about one editor command: what it does, how it is undone, when it
/// is offered and how it is shown in the menus and on the command line.
struct EditCommand
{
    EditOperation operation;
    /// Runs the command (see glyphediting.h).
    EditResult (*run)(Font &font, EditingState &state);
    /// How much of the font an undo step keeps; none for a command that never
    /// changes the font.
    std::optional<EditScope> undoScope;
    /// The name in "Undo <name>" and "Redo <name>".
    const char *undoText;
    /// Whether the menu entry is enabled; nullptr for always.
    bool (*enabled)(const Font &font, const ViewState &state);
    EditMenu menu;
    /// Latin-1, as are the other texts.
    const char *menuText;
    /// The status-bar prompt while the entry is highlighted.
    const char *prompt;
    /// The toolbar button's tool tip; nullptr for the menu text's.
    const char *tip;
    /// Shortcuts in portable key text, separated by "; " ("Ctrl+X; Shift+Del");
    /// nullptr for none.
    const char *keys;
    /// The toolbar icon's name (see the program's toolbar icons); nullptr for none.
    const char *icon;
    /// Whether the entry is one of a checkable group (the paint colours).
    bool checkable;
    /// The word the command line's transform takes; nullptr where it offers none.
    const char *cliName;
    EditArgument argument;
    /// The line transform --help gives after the word.
    const char *cliHelp;
    /// Runs the command on the current glyph alone, so that it can run over a
    /// range of codes as one step; nullptr for a command that takes no range.
    EditResult (*runOnGlyph)(Font &font, EditingState &state);
};

/// Every editor command, in the order their menu entries appear.
std::span<const EditCommand> editCommands();

/// The table entry of `operation`.
const EditCommand &editCommand(EditOperation operation);

/// Whether the menu item of `operation` is enabled: Outline, Halftone and
/// 2BPP->1BPP only when Ldepth is 1, 1BPP->2BPP only when Ldepth is 0 (so a file
/// with another Ldepth enables neither conversion), Paste only after a Copy; every
/// other item always.
bool isEnabled(EditOperation operation, const Font &font, const ViewState &state);

/// Runs `operation` on the font.
EditResult applyEdit(EditOperation operation, Font &font, EditingState &state);

/// Whether `operation` can run over a range of codes (see EditCommand::runOnGlyph).
bool takesRange(EditOperation operation);

} // namespace Kernwick
