#pragma once

// Ctrl-C, SIGTERM and a closed output pipe while printer-switch writes to printers: the printers
// being written are finished, each with its lock, and no other printer is started. While a guard
// lives, SIGINT and SIGTERM set a flag instead of ending the program, and SIGPIPE is ignored (an
// output that has gone away costs the lines, not the printers); the previous handling comes back
// when the guard ends. On Windows Ctrl-C and Ctrl-Break set the flag, through the console's
// control handler.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();

    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    // True once SIGINT or SIGTERM came while a guard lived.
    static bool interrupted();
};
