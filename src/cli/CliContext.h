#pragma once

#include "PrinterSession.h"

class Console;
struct CliArguments;

// What every command of printer-switch works with: the console and the system's device names.
struct CliContext
{
    Console &console;
    ResolverFactory resolvers;

    // The session options the command line gives a printer.
    static PrinterSession::Options sessionOptions(const CliArguments &arguments);
    // One line of bad usage and the help to read; returns kExitUsage.
    int usageError(const CliArguments &arguments, const QString &error) const;
};
