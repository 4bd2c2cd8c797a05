#include "DeviceResolver.h"

#include "PortChoice.h"
#include "PortTexts.h"

#include <algorithm>

QStringList DeviceResolver::serialPortDescriptions(int count) const
{
    QStringList descriptions;
    for (int number = 1; number <= count; ++number) {
        const QString device = serialPortName(number);
        descriptions.append(device.isEmpty() ? PortTexts::noDevice() : device);
    }
    return descriptions;
}

QString DeviceResolver::lptDescription() const
{
    const QString device = lptDeviceName();
    return device.isEmpty() ? PortTexts::noDevice() : device;
}

QStringList describePorts(const DeviceResolver &resolver, const QStringList &portNames)
{
    int comCount = 0;
    for (const QString &name : portNames)
        comCount = std::max(comCount, PortChoice::fromName(name).comNumber);
    const QStringList serial = resolver.serialPortDescriptions(comCount);
    QStringList descriptions;
    for (const QString &name : portNames) {
        const PortChoice port = PortChoice::fromName(name);
        switch (port.kind) {
        case PortKind::Serial:
            descriptions.append(port.comNumber >= 1 && port.comNumber <= serial.size()
                                    ? serial.at(port.comNumber - 1)
                                    : PortTexts::noDevice());
            break;
        case PortKind::PrinterDevice:
            descriptions.append(resolver.lptDescription());
            break;
        case PortKind::Tcp:
            descriptions.append(QString());
            break;
        }
    }
    return descriptions;
}

const PrinterPort *findPrinterPort(const QList<PrinterPort> &ports, const QString &name)
{
    const auto port = std::find_if(ports.cbegin(), ports.cend(), [&name](const PrinterPort &p) {
        return p.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return port == ports.cend() ? nullptr : &*port;
}

QString printerDeviceName(const DeviceResolver &resolver, const QString &device)
{
    const QList<PrinterPort> ports = resolver.printerPorts();
    const auto port = std::find_if(ports.cbegin(), ports.cend(),
                                   [&device](const PrinterPort &p) { return p.device == device; });
    if (port == ports.cend())
        return device;
    return port->makerAndModel.isEmpty()
               ? port->name
               : port->name + QStringLiteral(" (") + port->makerAndModel + QLatin1Char(')');
}
