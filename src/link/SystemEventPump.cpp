#include "SystemEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

void SystemEventPump::sleep(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void SystemEventPump::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
