#pragma once

#include "LptDevice.h"
#include "WinDeviceHandle.h"

// A printer port of Windows ("\\.\LPT1"). Its driver tells nobody how many bytes wait to be read,
// so a wait for the printer's reply is a read with a bound, and what it brings is kept for the
// next read.
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
