#pragma once

#include <QIcon>

namespace Kernwick {

/// The pictures of the toolbar buttons and the program's icon, drawn here so the
/// program needs no image files and stays sharp at any scale.
namespace ToolbarIcons {
QIcon newFile();
QIcon open();
QIcon save();
QIcon cut();
QIcon copy();
QIcon paste();
QIcon print();
QIcon about();
QIcon transparent();
QIcon white();
QIcon halftone();
QIcon outline();
QIcon down();
QIcon up();
QIcon right();
QIcon left();
/// The grid's tools.
QIcon pencil();
QIcon line();
QIcon rectangle();
QIcon fill();
QIcon select();
/// The program's own icon: a glyph "K" on a grid of cells.
QIcon application();
} // namespace ToolbarIcons

} // namespace Kernwick
