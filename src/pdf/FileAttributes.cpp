#include "pdf/FileAttributes.h"

#include <QFile>

#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>

namespace lockleaf
{

namespace
{

void copyExtendedAttributes(const char *from, int toFd)
{
    ssize_t size = ::listxattr(from, nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(size));
    size = ::listxattr(from, names.data(), names.size());
    if (size <= 0)
        return;
    std::vector<char> value;
    for (const char *name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        const ssize_t length = ::getxattr(from, name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<size_t>(length));
        const ssize_t read = ::getxattr(from, name, value.data(), value.size());
        if (read >= 0)
            (void)::fsetxattr(toFd, name, value.data(), static_cast<size_t>(read), 0);
    }
}

} // namespace

bool copyFileAttributes(const QByteArray &from, int toFd)
{
    struct stat st {
    };
    if (::stat(from.constData(), &st) != 0)
        return false;
    if (::fchown(toFd, st.st_uid, st.st_gid) != 0)
        (void)::fchown(toFd, static_cast<uid_t>(-1), st.st_gid);
    copyExtendedAttributes(from.constData(), toFd);
    ::fchmod(toFd, st.st_mode & 0777);
    return true;
}

unsigned currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (!line.startsWith("Umask:"))
                continue;
            bool ok = false;
            const unsigned mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (ok)
                return mask & 0777;
        }
    }
    // Older kernels do not say: assume the common mask rather than race umask(2).
    return 022;
}

} // namespace lockleaf
