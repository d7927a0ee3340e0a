#pragma once

#include "libkernwick/config/deviceconfig.h"

#include <QString>

namespace Kernwick {

/// The largest configuration file that is read. A saved configuration is a few
/// hundred bytes; anything far larger is not a configuration, and is refused
/// before it is read into memory.
inline constexpr qint64 MaxConfigFileBytes = 1 << 20;

/// Reads the configuration file at `path` (see decodeConfigFile()). On failure
/// `config` is unchanged and `error` holds the system's text for the error, or a
/// note that the file is larger than MaxConfigFileBytes.
bool loadConfigFile(const QString &path, DeviceConfig *config, QString *error);

/// Writes `config` to `path` as its stream in file order, atomically: on failure
/// the file at `path` is unchanged and `error` holds the system's text.
bool saveConfigFile(const QString &path, const DeviceConfig &config, QString *error);

} // namespace Kernwick
