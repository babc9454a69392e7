#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace lockleaf::cli
{

namespace
{
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onInterruptSignal(int)
{
    g_interrupted.store(true);
}
} // namespace

void installInterruptHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onInterruptSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted reads and writes: the file in hand must finish normally.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void requestInterrupt() noexcept
{
    g_interrupted.store(true);
}

bool interruptRequested() noexcept
{
    return g_interrupted.load();
}

void clearInterrupt() noexcept
{
    g_interrupted.store(false);
}

} // namespace lockleaf::cli
