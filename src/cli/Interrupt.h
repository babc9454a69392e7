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

// Standard output was closed by its reader (`| head -1`): the run stops as on
// Ctrl-C, quietly. Set by the writer that noticed; implies interruptRequested.
void requestOutputClosed() noexcept;
bool outputClosed() noexcept;

} // namespace lockleaf::cli
