#include "libkernwick/device/porttable.h"

#include "libkernwick/device/byteport.h"

#include <QCollator>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>

namespace Kernwick {

namespace {

constexpr int DefaultChoiceLimit = 8;

#ifndef Q_OS_WIN
QStringList systemSerialDevices()
{
    QStringList devices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        devices.append(info.systemLocation());
    // Natural order, so that ttyS2 comes before ttyS10.
    QCollator collator(QLocale::c());
    collator.setNumericMode(true);
    std::sort(devices.begin(), devices.end(), collator);
    return devices;
}
#endif

} // namespace

PortTable PortTable::fromSystem()
{
#ifdef Q_OS_WIN
    QStringList devices;
    for (int n = 1; n <= PortCount; ++n)
        devices.append(QStringLiteral("COM%1").arg(n));
    return fromDevices(devices);
#else
    if (qEnvironmentVariableIsSet("KERNWICK_PORTS")) {
        QStringList devices = qEnvironmentVariable("KERNWICK_PORTS").split(QLatin1Char(','));
        for (QString &device : devices)
            device = device.trimmed();
        return fromDevices(devices);
    }
    return fromDevices(systemSerialDevices());
#endif
}

PortTable PortTable::fromDevices(const QStringList &devices)
{
    PortTable table;
    for (int i = 0; i < PortCount && i < devices.size(); ++i)
        table.m_devices[std::size_t(i)] = devices[i];
    return table;
}

QString PortTable::device(int number) const
{
    if (number < 1 || number > PortCount)
        return {};
    return m_devices[std::size_t(number - 1)];
}

QString PortTable::resolve(const QString &portName) const
{
    const int number = portNumber(portName);
    return number > 0 ? device(number) : portName;
}

QString PortTable::portName(int number)
{
    return QStringLiteral("com%1").arg(number);
}

int PortTable::portNumber(const QString &portName)
{
    if (!portName.startsWith(QLatin1String("com")))
        return 0;
    const QString digits = portName.mid(3);
    bool ok = false;
    const int number = digits.toInt(&ok, 10);
    if (!ok || number < 1 || number > PortCount || QString::number(number) != digits)
        return 0;
    return number;
}

SerialSelection probePorts(BytePort &port)
{
    SerialSelection selection;
    for (int n = 1; n <= PortTable::PortCount; ++n) {
        if (port.open(PortTable::portName(n))) {
            selection.portPresent.set(std::size_t(n - 1));
            port.close();
        }
    }
    for (int n = 1; n <= DefaultChoiceLimit; ++n) {
        if (selection.portPresent.test(std::size_t(n - 1))) {
            selection.portName = PortTable::portName(n);
            break;
        }
    }
    return selection;
}

} // namespace Kernwick
