#include "cli/interruptwatcher.h"

#include <csignal>

namespace {

std::atomic<bool> g_interrupted { false };
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onInterrupt(int)
{
    g_interrupted.store(true);
}

void install(int signalNumber, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

InterruptWatcher::InterruptWatcher()
{
    install(SIGINT, onInterrupt);
    install(SIGTERM, onInterrupt);
}

InterruptWatcher::~InterruptWatcher()
{
    install(SIGINT, SIG_DFL);
    install(SIGTERM, SIG_DFL);
}

const std::atomic<bool> *InterruptWatcher::flag()
{
    return &g_interrupted;
}

bool InterruptWatcher::interrupted()
{
    return g_interrupted.load();
}
