#pragma once

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// A printer stand-in on this thread, on 127.0.0.1 or on the master side of a pseudo-terminal. It
// keeps every byte it receives and, whenever they end with a command of its script, sends that
// command's answer.
struct PrinterPeer : QObject
{
    explicit PrinterPeer(bool tcp)
    {
        if (tcp) {
            connect(&server, &QTcpServer::newConnection, this, [this] {
                socket = server.nextPendingConnection(); // the last one is the one in use
                connect(socket, &QTcpSocket::readyRead, this, [this] { take(socket->readAll()); });
            });
            server.listen(QHostAddress::LocalHost, 0);
            return;
        }
        // The slave stays open, in raw mode, until the peer hangs up: no byte is changed.
        ::openpty(&master, &slave, nullptr, nullptr, nullptr);
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        readable = new QSocketNotifier(master, QSocketNotifier::Read, this);
        connect(readable, &QSocketNotifier::activated, this, [this] {
            char buffer[4096];
            if (const ssize_t count = ::read(master, buffer, sizeof buffer); count > 0)
                take(QByteArray(buffer, count));
        });
        writable = new QSocketNotifier(master, QSocketNotifier::Write, this);
        writable->setEnabled(false);
        connect(writable, &QSocketNotifier::activated, this, &PrinterPeer::writePending);
    }
    ~PrinterPeer() override
    {
        delete readable;
        delete writable;
        ::close(master); // closing -1 does no harm
        ::close(slave);
    }
    void take(const QByteArray &bytes)
    {
        received += bytes;
        for (const auto &[command, answer] : std::as_const(script)) {
            if (received.endsWith(command))
                send(answer);
        }
    }

    // Sends bytes now, as a printer does on its own; what the pseudo-terminal cannot take at
    // once follows as it can.
    void send(const QByteArray &bytes)
    {
        if (socket) {
            socket->write(bytes);
            return;
        }
        pending += bytes;
        writePending();
    }
    void writePending()
    {
        while (master >= 0 && !pending.isEmpty()) {
            const ssize_t count = ::write(master, pending.constData(), size_t(pending.size()));
            if (count <= 0)
                break;
            pending.remove(0, count);
        }
        if (writable)
            writable->setEnabled(!pending.isEmpty());
    }
    // All that was sent has left.
    bool sentAll() const { return socket ? socket->bytesToWrite() == 0 : pending.isEmpty(); }

    QTcpServer server;
    QTcpSocket *socket = nullptr;
    int master = -1, slave = -1;
    QSocketNotifier *readable = nullptr;
    QSocketNotifier *writable = nullptr;
    QByteArray pending;
    QList<std::pair<QByteArray, QByteArray>> script;
    QByteArray received;
};
