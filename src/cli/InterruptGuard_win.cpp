#include "InterruptGuard.h"

#include <atomic>

#include <windows.h>

// Windows has no signals: Ctrl-C and Ctrl-Break reach a console program through its console
// control handler, which runs on a thread of its own. A write to a closed pipe fails without
// ending the program, so there is nothing to ignore.
namespace {

std::atomic<bool> g_interrupted{false};

BOOL WINAPI onConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the console or logging off ends the program as usual
    g_interrupted = true;
    return TRUE;
}

} // namespace

InterruptGuard::InterruptGuard()
{
    g_interrupted = false;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

InterruptGuard::~InterruptGuard()
{
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
}

bool InterruptGuard::interrupted()
{
    return g_interrupted;
}
