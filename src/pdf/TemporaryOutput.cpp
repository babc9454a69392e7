#include "pdf/TemporaryOutput.h"

#include "pdf/DurableFileSink.h"
#include "pdf/FileAttributes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace lockleaf
{

namespace
{

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

TemporaryOutput::TemporaryOutput(const QString &targetPath) : m_target(targetPath)
{
}

TemporaryOutput::~TemporaryOutput()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_path.isEmpty() && !m_replaced)
        ::unlink(m_path.constData());
}

QString TemporaryOutput::path() const
{
    return QFile::decodeName(m_path);
}

bool TemporaryOutput::fail(const QString &what)
{
    m_error = what;
    return false;
}

bool TemporaryOutput::create()
{
    const QString dir = QFileInfo(m_target).absolutePath();
    removeStaleTemporaryFiles(dir);
    QByteArray pattern = QFile::encodeName(dir + QStringLiteral("/.lockleaf-%1-XXXXXX.tmp").arg(::getpid()));
    // mkstemps: O_EXCL, mode 0600; the suffix ".tmp" is 4 bytes.
    const int fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd < 0)
        return fail(QStringLiteral("cannot create a temporary file in %1: %2")
                        .arg(QDir::toNativeSeparators(dir), systemError()));
    m_fd = fd;
    m_path = pattern;
    return true;
}

bool TemporaryOutput::sync()
{
    if (::fsync(m_fd) != 0)
        return fail(QStringLiteral("cannot flush %1: %2").arg(path(), systemError()));
    return true;
}

bool TemporaryOutput::replace()
{
    const QByteArray target = QFile::encodeName(m_target);
    if (!copyFileAttributes(target, m_fd))
        ::fchmod(m_fd, m_newFileMode & 0666 & ~currentUmask());
    ::close(m_fd);
    m_fd = -1;
    // rename(2) replaces the target atomically; a descriptor still reading the
    // old file keeps it alive, so writing over a document's own source is safe.
    if (::rename(m_path.constData(), target.constData()) != 0)
        return fail(
            QStringLiteral("cannot replace %1: %2").arg(QDir::toNativeSeparators(m_target), systemError()));
    m_replaced = true;
    syncFolder(QFileInfo(m_target).absolutePath());
    return true;
}

bool TemporaryOutput::placeAsNew()
{
    const QByteArray target = QFile::encodeName(m_target);
    ::close(m_fd);
    m_fd = -1;
    // renameat2 never replaces; where the file system lacks it, a hard link
    // does the same (link(2) refuses an existing name).
    int result = ::renameat2(AT_FDCWD, m_path.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (result != 0 && errno != EEXIST) {
        result = ::link(m_path.constData(), target.constData());
        if (result == 0)
            ::unlink(m_path.constData());
    }
    if (result != 0)
        return fail(
            QStringLiteral("cannot create %1: %2").arg(QDir::toNativeSeparators(m_target), systemError()));
    m_replaced = true;
    syncFolder(QFileInfo(m_target).absolutePath());
    return true;
}

void removeStaleTemporaryFiles(const QString &dir, bool force)
{
    static QMutex mutex;
    static QSet<QString> cleaned;
    const QString key = QDir(dir).canonicalPath();
    {
        QMutexLocker lock(&mutex);
        if (key.isEmpty() || (cleaned.contains(key) && !force))
            return;
        cleaned.insert(key);
    }
    static const QRegularExpression name(QStringLiteral("^\\.lockleaf-([0-9]{1,10})-[A-Za-z0-9]{6}\\.tmp$"));
    const QStringList candidates =
        QDir(key).entryList({QStringLiteral(".lockleaf-*.tmp")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &candidate : candidates) {
        const QRegularExpressionMatch match = name.match(candidate);
        if (!match.hasMatch())
            continue;
        bool ok = false;
        const qlonglong pid = match.captured(1).toLongLong(&ok);
        if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max() || pid == ::getpid())
            continue;
        // EPERM means alive (another user's process): only ESRCH is gone.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        const QByteArray path = QFile::encodeName(key + QLatin1Char('/') + candidate);
        struct stat st {
        };
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.constData());
    }
}

} // namespace lockleaf
