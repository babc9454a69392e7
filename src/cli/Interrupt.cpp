#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

#include <unistd.h>

namespace lockleaf::cli
{

namespace
{
std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_outputClosed{false};
std::atomic<int> g_waitingForInput{0};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free count");

constexpr int kInterruptedExit = 130;

extern "C" void onInterruptSignal(int)
{
    g_interrupted.store(true);
    if (g_waitingForInput.load() > 0) {
        // write and _exit only: both are async-signal-safe.
        static const char message[] = "Process cancelled!\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, sizeof message - 1);
        ::_exit(kInterruptedExit);
    }
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

InterruptibleInput::InterruptibleInput() noexcept
{
    g_waitingForInput.fetch_add(1);
}

InterruptibleInput::~InterruptibleInput()
{
    g_waitingForInput.fetch_sub(1);
}

bool outputClosed() noexcept
{
    return g_outputClosed.load();
}

} // namespace lockleaf::cli
