#pragma once

#include "LptDevice.h"

// A parallel-port or USB printer-class device as a file descriptor. Such devices block on
// read and write with no timeout, so the descriptor is non-blocking, bytes the device does not
// take at once wait in a buffer of their own, and every wait goes through poll() with a bound.
class FdLptDevice : public LptDevice
{
public:
    FdLptDevice() = default;
    ~FdLptDevice() override;
    FdLptDevice(const FdLptDevice &) = delete;
    FdLptDevice &operator=(const FdLptDevice &) = delete;

    bool open(const QString &path, Access access) override;
    bool close() override;
    SystemError lastError() const override;
    OpenFailure openFailure() const override;

    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;
    void waitForBytesWritten(std::chrono::milliseconds timeout) override;
    void discardOutput() override;
    void setReceiving(bool receiving) override;
    qint64 bytesAvailable() const override;
    QByteArray read(qint64 maxBytes) override;
    bool waitForReadyRead(std::chrono::milliseconds timeout) override;
    void discardInput() override;

private:
    void recordError(int number);
    // The device reported a failure or its end: it is gone and closed.
    void drop(int number);
    bool poll(short events, int msecs);
    // Hands on what waits to be written, as far as the device takes it now.
    void writePending();

    int m_fd = -1;
    SystemError m_error;
    QByteArray m_pending;
    OpenFailure m_openFailure;
};
