#include "TcpLink.h"

#include "Sockets.h"

#include <QHostAddress>
#include <QSocketNotifier>

TcpLink::TcpLink(int descriptor, QObject *parent)
    : ClientLink(parent)
    , m_socket(descriptor)
    , m_readNotifier(new QSocketNotifier(descriptor, QSocketNotifier::Read, this))
    , m_writeNotifier(new QSocketNotifier(descriptor, QSocketNotifier::Write, this))
{
    Sockets::makeNonBlocking(m_socket);
    // Replies are a few bytes each and a client waits for them: they go out at once, not held
    // back until the client acknowledges what went before.
    Sockets::setNoDelay(m_socket);
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &TcpLink::readSome);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &TcpLink::writePending);
    m_lingerTimer.setSingleShot(true);
    connect(&m_lingerTimer, &QTimer::timeout, this, &TcpLink::close);
}

TcpLink::~TcpLink()
{
    if (m_socket >= 0)
        Sockets::close(m_socket);
}

QString TcpLink::peerOf(int descriptor)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return QStringLiteral("(unknown peer)");
    QHostAddress host;
    quint16 port = 0;
    host.setAddress(reinterpret_cast<const sockaddr *>(&address));
    if (address.ss_family == AF_INET)
        port = ntohs(reinterpret_cast<const sockaddr_in *>(&address)->sin_port);
    else if (address.ss_family == AF_INET6)
        port = ntohs(reinterpret_cast<const sockaddr_in6 *>(&address)->sin6_port);
    const QString text = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + host.toString() + QLatin1Char(']')
                             : host.toString();
    return QStringLiteral("%1:%2").arg(text).arg(port);
}

bool TcpLink::hasGone(int descriptor)
{
    const qint64 count = Sockets::peek(descriptor);
    if (count > 0)
        return false;
    return count == 0 || Sockets::lastFailure() == Sockets::Failure::Broken;
}

void TcpLink::start()
{
    m_readNotifier->setEnabled(true);
    readSome();
}

void TcpLink::readSome()
{
    char buffer[16384];
    while (m_socket >= 0 && m_pending.size() <= kMaxBacklog) {
        const qint64 count = Sockets::receive(m_socket, buffer, sizeof buffer);
        if (count > 0) {
            if (!m_ended) // while lingering, what comes is dropped
                Q_EMIT received(QByteArray(buffer, count));
            continue;
        }
        const Sockets::Failure failure =
            count < 0 ? Sockets::lastFailure() : Sockets::Failure::Broken;
        if (count < 0 && failure == Sockets::Failure::Interrupted)
            continue;
        if (count < 0 && failure == Sockets::Failure::WouldBlock)
            return;
        m_readNotifier->setEnabled(false);
        if (count < 0) { // reset: nothing can reach the client any more
            end();
        } else if (m_ended) { // the client closed after the hang-up
            close();
        } else if (!m_inputEnded) {
            m_inputEnded = true;
            Q_EMIT inputEnded();
        }
        return;
    }
    // A client that sends without reading: stop taking its bytes until the replies went out.
    if (m_socket >= 0)
        m_readNotifier->setEnabled(false);
}

void TcpLink::write(const QByteArray &bytes)
{
    if (m_ended || m_socket < 0)
        return;
    m_pending += bytes;
    writePending();
}

void TcpLink::writePending()
{
    while (m_socket >= 0 && !m_pending.isEmpty()) {
        const qint64 count = Sockets::send(m_socket, m_pending.constData(), m_pending.size());
        if (count >= 0) {
            m_pending.remove(0, count);
            continue;
        }
        const Sockets::Failure failure = Sockets::lastFailure();
        if (failure == Sockets::Failure::Interrupted)
            continue;
        if (failure == Sockets::Failure::WouldBlock) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        m_pending.clear(); // the client has gone
        end();
        return;
    }
    if (m_socket < 0)
        return;
    m_writeNotifier->setEnabled(false);
    if (!m_inputEnded && !m_readNotifier->isEnabled()) {
        m_readNotifier->setEnabled(true);
        readSome();
    }
    if (m_hangingUp)
        finishHangUp();
}

void TcpLink::hangUp()
{
    if (m_ended || m_hangingUp)
        return;
    m_hangingUp = true;
    if (m_pending.isEmpty())
        finishHangUp();
}

void TcpLink::finishHangUp()
{
    if (m_ended)
        return;
    Sockets::shutdownSending(m_socket);
    m_ended = true;
    Q_EMIT hungUp();
    if (m_inputEnded || m_socket < 0) {
        close();
        return;
    }
    m_lingerTimer.start(kLingerMs);
    m_readNotifier->setEnabled(true);
}

void TcpLink::end()
{
    if (!m_ended) {
        m_ended = true;
        Q_EMIT hungUp();
    }
    close();
}

void TcpLink::close()
{
    if (m_socket < 0)
        return;
    m_lingerTimer.stop();
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    Sockets::close(m_socket);
    m_socket = -1;
    deleteLater();
}
