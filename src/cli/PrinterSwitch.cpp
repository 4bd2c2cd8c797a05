#include "PrinterSwitch.h"

#include "Backup.h"
#include "ChangePlan.h"
#include "CliArguments.h"
#include "Console.h"
#include "FleetRunner.h"
#include "InterruptGuard.h"
#include "JsonText.h"
#include "LanguageTables.h"
#include "PlatformDevices.h"
#include "PortChoice.h"
#include "PrinterCommands.h"
#include "PrinterReport.h"
#include "SettingsWriter.h"

#include <QFile>
#include <QHash>

#include <vector>

namespace {

// What became of one printer's settings.
struct Outcome
{
    enum class Status { Ok, Unchanged, Failed };

    Status status = Status::Failed;
    QString reason;  // Failed: why, in a few words
    ChangePlan plan; // Ok: what changed
    QList<QByteArray> dryRun;
    bool written = false; // a write was sent, so the printer wants a power cycle
};

Outcome failed(const QString &reason, bool written = false)
{
    return {Outcome::Status::Failed, reason, {}, {}, written};
}

// Plans the settings against what the communication test read and writes them as the window
// does, or only shows the commands on a dry run.
Outcome applySettings(PrinterSession &session, const QList<SettingRequest> &settings, bool dryRun)
{
    const ChangePlan plan = ChangePlan::make(session.record(), settings);
    if (!plan.refusal.isEmpty())
        return failed(QStringLiteral("refused: %1; nothing was written").arg(plan.refusal));
    if (plan.isEmpty())
        return {Outcome::Status::Unchanged, {}, plan, {}, false};
    SettingsWriter writer(session);
    if (dryRun) {
        const QList<QByteArray> commands = writer.dryRun(plan);
        if (commands.isEmpty())
            return failed(writer.failure());
        return {Outcome::Status::Ok, {}, plan, commands, false};
    }
    if (InterruptGuard::interrupted())
        return failed(QStringLiteral("interrupted; nothing was written"));
    if (!writer.write(plan) || !writer.readBack(plan))
        return failed(writer.failure(), true);
    return {Outcome::Status::Ok, {}, plan, {}, true};
}

// What a plan changes: each switch byte with its changed switches and their new meanings, then
// the code page and character set with their list entries.
QStringList changeLines(const ChangePlan &plan, const QString &model)
{
    const QStringList summary = plan.summary();
    qsizetype entry = 0;
    QStringList lines;
    for (const SwitchChange &change : plan.switches) {
        QList<int> changed;
        for (int number = 1; number <= 8; ++number) {
            if (((change.from ^ change.to) >> (number - 1) & 1) != 0)
                changed << number;
        }
        lines << summary.at(entry++)
              << PrinterReport::switchLines(change.sw, model, change.to, changed);
    }
    if (const auto &language = plan.language) {
        const int codePage = LanguageTables::findCodePage(QString::number(language->codePage));
        const int charset = LanguageTables::findInterChars(QString::number(language->charset));
        if (language->codePageFrom != language->codePage)
            lines << QStringLiteral("%1 (%2)").arg(summary.at(entry++),
                                                   LanguageTables::codePageEntries().at(codePage));
        if (language->charsetFrom != language->charset)
            lines << QStringLiteral("%1 (%2)").arg(summary.at(entry++),
                                                   LanguageTables::interCharsEntries().at(charset));
    }
    return lines;
}

// The reply of a device that answers on a printer's port, fit for one line.
QString printable(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    return text;
}

QString plural(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// What the window shows for a port beside its device: nothing when that is the device alone.
QString descriptionBeside(const QString &device, const QString &description)
{
    return description == device || description == QLatin1String("no device") ? QString()
                                                                              : description;
}

// "COM16" and two blanks.
constexpr qsizetype kPortNameWidth = 7;

} // namespace

PrinterSwitch::PrinterSwitch(Console &console, ResolverFactory resolvers)
    : m_console(console)
    , m_resolvers(std::move(resolvers))
{}

ResolverFactory PrinterSwitch::systemResolvers()
{
    return [] { return PlatformDevices::deviceResolver(); };
}

int PrinterSwitch::run(const QStringList &arguments)
{
    const CliArguments parsed = CliArguments::parse(arguments);
    switch (parsed.outcome) {
    case CliArguments::Outcome::Help:
        m_console.out(CliArguments::helpText(parsed.command));
        return 0;
    case CliArguments::Outcome::Version:
        m_console.out(CliArguments::versionText());
        return 0;
    case CliArguments::Outcome::Error:
        return usageError(parsed, parsed.error);
    case CliArguments::Outcome::Run:
        break;
    }
    const QString &command = parsed.command;
    if (command == QLatin1String("ports"))
        return ports();
    if (command == QLatin1String("info"))
        return info(parsed);
    if (command == QLatin1String("set"))
        return set(parsed);
    if (command == QLatin1String("backup"))
        return backup(parsed);
    if (command == QLatin1String("restore"))
        return restore(parsed);
    if (command == QLatin1String("scan"))
        return scan(parsed);
    return selftest(parsed);
}

int PrinterSwitch::usageError(const CliArguments &arguments, const QString &error)
{
    const QString help = arguments.command.isEmpty()
                             ? QStringLiteral("printer-switch --help")
                             : QStringLiteral("printer-switch %1 --help").arg(arguments.command);
    m_console.err(QStringLiteral("printer-switch: %1\nTry %2.").arg(error, help));
    return 2;
}

PrinterSession::Options PrinterSwitch::sessionOptions(const CliArguments &arguments) const
{
    PrinterSession::Options options;
    options.serial = arguments.serial;
    return options;
}

int PrinterSwitch::ports()
{
    const std::unique_ptr<DeviceResolver> resolver = m_resolvers();
    // The window's entries but "TCP/IP", as the window describes them.
    QStringList entries = PortChoice::portList();
    entries.removeAll(QStringLiteral("TCP/IP"));
    entries.move(entries.indexOf(QStringLiteral("LPT1")), entries.size() - 1);
    const QStringList descriptions = describePorts(*resolver, entries);
    QList<QStringList> rows;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const PortChoice choice = PortChoice::fromName(entries.at(i));
        const QString device = choice.kind == PortKind::Serial
                                   ? resolver->serialPortName(choice.comNumber)
                                   : resolver->lptDeviceName();
        rows << QStringList{entries.at(i), device, descriptionBeside(device, descriptions.at(i))};
    }
    qsizetype deviceWidth = 0;
    for (QStringList &row : rows) {
        if (row[1].isEmpty())
            row[1] = QStringLiteral("no device");
        deviceWidth = std::max(deviceWidth, row[1].size());
    }
    for (const QStringList &row : rows) {
        QString line = row[0].leftJustified(kPortNameWidth) + row[1];
        if (!row[2].isEmpty())
            line = line.leftJustified(kPortNameWidth + deviceWidth + 2) + row[2];
        m_console.out(line);
    }
    return 0;
}

