#pragma once

#include "libkernwick/config/deviceconfig.h"

#include <QString>

namespace Kernwick::Cli {

/// Loads a configuration file. A file that cannot be read is reported with the
/// system's text alone, as the desktop program's box shows it (its title is that
/// text and its body empty).
bool loadConfigFile(const QString &path, DeviceConfig *config);

/// Saves a configuration file atomically, reporting a failure as the system's text.
bool saveConfigFile(const QString &path, const DeviceConfig &config);

} // namespace Kernwick::Cli
