#include "TestDevices.h"

#include <utility>

QString FixedDeviceResolver::serialPortName(int number) const
{
    return serialPorts.value(number);
}

QString FixedDeviceResolver::lptDeviceName() const
{
    return lptDevice;
}

PrinterLink::Devices testDevices(std::unique_ptr<DeviceResolver> resolver,
                                 std::unique_ptr<TcpClient> tcp)
{
    PrinterLink::Devices devices = PrinterLink::systemDevices();
    devices.resolver = std::move(resolver);
    if (tcp)
        devices.tcp = std::move(tcp);
    return devices;
}
