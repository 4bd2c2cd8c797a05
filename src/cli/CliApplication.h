#pragma once

#include "PrinterSession.h"

#include <QStringList>

class Console;

// printer-switch, the command-line application: runs one command line through the command table
// and tells how it went.
class CliApplication
{
public:
    CliApplication(Console &console, ResolverFactory resolvers);

    // Runs `arguments` (without the program's name) and returns the exit status (ExitStatus).
    // Results that could not be written to standard output make it a failure.
    int run(const QStringList &arguments);

    // The device names of this platform.
    static ResolverFactory systemResolvers();

private:
    Console &m_console;
    ResolverFactory m_resolvers;
};
