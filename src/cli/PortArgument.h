#pragma once

#include "PortChoice.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// A printer port as printer-switch is given it: "tcp:HOST[:PORT]", "COMn" (as in the window's
// port list), a device path such as "/dev/ttyUSB0" (a serial port; "/dev/usb/lp0" or "/dev/lp0"
// a printer device), "LPT1", or, where the system names its USB printers so, a USB printer's own
// port ("USB002" on Windows).
struct PortArgument
{
    PortKind kind = PortKind::Serial;
    QString host;           // TCP
    quint16 tcpPort = 9100; // TCP
    int comNumber = 0;      // COMn; 0 for a device path
    QString devicePath;     // a device named by its path; empty for COMn and LPT1
    QString printerPort;    // a printer port the system names ("USB002"); empty otherwise

    static constexpr quint16 kDefaultTcpPort = 9100;

    // Nothing, and `error` says why, when the text names no port. "USBnnn" names a port only
    // where `printerPortNames` says that the system names its USB printers so.
    static std::optional<PortArgument> parse(const QString &text, QString *error,
                                             bool printerPortNames = false);
    static PortArgument tcp(const QString &host, quint16 port);
    // The forms a port is given in, as the help names them.
    static QString formsHelp();

    // The port written out in full, as results name it: "tcp:10.1.2.3:9100", "COM3", "LPT1",
    // "USB002".
    QString text() const;
    // Why the device given by its path cannot be the port, in a few words ("not a serial
    // device"); empty when it may be, or when only opening it will tell.
    QString deviceProblem() const;
};
