#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>

// The byte stream that every printer device offers to the command transaction: write, wait for
// and read what the printer sends back. All calls return at once or within the time given;
// none of them blocks without a bound.
class ByteChannel
{
public:
    virtual ~ByteChannel() = default;

    // False once the device is closed or has gone away (peer closed, device unplugged).
    virtual bool isOpen() const = 0;
    // Hands the bytes to the device in one write call; false when the device is not open or
    // the write failed.
    virtual bool write(const QByteArray &bytes) = 0;
    // Waits at most `timeout` until everything written has left for the device.
    virtual bool flush(std::chrono::milliseconds timeout) = 0;
    // The count of received bytes that can be read now.
    virtual qint64 bytesAvailable() const = 0;
    // Reads what is waiting, at most `maxBytes`; empty when nothing is.
    virtual QByteArray read(qint64 maxBytes) = 0;
    // Waits at most `timeout` for received bytes; true when some are waiting.
    virtual bool waitForReadyRead(std::chrono::milliseconds timeout) = 0;
    // Drops every received byte that is waiting.
    virtual void discardInput() = 0;
};
