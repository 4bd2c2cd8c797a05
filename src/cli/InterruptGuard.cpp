#include "InterruptGuard.h"

#include <array>
#include <atomic>
#include <csignal>
#include <ctime>
#include <thread>

#include <pthread.h>

namespace {

struct Handled
{
    int signal;
    const char *name;
};

// Caught by a handler.
constexpr std::array kSignals{Handled{SIGHUP, "SIGHUP"}, Handled{SIGINT, "SIGINT"},
                              Handled{SIGQUIT, "SIGQUIT"}, Handled{SIGTERM, "SIGTERM"}};

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);
std::array<struct sigaction, kSignals.size()> g_previous{};

// SIGPIPE cannot have a handler of its own: Qt sets it to be ignored when it first writes to a
// socket, which would replace the handler halfway through a run. It is blocked instead, in the
// thread that makes the guard and so in every thread started while the guard lives, and a thread
// of the guard's takes it: blocked, it is kept for that thread rather than ignored.
sigset_t g_previousMask;
std::thread g_pipeWaiter;
std::atomic<bool> g_stopWaiting{false};

sigset_t pipeSignal()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

void note(int signal)
{
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
}

void onStopSignal(int signal)
{
    note(signal);
}

// A write of this thread's to a closed pipe left SIGPIPE waiting for it: the pipe closed as the
// signal says.
void takeOwnPipeSignal()
{
    const sigset_t pipe = pipeSignal();
    const timespec now{};
    siginfo_t info;
    while (::sigtimedwait(&pipe, &info, &now) == SIGPIPE)
        note(SIGPIPE);
}

} // namespace

InterruptGuard::InterruptGuard()
{
    g_signal = 0;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i].signal, &action, &g_previous[i]);

    const sigset_t pipe = pipeSignal();
    ::pthread_sigmask(SIG_BLOCK, &pipe, &g_previousMask);
    g_stopWaiting = false;
    g_pipeWaiter = std::thread([pipe] {
        int signal = 0;
        while (::sigwait(&pipe, &signal) == 0 && !g_stopWaiting)
            note(signal);
    });
}

InterruptGuard::~InterruptGuard()
{
    g_stopWaiting = true;
    ::pthread_kill(g_pipeWaiter.native_handle(), SIGPIPE);
    g_pipeWaiter.join();
    // Nothing this thread left waiting reaches the previous handling.
    takeOwnPipeSignal();
    ::pthread_sigmask(SIG_SETMASK, &g_previousMask, nullptr);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i].signal, &g_previous[i], nullptr);
}

int InterruptGuard::signal()
{
    takeOwnPipeSignal();
    return g_signal;
}

QString InterruptGuard::signalName(int signal)
{
    if (signal == SIGPIPE)
        return QStringLiteral("SIGPIPE");
    for (const Handled &handled : kSignals) {
        if (handled.signal == signal)
            return QLatin1String(handled.name);
    }
    return QStringLiteral("signal %1").arg(signal);
}
