#pragma once

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// One step of a scripted answer: after `delayMs`, send `bytes`, or go away when `hangUp`.
struct AnswerStep
{
    QByteArray bytes;
    int delayMs = 0;
    bool hangUp = false;
};

// A printer stand-in on this thread, on 127.0.0.1 or on the master side of a pseudo-terminal. It
// keeps every byte it receives and, whenever they end with a command of its script, plays that
// command's answer.
class PrinterPeer : public QObject
{
public:
    explicit PrinterPeer(bool tcp)
    {
        if (tcp) {
            connect(&m_server, &QTcpServer::newConnection, this, [this] {
                m_socket = m_server.nextPendingConnection();
                ++connections; // the last connection is the one in use
                connect(m_socket, &QTcpSocket::readyRead, this,
                        [this] { take(m_socket->readAll()); });
            });
            m_server.listen(QHostAddress::LocalHost, 0);
            return;
        }
        // The slave stays open here, in raw mode, so that it lives as long as the peer and no
        // byte is changed on its way.
        ::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr);
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_readable = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_readable, &QSocketNotifier::activated, this, [this] {
            char buffer[4096];
            if (const ssize_t count = ::read(m_master, buffer, sizeof buffer); count > 0)
                take(QByteArray(buffer, count));
        });
    }
    ~PrinterPeer() override
    {
        hangUp();
        ::close(m_slave);
    }

    QString devicePath() const { return QString::fromLocal8Bit(::ttyname(m_slave)); }
    quint16 port() const { return m_server.serverPort(); }
    // True when every scripted step has been played and every byte has left.
    bool idle() const { return m_pendingSteps == 0 && (!m_socket || !m_socket->bytesToWrite()); }
    // Sends at once; a pseudo-terminal takes the few bytes of an answer in one write.
    void send(const QByteArray &bytes)
    {
        if (m_socket)
            m_socket->write(bytes);
        else if (m_master >= 0)
            ::write(m_master, bytes.constData(), size_t(bytes.size()));
    }
    void hangUp()
    {
        if (m_socket)
            m_socket->abort();
        delete std::exchange(m_readable, nullptr);
        if (m_master >= 0)
            ::close(std::exchange(m_master, -1));
    }

    QList<std::pair<QByteArray, QList<AnswerStep>>> script;
    QByteArray received;
    int connections = 0;

private:
    void take(const QByteArray &bytes)
    {
        received += bytes;
        for (const auto &[command, steps] : std::as_const(script)) {
            if (!received.endsWith(command))
                continue;
            int at = 0;
            for (const AnswerStep &step : steps) {
                ++m_pendingSteps;
                QTimer::singleShot(at += step.delayMs, this, [this, step] {
                    --m_pendingSteps;
                    step.hangUp ? hangUp() : send(step.bytes);
                });
            }
            return;
        }
    }

    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_readable = nullptr;
    int m_pendingSteps = 0;
};
