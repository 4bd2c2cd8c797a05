#pragma once

// Clients of the emulator for tests: a TCP reader with a bounded wait and a pseudo-terminal
// client that opens the slave as a serial program would.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace LinkClients {

inline constexpr int kWaitMs = 5000;

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A block answer as the printer frames it: "_", the text, NUL.
inline QByteArray block(const char *text)
{
    return '_' + QByteArray(text) + '\0';
}

// Reads until `count` bytes have come, or the wait ends.
inline QByteArray readFrom(QTcpSocket &socket, qsizetype count)
{
    QByteArray bytes;
    const QDeadlineTimer deadline(kWaitMs);
    while (bytes.size() < count && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        bytes += socket.read(count - bytes.size());
    }
    return bytes;
}

// A client on the slave side of the pseudo-terminal, as a serial program would open it.
class PtyClient
{
public:
    explicit PtyClient(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(),
                      O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        termios settings{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    ~PtyClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &bytes) const
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    QByteArray read(qsizetype count) const
    {
        QByteArray bytes;
        const QDeadlineTimer deadline(kWaitMs);
        while (bytes.size() < count && waitReadable(deadline)) {
            char buffer[256];
            const ssize_t got =
                ::read(m_fd, buffer, size_t(std::min<qsizetype>(count - bytes.size(), 256)));
            if (got > 0)
                bytes.append(buffer, got);
            else if (got == 0 || errno != EAGAIN)
                break;
        }
        return bytes;
    }

    // True once the far end has gone: the slave reports a hang-up or reads fail.
    bool waitForHangUp() const
    {
        const QDeadlineTimer deadline(kWaitMs);
        while (waitReadable(deadline)) {
            char buffer[256];
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno == EIO))
                return true;
        }
        return false;
    }

private:
    bool waitReadable(const QDeadlineTimer &deadline) const
    {
        pollfd entry{m_fd, POLLIN, 0};
        return !deadline.hasExpired() && ::poll(&entry, 1, int(deadline.remainingTime())) > 0;
    }

    int m_fd;
};

inline QByteArray readFrom(const PtyClient &client, qsizetype count)
{
    return client.read(count);
}

} // namespace LinkClients

// Reads as many bytes as `expected` has from a socket or pseudo-terminal client and compares.
#define COMPARE_REPLY(source, expected)                                                            \
    do {                                                                                           \
        const QByteArray expectedReply = (expected);                                               \
        QCOMPARE(LinkClients::readFrom(source, expectedReply.size()), expectedReply);              \
    } while (false)
