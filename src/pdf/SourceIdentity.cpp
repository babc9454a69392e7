#include "pdf/SourceIdentity.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace lockleaf
{

namespace
{

qint64 nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

SourceIdentity SourceIdentity::of(const QString &path)
{
    SourceIdentity identity;
    identity.path = path;
    struct stat st {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) {
        identity.missing = path.isEmpty() || errno == ENOENT || errno == ENOTDIR;
        return identity;
    }
    identity.exists = true;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    identity.size = st.st_size;
    identity.modifiedNs = nanoseconds(st.st_mtim);
    identity.changedNs = nanoseconds(st.st_ctim);
    identity.mode = st.st_mode & 07777;
    identity.links = st.st_nlink;
    return identity;
}

bool SourceIdentity::sameFile(const SourceIdentity &other) const
{
    return exists && other.exists && device == other.device && inode == other.inode;
}

bool SourceIdentity::unchanged() const
{
    const SourceIdentity now = of(path);
    return sameFile(now) && size == now.size && modifiedNs == now.modifiedNs && changedNs == now.changedNs;
}

} // namespace lockleaf
