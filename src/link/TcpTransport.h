#pragma once

#include "LinkSettings.h"
#include "ReplyReader.h"
#include "Transport.h"

#include <QtGlobal>

class EventPump;
class LinkReporter;
class TcpClient;
class TcpStatusMonitor;

// A printer on the network. Opening starts a connection and returns at once; every command
// first checks that the connection is up, and the status box follows each step.
class TcpTransport : public Transport
{
public:
    TcpTransport(TcpClient &client, TcpStatusMonitor &status, const LinkSettings &chosen,
                 LinkReporter &reporter, EventPump &pump);

    bool setOpen(bool open) override;
    bool exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                  QByteArray &received) override;
    ReplyReader &reader() override { return m_reader; }
    // Waits until the connection that the open started is up; a connection that failed or did
    // not come up in time is reported.
    bool waitUntilReady(std::chrono::milliseconds timeout) override;

private:
    void connectToPrinter();

    TcpClient &m_client;
    TcpStatusMonitor &m_status;
    const LinkSettings &m_chosen;
    LinkReporter &m_reporter;
    EventPump &m_pump;
    // The port of the last connection, kept when no port number is given.
    quint16 m_remotePort = 0;
    ReplyReader m_reader;
};
