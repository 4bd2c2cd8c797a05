#pragma once

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// One step of a scripted answer: after `delayMs`, send `bytes`; a step without bytes hangs up.
struct AnswerStep
{
    QByteArray bytes;
    int delayMs = 0;
};

// A printer stand-in on this thread, on 127.0.0.1 or on the master side of a pseudo-terminal. It
// keeps every byte it receives and, whenever they end with a command of its script, plays that
// command's answer. Its server queues at most one connection that it has not taken yet.
struct PrinterPeer : QObject
{
    explicit PrinterPeer(bool tcp)
    {
        if (tcp) {
            connect(&server, &QTcpServer::newConnection, this, [this] {
                socket = server.nextPendingConnection(); // the last one is the one in use
                connect(socket, &QTcpSocket::readyRead, this, [this] { take(socket->readAll()); });
            });
            server.setListenBacklogSize(0);
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
    ~PrinterPeer() override { hangUp(); }

    void hangUp()
    {
        if (socket)
            socket->abort();
        delete std::exchange(readable, nullptr);
        delete std::exchange(writable, nullptr);
        for (int *fd : {&master, &slave}) // closing -1 does no harm
            ::close(std::exchange(*fd, -1));
    }
    void take(const QByteArray &bytes)
    {
        received += bytes;
        for (const auto &[command, steps] : std::as_const(script)) {
            if (!received.endsWith(command))
                continue;
            int at = 0;
            for (const AnswerStep &step : steps)
                QTimer::singleShot(at += step.delayMs, this, [this, step] {
                    if (step.bytes.isEmpty())
                        hangUp();
                    else
                        send(step.bytes);
                });
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
    QList<std::pair<QByteArray, QList<AnswerStep>>> script;
    QByteArray received;
};
