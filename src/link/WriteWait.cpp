#include "WriteWait.h"

#include <QDeadlineTimer>
#include <QIODevice>

void waitUntilWritten(QIODevice &device, int msecs)
{
    const QDeadlineTimer deadline(msecs);
    while (device.isOpen() && device.bytesToWrite() > 0) {
        if (!device.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            break;
    }
}
