#include "platform/SystemLog.h"

#include <QByteArray>

#include <cstdio>
#include <mutex>
#include <syslog.h>

namespace lockleaf
{

namespace
{
std::mutex &sinkMutex()
{
    static std::mutex m;
    return m;
}
SystemLogSink &currentSink()
{
    static SystemLogSink sink;
    return sink;
}
} // namespace

void systemLog(const QString &line)
{
    SystemLogSink sink;
    {
        std::lock_guard<std::mutex> lock(sinkMutex());
        sink = currentSink();
    }
    if (sink) {
        sink(line);
        return;
    }
    const QByteArray bytes = line.toUtf8();
    ::syslog(LOG_USER | LOG_ERR, "%s", bytes.constData());
    std::fprintf(stderr, "%s\n", bytes.constData());
}

void logError(const QString &place, const QString &reason)
{
    systemLog(QStringLiteral("Error in (%1) : %2").arg(place, reason));
}

SystemLogSink setSystemLogSink(SystemLogSink sink)
{
    std::lock_guard<std::mutex> lock(sinkMutex());
    SystemLogSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

} // namespace lockleaf
