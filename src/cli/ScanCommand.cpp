#include "CliArguments.h"
#include "CliContext.h"
#include "Commands.h"
#include "Console.h"
#include "ExitStatus.h"
#include "FleetRunner.h"
#include "PrinterCommands.h"
#include "PrinterReport.h"
#include "PrinterResult.h"

#include <QJsonDocument>

namespace {

QString plural(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

int Commands::scan(CliContext &context, const CliArguments &arguments)
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
    runFleet(lanes, arguments.jobs, job, done);
    const QString summary = QStringLiteral("%1 found in %2")
                                .arg(plural(printers, "printer", "printers"),
                                     plural(range.count(), "address", "addresses"));
    if (arguments.json)
        context.console.err(summary);
    else
        context.console.out(summary);
    return kExitOk;
}
