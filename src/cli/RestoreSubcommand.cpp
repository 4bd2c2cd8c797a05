#include "ApplySettings.h"
#include "Backup.h"
#include "BackupInput.h"
#include "CliArguments.h"
#include "CliContext.h"
#include "Console.h"
#include "ExitStatus.h"
#include "FleetRunner.h"
#include "InterruptGuard.h"
#include "PrinterCommands.h"
#include "PrinterReport.h"
#include "PrinterResult.h"
#include "SharedOptions.h"
#include "SubcommandTable.h"
#include "Subcommands.h"

#include <QHash>
#include <QJsonDocument>

#include <array>

namespace {

bool takeFile(CliArguments &arguments, const QStringList &values, QString *)
{
    arguments.file = values.at(0);
    return true;
}

// Printers on one port, one after another; the ports side by side.
QList<QList<int>> lanesByPort(const QList<PortArgument> &ports)
{
    QHash<QString, qsizetype> laneOfPort;
    QList<QList<int>> lanes;
    for (int i = 0; i < ports.size(); ++i) {
        const QString port = ports.at(i).text();
        if (!laneOfPort.contains(port)) {
            laneOfPort.insert(port, lanes.size());
            lanes.append(QList<int>());
        }
        lanes[laneOfPort.value(port)].append(i);
    }
    return lanes;
}

// "2 ok, 1 unchanged, 1 failed", and the refused and interrupted printers where there are any.
QString summary(const QList<PrinterResult> &results)
{
    using Kind = PrinterResult::Kind;
    QStringList counts;
    for (const Kind kind :
         {Kind::Ok, Kind::Unchanged, Kind::Failed, Kind::Refused, Kind::Interrupted}) {
        const auto count = std::count_if(results.cbegin(), results.cend(),
                                         [kind](const PrinterResult &r) { return r.kind == kind; });
        if (count > 0 || kind == Kind::Ok || kind == Kind::Unchanged || kind == Kind::Failed)
            counts << QStringLiteral("%1 %2").arg(count).arg(PrinterResult::kindName(kind));
    }
    return counts.join(QStringLiteral(", "));
}

// Why a printer is refused: `what` it holds ("maker", "model") is not the backup's.
QString differs(const char *what, const QString &printer, const QString &backup)
{
    return QStringLiteral("%1 \"%2\" is not the backup's \"%3\"")
        .arg(QLatin1String(what), PrinterReport::shownText(printer),
             PrinterReport::shownText(backup));
}

int run(CliContext &context, const CliArguments &arguments)
{
    using Kind = PrinterResult::Kind;
    QString error;
    const std::optional<QByteArray> text = BackupInput::read(arguments.file, &error);
    const std::optional<Backup> backup = text ? Backup::parse(*text, &error) : std::nullopt;
    if (!backup)
        return context.usageError(
            arguments, text ? QStringLiteral("%1: %2").arg(arguments.file, error) : error);

    const InterruptGuard guard;
    QList<PrinterResult> results(arguments.ports.size());
    const auto job = [&](int i) {
        PrinterResult &result = results[i];
        const PortArgument &port = arguments.ports.at(i);
        // No printer is started after a stop signal, nor once a result line could not be
        // written: its result would be lost.
        if (InterruptGuard::interrupted() || !context.console.outputError().isEmpty()) {
            result = PrinterResult::failed(port.text(), Kind::Interrupted,
                                           QStringLiteral("stopped before it was started"));
            return;
        }
        PrinterSession session(port, CliContext::sessionOptions(arguments), context.console,
                               context.resolvers);
        const TestStop stop = session.communicationTest();
        const QString model = session.record().modelName();
        if (stop != TestStop::None)
            result = PrinterResult::failed(port.text(), Kind::Failed, session.stopReason(stop));
        else if (session.maker() != backup->maker)
            result = PrinterResult::failed(port.text(), Kind::Refused,
                                           differs("maker", session.maker(), backup->maker));
        else if (model != backup->model)
            result = PrinterResult::failed(port.text(), Kind::Refused,
                                           differs("model", model, backup->model));
        else
            result = applySettings(session, backup->settings, false);
    };
    const auto done = [&](int i) {
        const PrinterResult &result = results.at(i);
        context.console.out(
            arguments.json
                ? QString::fromUtf8(QJsonDocument(result.json()).toJson(QJsonDocument::Compact))
                : result.line());
    };
    runFleet(lanesByPort(arguments.ports), arguments.jobs, FleetStart::AfterReports, job, done);

    if (arguments.json)
        context.console.err(summary(results));
    else
        context.console.out(summary(results));
    if (std::any_of(results.cbegin(), results.cend(),
                    [](const PrinterResult &result) { return result.anyWritten(); }))
        context.console.err(PrinterCommands::powerCycleReminder());
    if (const int signal = InterruptGuard::signal()) {
        context.console.err(stopLine(signal, results));
        return kExitSignal + signal;
    }
    const bool allWent = std::all_of(results.cbegin(), results.cend(), [](const auto &result) {
        return result.kind == Kind::Ok || result.kind == Kind::Unchanged;
    });
    return allWent ? kExitOk : kExitFailure;
}

// The options of restore, in the order its help lists them.
constexpr std::array<const OptionSpec *, 7> kOptions{
    &SharedOptions::port,        &SharedOptions::baud, &SharedOptions::parity,
    &SharedOptions::handshake,   &SharedOptions::json, &SharedOptions::jobs,
    &SharedOptions::replyTimeout};

} // namespace

const SubcommandSpec Subcommands::restore{
    .name = "restore",
    .usage = "restore FILE|- --port P [--port P2 ...] [--jobs N] [--reply-timeout MS] "
             "[--json]",
    .summary = "apply a backup to printers",
    .description = "Applies the backup in FILE (a regular file of at most 64 KiB; - for "
                   "standard input) to every printer given, each as set would, up to N at once "
                   "(default 8; printers on TCP side by side, on one serial port one at a "
                   "time). A printer whose maker or model differs from the backup's is "
                   "refused. One result line per printer (with --json one JSON object per "
                   "line, and the summary on standard error), then N ok, N unchanged, N "
                   "failed, and the refused and interrupted ones where there are any.",
    .options = kOptions,
    .minPorts = 1,
    .maxPorts = -1,
    .positional = "FILE",
    .minPositional = 1,
    .maxPositional = 1,
    .defaultJobs = 8,
    .takePositionals = takeFile,
    .run = run};
