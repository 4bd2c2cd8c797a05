#pragma once

#include "ReceiveGate.h"
#include "TcpClient.h"

#include <QObject>
#include <QTcpSocket>

// The TCP connection to a network printer, through QTcpSocket.
class QtTcpClient : public QObject, public TcpClient
{
    Q_OBJECT

public:
    explicit QtTcpClient(QObject *parent = nullptr);
    ~QtTcpClient() override;

    int state() const override;
    bool holdsSocket() const override;
    void close() override;
    void connectToHost(const QString &host, quint16 port) override;
    std::optional<TcpError> takeError() override;
    bool allWritten() const override;

    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;
    void waitForBytesWritten(std::chrono::milliseconds timeout) override;
    void discardOutput() override;
    void setReceiving(bool receiving) override;
    qint64 bytesAvailable() const override;
    QByteArray read(qint64 maxBytes) override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    void discardInput() override;

private:
    void onError(QAbstractSocket::SocketError error);
    void onReadyRead();
    void forgetWrites();

    QTcpSocket m_socket;
    std::optional<TcpError> m_error;
    // An error ended the last connection or connection attempt.
    bool m_failed = false;
    // The bytes of this connection handed to the socket and those that have left it, and whether
    // a write was refused or dropped.
    qint64 m_handed = 0;
    qint64 m_left = 0;
    bool m_lost = false;
    ReceiveGate m_gate;
};
