#pragma once

namespace lockleaf::cli
{

// The Ctrl-C request of lockleaf-cli: one flag, set by the SIGINT/SIGTERM handler
// (async-signal-safe: a lock-free atomic store) and polled by the run between files.

// Installs the handlers for SIGINT and SIGTERM, and ignores SIGPIPE so that a
// closed standard output shows as a failed write (see outputClosed). Call
// once, from main().
void installInterruptHandlers();

// Sets the flag, as the handlers do. Safe from a signal handler and any thread.
void requestInterrupt() noexcept;
bool interruptRequested() noexcept;
// Clears both flags (tests that run several commands in one process).
void clearInterrupt() noexcept;

// While one is alive (on any thread), SIGINT and SIGTERM end the program at
// once with "Process cancelled!" and exit status 130, as an interrupted run
// ends. For waits on input (a password file that is a FIFO, standard input):
// the handlers restart interrupted reads, so the wait would go on, and
// nothing is being written then that the run would have to finish.
class InterruptibleInput
{
public:
    InterruptibleInput() noexcept;
    ~InterruptibleInput();
    InterruptibleInput(const InterruptibleInput &) = delete;
    InterruptibleInput &operator=(const InterruptibleInput &) = delete;
};

// Standard output was closed by its reader (`| head -1`): the run stops as on
// Ctrl-C, quietly. Set by the writer that noticed; implies interruptRequested.
void requestOutputClosed() noexcept;
bool outputClosed() noexcept;

} // namespace lockleaf::cli
