#pragma once

#include "PortChoice.h"
#include "SerialSettings.h"

// What the user workflows do with the link besides sending commands: open the chosen port, and
// learn its kind and serial settings, which decide whether a write cuts the link.
class LinkControl
{
public:
    virtual ~LinkControl() = default;

    // Opens (true) or closes (false) the port of the current choice. False only when a serial
    // port did not reach the state asked for or is not ready; the user has been told why.
    virtual bool OpenPort(bool open) = 0;
    virtual PortKind portKind() const = 0;
    // The settings of the last serial open.
    virtual SerialSettings serialSettings() const = 0;
};
