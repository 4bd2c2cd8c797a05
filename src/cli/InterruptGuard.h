#pragma once

#include <QString>

// Termination signals while printer-switch writes to printers: a printer being written is
// finished, with its lock, and no other printer is started. While a guard lives, SIGHUP, SIGINT,
// SIGQUIT, SIGTERM and SIGPIPE only note the signal instead of ending the program; a write to a
// closed pipe counts as SIGPIPE once the thread that wrote asks for the signal (a closed output
// pipe costs the lines, not the printers). The previous handling comes back when the guard
// ends. On Windows Ctrl-C and Ctrl-Break come through the console's control handler and
// count as SIGINT and SIGBREAK.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();

    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    // The first signal that came while a guard lived; 0 for none.
    static int signal();
    static bool interrupted() { return signal() != 0; }
    // "SIGINT", ...
    static QString signalName(int signal);
};
