#pragma once

#include "LptDevice.h"
#include "WinDeviceHandle.h"

// A printer device of Windows: a USB printer-class device (its interface path) or the parallel
// port ("\\.\LPT1"). Their drivers tell nobody how many bytes wait to be read, so a wait for the
// printer's reply is a read with a bound, and what it brings is kept for the next read. The USB
// driver ends a read at once, with nothing, while the printer has not answered yet: the wait then
// asks again, after short pauses, until its bound.
class WinLptDevice : public LptDevice
{
public:
    WinLptDevice() = default;

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
    WinDeviceHandle m_handle;
    OpenFailure m_openFailure;
    QByteArray m_received;
};
