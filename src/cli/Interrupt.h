#pragma once

namespace lockleaf::cli
{

// The Ctrl-C request of lockleaf-cli: one flag, set by the SIGINT/SIGTERM handler
// (async-signal-safe: a lock-free atomic store) and polled by the run between files.

// Installs the handlers for SIGINT and SIGTERM. Call once, from main().
void installInterruptHandlers();

// Sets the flag, as the handlers do. Safe from a signal handler and any thread.
void requestInterrupt() noexcept;
bool interruptRequested() noexcept;
// Clears the flag (tests that run several commands in one process).
void clearInterrupt() noexcept;

} // namespace lockleaf::cli
