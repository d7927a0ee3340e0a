#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <bitset>

namespace Kernwick {

class BytePort;

/// Maps the port names "com1" to "com16" onto this machine's serial devices.
///
/// On Windows "comN" is the COM port of the same number. Elsewhere the names take,
/// in order, the devices listed in the environment variable KERNWICK_PORTS
/// (comma-separated; an empty item leaves its number without a device) when it is
/// set, otherwise the serial devices the system reports, in natural order.
class PortTable
{
public:
    static constexpr int PortCount = 16;

    /// The table of this machine, read now.
    static PortTable fromSystem();
    /// com1 = devices[0], com2 = devices[1] ...; devices beyond the 16th are ignored.
    static PortTable fromDevices(const QStringList &devices);

    /// The device behind port `number` (1 to 16); empty when there is none.
    QString device(int number) const;
    /// The device to open for `portName`: the mapped device of a com name (empty
    /// when unmapped), or the name itself, taken as a device path.
    QString resolve(const QString &portName) const;

    /// "com%d" with `number`.
    static QString portName(int number);
    /// 1 to 16 for exactly "com1" to "com16" (lower case, no leading zeros), else 0.
    static int portNumber(const QString &portName);

private:
    std::array<QString, PortCount> m_devices;
};

/// The serial selection of the desktop program: chosen port, rate and the ports that
/// could be opened at start-up.
struct SerialSelection
{
    static constexpr qint32 DefaultBaudRate = 9600;

    QString portName;                              ///< "com1" to "com16", or empty
    qint32 baudRate = DefaultBaudRate;             ///< 9600 at start-up
    std::bitset<PortTable::PortCount> portPresent; ///< bit N-1: "comN" could be opened
};

/// The start-up probe: tries to open "com1" to "com16" on `port` (closing each again),
/// records which opened, and chooses the lowest present of com1 to com8 (ports 9 to
/// 16 are never chosen by default); `portName` stays empty when none is present.
SerialSelection probePorts(BytePort &port);

} // namespace Kernwick
