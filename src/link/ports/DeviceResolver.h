#pragma once

#include <QString>
#include <QStringList>

// Maps the port names of the port list to the operating system's device names, and tells the
// user what stands behind each of them.
class DeviceResolver
{
public:
    virtual ~DeviceResolver() = default;

    // The device of "COM<number>"; empty when there is no such port.
    virtual QString serialPortName(int number) const = 0;
    // The device of "LPT1"; empty when there is none.
    virtual QString lptDeviceName() const = 0;

    // What "COM1" to "COM<count>" stand for, in order: each one's device and what the system
    // knows of it, "no device" where there is none. Looked up afresh at every call, since
    // adapters come and go.
    virtual QStringList serialPortDescriptions(int count) const;
    // Which printer device "LPT1" opens, or that there is none.
    virtual QString lptDescription() const;
};

// What each of the given port-list entries stands for, for the user: the device it opens and what
// the system knows of it, "no device" where there is none, nothing for "TCP/IP".
QStringList describePorts(const DeviceResolver &resolver, const QStringList &portNames);
