#pragma once

#include "DeviceResolver.h"
#include "PrinterLink.h"
#include "TcpClient.h"

#include <QMap>
#include <QString>

#include <memory>

// Points the port names of the window at devices of the test's choosing (pseudo-terminals,
// pipes); every other port has no device.
class FixedDeviceResolver : public DeviceResolver
{
public:
    QString serialPortName(int number) const override;
    QString lptDeviceName() const override;

    QMap<int, QString> serialPorts; // COM number -> device path
    QString lptDevice;
};

// Passes every call on to a real TCP client and counts the connects and closes, so that a test
// can tell how often the program opened and closed the connection.
class CountingTcpClient : public TcpClient
{
public:
    explicit CountingTcpClient(std::unique_ptr<TcpClient> client);

    int state() const override;
    bool holdsSocket() const override;
    void close() override;
    void connectToHost(const QString &host, quint16 port) override;
    std::optional<TcpError> takeError() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    bool flush(int msecs) override;
    qint64 bytesAvailable() const override;
    QByteArray read(qint64 maxBytes) override;
    bool waitForReadyRead(int msecs) override;
    void discardInput() override;

    int connects = 0;
    int closes = 0;

private:
    std::unique_ptr<TcpClient> m_client;
};

// The devices of a window under test: the system's serial port, TCP client and parallel device
// (unless a test passes its own), found through `resolver`.
PrinterLink::Devices testDevices(std::unique_ptr<DeviceResolver> resolver,
                                 std::unique_ptr<TcpClient> tcp = nullptr);
