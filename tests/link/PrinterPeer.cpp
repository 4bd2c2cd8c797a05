#include "PrinterPeer.h"

#include <QTimer>

#include <cerrno>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

void PrinterPeer::answer(const QByteArray &command, const QList<AnswerStep> &steps)
{
    m_script.append({command, steps});
}

void PrinterPeer::takeIn(const QByteArray &bytes)
{
    m_received += bytes;
    m_unanswered += bytes;
    for (const auto &[command, steps] : std::as_const(m_script)) {
        if (!m_unanswered.endsWith(command))
            continue;
        m_unanswered.clear();
        int at = 0;
        for (const AnswerStep &step : steps) {
            at += step.delayMs;
            ++m_pendingSteps;
            QTimer::singleShot(at, this, [this, step] {
                --m_pendingSteps;
                step.hangUp ? hangUp() : writeOut(step.bytes);
            });
        }
        return;
    }
}

TcpPrinterPeer::TcpPrinterPeer()
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        m_socket = m_server.nextPendingConnection();
        connect(m_socket, &QTcpSocket::readyRead, this, [this] { takeIn(m_socket->readAll()); });
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

void TcpPrinterPeer::writeOut(const QByteArray &bytes)
{
    if (m_socket)
        m_socket->write(bytes);
}

qint64 TcpPrinterPeer::bytesToWrite() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

void TcpPrinterPeer::hangUp()
{
    if (m_socket)
        m_socket->abort();
}

PtyPrinterPeer::PtyPrinterPeer()
{
    if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
        return;
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(::ttyname(m_slave));
    m_readable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    m_writable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &PtyPrinterPeer::readMaster);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &PtyPrinterPeer::writeMaster);
}

PtyPrinterPeer::~PtyPrinterPeer()
{
    hangUp();
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyPrinterPeer::writeOut(const QByteArray &bytes)
{
    m_outgoing += bytes;
    writeMaster();
}

void PtyPrinterPeer::hangUp()
{
    m_readable.reset();
    m_writable.reset();
    m_outgoing.clear();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PtyPrinterPeer::readMaster()
{
    char buffer[4096];
    const ssize_t count = ::read(m_master, buffer, sizeof buffer);
    if (count > 0)
        takeIn(QByteArray(buffer, count));
}

void PtyPrinterPeer::writeMaster()
{
    if (m_master < 0)
        return;
    const ssize_t count =
        ::write(m_master, m_outgoing.constData(), static_cast<size_t>(m_outgoing.size()));
    if (count > 0)
        m_outgoing.remove(0, count);
    m_writable->setEnabled(!m_outgoing.isEmpty());
}
