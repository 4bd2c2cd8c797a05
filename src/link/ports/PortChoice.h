#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The three kinds of port a printer hangs on.
enum class PortKind { Serial, PrinterDevice, Tcp };

// An entry of the port list: its name ("COM3", "LPT1", "TCP/IP"), its kind and, for a serial
// port, its number.
struct PortChoice
{
    QString name;
    PortKind kind = PortKind::Serial;
    int comNumber = 0;

    friend bool operator==(const PortChoice &, const PortChoice &) = default;

    // The kind is named by the first three letters, in any case: "TCP", "LPT", else "COM". The
    // number of "COMn" is the value of the one or two digits after "COM"; 0 when there are none.
    static PortChoice fromName(const QString &name);

    // The entries of the port list, in order: "TCP/IP", "LPT1", "COM1" ... "COM16".
    static QStringList portList();

    // The serial ports of the list: COM1 to COM16.
    static constexpr int kSerialPortCount = 16;
    // The entry of serial port `number`: "COM3".
    static QString comEntry(int number);
    // The number of a serial entry given as text: "COM" in any case and a number from 1 to 16;
    // nothing for any other text.
    static std::optional<int> comNumberOfEntry(const QString &text);
};
