#pragma once

#include <QString>

// Which serial option buttons are selected in the window, read when a serial port is opened.
struct SerialOptions
{
    bool baud115200 = true;
    bool baud38400 = false;
    bool baud19200 = false;
    bool baud9600 = false;
    bool parityNone = true;
    bool parityEven = false;
    bool handshakeDtrDsr = true;
    bool handshakeXonXoff = false;
};

// The part of the window that the printer link reads and updates: the port options and the
// TCP status box. The window implements it; tests use a plain fake.
class LinkView
{
public:
    virtual ~LinkView() = default;

    virtual SerialOptions serialOptions() const = 0;
    virtual QString tcpAddress() const = 0;
    virtual QString tcpPort() const = 0;

    // Shows or hides the serial-options frame and the TCP/IP frame after a port choice.
    virtual void showPortFrames(bool serialVisible, bool tcpVisible) = 0;
    // Sets the text and text colour of the TCP status box.
    virtual void showLinkStatus(const QString &text, int red, int green, int blue) = 0;
};
