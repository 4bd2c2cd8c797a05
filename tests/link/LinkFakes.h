#pragma once

#include "DeviceResolver.h"
#include "LinkView.h"
#include "Prompter.h"
#include "SerialDevice.h"
#include "TcpClient.h"

#include <QMap>
#include <QStringList>

// The window as the link sees it: options to read, and a record of what the link showed.
class FakeLinkView : public LinkView
{
public:
    SerialOptions serialOptions() const override { return options; }
    QString tcpAddress() const override { return address; }
    QString tcpPort() const override { return port; }
    void showPortFrames(bool serialVisible, bool tcpVisible) override
    {
        frames = {serialVisible, tcpVisible};
    }
    void showLinkStatus(const QString &text, int red, int green, int blue) override
    {
        statuses.append(QStringLiteral("%1 %2,%3,%4").arg(text).arg(red).arg(green).arg(blue));
    }

    SerialOptions options;
    QString address = QStringLiteral("127.0.0.1");
    QString port = QStringLiteral("9100");
    std::pair<bool, bool> frames{false, false};
    QStringList statuses;
};

// Keeps every message box as "title: text".
class RecordingPrompter : public Prompter
{
public:
    void inform(const QString &text, const QString &title) override
    {
        shown.append(title + QStringLiteral(": ") + text);
    }
    bool ask(const QString &text, const QString &title) override
    {
        inform(text, title);
        return true;
    }

    QStringList shown;
};

// Device names for the tests: COM numbers and LPT1 point wherever the test says.
class FakeResolver : public DeviceResolver
{
public:
    QString serialPortName(int number) const override { return serial.value(number); }
    QString lptDeviceName() const override { return lpt; }

    QMap<int, QString> serial;
    QString lpt;
};

// A device that takes every byte while it is open, unless told that its writes fail, and never
// answers.
template<typename Device> class SilentDevice : public Device
{
public:
    bool write(const QByteArray &bytes) override
    {
        if (!this->isOpen() || writeFails)
            return false;
        written += bytes;
        return true;
    }
    bool flush(int) override { return this->isOpen(); }
    qint64 bytesAvailable() const override { return 0; }
    QByteArray read(qint64) override { return {}; }
    bool waitForReadyRead(int) override { return false; }
    void discardInput() override {}

    QByteArray written;
    bool writeFails = false;
};

// A serial port whose opening, closing and modem lines the test decides.
class FakeSerialDevice : public SilentDevice<SerialDevice>
{
public:
    bool open(const QString &systemName, const SerialSettings &settings) override
    {
        opened.append({systemName, settings});
        portOpen = openWorks;
        return openWorks;
    }
    bool close() override
    {
        ++closes;
        portOpen = portOpen && !closeWorks;
        return !portOpen;
    }
    bool dsr() const override { return dsrOn; }
    bool cts() const override { return ctsOn; }
    bool isOpen() const override { return portOpen; }

    bool openWorks = true;
    bool closeWorks = true;
    bool dsrOn = true;
    bool ctsOn = true;
    bool portOpen = false;
    int closes = 0;
    QList<std::pair<QString, SerialSettings>> opened;
};

// A TCP client whose state code and errors the test sets; it records what it is asked to do.
class FakeTcpClient : public SilentDevice<TcpClient>
{
public:
    int state() const override { return stateCode; }
    bool holdsSocket() const override { return stateCode != Closed; }
    void close() override
    {
        ++closes;
        stateCode = Closed;
    }
    void connectToHost(const QString &host, quint16 port) override
    {
        connects.append({host, port});
        stateCode = Connecting;
    }
    std::optional<TcpError> takeError() override { return std::exchange(error, std::nullopt); }
    bool isOpen() const override { return stateCode == Connected; }
    // A printer that breaks the connection with the error of `raise` while the link waits.
    QByteArray read(qint64) override
    {
        if (raise) {
            error = std::exchange(raise, std::nullopt);
            stateCode = Failed;
        }
        return {};
    }

    int stateCode = Closed;
    int closes = 0;
    QList<std::pair<QString, quint16>> connects;
    std::optional<TcpError> error;
    std::optional<TcpError> raise;
};
