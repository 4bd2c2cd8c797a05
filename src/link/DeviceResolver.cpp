#include "DeviceResolver.h"

#include "LinkMessages.h"

QStringList DeviceResolver::serialPortDescriptions(int count) const
{
    QStringList descriptions;
    for (int number = 1; number <= count; ++number) {
        const QString device = serialPortName(number);
        descriptions.append(device.isEmpty() ? LinkMessages::noDevice() : device);
    }
    return descriptions;
}

QString DeviceResolver::lptDescription() const
{
    const QString device = lptDeviceName();
    return device.isEmpty() ? LinkMessages::noDevice() : device;
}
