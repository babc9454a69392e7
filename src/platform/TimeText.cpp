#include "platform/TimeText.h"

namespace lockleaf
{

QString timeTakenString(const QDateTime &start, const QDateTime &end)
{
    if (!start.isValid() || !end.isValid())
        return QString("");
    const qint64 ms = start.msecsTo(end);
    if (ms < 1000)
        return QString("");
    const qint64 total = ms / 1000; // whole seconds, truncated
    const qint64 hours = total / 3600;
    const qint64 minutes = (total % 3600) / 60;
    const qint64 seconds = total % 60;
    QString text("");
    if (hours > 0)
        text += QStringLiteral("%1 hr(s) ").arg(hours);
    if (minutes > 0)
        text += QStringLiteral("%1 min(s) ").arg(minutes);
    if (seconds > 0)
        text += QStringLiteral("%1 sec(s) ").arg(seconds);
    return text;
}

} // namespace lockleaf
