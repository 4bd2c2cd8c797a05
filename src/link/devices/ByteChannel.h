#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>

// The byte stream that every printer device offers to the command transaction: write, wait for
// and read what the printer sends back. All calls return at once or within the time given;
// none of them blocks without a bound. Received bytes are kept, up to a fixed bound, only while
// the channel is receiving; the rest of the time they are dropped as they come, so that a
// printer that talks to an idle link costs no memory.
class ByteChannel
{
public:
    virtual ~ByteChannel() = default;

    // False once the device is closed or has gone away (peer closed, device unplugged).
    virtual bool isOpen() const = 0;
    // Hands the bytes to the device in one write call; false when the device is not open or
    // the write failed.
    virtual bool write(const QByteArray &bytes) = 0;
    // The count of written bytes that have not left for the device yet (held up, for instance,
    // by a printer that sent XOFF).
    virtual qint64 bytesToWrite() const = 0;
    // Waits at most `timeout` for written bytes to leave.
    virtual void waitForBytesWritten(std::chrono::milliseconds timeout) = 0;
    // Drops the written bytes that have not left, so that none of them reaches the printer later.
    virtual void discardOutput() = 0;

    // Keeps (true) or drops (false) what arrives from now on.
    virtual void setReceiving(bool receiving) = 0;
    // The count of received bytes that can be read now.
    virtual qint64 bytesAvailable() const = 0;
    // Reads what is waiting, at most `maxBytes`; empty when nothing is.
    virtual QByteArray read(qint64 maxBytes) = 0;
    // Waits at most `timeout` for received bytes; true when some are waiting.
    virtual bool waitForReadyRead(std::chrono::milliseconds timeout) = 0;
    // Drops every received byte that is waiting.
    virtual void discardInput() = 0;
};
