#include "cli/ListedPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lockleaf::cli
{

ListedPaths readListedPaths(const QByteArray &bytes, const QString &listName, bool nulSeparated)
{
    ListedPaths listed;
    const QList<QByteArray> lines = bytes.split(nulSeparated ? '\0' : '\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray raw = lines.at(i);
        if (!nulSeparated && raw.endsWith('\r'))
            raw.chop(1);
        if (raw.isEmpty())
            continue;
        const QString path = QFile::decodeName(raw);
        const QString where = QStringLiteral("line %1 of %2").arg(i + 1).arg(listName);
        // A NUL-separated list read as lines (or the other way round) gives
        // names no file has: said per line, not guessed at.
        if (!nulSeparated && raw.contains('\0')) {
            listed.bad.append({path, where + QStringLiteral(": holds a NUL byte (use --null)")});
            continue;
        }
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        const QFileInfo info(absolute);
        if (!info.exists() && !info.isSymLink())
            listed.bad.append({path, where + QStringLiteral(": no such file or folder")});
        else
            listed.paths << absolute;
    }
    return listed;
}

} // namespace lockleaf::cli
