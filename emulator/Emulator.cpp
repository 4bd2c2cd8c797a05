#include "Emulator.h"

#include "Connection.h"
#include "PseudoTerminal.h"
#include "PtyAnnouncement.h"
#include "Sockets.h"
#include "StateFile.h"
#include "TcpLink.h"
#include "TcpListener.h"

Emulator::Emulator(const EmulatorOptions &options, QObject *parent)
    : QObject(parent)
    , m_printer(options.printer, options.status)
    , m_faults(options.faults)
    , m_statePath(options.statePath)
    , m_announcePty(options.announcePty)
{}

Emulator::~Emulator()
{
    for (const WaitingClient &client : std::as_const(m_waiting))
        Sockets::close(client.descriptor);
}

bool Emulator::listenTcp(const QHostAddress &address, quint16 port, QString *error)
{
    if (m_server) {
        *error = QStringLiteral("already listening on TCP");
        return false;
    }
    auto *server = new TcpListener(this);
    if (!server->listen(address, port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(address.toString())
                     .arg(port)
                     .arg(server->errorString());
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &TcpListener::accepted, this, &Emulator::accept);
    return true;
}

QHostAddress Emulator::tcpAddress() const
{
    return m_server ? m_server->serverAddress() : QHostAddress();
}

quint16 Emulator::tcpPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

void Emulator::accept(int descriptor)
{
    m_waiting.append({descriptor, TcpLink::peerOf(descriptor)});
    if (m_waiting.size() >= kMaxWaitingClients)
        m_server->pauseAccepting(); // the rest wait in the system's queue
    serveNextTcpClient();
}

// Takes the next waiting TCP client once the current one has gone. A client that left while it
// waited is not served.
void Emulator::serveNextTcpClient()
{
    while (!m_tcpClient && !m_waiting.isEmpty()) {
        const WaitingClient next = m_waiting.takeFirst();
        m_server->resumeAccepting();
        if (TcpLink::hasGone(next.descriptor)) {
            Sockets::close(next.descriptor);
            Q_EMIT notice(QStringLiteral("tcp client %1 left before its turn").arg(next.peer));
            continue;
        }
        auto *link = new TcpLink(next.descriptor, this);
        new Connection(link, *this);
        m_tcpClient = link;
        connect(link, &ClientLink::hungUp, this, [this, peer = next.peer] {
            Q_EMIT notice(QStringLiteral("tcp client %1 gone").arg(peer));
            m_tcpClient = nullptr;
            serveNextTcpClient();
        });
        Q_EMIT notice(QStringLiteral("tcp client %1 served").arg(next.peer));
        link->start();
    }
}

bool Emulator::openPty(const QString &linkPath, QString *error)
{
    if (m_pty) {
        *error = QStringLiteral("a pseudo-terminal is already open");
        return false;
    }
    auto *pty = new PseudoTerminal(linkPath, this);
    if (!pty->open(error)) {
        delete pty;
        return false;
    }
    m_pty = pty;
    new Connection(m_pty, *this);
    connect(m_pty, &PseudoTerminal::reopened, this, [this](const QString &path) {
        Q_EMIT notice(QStringLiteral("pseudo-terminal hung up, now %1").arg(path));
        announcePty();
        Q_EMIT ptyReopened(path);
    });
    connect(m_pty, &PseudoTerminal::failed, this, [this](const QString &text) {
        if (m_announcement)
            m_announcement->withdraw();
        Q_EMIT notice(QStringLiteral("pseudo-terminal lost: %1").arg(text));
    });
    announcePty();
    return true;
}

void Emulator::announcePty()
{
    if (!m_announcePty)
        return;
    if (!m_announcement)
        m_announcement = std::make_unique<PtyAnnouncement>();
    QString error;
    if (!m_announcement->announce(m_pty->path(), &error))
        Q_EMIT notice(error);
}

QString Emulator::ptyPath() const
{
    return m_pty ? m_pty->path() : QString();
}

QString Emulator::ptyAnnouncementPath() const
{
    return m_announcement ? m_announcement->path() : QString();
}

void Emulator::setFaults(const Faults &faults)
{
    m_faults = faults;
    Q_EMIT faultsChanged();
}

void Emulator::setStatus(const PrinterStatus &status)
{
    const int groups = m_printer.setStatus(status);
    Q_EMIT notice(QStringLiteral("printer status: %1").arg(status.describe()));
    if (groups != 0)
        Q_EMIT statusChanged(groups);
}

Exchange Emulator::execute(const ParsedCommand &command)
{
    const Exchange exchange = m_printer.execute(command);
    if (!exchange.line.isEmpty())
        Q_EMIT commandReceived(exchange.line);
    print(exchange.printed);
    QString error;
    if (exchange.changed && !m_statePath.isEmpty() &&
        !StateFile::save(m_statePath, m_printer.settings(), &error))
        Q_EMIT notice(error);
    return exchange;
}

void Emulator::finishJob()
{
    print(m_printer.finishJob());
}

void Emulator::print(const QStringList &lines)
{
    for (const QString &line : lines) {
        m_printOut.append(line);
        Q_EMIT printed(line);
    }
    if (m_printOut.size() > kMaxKeptLines)
        m_printOut.remove(0, m_printOut.size() - kMaxKeptLines);
}

void Emulator::record(const QByteArray &bytes)
{
    m_received += bytes;
    if (m_received.size() > kMaxRecordedBytes)
        m_received.remove(0, m_received.size() - kMaxRecordedBytes);
}
