#ifndef CLI_INTERRUPTWATCHER_H
#define CLI_INTERRUPTWATCHER_H

#include <atomic>

// Turns Ctrl+C (SIGINT) and SIGTERM into the cancel flag a running job
// polls, the flag the progress form's Cancel button sets in the window. The
// signal handler does nothing but store into the lock-free atomic, which is
// safe inside a handler. Installed without SA_RESTART, so a blocking wait
// (a lock on a database) returns early and sees the flag.
class InterruptWatcher
{
public:
    InterruptWatcher();
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher &) = delete;
    InterruptWatcher &operator=(const InterruptWatcher &) = delete;

    [[nodiscard]] static const std::atomic<bool> *flag();
    [[nodiscard]] static bool interrupted();
};

#endif
