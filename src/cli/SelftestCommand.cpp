#include "CliArguments.h"
#include "CliContext.h"
#include "Commands.h"
#include "Console.h"
#include "ExitStatus.h"
#include "PrinterCommands.h"

int Commands::selftest(CliContext &context, const CliArguments &arguments)
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
