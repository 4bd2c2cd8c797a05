#include "CliApplication.h"

#include "CliArguments.h"
#include "CliContext.h"
#include "Console.h"
#include "ExitStatus.h"
#include "PlatformDevices.h"
#include "SubcommandTable.h"

CliApplication::CliApplication(Console &console, ResolverFactory resolvers)
    : m_console(console)
    , m_resolvers(std::move(resolvers))
{}

ResolverFactory CliApplication::systemResolvers()
{
    return [] { return PlatformDevices::deviceResolver(); };
}

int CliApplication::run(const QStringList &arguments)
{
    const CliArguments parsed = CliArguments::parse(arguments);
    CliContext context{m_console, m_resolvers};
    int status = kExitOk;
    switch (parsed.outcome) {
    case CliArguments::Outcome::Help:
        m_console.out(CliArguments::helpText(parsed.command));
        break;
    case CliArguments::Outcome::Version:
        m_console.out(CliArguments::versionText());
        break;
    case CliArguments::Outcome::Error:
        return context.usageError(parsed, parsed.error);
    case CliArguments::Outcome::Run:
        status = parsed.command->run(context, parsed);
        break;
    }
    // A result that did not arrive must never look delivered: a backup that did not reach its
    // file is no backup.
    if (const QString error = m_console.outputError(); !error.isEmpty()) {
        m_console.err(QStringLiteral("printer-switch: standard output: %1").arg(error));
        if (status < kExitSignal)
            status = kExitFailure;
    }
    return status;
}
