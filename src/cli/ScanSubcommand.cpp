#include "CliArguments.h"
#include "CliContext.h"
#include "Console.h"
#include "ExitStatus.h"
#include "FleetRunner.h"
#include "PrinterCommands.h"
#include "PrinterReport.h"
#include "PrinterResult.h"
#include "SharedOptions.h"
#include "SubcommandTable.h"
#include "Subcommands.h"

#include <QJsonDocument>

#include <array>

namespace {

bool takeTcpPort(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<int> port = SharedOptions::boundedNumber(value, 1, 65535);
    if (!port)
        return SharedOptions::fail(error, QStringLiteral("--tcp-port is a number from 1 to 65535"));
    arguments.tcpPort = quint16(*port);
    return true;
}

bool takeTimeout(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<int> timeout = SharedOptions::boundedNumber(value, 1, 60000);
    if (!timeout)
        return SharedOptions::fail(
            error, QStringLiteral("--timeout is a number of milliseconds from 1 to 60000"));
    arguments.timeout = std::chrono::milliseconds(*timeout);
    return true;
}

const OptionSpec kTcpPort{"tcp-port", "PORT", "the TCP port tried on every address (default 9100)",
                          takeTcpPort, nullptr};
const OptionSpec kTimeout{"timeout", "MS",
                          "how long a connection may take, 1 to 60000 milliseconds (default 300)",
                          takeTimeout, nullptr};

bool takeRange(CliArguments &arguments, const QStringList &values, QString *error)
{
    arguments.range = AddressRange::parse(values.at(0), error);
    return arguments.range.has_value();
}

QString plural(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

int run(CliContext &context, const CliArguments &arguments)
{
    const AddressRange &range = *arguments.range;
    QList<QList<int>> lanes;
    for (int i = 0; i < range.count(); ++i)
        lanes.append(QList<int>{i});
    QList<std::optional<PrinterResult>> found(range.count());
    const auto job = [&](int i) {
        PrinterSession::Options options;
        options.connectTimeout = arguments.timeout;
        options.quiet = true;
        const PortArgument port = PortArgument::tcp(range.address(i), arguments.tcpPort);
        PrinterSession session(port, options, context.console, context.resolvers);
        if (!session.open())
            return;
        session.commands().getMakerInfo();
        if (session.maker().isEmpty())
            return;
        session.commands().getPrinterInfo1();
        PrinterResult result;
        result.port = port.text();
        result.kind = PrinterResult::Kind::Ok;
        const std::optional<QString> model = session.record().printerInfo[0];
        result.more = {{QStringLiteral("maker"), session.maker()},
                       {QStringLiteral("model"), model ? QJsonValue(*model) : QJsonValue()}};
        found[i] = result;
    };
    qsizetype printers = 0;
    const auto done = [&](int i) {
        const std::optional<PrinterResult> &result = found.at(i);
        if (!result)
            return;
        ++printers;
        const QJsonObject json = result->json();
        context.console.out(
            arguments.json
                ? QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact))
                : QStringLiteral("%1 %2 %3")
                      .arg(result->port, PrinterReport::shownText(json[u"maker"].toString()),
                           PrinterReport::shownText(json[u"model"].toString(QStringLiteral("?")))));
    };
    runFleet(lanes, arguments.jobs, FleetStart::AtOnce, job, done);
    const QString summary = QStringLiteral("%1 found in %2")
                                .arg(plural(printers, "printer", "printers"),
                                     plural(range.count(), "address", "addresses"));
    if (arguments.json)
        context.console.err(summary);
    else
        context.console.out(summary);
    return kExitOk;
}

// The options of scan, in the order its help lists them.
constexpr std::array<const OptionSpec *, 4> kOptions{&SharedOptions::json, &SharedOptions::jobs,
                                                     &kTcpPort, &kTimeout};

} // namespace

const SubcommandSpec Subcommands::scan{
    .name = "scan",
    .usage = "scan RANGE [--tcp-port PORT] [--jobs N] [--timeout MS] [--json]",
    .summary = "find printers on a network range",
    .description = "RANGE is A.B.C.D/NN or A.B.C.D-A.B.C.E, at most 4096 addresses. Every "
                   "address is tried on the TCP port and asked for its maker; one line per "
                   "address where a printer answers (its port, maker and model), then a "
                   "summary. Up to N addresses at once (default 256, so that a range where "
                   "closed ports refuse at once takes about as long as a port scanner).",
    .options = kOptions,
    .positional = "RANGE",
    .minPositional = 1,
    .maxPositional = 1,
    .defaultJobs = 256,
    .takePositionals = takeRange,
    .run = run};
