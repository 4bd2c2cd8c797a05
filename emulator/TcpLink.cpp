#include "TcpLink.h"

#include <QTcpSocket>

TcpLink::TcpLink(QTcpSocket *socket, QObject *parent)
    : ClientLink(parent)
    , m_socket(socket)
    , m_peer(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()))
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpLink::readPending);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpLink::end);
}

void TcpLink::write(const QByteArray &bytes)
{
    m_socket->write(bytes);
}

void TcpLink::hangUp()
{
    // Sends what is still buffered, then closes; `disconnected` follows.
    m_socket->disconnectFromHost();
}

void TcpLink::start()
{
    readPending();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        end();
}

void TcpLink::end()
{
    if (!m_ended) {
        m_ended = true;
        Q_EMIT hungUp();
    }
}

void TcpLink::readPending()
{
    const QByteArray bytes = m_socket->readAll();
    if (!bytes.isEmpty())
        Q_EMIT received(bytes);
}
