#include "PrinterLink.h"

#include "EventPump.h"
#include "LinkMessages.h"
#include "LinkReporter.h"
#include "LptTransport.h"
#include "PlatformDevices.h"
#include "QtTcpClient.h"
#include "ReplyReader.h"
#include "SerialTransport.h"
#include "TcpStatusMonitor.h"
#include "TcpTransport.h"

#include <QList>
#include <QMap>
#include <QScopeGuard>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

using std::chrono::milliseconds;

// The question that proves best that the link is in step: the maker's name (GS I 66), which no
// other question gets for an answer.
const QByteArray kMakerQuery = QByteArray::fromHex("1D4942");
// How long the link waits at most for a printer out of step to come back in step, and how long
// for the answer to one question before it asks another.
constexpr milliseconds kInStepBound{12000};
constexpr milliseconds kProbeWait{6000};

// An answer that tells its question from the others: a whole block with a letter in it, since a
// numeric setting may answer any number.
bool isTelling(const QByteArray &answer)
{
    return answer.startsWith('_') && answer.endsWith('\0') &&
           std::any_of(answer.cbegin(), answer.cend(),
                       [](char byte) { return QChar::isLetter(char32_t(quint8(byte))); });
}

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
    Private(LinkStatusView &statusView, LinkReporter &linkReporter, EventPump &eventPump,
            Devices linkDevices)
        : pump(eventPump)
        , reporter(linkReporter)
        , devices(completed(std::move(linkDevices)))
        , status(*devices.tcp, statusView)
        , serial(*devices.serial, *devices.resolver, chosen, linkReporter, pump)
        , lpt(*devices.lpt, *devices.resolver, linkReporter, pump)
        , tcp(*devices.tcp, status, chosen, linkReporter, pump)
    {}

    EventPump &pump;
    LinkReporter &reporter;
    Devices devices;
    // What the user chose; the transports read it when they open.
    LinkSettings chosen;
    TcpStatusMonitor status;
    SerialTransport serial;
    LptTransport lpt;
    TcpTransport tcp;
    Transport *transport = &serial;
    bool inTransaction = false;
    // The telling answers to the questions asked while the link was in step, by question.
    QMap<QByteArray, QByteArray> answers;
    // The questions asked since the link fell out of step, each with the moment it went out: their
    // answers may still come.
    QList<std::pair<QByteArray, milliseconds>> unanswered;
    // The printer did not come back in step: nothing is sent until the port is opened again.
    bool gaveUp = false;

    // A question whose answer is known and cannot be taken for the answer to one still on its
    // way, the maker's name first; none when no question is.
    std::optional<QByteArray> probe() const
    {
        QList<QByteArray> questions = answers.keys();
        if (questions.removeOne(kMakerQuery))
            questions.prepend(kMakerQuery);
        for (const QByteArray &question : std::as_const(questions)) {
            const QByteArray answer = answers.value(question);
            if (std::none_of(unanswered.cbegin(), unanswered.cend(), [&](const auto &asked) {
                    return asked.first == question || answers.value(asked.first) == answer;
                }))
                return question;
        }
        return std::nullopt;
    }
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

PrinterLink::PrinterLink(LinkStatusView &statusView, LinkReporter &reporter, EventPump &pump,
                         Devices devices)
    : d(std::make_unique<Private>(statusView, reporter, pump, std::move(devices)))
{}

PrinterLink::~PrinterLink() = default;

void PrinterLink::setSettings(const LinkSettings &settings)
{
    // Another port carries no answer of the one before.
    if (settings.port != d->chosen.port) {
        d->answers.clear();
        d->unanswered.clear();
    }
    d->chosen = settings;
    for (ReplyReader *reader : {&d->serial.reader(), &d->lpt.reader(), &d->tcp.reader()})
        reader->setReplyTimeout(settings.replyTimeout);
    switch (settings.port.kind) {
    case PortKind::Serial:
        d->transport = &d->serial;
        break;
    case PortKind::PrinterDevice:
        d->transport = &d->lpt;
        break;
    case PortKind::Tcp:
        d->transport = &d->tcp;
        break;
    }
}

QString PrinterLink::PortName() const
{
    return d->chosen.port.name;
}

QStringList PrinterLink::describePorts(const QStringList &portNames) const
{
    return ::describePorts(*d->devices.resolver, portNames);
}

void PrinterLink::refreshStatus()
{
    d->status.refresh();
}

bool PrinterLink::OpenPort(bool open)
{
    d->gaveUp = false;
    // A new connection carries no answer of the one before.
    if (open && d->chosen.port.kind == PortKind::Tcp) {
        d->transport->reader().setInStep();
        d->unanswered.clear();
    }
    return d->transport->setOpen(open);
}

bool PrinterLink::waitUntilReady(std::chrono::milliseconds timeout)
{
    return d->transport->waitUntilReady(timeout);
}

PortKind PrinterLink::portKind() const
{
    return d->chosen.port.kind;
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
    ReplyReader &reader = d->transport->reader();
    if (!reader.isInStep() && !bringInStep())
        return false;
    const milliseconds sentAt = d->pump.now();
    QByteArray received;
    const bool sent = d->transport->exchange(command, replyWanted, whenHeld, received);
    if (sent && replyWanted && !reader.isInStep())
        d->unanswered.append({command, sentAt});
    else if (sent && replyWanted && reader.isWhole() && isTelling(received))
        d->answers.insert(command, received);
    // A block that did not come whole is no answer: what came of it is not the printer's value.
    reply = reader.isWhole() ? cleanReply(received) : QString();
    return sent;
}

// Asks questions of known answer until one is answered, dropping all that comes before its
// answer: the printer answers in the order it is asked, so by then it owes nothing more.
bool PrinterLink::bringInStep()
{
    if (d->gaveUp)
        return false;
    ReplyReader &reader = d->transport->reader();
    const milliseconds start = d->pump.now();
    for (;;) {
        const milliseconds now = d->pump.now();
        const milliseconds left = start + kInStepBound - now;
        if (left <= milliseconds::zero())
            break;
        // An answer later than the bound is not waited for any more.
        d->unanswered.removeIf(
            [now](const auto &asked) { return now - asked.second >= kInStepBound; });
        if (d->unanswered.isEmpty()) {
            reader.setInStep();
            return true;
        }
        // No question can prove it: all that comes is dropped until the oldest answer owed is
        // past the bound.
        const std::optional<QByteArray> probe = d->probe();
        const milliseconds owedUntil = d->unanswered.first().second + kInStepBound;
        reader.awaitAnswer(probe ? d->answers.value(*probe) : QByteArray(),
                           std::min(probe ? kProbeWait : owedUntil - now, left));
        QByteArray answer;
        if (!d->transport->exchange(probe.value_or(QByteArray()), true, WhenHeld::Drop, answer)) {
            reader.awaitAnswer(std::nullopt, milliseconds::zero()); // nothing was read
            return false;
        }
        if (reader.isInStep()) {
            d->unanswered.clear();
            return true;
        }
        if (probe)
            d->unanswered.append({*probe, now});
    }
    d->gaveUp = true;
    d->reporter.report({LinkProblem::Source::Port, LinkMessages::notInStep(kInStepBound),
                        LinkMessages::notInStepReason()});
    return false;
}
