#include "TestDevices.h"

#include <utility>

PrinterLink::Devices testDevices(std::unique_ptr<DeviceResolver> resolver,
                                 std::unique_ptr<TcpClient> tcp)
{
    PrinterLink::Devices devices = PrinterLink::systemDevices();
    devices.resolver = std::move(resolver);
    if (tcp)
        devices.tcp = std::move(tcp);
    return devices;
}
