#pragma once

namespace Kernwick {

/// The program's name as users see it: the main window's caption ends with it and
/// the program's own message boxes carry it as their caption.
inline constexpr char ApplicationTitle[] = "ZUVO Kernwick";

} // namespace Kernwick
