#include "PrinterSession.h"

#include "Console.h"
#include "DeviceResolver.h"
#include "DryRunChannel.h"
#include "PortChoice.h"
#include "PrinterCommands.h"
#include "PrinterLink.h"
#include "PrinterReport.h"
#include "QtEventPump.h"

namespace {

// The system's device names, except for the device that the port names by its path.
class PathResolver : public DeviceResolver
{
public:
    PathResolver(std::unique_ptr<DeviceResolver> system, const PortArgument &port)
        : m_system(std::move(system))
        , m_port(port)
    {}

    QString serialPortName(int number) const override
    {
        if (m_port.kind == PortKind::Serial && !m_port.devicePath.isEmpty())
            return m_port.devicePath;
        return m_system->serialPortName(number);
    }
    QString lptDeviceName() const override
    {
        if (m_port.kind == PortKind::PrinterDevice && !m_port.printerPort.isEmpty()) {
            const QList<PrinterPort> ports = m_system->printerPorts();
            const PrinterPort *port = findPrinterPort(ports, m_port.printerPort);
            return port != nullptr ? port->device : QString();
        }
        if (m_port.kind == PortKind::PrinterDevice && !m_port.devicePath.isEmpty())
            return m_port.devicePath;
        return m_system->lptDeviceName();
    }
    QList<PrinterPort> printerPorts() const override { return m_system->printerPorts(); }

private:
    std::unique_ptr<DeviceResolver> m_system;
    PortArgument m_port;
};

// The window's port list entry that reaches the port. A serial device given by its path is the
// COM entry the system gives it, if any, so that the link's messages name that entry; else it is
// named by its path.
PortChoice portChoice(const PortArgument &port, const DeviceResolver &system)
{
    switch (port.kind) {
    case PortKind::Tcp:
        return {QStringLiteral("TCP/IP"), PortKind::Tcp};
    case PortKind::PrinterDevice:
        return {QStringLiteral("LPT1"), PortKind::PrinterDevice};
    case PortKind::Serial:
        break;
    }
    if (port.devicePath.isEmpty())
        return {PortChoice::comEntry(port.comNumber), PortKind::Serial, port.comNumber};
    for (int number = 1; number <= PortChoice::kSerialPortCount; ++number) {
        if (system.serialPortName(number) == port.devicePath)
            return {PortChoice::comEntry(number), PortKind::Serial, number};
    }
    return {port.devicePath, PortKind::Serial};
}

} // namespace

PrinterSession::PrinterSession(const PortArgument &port, const Options &options, Console &console,
                               const ResolverFactory &resolvers)
    : m_port(port)
    , m_options(options)
    , m_console(console)
    , m_pump(std::make_unique<QtEventPump>())
{
    PrinterLink::Devices devices = PrinterLink::systemDevices();
    const PortChoice choice = portChoice(port, *resolvers());
    devices.resolver = std::make_unique<PathResolver>(resolvers(), port);
    m_link = std::make_unique<PrinterLink>(*this, *this, *m_pump, std::move(devices));
    m_link->setSettings(
        {choice, options.serial, port.host, TcpPort(port.tcpPort), options.replyTimeout});
    m_channel = std::make_unique<DryRunChannel>(*m_link);
    m_commands = std::make_unique<PrinterCommands>(*m_channel, m_record, *this);
}

PrinterSession::~PrinterSession()
{
    if (m_opened)
        m_link->OpenPort(false);
}

bool PrinterSession::open()
{
    m_opened = true;
    return m_link->OpenPort(true) && m_link->waitUntilReady(m_options.connectTimeout);
}

bool PrinterSession::reconnect()
{
    return m_port.kind == PortKind::Tcp && open();
}

TestStop PrinterSession::communicationTest()
{
    // A path that is no device of its kind gets one line, not the window's messages.
    m_problem = m_port.deviceProblem();
    if (!m_problem.isEmpty())
        return TestStop::PortOpen;
    // What the link reports while the printer is identified goes into the line that says why the
    // test stopped, instead of the window's long texts.
    m_surveying = true;
    TestStop stop = TestStop::PortOpen;
    if (open()) {
        PrinterSurvey test(*m_commands, m_record);
        stop = test.identifyPrinter();
        if (stop == TestStop::None)
            test.readModelSwitches();
        // The values read are the printer's own only when its answers are still in step.
        if (stop == TestStop::None)
            stop = test.proveValues();
    }
    m_surveying = false;
    return stop;
}

QString PrinterSession::stopReason(TestStop stop) const
{
    if (stop != TestStop::PortOpen && !m_problem.isEmpty())
        return m_problem + QStringLiteral("; ") + stopCause(stop);
    return stopCause(stop);
}

QString PrinterSession::linkProblem() const
{
    return m_problem;
}

QString PrinterSession::stopCause(TestStop stop) const
{
    switch (stop) {
    case TestStop::None:
        break;
    case TestStop::PortOpen:
        if (!m_problem.isEmpty())
            return m_problem;
        return m_port.kind == PortKind::Tcp ? QStringLiteral("no connection")
                                            : QStringLiteral("the port could not be opened");
    case TestStop::MakerInfo:
        return maker().isEmpty() ? QStringLiteral("no answer")
                                 : QStringLiteral("maker \"%1\" is not NORVANTA")
                                       .arg(PrinterReport::shownText(maker()));
    case TestStop::PrinterInfo1:
        return QStringLiteral("no model name");
    case TestStop::PrinterInfo2:
        return QStringLiteral("no firmware revision");
    case TestStop::PrinterInfo3:
        return QStringLiteral("no hours powered");
    case TestStop::PrinterInfo4:
        return QStringLiteral("no cut paper count");
    case TestStop::LanguageInfo1:
        return QStringLiteral("no language model");
    case TestStop::OutOfStep:
        return QStringLiteral("the printer's answers are out of step with the questions, so what "
                              "it answered after its maker's name is unread");
    }
    return {};
}

const PortArgument &PrinterSession::port() const
{
    return m_port;
}

PrinterCommands &PrinterSession::commands()
{
    return *m_commands;
}

DryRunChannel &PrinterSession::channel()
{
    return *m_channel;
}

SettingsModel &PrinterSession::record()
{
    return m_record;
}

QString PrinterSession::maker() const
{
    const QString name = m_record.makerName;
    // "**" stands for a maker query not sent yet.
    return name == QLatin1String("**") ? QString() : name;
}

void PrinterSession::tell(const QString &message)
{
    if (!m_options.quiet)
        m_console.err(m_port.text() + QStringLiteral(": ") + message);
}

void PrinterSession::showLinkStatus(const LinkStatusStyle &)
{
    // No status box: a connection that does not come up is reported when it is waited for.
}

void PrinterSession::report(const LinkProblem &problem)
{
    const QString reason = problem.reason.isEmpty() ? problem.text : problem.reason;
    if (!m_surveying)
        tell(reason);
    else if (m_problem.isEmpty())
        m_problem = reason;
}

void PrinterSession::AppendLog(const QString &)
{
    // The replies are kept in the model; there is no log history.
}

void PrinterSession::showMessage(const QString &text)
{
    if (text != PrinterCommands::greeting())
        tell(text);
}

void PrinterSession::switchQueried(SwitchByte, bool)
{
    // Nothing is shown while the commands run; the model is read when they have.
}

void PrinterSession::infoFilled(InfoGroup, int)
{
    // As for the switch bytes.
}
