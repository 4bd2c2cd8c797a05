#pragma once

#include "PrinterSession.h"

#include <QStringList>

class Console;
struct CliArguments;
struct PortArgument;

// printer-switch: the command-line front end. Runs one command line and tells how it went.
class PrinterSwitch
{
public:
    PrinterSwitch(Console &console, ResolverFactory resolvers);

    // Runs `arguments` (without the program's name). Returns the exit status: 0 on success, 1 when
    // a printer failed or refused, 2 on bad usage.
    int run(const QStringList &arguments);

    // The device names of this platform.
    static ResolverFactory systemResolvers();

private:
    int ports();
    int info(const CliArguments &arguments);
    int set(const CliArguments &arguments);
    int backup(const CliArguments &arguments);
    int restore(const CliArguments &arguments);
    int scan(const CliArguments &arguments);
    int selftest(const CliArguments &arguments);

    int usageError(const CliArguments &arguments, const QString &error);
    PrinterSession::Options sessionOptions(const CliArguments &arguments) const;

    Console &m_console;
    ResolverFactory m_resolvers;
};