int PrinterSwitch::info(const CliArguments &arguments)
{
    PrinterSession session(arguments.ports.first(), sessionOptions(arguments), m_console,
                           m_resolvers);
    const TestStop stop = session.communicationTest();
    if (stop != TestStop::None)
        session.tell(session.stopReason(stop));
    // Nothing to show without a port or an answer; what was read before the test stopped is shown
    // all the same.
    if (stop == TestStop::PortOpen || session.maker().isEmpty())
        return 1;
    if (arguments.json) {
        m_console.out(jsonText(PrinterReport::info(session.maker(), session.record())));
    } else {
        for (const QString &line : PrinterReport::infoLines(session.maker(), session.record()))
            m_console.out(line);
    }
    return stop == TestStop::None ? 0 : 1;
}

int PrinterSwitch::set(const CliArguments &arguments)
{
    const PortArgument &port = arguments.ports.first();
    // A number the lists do not have is refused before the printer is asked anything.
    if (const QString refusal = listRefusal(arguments.settings); !refusal.isEmpty()) {
        m_console.err(
            QStringLiteral("%1: refused: %2; nothing was written").arg(port.text(), refusal));
        return 1;
    }
    const InterruptGuard guard;
    PrinterSession session(port, sessionOptions(arguments), m_console, m_resolvers);
    const TestStop stop = session.communicationTest();
    if (stop != TestStop::None) {
        session.tell(session.stopReason(stop) + QStringLiteral("; nothing was written"));
        return 1;
    }
    const Outcome outcome = applySettings(session, arguments.settings, arguments.dryRun);
    const QString model = session.record().modelName();
    switch (outcome.status) {
    case Outcome::Status::Unchanged:
        m_console.out(QStringLiteral("unchanged"));
        return 0;
    case Outcome::Status::Failed:
        session.tell(outcome.reason);
        if (outcome.written)
            session.tell(PrinterCommands::powerCycleReminder());
        return 1;
    case Outcome::Status::Ok:
        break;
    }
    for (const QString &line : changeLines(outcome.plan, model))
        m_console.out(line);
    if (arguments.dryRun) {
        for (const QByteArray &command : outcome.dryRun)
            m_console.out(QString::fromLatin1(command.toHex(' ').toUpper()));
        session.tell(QStringLiteral("dry run: nothing was written"));
        return 0;
    }
    session.tell(PrinterCommands::powerCycleReminder());
    return 0;
}

int PrinterSwitch::backup(const CliArguments &arguments)
{
    PrinterSession session(arguments.ports.first(), sessionOptions(arguments), m_console,
                           m_resolvers);
    const TestStop stop = session.communicationTest();
    if (stop != TestStop::None) {
        session.tell(session.stopReason(stop));
        return 1;
    }
    QString error;
    const std::optional<QJsonObject> backup = Backup::of(session.maker(), session.record(), &error);
    if (!backup) {
        session.tell(error + QStringLiteral("; no backup made"));
        return 1;
    }
    m_console.out(jsonText(*backup));
    return 0;
}

