#include "InterruptGuard.h"

#include <array>
#include <atomic>
#include <csignal>

namespace {

struct Handled
{
    int signal;
    const char *name;
};

constexpr std::array kSignals{Handled{SIGHUP, "SIGHUP"}, Handled{SIGINT, "SIGINT"},
                              Handled{SIGQUIT, "SIGQUIT"}, Handled{SIGTERM, "SIGTERM"},
                              Handled{SIGPIPE, "SIGPIPE"}};

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);
std::array<struct sigaction, kSignals.size()> g_previous{};

void onStopSignal(int signal)
{
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
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
}

InterruptGuard::~InterruptGuard()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i].signal, &g_previous[i], nullptr);
}

int InterruptGuard::signal()
{
    return g_signal;
}

QString InterruptGuard::signalName(int signal)
{
    for (const Handled &handled : kSignals) {
        if (handled.signal == signal)
            return QLatin1String(handled.name);
    }
    return QStringLiteral("signal %1").arg(signal);
}
