#include "WriteWait.h"

#include <QDeadlineTimer>
#include <QIODevice>

void waitUntilWritten(QIODevice &device, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (device.isOpen() && device.bytesToWrite() > 0) {
        if (!device.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            break;
    }
}
