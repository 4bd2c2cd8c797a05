#pragma once

#include "ReceiveGate.h"
#include "SerialDevice.h"
#include "WinDeviceHandle.h"

// A COM port of Windows, through the communications API: 8 data bits, 1 stop bit, the baud rate
// and parity chosen, DTR and RTS on, XON/XOFF done by the port's driver when chosen. Reads and
// writes never block.
class WinSerialDevice : public SerialDevice
{
public:
    WinSerialDevice() = default;

    bool open(const QString &systemName, const SerialSettings &settings) override;
    OpenFailure openFailure() const override;
    bool close() override;
    // A port whose driver cannot report its modem lines (a pseudo-terminal that Wine offers as
    // a COM port) counts as having them on.
    bool dsr() const override;
    bool cts() const override;

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
    // Sets up the open port; false, with the system's error code left, when the driver refuses.
    bool configure(const SerialSettings &settings);
    // The bytes the driver holds: received and not read, written and not sent. False when the
    // driver does not answer: the port has gone.
    bool driverQueues(qint64 *received, qint64 *unsent) const;
    // Drops the received bytes, or the unsent ones, that the driver holds.
    void purge(unsigned long what);
    bool modemLineOn(unsigned long line) const;

    WinDeviceHandle m_handle;
    OpenFailure m_openFailure;
    ReceiveGate m_gate;
};
