#pragma once

#include "engine/FingerprintSet.h"

#include <QHash>
#include <QString>

namespace lockleaf
{

// Tells, entry by entry in list order, whether a path names a file met before
// in the run (a symbolic link, a path through a linked folder, a hard link).
// One file reached twice in a run would be worked on twice, at once with
// several jobs, and the outputs would race for the same file. Not thread-safe.
class SameFiles final
{
public:
    // `rememberEveryPath` false keeps a fingerprint per file and a path only
    // for entries that are links or have several names: what a run of a
    // million files can afford. An entry met again then names the earlier
    // path when it was kept, else the file's own real path.
    explicit SameFiles(bool rememberEveryPath = true) : m_everyPath(rememberEveryPath) {}

    // The earlier path naming the same file as `path`; "" when none does or
    // the file cannot be read.
    QString earlierPathOf(const QString &path);

private:
    bool m_everyPath;
    FingerprintSet m_met;
    QHash<quint64, QString> m_paths; // fingerprint -> first path
};

} // namespace lockleaf
