#include "SystemEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

SystemEventPump::SystemEventPump()
{
    m_clock.start();
}

void SystemEventPump::sleep(std::chrono::milliseconds duration)
{
    if (duration.count() > 0)
        QThread::msleep(static_cast<unsigned long>(duration.count()));
}

void SystemEventPump::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::chrono::milliseconds SystemEventPump::now() const
{
    return std::chrono::milliseconds(m_clock.elapsed());
}
