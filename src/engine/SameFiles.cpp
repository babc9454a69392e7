#include "engine/SameFiles.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace lockleaf
{

QString SameFiles::earlierPathOf(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat link {
    };
    if (::lstat(encoded.constData(), &link) != 0)
        return QString();
    struct stat file = link;
    const bool isLink = S_ISLNK(link.st_mode);
    if (isLink && ::stat(encoded.constData(), &file) != 0)
        return QString();
    const quint64 identity[2] = {quint64(file.st_dev), quint64(file.st_ino)};
    const quint64 fingerprint = FingerprintSet::of(identity, sizeof identity);
    if (m_met.insert(fingerprint)) {
        if (m_everyPath || isLink || file.st_nlink > 1)
            m_paths.insert(fingerprint, path);
        return QString();
    }
    const auto known = m_paths.constFind(fingerprint);
    if (known != m_paths.cend())
        return *known;
    // Kept without its path: it was met under its one real name.
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? path : real;
}

} // namespace lockleaf
