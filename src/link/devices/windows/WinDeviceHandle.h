#pragma once

#include "LptDevice.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

// A Windows device (a COM or LPT port) opened for overlapped I/O, so that no call blocks: a write
// is handed to the system and goes on by itself, bytes written meanwhile wait in a queue of their
// own and follow it, and every wait has a bound. A device that fails a call is closed, and its
// error kept.
class WinDeviceHandle
{
public:
    WinDeviceHandle();
    ~WinDeviceHandle();
    WinDeviceHandle(const WinDeviceHandle &) = delete;
    WinDeviceHandle &operator=(const WinDeviceHandle &) = delete;

    // Opens `path` ("\\.\COM3") with the access rights given (GENERIC_READ, GENERIC_WRITE); false,
    // with lastError(), when it cannot.
    bool open(const QString &path, unsigned long access);
    // Ends what still runs and closes the device; false when the system refused to close it.
    bool close();
    bool isOpen() const;
    // The system's handle, for the calls of the device's own kind.
    void *handle() const;
    SystemError lastError() const;
    // A call on the device failed with this code: the device is taken as gone and closed.
    void fail(unsigned long code);

    // Queues the bytes and hands them to the system when no write runs; false once the device
    // has failed.
    bool write(const QByteArray &bytes);
    // The bytes queued or still being written.
    qint64 bytesToWrite() const;
    // Waits at most `timeout` for the running write to end, and starts the next one.
    void waitForBytesWritten(std::chrono::milliseconds timeout);
    // Drops the queue and cancels the running write, so that nothing of them is sent later.
    void discardOutput();

    // One read of at most `maxBytes`, waiting at most `timeout` for the device to answer it;
    // what came, nothing when nothing did.
    QByteArray read(qint64 maxBytes, std::chrono::milliseconds timeout);

private:
    void startWrite();
    // Takes the result of the running write once it has ended, waiting at most `timeoutMs`.
    void finishWrite(unsigned long timeoutMs);

    struct Private;
    std::unique_ptr<Private> d;
};
