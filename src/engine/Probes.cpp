#include "engine/Probes.h"

#include "engine/PDFDocument.h"

#include <QFileInfo>
#include <QOperatingSystemVersion>

namespace lockleaf
{

int getPDFPageCount(const QString &path, const QString &password, bool *isSecured)
{
    try {
        if (QFileInfo(path).suffix().toUpper() != QLatin1String("PDF"))
            return 0;
        std::unique_ptr<PDFDocument> doc = PDFDocument::initWithURL(path);
        if (!doc)
            return 0;
        if (doc->isEncrypted()) {
            if (isSecured)
                *isSecured = true;
            return doc->unlockWithPassword(password) ? doc->pageCount() : 0;
        }
        if (isSecured)
            *isSecured = false;
        return doc->pageCount();
    } catch (const std::exception &) {
        // PDFDocument reports failures as results; only memory exhaustion gets here.
        return 0;
    }
}

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

bool isLionOrLaterVersion(int major, int minor)
{
    return (major == 10 && minor > 6) || major > 10;
}

bool isLionOrLater()
{
#ifdef Q_OS_MACOS
    const QOperatingSystemVersion v = QOperatingSystemVersion::current();
    return isLionOrLaterVersion(v.majorVersion(), v.minorVersion());
#else
    return true;
#endif
}

} // namespace lockleaf
