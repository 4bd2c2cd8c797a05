#include "LinuxDeviceResolver.h"

#include "PortTexts.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

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

LinuxDeviceResolver::LinuxDeviceResolver(PortLister listPorts, EmulatorPorts emulators)
    : m_listPorts(std::move(listPorts))
    , m_emulators(std::move(emulators))
{}

QString LinuxDeviceResolver::serialPortName(int number) const
{
    const QList<NumberedPort> ports = serialPorts();
    return number >= 1 && number <= ports.size() ? ports.at(number - 1).device : QString();
}

QString LinuxDeviceResolver::lptDeviceName() const
{
    for (const char *path : kLptDevices) {
        if (QFileInfo::exists(QLatin1String(path)))
            return QLatin1String(path);
    }
    return {};
}

QStringList LinuxDeviceResolver::serialPortDescriptions(int count) const
{
    const QList<NumberedPort> ports = serialPorts();
    QStringList descriptions;
    for (int number = 1; number <= count; ++number) {
        descriptions.append(number <= ports.size() ? ports.at(number - 1).description
                                                   : PortTexts::noDevice());
    }
    return descriptions;
}

QString LinuxDeviceResolver::lptDescription() const
{
    const QString device = lptDeviceName();
    if (!device.isEmpty())
        return device;
    QStringList lookedFor;
    for (const char *path : kLptDevices)
        lookedFor.append(QLatin1String(path));
    return PortTexts::noPrinterDevice(lookedFor);
}

QList<SystemSerialPort> LinuxDeviceResolver::systemSerialPorts()
{
    QList<SystemSerialPort> ports;
    const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : available) {
        ports.append({info.portName(), info.systemLocation(), info.manufacturer(),
                      info.description(), info.serialNumber()});
    }
    return ports;
}

QList<LinuxDeviceResolver::NumberedPort> LinuxDeviceResolver::serialPorts() const
{
    QList<SystemSerialPort> system = m_listPorts ? m_listPorts() : QList<SystemSerialPort>();
    std::stable_sort(system.begin(), system.end(),
                     [](const SystemSerialPort &a, const SystemSerialPort &b) {
                         return sortKey(a.portName) < sortKey(b.portName);
                     });
    QList<NumberedPort> ports;
    for (const SystemSerialPort &port : std::as_const(system))
        ports.append({port.systemLocation, PortTexts::serialPortDescription(port)});
    const QStringList emulators = m_emulators.livePorts();
    for (const QString &path : emulators) {
        const bool listed =
            std::any_of(ports.cbegin(), ports.cend(),
                        [&path](const NumberedPort &p) { return p.device == path; });
        if (!listed)
            ports.append({path, PortTexts::emulatorPort(path)});
    }
    return ports;
}
