#include "InterruptGuard.h"

#include <atomic>
#include <csignal>

#include <windows.h>

// Windows has no termination signals: Ctrl-C and Ctrl-Break reach a console program through its
// console control handler, which runs on a thread of its own. A write to a closed pipe fails
// without ending the program, so there is nothing to ignore.
namespace {

std::atomic<int> g_signal{0};

BOOL WINAPI onConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the console or logging off ends the program as usual
    int expected = 0;
    g_signal.compare_exchange_strong(expected, event == CTRL_C_EVENT ? SIGINT : SIGBREAK);
    return TRUE;
}

} // namespace

InterruptGuard::InterruptGuard()
{
    g_signal = 0;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

InterruptGuard::~InterruptGuard()
{
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
}

int InterruptGuard::signal()
{
    return g_signal;
}

QString InterruptGuard::signalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return QStringLiteral("Ctrl-C");
    case SIGBREAK:
        return QStringLiteral("Ctrl-Break");
    default:
        return QStringLiteral("signal %1").arg(signal);
    }
}
