#include "CliArguments.h"
#include "CliContext.h"
#include "Console.h"
#include "DryRunChannel.h"
#include "ExitStatus.h"
#include "PrinterReport.h"
#include "SharedOptions.h"
#include "SubcommandTable.h"
#include "Subcommands.h"

#include <QJsonDocument>

#include <algorithm>
#include <array>

namespace {

int run(CliContext &context, const CliArguments &arguments)
{
    const PortArgument &port = arguments.ports.first();
    PrinterSession session(port, CliContext::sessionOptions(arguments), context.console,
                           context.resolvers);
    const TestStop stop = session.communicationTest();
    QString error = stop == TestStop::None ? QString() : session.stopReason(stop);
    // A value the printer did not answer is no value: the run fails and names it, and those the
    // link did not ask for, with the link's reason.
    if (error.isEmpty()) {
        // The maker's name went first.
        const int valuesAsked = std::max(session.channel().queriesSent() - 1, 0);
        error = PrinterReport::missingReport(session.record(), valuesAsked, session.linkProblem());
    }
    if (!error.isEmpty())
        session.tell(error);
    if (arguments.json) {
        // One object whatever happened, with what was read before the test stopped.
        QJsonObject object = PrinterReport::info(session.maker(), session.record());
        object.insert(QStringLiteral("port"), port.text());
        object.insert(QStringLiteral("error"), error.isEmpty() ? QJsonValue() : error);
        context.console.out(QString::fromUtf8(QJsonDocument(object).toJson()).trimmed());
        return error.isEmpty() ? kExitOk : kExitFailure;
    }
    // Nothing to show without a port or an answer; what was read before the test stopped is shown
    // all the same.
    if (stop == TestStop::PortOpen || session.maker().isEmpty())
        return kExitFailure;
    for (const QString &line : PrinterReport::infoLines(session.maker(), session.record()))
        context.console.out(line);
    return error.isEmpty() ? kExitOk : kExitFailure;
}

// The options of info, in the order its help lists them.
constexpr std::array<const OptionSpec *, 6> kOptions{
    &SharedOptions::port,      &SharedOptions::baud, &SharedOptions::parity,
    &SharedOptions::handshake, &SharedOptions::json, &SharedOptions::replyTimeout};

} // namespace

const SubcommandSpec Subcommands::info{
    .name = "info",
    .usage = "info --port P [--reply-timeout MS] [--json]",
    .summary = "show what a printer is and holds",
    .description = "Runs the communication test's queries in the window's order (maker first; "
                   "a printer of another maker stops it) and prints the printer information, "
                   "the language information and the switch bytes of the model with the "
                   "meaning of every switch. With --json one object, always with \"port\" and "
                   "\"error\" (null, or why the printer could not be read to the end).",
    .options = kOptions,
    .minPorts = 1,
    .maxPorts = 1,
    .run = run};
