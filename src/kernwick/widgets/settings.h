#pragma once

#include <QSettings>

namespace Kernwick {

/// Where the program keeps what outlives a run (the recent files, the window's
/// place and zoom, the Text Preview, the terminal's line end): the settings store
/// of "ZUVO Kernwick" under "Local AppWizard-Generated Applications".
inline constexpr char SettingsOrganization[] = "Local AppWizard-Generated Applications";
inline constexpr char SettingsApplication[] = "ZUVO Kernwick";

/// The program's settings store.
QSettings programSettings();

} // namespace Kernwick
