#pragma once

#include <QString>
#include <QStringList>

// The three kinds of port a printer hangs on.
enum class PortKind { Serial, PrinterDevice, Tcp };

// An entry of the port list: its name ("COM3", "LPT1", "TCP/IP"), its kind and, for a serial
// port, its number.
struct PortChoice
{
    QString name;
    PortKind kind = PortKind::Serial;
    int comNumber = 0;

    // The kind is named by the first three letters, in any case: "TCP", "LPT", else "COM". The
    // number of "COMn" is the value of the one or two digits after "COM"; 0 when there are none.
    static PortChoice fromName(const QString &name);

    // The entries of the port list, in order: "TCP/IP", "LPT1", "COM1" ... "COM16".
    static QStringList portList();
};
