#include "QtTcpClient.h"

#include <utility>

QtTcpClient::QtTcpClient(QObject *parent)
    : QObject(parent)
{
    m_socket.setReadBufferSize(ReceiveGate::kBufferSize);
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, &QtTcpClient::onError);
    connect(&m_socket, &QIODevice::readyRead, this, &QtTcpClient::onReadyRead);
    connect(&m_socket, &QIODevice::bytesWritten, this, [this](qint64 bytes) { m_left += bytes; });
    // Commands are a few bytes each and wait for their answer: send them at once.
    connect(&m_socket, &QAbstractSocket::connected, this,
            [this] { m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
}

QtTcpClient::~QtTcpClient()
{
    disconnect(&m_socket, nullptr, this, nullptr);
    m_socket.abort();
}

int QtTcpClient::state() const
{
    switch (m_socket.state()) {
    case QAbstractSocket::UnconnectedState:
        return m_failed ? Failed : Closed;
    case QAbstractSocket::HostLookupState:
        return Resolving;
    case QAbstractSocket::ConnectingState:
        return Connecting;
    case QAbstractSocket::ConnectedState:
        return Connected;
    case QAbstractSocket::ClosingState:
        return Closing;
    case QAbstractSocket::BoundState:
    case QAbstractSocket::ListeningState:
        // A client socket that is neither bound nor listening never gets here.
        break;
    }
    return Failed;
}

bool QtTcpClient::holdsSocket() const
{
    return state() != Closed;
}

void QtTcpClient::close()
{
    m_socket.abort();
    m_failed = false;
    forgetWrites();
}

void QtTcpClient::connectToHost(const QString &host, quint16 port)
{
    m_failed = false;
    m_error.reset();
    forgetWrites();
    m_socket.connectToHost(host, port);
}

std::optional<TcpError> QtTcpClient::takeError()
{
    return std::exchange(m_error, std::nullopt);
}

bool QtTcpClient::isOpen() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool QtTcpClient::allWritten() const
{
    return !m_lost && m_left == m_handed;
}

void QtTcpClient::forgetWrites()
{
    m_handed = 0;
    m_left = 0;
    m_lost = false;
}

bool QtTcpClient::write(const QByteArray &bytes)
{
    const bool taken = isOpen() && m_socket.write(bytes) == bytes.size();
    if (taken)
        m_handed += bytes.size();
    else
        m_lost = true;
    return taken;
}

qint64 QtTcpClient::bytesToWrite() const
{
    return m_socket.bytesToWrite();
}

void QtTcpClient::waitForBytesWritten(std::chrono::milliseconds timeout)
{
    if (isOpen())
        m_socket.waitForBytesWritten(static_cast<int>(timeout.count()));
}

void QtTcpClient::discardOutput()
{
    // A socket cannot take back what it was given: the connection ends, so that nothing of it
    // reaches the printer later.
    m_socket.abort();
    m_failed = true;
    m_lost = true;
}

void QtTcpClient::setReceiving(bool receiving)
{
    m_gate.setReceiving(receiving);
}

void QtTcpClient::onReadyRead()
{
    m_gate.pass([this] { m_socket.skip(m_socket.bytesAvailable()); });
}

qint64 QtTcpClient::bytesAvailable() const
{
    return m_socket.bytesAvailable();
}

QByteArray QtTcpClient::read(qint64 maxBytes)
{
    return maxBytes > 0 ? m_socket.read(maxBytes) : QByteArray();
}

bool QtTcpClient::waitForReadyRead(std::chrono::milliseconds timeout)
{
    if (m_socket.bytesAvailable() == 0 && isOpen())
        m_socket.waitForReadyRead(static_cast<int>(timeout.count()));
    return m_socket.bytesAvailable() > 0;
}

void QtTcpClient::discardInput()
{
    m_socket.skip(m_socket.bytesAvailable());
}

void QtTcpClient::onError(QAbstractSocket::SocketError error)
{
    // The waits of the transaction end by timing out all the time; that is no fault.
    if (error == QAbstractSocket::SocketTimeoutError)
        return;
    m_failed = true;
    m_error =
        TcpError{static_cast<int>(error), QStringLiteral("QTcpSocket"), m_socket.errorString()};
}
