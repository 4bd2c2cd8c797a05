#pragma once

#include "ReplyReader.h"
#include "SerialSettings.h"
#include "Transport.h"

class DeviceResolver;
class EventPump;
class LinkReporter;
class LinkView;
class SerialDevice;

// A printer on a serial port "COMn". Every open takes the serial options selected at that moment
// and checks the modem lines; replies are read whole, after stale bytes have been dropped.
class SerialTransport : public Transport
{
public:
    SerialTransport(SerialDevice &port, const DeviceResolver &resolver, const LinkView &view,
                    LinkReporter &reporter, EventPump &pump);

    // The n of "COMn", used by the next open or close.
    void setPortNumber(int number);
    // The settings of the last open.
    SerialSettings settings() const;

    bool setOpen(bool open) override;
    bool exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                  QByteArray &received) override;
    ReplyReader &reader() override { return m_reader; }

private:
    SerialDevice &m_port;
    const DeviceResolver &m_resolver;
    const LinkView &m_view;
    LinkReporter &m_reporter;
    EventPump &m_pump;
    int m_number = 0;
    SerialSettings m_settings;
    ReplyReader m_reader;
};
