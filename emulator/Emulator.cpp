#include "Emulator.h"

#include "Connection.h"
#include "PseudoTerminal.h"
#include "StateFile.h"
#include "TcpLink.h"

#include <QTcpServer>
#include <QTcpSocket>

Emulator::Emulator(const EmulatorOptions &options, QObject *parent)
    : QObject(parent)
    , m_printer(options.printer)
    , m_faults(options.faults)
    , m_statePath(options.statePath)
{}

Emulator::~Emulator() = default;

bool Emulator::listenTcp(const QHostAddress &address, quint16 port, QString *error)
{
    if (m_server) {
        *error = QStringLiteral("already listening on TCP");
        return false;
    }
    auto *server = new QTcpServer(this);
    if (!server->listen(address, port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(address.toString())
                     .arg(port)
                     .arg(server->errorString());
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QTcpServer::newConnection, this, &Emulator::serveNextTcpClient);
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

// Takes the next waiting TCP client once the current one has gone.
void Emulator::serveNextTcpClient()
{
    if (!m_tcpClient && m_server->hasPendingConnections()) {
        auto *link = new TcpLink(m_server->nextPendingConnection(), this);
        new Connection(link, *this);
        m_tcpClient = link;
        connect(link, &ClientLink::hungUp, this, [this, link] {
            Q_EMIT notice(QStringLiteral("tcp client %1 gone").arg(link->peer()));
            link->deleteLater();
            m_tcpClient = nullptr;
            serveNextTcpClient();
        });
        Q_EMIT notice(QStringLiteral("tcp client %1 served").arg(link->peer()));
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
        Q_EMIT ptyReopened(path);
    });
    connect(m_pty, &PseudoTerminal::failed, this, [this](const QString &text) {
        Q_EMIT notice(QStringLiteral("pseudo-terminal lost: %1").arg(text));
    });
    return true;
}

QString Emulator::ptyPath() const
{
    return m_pty ? m_pty->path() : QString();
}

Exchange Emulator::execute(const ParsedCommand &command)
{
    const Exchange exchange = m_printer.execute(command);
    Q_EMIT commandReceived(exchange.line);
    if (exchange.kind == CommandKind::SelfTest)
        Q_EMIT selfTestPrinted(m_printer.selfTestPage());
    QString error;
    if (exchange.changed && !m_statePath.isEmpty() &&
        !StateFile::save(m_statePath, m_printer.settings(), &error))
        Q_EMIT notice(error);
    return exchange;
}

void Emulator::record(const QByteArray &bytes)
{
    m_received += bytes;
    if (m_received.size() > kMaxRecordedBytes)
        m_received.remove(0, m_received.size() - kMaxRecordedBytes);
}
