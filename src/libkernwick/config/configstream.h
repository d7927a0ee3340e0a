#pragma once

#include "libkernwick/config/deviceconfig.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>

namespace Kernwick {

/// The two orders in which the parameter commands are emitted.
enum class ConfigOrder
{
    Download, ///< the order the configuration download sends
    File      ///< the order of a .zvc file, which is read back by position
};

/// The 41 parameter numbers in `order`.
const std::array<int, ConfigParameterCount> &configOrder(ConfigOrder order);

/// The escape-command text of `config`: for each parameter in `order`, ESC "["
/// number ";" wire value "v", then the closing command ESC "[1v", with every "-"
/// replaced by "<" (the board's minus sign). The defaults give 306 bytes.
QByteArray encodeConfigStream(const DeviceConfig &config, ConfigOrder order);

/// Reads a configuration file's bytes the way the board's files have always been
/// read: the bytes in pieces of 10, each piece's text cut at its first NUL; "<"
/// read as "-"; everything up to the first ";" skipped; then for each parameter in
/// file order a signed decimal number (leading white space skipped, no digits
/// giving 0, numbers beyond 32 bits held at the 32-bit limits) followed by a skip
/// past the next ";". Once no ";" is left, the remaining parameters take the last
/// number read. Nothing else is checked. The values come back in editor form.
/// Takes time linear in the size of `bytes`.
DeviceConfig decodeConfigFile(QByteArrayView bytes);

} // namespace Kernwick
