#pragma once

#include <QString>

#include <functional>

namespace lockleaf
{

// Writes one line to the system log (syslog on POSIX) and to stderr.
// Every "Error in (...) : reason" line of the application goes through here.
// Thread-safe.
void systemLog(const QString &line);

// Formats and writes the usual failure line: "Error in (<place>) : <reason>".
void logError(const QString &place, const QString &reason);

// Test seam: while a sink is installed, lines go to it instead of syslog/stderr.
// Pass an empty function to restore the default. Returns the previous sink.
using SystemLogSink = std::function<void(const QString &)>;
SystemLogSink setSystemLogSink(SystemLogSink sink);

} // namespace lockleaf
