#include "PrinterLink.h"

#include "EventPump.h"
#include "LinkMessages.h"
#include "LptTransport.h"
#include "PlatformDevices.h"
#include "QtTcpClient.h"
#include "ReplyReader.h"
#include "SerialTransport.h"
#include "TcpStatusMonitor.h"
#include "TcpTransport.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

// Every member left empty gets the real device of this platform.
PrinterLink::Devices completed(PrinterLink::Devices devices)
{
    PrinterLink::Devices system = PrinterLink::systemDevices();
    if (!devices.serial)
        devices.serial = std::move(system.serial);
    if (!devices.tcp)
        devices.tcp = std::move(system.tcp);
    if (!devices.lpt)
        devices.lpt = std::move(system.lpt);
    if (!devices.resolver)
        devices.resolver = std::move(system.resolver);
    return devices;
}

} // namespace

struct PrinterLink::Private
{
    Private(LinkView &view, LinkReporter &reporter, EventPump &eventPump, Devices linkDevices)
        : pump(eventPump)
        , devices(completed(std::move(linkDevices)))
        , status(*devices.tcp, view)
        , serial(*devices.serial, *devices.resolver, view, reporter, pump)
        , lpt(*devices.lpt, *devices.resolver, reporter, pump)
        , tcp(*devices.tcp, status, view, reporter, pump)
    {}

    EventPump &pump;
    Devices devices;
    TcpStatusMonitor status;
    SerialTransport serial;
    LptTransport lpt;
    TcpTransport tcp;
    PortChoice choice;
    Transport *transport = &serial;
    bool inTransaction = false;
};

PrinterLink::Devices PrinterLink::systemDevices()
{
    Devices devices;
    devices.serial = PlatformDevices::serialDevice();
    devices.tcp = std::make_unique<QtTcpClient>();
    devices.lpt = PlatformDevices::lptDevice();
    devices.resolver = PlatformDevices::deviceResolver();
    return devices;
}

PrinterLink::PrinterLink(LinkView &view, LinkReporter &reporter, EventPump &pump, Devices devices)
    : d(std::make_unique<Private>(view, reporter, pump, std::move(devices)))
{}

PrinterLink::~PrinterLink() = default;

PortKind PrinterLink::selectPort(const QString &portName)
{
    d->choice = PortChoice::fromName(portName);
    switch (d->choice.kind) {
    case PortKind::Serial:
        d->serial.setPortNumber(d->choice.comNumber);
        d->transport = &d->serial;
        break;
    case PortKind::PrinterDevice:
        d->transport = &d->lpt;
        break;
    case PortKind::Tcp:
        d->transport = &d->tcp;
        break;
    }
    return d->choice.kind;
}

QString PrinterLink::PortName() const
{
    return d->choice.name;
}

QStringList PrinterLink::describePorts(const QStringList &portNames) const
{
    return ::describePorts(*d->devices.resolver, portNames);
}

void PrinterLink::refreshStatus()
{
    d->status.refresh();
}

bool PrinterLink::isStatusTimerActive() const
{
    return d->status.isActive();
}

bool PrinterLink::OpenPort(bool open)
{
    return d->transport->setOpen(open);
}

bool PrinterLink::waitUntilReady(std::chrono::milliseconds timeout)
{
    return d->transport->waitUntilReady(timeout);
}

PortKind PrinterLink::portKind() const
{
    return d->choice.kind;
}

SerialSettings PrinterLink::serialSettings() const
{
    return d->serial.settings();
}

bool PrinterLink::SendCommand(const QByteArray &command, QString &reply)
{
    return transact(command, reply == QLatin1String("R"), WhenHeld::Drop, reply);
}

bool PrinterLink::SendClosingCommand(const QByteArray &command)
{
    QString reply;
    return transact(command, false, WhenHeld::Keep, reply);
}

bool PrinterLink::transact(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                           QString &reply)
{
    reply.clear();
    // One transaction at a time: a call made while another one waits sends nothing.
    if (d->inTransaction)
        return false;
    d->inTransaction = true;
    const auto done = qScopeGuard([this] {
        // User input made while the printer was waited for is dropped here too, not delivered
        // once the exchange is over.
        d->pump.processEvents();
        d->inTransaction = false;
    });
    QByteArray received;
    const bool sent = d->transport->exchange(command, replyWanted, whenHeld, received);
    reply = cleanReply(received);
    return sent;
}
