#pragma once

#include "DeviceResolver.h"
#include "SystemSerialPort.h"

#include <QList>

#include <functional>

// The device names of Windows: "COMn" is the port Windows itself calls COMn ("\\.\COMn", so that
// COM10 and above open too), "LPT1" is "\\.\LPT1". What stands behind each COM port comes from
// the ports Windows reports.
class WinDeviceResolver : public DeviceResolver
{
public:
    // The system's COM ports, in any order.
    using PortLister = std::function<QList<SystemSerialPort>()>;

    explicit WinDeviceResolver(PortLister listPorts = systemSerialPorts);

    QString serialPortName(int number) const override;
    QString lptDeviceName() const override;
    QStringList serialPortDescriptions(int count) const override;
    QString lptDescription() const override;

    // The COM ports of this computer: those of the registry's SERIALCOMM map, each with the
    // name that the Device Manager shows for it where there is one.
    static QList<SystemSerialPort> systemSerialPorts();

private:
    PortLister m_listPorts;
};
