#include "engine/SameFiles.h"

#include "pdf/SourceIdentity.h"

#include <QHash>
#include <QPair>

namespace lockleaf
{

QStringList earlierPathsOfSameFiles(const QStringList &paths)
{
    QHash<QPair<quint64, quint64>, QString> firstPath;
    QStringList earlier;
    earlier.reserve(paths.size());
    for (const QString &path : paths) {
        const SourceIdentity identity = SourceIdentity::of(path);
        if (!identity.exists) {
            earlier << QString();
            continue;
        }
        const auto key = qMakePair(identity.device, identity.inode);
        const auto found = firstPath.constFind(key);
        if (found != firstPath.cend()) {
            earlier << *found;
        } else {
            firstPath.insert(key, path);
            earlier << QString();
        }
    }
    return earlier;
}

} // namespace lockleaf
