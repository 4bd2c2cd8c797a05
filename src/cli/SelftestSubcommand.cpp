#include "CliArguments.h"
#include "CliContext.h"
#include "Console.h"
#include "ExitStatus.h"
#include "PrinterCommands.h"
#include "SharedOptions.h"
#include "SubcommandTable.h"
#include "Subcommands.h"


namespace {

int run(CliContext &context, const CliArguments &arguments)
{
    PrinterSession session(arguments.ports.first(), CliContext::sessionOptions(arguments),
                           context.console, context.resolvers);
    const TestStop stop = session.communicationTest();
    if (stop != TestStop::None) {
        session.tell(session.stopReason(stop) + QStringLiteral("; no self test"));
        return kExitFailure;
    }
    session.commands().startSelfTest();
    context.console.out(QStringLiteral("self test started"));
    return kExitOk;
}

} // namespace

const SubcommandSpec Subcommands::selftest{
    .name = "selftest",
    .usage = "selftest --port P [--reply-timeout MS]",
    .summary = "print the self-test page",
    .description = "Runs the communication test, then sends the self-test command.",
    .options = SharedOptions::onePrinter,
    .minPorts = 1,
    .maxPorts = 1,
    .run = run};
