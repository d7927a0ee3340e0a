#pragma once

class QWidget;

namespace Kernwick {

/// Room a window manager's title bar takes beside the caption: the icon, the
/// window buttons and the margins.
inline constexpr int TitleBarRoom = 160;

/// Makes `window` at least wide enough for its caption in the title bar, so a
/// small dialog does not show it cut short ("Font P… meters"). Call it once the
/// caption is set.
void fitTitle(QWidget *window);

} // namespace Kernwick
