#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// One step of a scripted answer: after `delayMs`, send `bytes`, or go away when `hangUp`.
struct AnswerStep
{
    QByteArray bytes;
    int delayMs = 0;
    bool hangUp = false;
};

// A small printer stand-in on this thread: it keeps every byte it receives and, whenever the
// bytes received since its last answer end with a scripted command, plays that command's
// answer.
class PrinterPeer : public QObject
{
    Q_OBJECT

public:
    void answer(const QByteArray &command, const QList<AnswerStep> &steps);
    QByteArray received() const { return m_received; }
    // Sends bytes nobody asked for.
    void send(const QByteArray &bytes) { writeOut(bytes); }
    // True when every scripted step has been played and every byte has left.
    bool idle() const { return m_pendingSteps == 0 && bytesToWrite() == 0; }

protected:
    void takeIn(const QByteArray &bytes);
    virtual void writeOut(const QByteArray &bytes) = 0;
    virtual qint64 bytesToWrite() const = 0;
    virtual void hangUp() = 0;

private:
    QList<std::pair<QByteArray, QList<AnswerStep>>> m_script;
    QByteArray m_received;
    QByteArray m_unanswered;
    int m_pendingSteps = 0;
};

// The peer as a TCP printer on 127.0.0.1, on a port the system picks.
class TcpPrinterPeer : public PrinterPeer
{
    Q_OBJECT

public:
    TcpPrinterPeer();
    quint16 port() const { return m_server.serverPort(); }
    bool connected() const
    {
        return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
    }

protected:
    void writeOut(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;
    void hangUp() override;

private:
    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
};

// The peer on the master side of a pseudo-terminal; the link opens the slave side as its serial
// port or printer device. The slave is kept open here in raw mode, so that it lives as long as
// the peer and no byte is changed on its way.
class PtyPrinterPeer : public PrinterPeer
{
    Q_OBJECT

public:
    PtyPrinterPeer();
    ~PtyPrinterPeer() override;
    QString devicePath() const { return m_path; }

protected:
    void writeOut(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override { return m_outgoing.size(); }
    void hangUp() override;

private:
    void readMaster();
    void writeMaster();

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QByteArray m_outgoing;
};
