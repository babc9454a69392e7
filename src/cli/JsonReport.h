#pragma once

#include "engine/Log.h"
#include "model/FileItem.h"

#include <QString>

namespace lockleaf::cli
{

// The --json report: one compact JSON object per line for each file, then one
// with the counts. Keeps the counts of what it has written.
class JsonReport final
{
public:
    // An entry left out before the run ("Skipped: <reason>").
    QString skipped(const QString &path, const QString &reason);
    // A file the run worked on, from its log record.
    QString file(const LogFiles &record, const QString &source, int pages);
    // The closing line; `logPath` is null when the log could not be saved.
    QString summary(int total, const QString &message, const QString &logPath) const;

    // One line of `list --json`: the listing's columns of one file ("name"
    // without the secured marker, "pages", "size" in bytes, "sizeText",
    // "type", the "modified" / "accessed" / "created" dates in UTC ISO 8601
    // or null, "secured", "location") and its "path".
    static QString listed(const FileItem &item);

private:
    int m_written = 0;
    int m_failed = 0;
    int m_skipped = 0;
};

} // namespace lockleaf::cli
