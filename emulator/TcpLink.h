#pragma once

#include "ClientLink.h"

class QTcpSocket;

// A client connected over TCP. Owns its socket.
class TcpLink : public ClientLink
{
    Q_OBJECT

public:
    TcpLink(QTcpSocket *socket, QObject *parent);

    void write(const QByteArray &bytes) override;
    void hangUp() override;

    QString peer() const { return m_peer; }
    // Starts serving: hands on the bytes that arrived while the client waited, and reports a
    // client that already left.
    void start();

private:
    void readPending();
    void end();

    QTcpSocket *m_socket;
    QString m_peer;
    bool m_ended = false;
};
