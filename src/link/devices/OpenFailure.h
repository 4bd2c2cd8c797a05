#pragma once

#include <QString>
#include <QStringList>

// Why a device could not be opened. The class follows libserialport's: a request that should not
// have been made (there is no device to open), a failure of the operating system with its own
// number and text, or a device that cannot do what is asked of it.
struct OpenFailure
{
    enum class Class { None, CallerBug, SystemFailure, NotSupported };
    // What the user can do about it depends on the cause. A USB printer that was found but does
    // not open is switched off or unplugged; where no USB printer is found, the parallel port is
    // tried and may be missing too.
    enum class Cause { Other, NoDevice, PermissionDenied, Busy, SwitchedOff, NoUsbPrinter };

    Class errorClass = Class::None;
    Cause cause = Cause::Other;
    // The device's path; empty when there is no device behind the port.
    QString device;
    // The system's error number (errno), 0 where the system gave none.
    int number = 0;
    // The system's own text for the failure.
    QString systemText;
    // The programs that hold a busy device, as "name (process N)".
    QStringList holders;
    // The group whose members may read and write the device, where its mode says so.
    QString group;

    bool failed() const { return errorClass != Class::None; }
};
