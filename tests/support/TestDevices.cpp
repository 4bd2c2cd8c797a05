#include "TestDevices.h"

#include "LptDevice.h"
#include "SerialDevice.h"

#include <utility>

QString FixedDeviceResolver::serialPortName(int number) const
{
    return serialPorts.value(number);
}

QString FixedDeviceResolver::lptDeviceName() const
{
    return lptDevice;
}

CountingTcpClient::CountingTcpClient(std::unique_ptr<TcpClient> client)
    : m_client(std::move(client))
{}

int CountingTcpClient::state() const
{
    return m_client->state();
}

bool CountingTcpClient::holdsSocket() const
{
    return m_client->holdsSocket();
}

void CountingTcpClient::close()
{
    ++closes;
    m_client->close();
}

void CountingTcpClient::connectToHost(const QString &host, quint16 port)
{
    ++connects;
    m_client->connectToHost(host, port);
}

std::optional<TcpError> CountingTcpClient::takeError()
{
    return m_client->takeError();
}

bool CountingTcpClient::isOpen() const
{
    return m_client->isOpen();
}

bool CountingTcpClient::write(const QByteArray &bytes)
{
    return m_client->write(bytes);
}

bool CountingTcpClient::flush(int msecs)
{
    return m_client->flush(msecs);
}

qint64 CountingTcpClient::bytesAvailable() const
{
    return m_client->bytesAvailable();
}

QByteArray CountingTcpClient::read(qint64 maxBytes)
{
    return m_client->read(maxBytes);
}

bool CountingTcpClient::waitForReadyRead(int msecs)
{
    return m_client->waitForReadyRead(msecs);
}

void CountingTcpClient::discardInput()
{
    m_client->discardInput();
}

PrinterLink::Devices testDevices(std::unique_ptr<DeviceResolver> resolver,
                                 std::unique_ptr<TcpClient> tcp)
{
    PrinterLink::Devices devices = PrinterLink::systemDevices();
    devices.resolver = std::move(resolver);
    if (tcp)
        devices.tcp = std::move(tcp);
    return devices;
}
