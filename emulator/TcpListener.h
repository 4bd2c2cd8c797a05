#pragma once

#include <QTcpServer>

// Accepts TCP connections and hands over their descriptors, so that the emulator serves each
// socket itself: it must be able to answer a client that has closed its sending side, which a
// QTcpSocket treats as gone.
class TcpListener : public QTcpServer
{
    Q_OBJECT

public:
    using QTcpServer::QTcpServer;

Q_SIGNALS:
    void accepted(int descriptor);

protected:
    void incomingConnection(qintptr descriptor) override { Q_EMIT accepted(int(descriptor)); }
};