int PrinterSwitch::restore(const CliArguments &arguments)
{
    QFile file(arguments.file);
    if (!file.open(QIODevice::ReadOnly))
        return usageError(arguments,
                          QStringLiteral("%1: %2").arg(arguments.file, file.errorString()));
    QString error;
    const std::optional<Backup> backup = Backup::parse(file.readAll(), &error);
    if (!backup)
        return usageError(arguments, QStringLiteral("%1: %2").arg(arguments.file, error));

    // Printers on one port, one after another; the ports side by side.
    QHash<QString, qsizetype> laneOfPort;
    QList<QList<int>> lanes;
    for (int i = 0; i < arguments.ports.size(); ++i) {
        const QString port = arguments.ports.at(i).text();
        if (!laneOfPort.contains(port)) {
            laneOfPort.insert(port, lanes.size());
            lanes.append(QList<int>());
        }
        lanes[laneOfPort.value(port)].append(i);
    }

    const InterruptGuard guard;
    std::vector<Outcome> outcomes(std::size_t(arguments.ports.size()));
    const auto job = [&](int i) {
        Outcome &outcome = outcomes[std::size_t(i)];
        if (InterruptGuard::interrupted()) {
            outcome = failed(QStringLiteral("interrupted before it was started"));
            return;
        }
        PrinterSession session(arguments.ports.at(i), sessionOptions(arguments), m_console,
                               m_resolvers);
        const TestStop stop = session.communicationTest();
        const QString model = session.record().modelName();
        if (stop != TestStop::None)
            outcome = failed(session.stopReason(stop));
        else if (session.maker() != backup->maker)
            outcome = failed(QStringLiteral("maker \"%1\" is not the backup's \"%2\"")
                                 .arg(session.maker(), backup->maker));
        else if (model != backup->model)
            outcome = failed(QStringLiteral("model \"%1\" is not the backup's \"%2\"")
                                 .arg(model, backup->model));
        else
            outcome = applySettings(session, backup->settings, false);
    };
    int counts[3] = {0, 0, 0};
    bool written = false;
    const auto done = [&](int i) {
        const Outcome &outcome = outcomes[std::size_t(i)];
        ++counts[int(outcome.status)];
        written = written || outcome.written;
        QString line = arguments.ports.at(i).text();
        switch (outcome.status) {
        case Outcome::Status::Ok:
            line += QStringLiteral(" ok ") + outcome.plan.summary().join(u' ');
            break;
        case Outcome::Status::Unchanged:
            line += QStringLiteral(" unchanged");
            break;
        case Outcome::Status::Failed:
            line += QStringLiteral(" failed: ") + outcome.reason;
            break;
        }
        m_console.out(line);
    };
    runFleet(lanes, arguments.jobs, job, done);
    m_console.out(QStringLiteral("%1 ok, %2 unchanged, %3 failed")
                      .arg(counts[int(Outcome::Status::Ok)])
                      .arg(counts[int(Outcome::Status::Unchanged)])
                      .arg(counts[int(Outcome::Status::Failed)]));
    if (written)
        m_console.err(PrinterCommands::powerCycleReminder());
    return counts[int(Outcome::Status::Failed)] > 0 ? 1 : 0;
}

int PrinterSwitch::scan(const CliArguments &arguments)
{
    const AddressRange &range = *arguments.range;
    QList<QList<int>> lanes;
    for (int i = 0; i < range.count(); ++i)
        lanes.append(QList<int>{i});
    std::vector<QString> found(std::size_t(range.count()));
    const auto job = [&](int i) {
        PrinterSession::Options options;
        options.connectTimeout = arguments.timeout;
        options.quiet = true;
        const PortArgument port = PortArgument::tcp(range.address(i), arguments.tcpPort);
        PrinterSession session(port, options, m_console, m_resolvers);
        if (!session.open())
            return;
        session.commands().getMakerInfo();
        if (session.maker().isEmpty())
            return;
        session.commands().getPrinterInfo1();
        found[std::size_t(i)] =
            QStringLiteral("%1 %2 %3")
                .arg(port.text(), printable(session.maker()),
                     printable(session.record().printerInfo(0).value_or(QStringLiteral("?"))));
    };
    qsizetype printers = 0;
    const auto done = [&](int i) {
        if (found[std::size_t(i)].isEmpty())
            return;
        ++printers;
        m_console.out(found[std::size_t(i)]);
    };
    runFleet(lanes, arguments.jobs, job, done);
    m_console.out(QStringLiteral("%1 found in %2")
                      .arg(plural(printers, "printer", "printers"),
                           plural(range.count(), "address", "addresses")));
    return 0;
}

int PrinterSwitch::selftest(const CliArguments &arguments)
{
    PrinterSession session(arguments.ports.first(), sessionOptions(arguments), m_console,
                           m_resolvers);
    const TestStop stop = session.communicationTest();
    if (stop != TestStop::None) {
        session.tell(session.stopReason(stop) + QStringLiteral("; no self test"));
        return 1;
    }
    session.commands().startSelfTest();
    m_console.out(QStringLiteral("self test started"));
    return 0;
}
