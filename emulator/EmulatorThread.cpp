#include "EmulatorThread.h"

#include <QMetaObject>

template<typename Function>
std::invoke_result_t<Function> EmulatorThread::call(Function function) const
{
    using Result = std::invoke_result_t<Function>;
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(m_emulator, function, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(m_emulator, function, Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

EmulatorThread::EmulatorThread(const EmulatorOptions &options)
    : m_emulator(new Emulator(options))
{
    m_thread.setObjectName(QStringLiteral("printer emulator"));
    m_emulator->moveToThread(&m_thread);
    m_thread.start();
}

EmulatorThread::~EmulatorThread()
{
    // Sockets, notifiers and timers must go in the thread they belong to.
    call([this] { delete m_emulator; });
    m_thread.quit();
    m_thread.wait();
}

quint16 EmulatorThread::listenTcp(QString *error)
{
    return call([this, error] {
        QString reason;
        const bool ok = m_emulator->listenTcp(QHostAddress(QHostAddress::LocalHost), 0, &reason);
        if (error)
            *error = reason;
        return ok ? m_emulator->tcpPort() : quint16(0);
    });
}

QString EmulatorThread::openPty(const QString &linkPath, QString *error)
{
    return call([this, linkPath, error] {
        QString reason;
        const bool ok = m_emulator->openPty(linkPath, &reason);
        if (error)
            *error = reason;
        return ok ? m_emulator->ptyPath() : QString();
    });
}

QString EmulatorThread::ptyPath() const
{
    return call([this] { return m_emulator->ptyPath(); });
}

QString EmulatorThread::ptyAnnouncementPath() const
{
    return call([this] { return m_emulator->ptyAnnouncementPath(); });
}

PrinterSnapshot EmulatorThread::snapshot() const
{
    return call([this] { return m_emulator->snapshot(); });
}

QByteArray EmulatorThread::received() const
{
    return call([this] { return m_emulator->received(); });
}

void EmulatorThread::clearReceived()
{
    call([this] { m_emulator->clearReceived(); });
}

void EmulatorThread::setFaults(const Faults &faults)
{
    call([this, faults] { m_emulator->setFaults(faults); });
}

QStringList EmulatorThread::printOut() const
{
    return call([this] { return m_emulator->printOut(); });
}

void EmulatorThread::clearPrintOut()
{
    call([this] { m_emulator->clearPrintOut(); });
}

void EmulatorThread::setStatus(const PrinterStatus &status)
{
    call([this, status] { m_emulator->setStatus(status); });
}

void EmulatorThread::onCommand(const std::function<void(const QString &)> &hook)
{
    call([this, hook] {
        QObject::connect(m_emulator, &Emulator::commandReceived, m_emulator, hook,
                         Qt::DirectConnection);
    });
}
