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
    }
    ~PrinterPeer() override { hangUp(); }

    void hangUp()
    {
        if (socket)
            socket->abort();
        delete std::exchange(readable, nullptr);
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
                    // A pseudo-terminal takes the few bytes of an answer in one write.
                    if (step.bytes.isEmpty())
                        hangUp();
                    else if (socket)
                        socket->write(step.bytes);
                    else if (master >= 0 && ::write(master, step.bytes.constData(),
                                                    size_t(step.bytes.size())) != step.bytes.size())
                        QTest::qFail("the pseudo-terminal did not take the whole answer", __FILE__,
                                     __LINE__);
                });
        }
    }

    QTcpServer server;
    QTcpSocket *socket = nullptr;
    int master = -1, slave = -1;
    QSocketNotifier *readable = nullptr;
    QList<std::pair<QByteArray, QList<AnswerStep>>> script;
    QByteArray received;
};
