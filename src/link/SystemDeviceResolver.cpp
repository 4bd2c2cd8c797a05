#include "SystemDeviceResolver.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <array>
#include <tuple>

namespace {

constexpr std::array kSerialFamilies{"ttyS", "ttyUSB", "ttyACM"};
constexpr std::array kLptDevices{"/dev/usb/lp0", "/dev/lp0"};

// Where a port name sorts: its family's rank, the family, then the number at its end.
auto sortKey(const QString &portName)
{
    qsizetype digitsAt = portName.size();
    while (digitsAt > 0 && portName.at(digitsAt - 1).isDigit())
        --digitsAt;
    const QString family = portName.left(digitsAt);
    const auto known =
        std::find_if(kSerialFamilies.cbegin(), kSerialFamilies.cend(),
                     [&family](const char *name) { return family == QLatin1String(name); });
    const auto rank = std::distance(kSerialFamilies.cbegin(), known);
    return std::make_tuple(rank, family, portName.mid(digitsAt).toLongLong(), portName);
}

} // namespace

QString SystemDeviceResolver::serialPortName(int number) const
{
#ifdef Q_OS_WIN
    return number > 0 ? QStringLiteral("COM%1").arg(number) : QString();
#else
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        names.append(port.portName());
    const QStringList ordered = orderedSerialPorts(names);
    if (number < 1 || number > ordered.size())
        return {};
    const QString &chosen = ordered.at(number - 1);
    const auto port =
        std::find_if(ports.cbegin(), ports.cend(),
                     [&chosen](const QSerialPortInfo &info) { return info.portName() == chosen; });
    return port->systemLocation();
#endif
}

QString SystemDeviceResolver::lptDeviceName() const
{
#ifdef Q_OS_WIN
    return QStringLiteral("LPT1:");
#else
    for (const char *path : kLptDevices) {
        if (QFileInfo::exists(QLatin1String(path)))
            return QLatin1String(path);
    }
    return {};
#endif
}

QStringList SystemDeviceResolver::orderedSerialPorts(QStringList portNames)
{
    std::sort(portNames.begin(), portNames.end(),
              [](const QString &a, const QString &b) { return sortKey(a) < sortKey(b); });
    return portNames;
}
