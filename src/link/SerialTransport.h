#pragma once

#include "LinkSettings.h"
#include "ReplyReader.h"
#include "SerialSettings.h"
#include "Transport.h"

class DeviceResolver;
class EventPump;
class LinkReporter;
class SerialDevice;

// A printer on a serial port "COMn". Every open takes the port number and the serial options
// chosen at that moment and checks the modem lines; replies are read whole, after stale bytes
// have been dropped.
class SerialTransport : public Transport
{
public:
    SerialTransport(SerialDevice &port, const DeviceResolver &resolver, const LinkSettings &chosen,
                    LinkReporter &reporter, EventPump &pump);

    // The settings of the last open.
    SerialSettings settings() const;

    bool setOpen(bool open) override;
    bool exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                  QByteArray &received) override;
    ReplyReader &reader() override { return m_reader; }

private:
    SerialDevice &m_port;
    const DeviceResolver &m_resolver;
    const LinkSettings &m_chosen;
    LinkReporter &m_reporter;
    EventPump &m_pump;
    SerialSettings m_settings;
    ReplyReader m_reader;
};
