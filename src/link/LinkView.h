#pragma once

#include "LinkStatus.h"
#include "SerialSettings.h"

#include <QString>

// The part of the window that the printer link reads and updates: the port options and the TCP
// status box. The window implements it; the command line and tests give their own.
class LinkView
{
public:
    virtual ~LinkView() = default;

    // The serial options selected now, read when a serial port is opened.
    virtual SerialSettings serialSettings() const = 0;
    // The printer's address and the port text, read as they stand when a connection is opened.
    virtual QString tcpAddress() const = 0;
    virtual QString tcpPort() const = 0;

    // Shows a state of the TCP connection in the status box.
    virtual void showLinkStatus(const LinkStatusStyle &style) = 0;
};
