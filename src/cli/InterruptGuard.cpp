#include "InterruptGuard.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> g_interrupted{false};
struct sigaction g_previousInt = {};
struct sigaction g_previousTerm = {};
struct sigaction g_previousPipe = {};

void onStopSignal(int)
{
    g_interrupted = true;
}

void handle(int signal, void (*handler)(int), struct sigaction *previous)
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, previous);
}

} // namespace

InterruptGuard::InterruptGuard()
{
    g_interrupted = false;
    handle(SIGINT, onStopSignal, &g_previousInt);
    handle(SIGTERM, onStopSignal, &g_previousTerm);
    handle(SIGPIPE, SIG_IGN, &g_previousPipe);
}

InterruptGuard::~InterruptGuard()
{
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    ::sigaction(SIGPIPE, &g_previousPipe, nullptr);
}

bool InterruptGuard::interrupted()
{
    return g_interrupted;
}
