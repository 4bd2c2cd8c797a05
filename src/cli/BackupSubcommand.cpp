#include "Backup.h"
#include "CliArguments.h"
#include "CliContext.h"
#include "Console.h"
#include "ExitStatus.h"
#include "SharedOptions.h"
#include "SubcommandTable.h"
#include "Subcommands.h"

#include <QJsonDocument>


namespace {

int run(CliContext &context, const CliArguments &arguments)
{
    PrinterSession session(arguments.ports.first(), CliContext::sessionOptions(arguments),
                           context.console, context.resolvers);
    const TestStop stop = session.communicationTest();
    if (stop != TestStop::None) {
        session.tell(session.stopReason(stop));
        return kExitFailure;
    }
    QString error;
    const std::optional<QJsonObject> backup = Backup::of(session.maker(), session.record(), &error);
    if (!backup) {
        session.tell(error + QStringLiteral("; no backup made"));
        return kExitFailure;
    }
    context.console.out(QString::fromUtf8(QJsonDocument(*backup).toJson()).trimmed());
    return kExitOk;
}

} // namespace

const SubcommandSpec Subcommands::backup{
    .name = "backup",
    .usage = "backup --port P [--reply-timeout MS]",
    .summary = "print a printer's settings as JSON",
    .description = "Prints {\"maker\": ..., \"model\": ..., \"switches\": {\"SW2\": "
                   "37, ...}, \"codePage\": 17, \"charset\": 12} for restore.",
    .options = SharedOptions::onePrinter,
    .minPorts = 1,
    .maxPorts = 1,
    .run = run};
