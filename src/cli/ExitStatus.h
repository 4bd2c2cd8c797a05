#pragma once

// The exit statuses of printer-switch.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1, // a printer failed or refused, or the output could not be written
    kExitUsage = 2,   // the command line is wrong
    kExitSignal = 128 // plus the signal's number: the run was stopped by a signal
};
