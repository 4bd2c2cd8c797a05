#pragma once

#include "CommandLink.h"
#include "DeviceResolver.h"
#include "LptDevice.h"
#include "SerialDevice.h"
#include "TcpClient.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class EventPump;
class LinkView;
class Prompter;

// The serial settings record filled by every serial open.
struct ComSettings
{
    QString BaudRate;  // "115200", "38400", "19200" or "9600"
    QString Parity;    // "N" or "E"
    QString Handshake; // "2" DTR/DSR, "1" XON/XOFF
};

// The printer link: the port choice, the TCP status display, opening and closing the port and
// the command transaction over serial, parallel/USB printer device or TCP.
class PrinterLink : public QObject, public CommandLink
{
    Q_OBJECT

public:
    // The devices behind the link; tests replace any of them. A member left empty is given the
    // real device of this platform.
    struct Devices
    {
        std::unique_ptr<SerialDevice> serial;
        std::unique_ptr<TcpClient> tcp;
        std::unique_ptr<LptDevice> lpt;
        std::unique_ptr<DeviceResolver> resolver;
    };
    // The real devices of this platform.
    static Devices systemDevices();

    PrinterLink(LinkView &view, Prompter &prompter, EventPump &pump, Devices devices,
                QObject *parent = nullptr);
    ~PrinterLink() override;

    // The entries of the port list, in order: "TCP/IP", "LPT1", "COM1" ... "COM16".
    static QStringList portList();

    // A port was picked: keeps PortName and PortType and shows the options frame of its kind.
    void Combo1_Click(const QString &comboText);
    QString PortName() const;
    QString PortType() const;

    ComSettings comSettings() const;
    // BaudRate + "," + Parity + ",8,1", as set by the last serial open.
    QString settingsText() const;

    // Refreshes the TCP status box when the state code has changed since it was last shown.
    void cmdSTATUS_Click();
    void Timer1_Timer();
    int LastLinkState() const;
    bool isStatusTimerActive() const;

    // Opens (open = true) or closes the port of the given name. False only when a serial port
    // did not reach the requested state or is not ready; the user has been told why.
    bool OpenPort(const QString &portName, bool open);
    void OpenLpt(bool open, const QString &mode);

    bool SendCommand(const QByteArray &command, QString &reply) override;
    // True while a transaction is waiting for the printer.
    bool inTransaction() const;

private:
    bool openSerial(const QString &portName, bool open);
    void takeSerialOptions();
    void openTcp();
    void closeTcp();
    bool sendOverSerial(const QByteArray &command, bool replyWanted, QString &reply);
    bool sendOverLpt(const QByteArray &command, bool replyWanted, QString &reply);
    bool sendOverTcp(const QByteArray &command, bool replyWanted, QString &reply);

    struct Private;
    std::unique_ptr<Private> d;
};
