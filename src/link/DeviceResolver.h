#pragma once

#include <QString>

// Maps the port names of the port list to the operating system's device names.
class DeviceResolver
{
public:
    virtual ~DeviceResolver() = default;

    // The device of "COM<number>"; empty when there is no such port.
    virtual QString serialPortName(int number) const = 0;
    // The device of "LPT1"; empty when there is none.
    virtual QString lptDeviceName() const = 0;
};
