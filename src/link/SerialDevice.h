#pragma once

#include "ByteChannel.h"

#include <QString>

// How a serial port is set up: baud rate, parity and flow control; always 8 data bits and
// 1 stop bit.
struct SerialSettings
{
    qint32 baudRate = 9600;
    bool evenParity = false;
    bool softwareFlowControl = false;

    friend bool operator==(const SerialSettings &, const SerialSettings &) = default;
};

// A serial port that the printer is cabled to.
class SerialDevice : public ByteChannel
{
public:
    // Opens the port with the operating system's name for it; false when it cannot be opened.
    virtual bool open(const QString &systemName, const SerialSettings &settings) = 0;
    // Closes the port; false when it stays open. Closing a closed port succeeds.
    virtual bool close() = 0;
    // The modem status lines; true when on, and true where the device has no modem lines to
    // report (a pseudo-terminal).
    virtual bool dsr() const = 0;
    virtual bool cts() const = 0;
};
