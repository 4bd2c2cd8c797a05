#pragma once

#include "ReceiveGate.h"
#include "SerialDevice.h"

#include <QObject>
#include <QSerialPort>

// A serial port of the operating system, through QSerialPort.
class QtSerialDevice : public QObject, public SerialDevice
{
    Q_OBJECT

public:
    explicit QtSerialDevice(QObject *parent = nullptr);
    ~QtSerialDevice() override;

    bool open(const QString &systemName, const SerialSettings &settings) override;
    OpenFailure openFailure() const override;
    bool close() override;
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
    void onError(QSerialPort::SerialPortError error);
    void onReadyRead();
    // Bytes the operating system still holds for sending.
    qint64 bytesQueuedInSystem() const;
    void closeIfBroken();
    bool modemLineOn(QSerialPort::PinoutSignal line) const;
    // Why QSerialPort could not open `systemName`, from what the system says about the device.
    OpenFailure diagnoseOpenFailure(const QString &systemName) const;

    // pinoutSignals() is not const in QSerialPort, although it only reads the lines.
    mutable QSerialPort m_port;
    // Set by a read or resource error: the device has gone away. QSerialPort would repeat the
    // error for as long as the port stays open, so the port is closed at the next chance.
    bool m_broken = false;
    ReceiveGate m_gate;
    OpenFailure m_openFailure;
};
