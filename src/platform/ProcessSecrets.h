#pragma once

namespace lockleaf
{

// Keeps the passwords this process holds out of core dumps and the crash
// reports made from them (systemd-coredump, apport), and out of reach of a
// debugger attached by the same user: on Linux the process becomes not
// dumpable. Call first thing in main(), before any password is read. Elsewhere
// it does nothing: macOS writes no core files unless asked, and its crash
// reports carry no memory.
void keepSecretsOutOfCoreDumps();

} // namespace lockleaf
