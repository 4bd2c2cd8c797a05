#pragma once

#include "LptDevice.h"
#include "ReplyReader.h"
#include "Transport.h"

class DeviceResolver;
class EventPump;
class LinkReporter;

// A printer on the parallel port or a USB printer-class device ("LPT1"). Between commands the
// device is open for writing; a command that wants a reply switches it to reading and back.
class LptTransport : public Transport
{
public:
    LptTransport(LptDevice &device, const DeviceResolver &resolver, LinkReporter &reporter,
                 EventPump &pump);

    bool setOpen(bool open) override;
    bool exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                  QByteArray &received) override;
    ReplyReader &reader() override { return m_reader; }

    // Closes the device and, with `open`, opens it again for `access`; a failure is reported
    // with the system's number and text, and the device stays closed.
    void OpenLpt(bool open, LptDevice::Access access);

private:
    LptDevice &m_device;
    const DeviceResolver &m_resolver;
    LinkReporter &m_reporter;
    EventPump &m_pump;
    ReplyReader m_reader;
};
