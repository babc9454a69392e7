#pragma once

#include <QString>

namespace lockleaf
{

// Why a write is refused when its source is no longer the file that was read.
inline const QString kSourceChangedText = QStringLiteral("source changed while it was being read");

// What tells one state of a file from another: the file itself (device and
// inode) and what any write to it, or a rename over it, changes (size,
// modification and change times). Taken with stat(2), so a symbolic link
// stands for the file it points to.
struct SourceIdentity {
    QString path;
    bool exists = false;
    bool missing = false; // the path names nothing (ENOENT, ENOTDIR); not set for other failures
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    unsigned mode = 0; // permission bits (07777)
    quint64 links = 0;

    static SourceIdentity of(const QString &path);
    // The same file on disk, whatever its state or the path it was reached by.
    bool sameFile(const SourceIdentity &other) const;
    // The file at `path` is still the file in the state taken here; false
    // when it was never there.
    bool unchanged() const;
};

} // namespace lockleaf
