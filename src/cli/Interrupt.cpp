#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace lockleaf::cli
{

namespace
{
std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_outputClosed{false};
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
    std::signal(SIGPIPE, SIG_IGN);
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
    g_outputClosed.store(false);
}

void requestOutputClosed() noexcept
{
    g_outputClosed.store(true);
    g_interrupted.store(true);
}

bool outputClosed() noexcept
{
    return g_outputClosed.load();
}

} // namespace lockleaf::cli
