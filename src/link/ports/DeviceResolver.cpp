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
