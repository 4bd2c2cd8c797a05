#pragma once

#include "DeviceResolver.h"
#include "EmulatorPorts.h"
#include "SystemSerialPort.h"

#include <QList>
#include <QStringList>

#include <functional>

// The device names of Linux. "COMn" is the n-th serial port: first those the system reports,
// on-board ports (ttyS) first, then USB adapters (ttyUSB), then USB modems (ttyACM), then any
// others, each kind in number order; after them the pseudo-terminals of the printer emulators that
// are running. "LPT1" is the first printer device that exists, USB before parallel.
class LinuxDeviceResolver : public DeviceResolver
{
public:
    // The system's serial ports, in any order.
    using PortLister = std::function<QList<SystemSerialPort>()>;

    explicit LinuxDeviceResolver(PortLister listPorts = systemSerialPorts,
                                 EmulatorPorts emulators = EmulatorPorts());

    QString serialPortName(int number) const override;
    QString lptDeviceName() const override;
    QStringList serialPortDescriptions(int count) const override;
    QString lptDescription() const override;

    // The serial ports of this computer, as QSerialPortInfo reports them.
    static QList<SystemSerialPort> systemSerialPorts();

private:
    struct NumberedPort
    {
        QString device;
        QString description;
    };
    // Every serial port there is now, in the order that numbers them COM1, COM2...
    QList<NumberedPort> serialPorts() const;

    PortLister m_listPorts;
    EmulatorPorts m_emulators;
};
