#include "pdf/FileCopy.h"

#include "pdf/FileAttributes.h"
#include "pdf/TemporaryOutput.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace lockleaf
{

namespace
{

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Every byte of `from` into `to`; false with errno set on a failed read or write.
bool copyBytes(int from, int to)
{
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t written = ::write(to, buffer.data() + done, static_cast<size_t>(n - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return false;
            done += written;
        }
    }
}

} // namespace

QString copyFileDurably(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const int in = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(from), systemError());
    TemporaryOutput copy(to);
    bool copied = copy.create() && copyBytes(in, copy.fd());
    const QString readError = copied || !copy.error().isEmpty() ? QString() : systemError();
    ::close(in);
    if (!copy.error().isEmpty())
        return copy.error();
    if (!copied)
        return QStringLiteral("cannot copy %1: %2").arg(QDir::toNativeSeparators(from), readError);
    copyFileAttributes(source, copy.fd());
    if (!copy.sync() || !copy.placeAsNew())
        return copy.error();
    return QString();
}

} // namespace lockleaf
