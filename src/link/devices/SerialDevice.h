#pragma once

#include "ByteChannel.h"
#include "OpenFailure.h"
#include "SerialSettings.h"

#include <QString>

// A serial port that the printer is cabled to.
class SerialDevice : public ByteChannel
{
public:
    // Opens the port with the operating system's name for it; false when it cannot be opened.
    // XON/XOFF gives software flow control; with DTR/DSR flow control stays off.
    virtual bool open(const QString &systemName, const SerialSettings &settings) = 0;
    // Why the last open failed, as far as the device can tell.
    virtual OpenFailure openFailure() const { return {}; }
    // Closes the port; false when it stays open. Closing a closed port succeeds.
    virtual bool close() = 0;
    // The modem status lines; true when on, and true where the device has no modem lines to
    // report (a pseudo-terminal).
    virtual bool dsr() const = 0;
    virtual bool cts() const = 0;
};
