#pragma once

#include "DeviceResolver.h"

#include <QStringList>

// The device names of this platform. On Windows "COMn" and "LPT1:". On Linux "COMn" is the
// n-th serial port that the system reports, on-board ports (ttyS) first, then USB adapters
// (ttyUSB), then modems (ttyACM), then any others, each kind in number order; "LPT1" is the
// first printer device that exists, USB before parallel.
class SystemDeviceResolver : public DeviceResolver
{
public:
    QString serialPortName(int number) const override;
    QString lptDeviceName() const override;

    // Sorts port names ("ttyUSB0", "ttyS1", ...) into the order that numbers them COM1, COM2...
    static QStringList orderedSerialPorts(QStringList portNames);
};
