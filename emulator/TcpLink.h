#pragma once

#include "ClientLink.h"

#include <QString>
#include <QTimer>

class QSocketNotifier;

// A client connected over TCP, on a socket descriptor of its own. A client that closes its sending
// side still gets every reply: the link reports the end of its input, and closes only when told
// to hang up, once the replies went out. Hanging up closes the sending side first and reads on
// until the client closes too (or kLingerMs passed), so that the client reads every reply rather
// than a reset. Deletes itself once the socket is closed.
class TcpLink : public ClientLink
{
    Q_OBJECT

public:
    static constexpr int kLingerMs = 2000;

    // Takes over `descriptor`, a connected socket.
    TcpLink(int descriptor, QObject *parent);
    ~TcpLink() override;

    // "127.0.0.1:40312"; the address the client connected from.
    static QString peerOf(int descriptor);
    // Whether a client that waited for its turn has gone: it closed without sending anything, or
    // the connection broke. One that sent a query and closed its sending side is still there.
    static bool hasGone(int descriptor);

    void write(const QByteArray &bytes) override;
    void hangUp() override;
    qsizetype backlog() const override { return m_pending.size(); }
    bool isOpen() const override { return !m_ended; }
    bool isSerial() const override { return false; }

    // Starts reading.
    void start();

private:
    void readSome();
    void writePending();
    void finishHangUp();
    void end();
    void close();

    int m_socket;
    QSocketNotifier *m_readNotifier;
    QSocketNotifier *m_writeNotifier;
    QByteArray m_pending;
    QTimer m_lingerTimer;
    bool m_inputEnded = false;
    bool m_hangingUp = false;
    bool m_ended = false; // hungUp was emitted
};
