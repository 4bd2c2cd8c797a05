#pragma once

#include "DeviceResolver.h"
#include "PrinterLink.h"

#include <QMap>
#include <QString>

#include <memory>
#include <utility>

// Points the port names at devices of the test's choosing (pseudo-terminals, pipes, made-up
// paths); every other port has no device.
class FixedDeviceResolver : public DeviceResolver
{
public:
    QString serialPortName(int number) const override { return serialPorts.value(number); }
    QString lptDeviceName() const override { return lptDevice; }

    QMap<int, QString> serialPorts; // COM number -> device path
    QString lptDevice;
};

// The devices of a window under test: the system's serial port, TCP client and parallel device
// (unless a test passes its own TCP client), found through `resolver`.
inline PrinterLink::Devices testDevices(std::unique_ptr<DeviceResolver> resolver,
                                        std::unique_ptr<TcpClient> tcp = nullptr)
{
    PrinterLink::Devices devices = PrinterLink::systemDevices();
    devices.resolver = std::move(resolver);
    if (tcp)
        devices.tcp = std::move(tcp);
    return devices;
}
