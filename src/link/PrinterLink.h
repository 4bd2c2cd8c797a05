#pragma once

#include "CommandChannel.h"
#include "DeviceResolver.h"
#include "LinkControl.h"
#include "LinkSettings.h"
#include "LptDevice.h"
#include "SerialDevice.h"
#include "TcpClient.h"
#include "Transport.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

class EventPump;
class LinkReporter;
class LinkStatusView;

// The printer link: the chosen port and the transport of its kind, the TCP status box, opening
// and closing the port, and the command transaction, one at a time.
class PrinterLink : public CommandChannel, public LinkControl
{
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

    PrinterLink(LinkStatusView &statusView, LinkReporter &reporter, EventPump &pump,
                Devices devices);
    ~PrinterLink() override;

    // The port and options the user chose: the transport of the port's kind serves from now on,
    // and the next open takes the options. Nothing is opened or closed.
    void setSettings(const LinkSettings &settings);
    // The entry of the chosen port: "COM3", "LPT1", "TCP/IP".
    QString PortName() const;
    // What each of the port list's entries stands for, for the user: the device it opens and
    // what the system knows of it, "no device" where there is none, nothing for "TCP/IP".
    // Looked up afresh at every call, since adapters and emulators come and go.
    QStringList describePorts(const QStringList &portNames) const;

    // Redraws the TCP status box when the connection state has changed since it was last shown.
    void refreshStatus();

    bool OpenPort(bool open) override;
    // Waits at most `timeout` until the opened port can carry a command: over TCP, until the
    // connection that OpenPort started is up (a connection that failed or did not come up in
    // time is reported); other ports are ready as soon as they are open.
    bool waitUntilReady(std::chrono::milliseconds timeout);
    PortKind portKind() const override;
    SerialSettings serialSettings() const override;

    bool SendCommand(const QByteArray &command, QString &reply) override;
    bool SendClosingCommand(const QByteArray &command) override;
    bool replyWasWhole() const override;
    InStepProof proveInStep() override;

private:
    bool transact(const QByteArray &command, bool replyWanted, WhenHeld whenHeld, QString &reply);
    // Sends `command` once no other transaction is under way and the link is in step; false when
    // it could not be sent. `received` is what came back.
    bool exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                  QByteArray &received);
    // After a query whose reply did not come whole in time, proves that the printer's answers are
    // in step with the questions again before the next command goes out; false when it did not
    // come back in step within a bound (reported) or a question could not be sent.
    bool bringInStep();

    struct Private;
    std::unique_ptr<Private> d;
};
