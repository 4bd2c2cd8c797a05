#include "CliContext.h"

#include "CliArguments.h"
#include "Console.h"
#include "ExitStatus.h"
#include "SubcommandTable.h"

PrinterSession::Options CliContext::sessionOptions(const CliArguments &arguments)
{
    PrinterSession::Options options;
    options.serial = arguments.serial;
    options.replyTimeout = arguments.replyTimeout;
    return options;
}

int CliContext::usageError(const CliArguments &arguments, const QString &error) const
{
    const QString help =
        arguments.command
            ? QStringLiteral("printer-switch %1 --help").arg(QLatin1String(arguments.command->name))
            : QStringLiteral("printer-switch --help");
    console.err(QStringLiteral("printer-switch: %1\nTry %2.").arg(error, help));
    return kExitUsage;
}
