#include "TcpTransport.h"

#include "EventPump.h"
#include "LinkMessages.h"
#include "LinkReporter.h"
#include "ReplyReader.h"
#include "TcpClient.h"
#include "TcpStatusMonitor.h"

#include <chrono>
#include <optional>

namespace {

// The pause after a connection request and after every command sent.
constexpr std::chrono::milliseconds kSendPause{10};
// How often a wait for the connection looks at its state.
constexpr std::chrono::milliseconds kConnectPoll{1};

} // namespace

TcpTransport::TcpTransport(TcpClient &client, TcpStatusMonitor &status, const LinkSettings &chosen,
                           LinkReporter &reporter, EventPump &pump)
    : m_client(client)
    , m_status(status)
    , m_chosen(chosen)
    , m_reporter(reporter)
    , m_pump(pump)
    , m_reader(client, pump)
{}

bool TcpTransport::setOpen(bool open)
{
    if (open) {
        connectToPrinter();
    } else {
        m_client.close();
        m_status.stop();
        m_status.refresh();
    }
    return true;
}

void TcpTransport::connectToPrinter()
{
    if (m_client.holdsSocket())
        m_client.close();
    if (m_chosen.tcpPort)
        m_remotePort = static_cast<quint16>(*m_chosen.tcpPort);
    m_client.connectToHost(m_chosen.tcpHost, m_remotePort);
    m_pump.processEvents();
    m_status.redraw();
    m_pump.sleep(kSendPause);
    m_status.start();
}

bool TcpTransport::waitUntilReady(std::chrono::milliseconds timeout)
{
    const std::chrono::milliseconds start = m_pump.now();
    for (;;) {
        m_pump.processEvents();
        const int state = m_client.state();
        if (state == TcpClient::Connected) {
            m_status.refresh();
            return true;
        }
        // Closed: never asked to connect, or closed since; Failed: refused or unreachable.
        if (state == TcpClient::Closed || state == TcpClient::Failed ||
            m_pump.now() - start >= timeout)
            break;
        m_pump.sleep(kConnectPoll);
    }
    m_status.refresh();
    if (const std::optional<TcpError> error = m_client.takeError())
        m_reporter.report(
            {LinkProblem::Source::Socket, LinkMessages::tcpError(*error), error->description});
    else
        m_reporter.report({LinkProblem::Source::Port, LinkMessages::lanNotReady(m_client.state()),
                           LinkMessages::lanNotReadyReason(m_client.state())});
    return false;
}

bool TcpTransport::exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                            QByteArray &received)
{
    // Only an error raised during this exchange is reported at its end.
    m_client.takeError();
    m_status.refresh();
    m_pump.processEvents();
    if (const int state = m_client.state(); state != TcpClient::Connected) {
        m_status.refresh();
        m_reporter.report({LinkProblem::Source::Port, LinkMessages::lanNotReady(state),
                           LinkMessages::lanNotReadyReason(state)});
        return false;
    }
    const Receiving receiving(m_client);
    m_reader.prepare();
    // A printer may answer and close the connection the moment the command has come: the
    // command was sent when all of it has left, whether or not the connection is still up.
    const bool sent = writeCommand(m_client, m_pump, command, whenHeld) || m_client.allWritten();
    m_pump.sleep(kSendPause);
    m_status.refresh();
    if (sent && replyWanted)
        received = m_reader.collect();
    // A printer may end the connection right after a whole answer; the answer stands, and the
    // next exchange finds the connection gone. Whether the close is noticed before the answer
    // has been read or after depends on the system's socket layer.
    if (sent && replyWanted && m_reader.isWhole() && !received.isEmpty())
        return sent;
    if (const std::optional<TcpError> error = m_client.takeError())
        m_reporter.report(
            {LinkProblem::Source::Socket, LinkMessages::tcpError(*error), error->description});
    return sent;
}
