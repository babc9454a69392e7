#include "engine/OutputNames.h"

#include "pdf/WriteOut.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>

namespace lockleaf
{

namespace
{

// The longest file name (in bytes) the common file systems take (NAME_MAX).
constexpr qsizetype kMaxNameBytes = 255;

QString key(const QString &path)
{
    return QDir::cleanPath(path);
}

} // namespace

void OutputNames::setSources(const QStringList &sourcePaths)
{
    QMutexLocker lock(&m_mutex);
    m_pending.clear();
    for (const QString &path : sourcePaths)
        m_pending.insert(key(path));
}

QString OutputNames::pathFor(const QString &outputFolder, const QString &sourcePath)
{
    QMutexLocker lock(&m_mutex);
    m_pending.remove(key(sourcePath));
    const QString natural = outputPathFor(outputFolder, sourcePath);
    if (!isTaken(natural, sourcePath))
        return natural;
    // A later output with a taken name must not replace anything at all, so a
    // free name is one nobody has on disk either.
    for (int n = 2;; ++n) {
        const QString candidate = numbered(natural, n);
        if (!isTaken(candidate, sourcePath) && !QFileInfo::exists(candidate) &&
            !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

void OutputNames::markWritten(const QString &outputPath)
{
    QMutexLocker lock(&m_mutex);
    m_written.insert(FingerprintSet::of(key(outputPath)));
}

QString OutputNames::familyOf(const QString &path)
{
    static const QRegularExpression numberedStem(QStringLiteral("( \\(\\d+\\))+$"));
    const QString clean = key(path);
    const QFileInfo info(clean);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    stem.remove(numberedStem);
    return clean.left(clean.size() - name.size()) + stem + extension;
}

QString OutputNames::numbered(const QString &path, int n)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    const QString folder = path.left(path.size() - name.size());
    return folder + QStringLiteral("%1 (%2)%3").arg(stem, QString::number(n), extension);
}

QStringList OutputNames::familiesOf(const QString &outputFolder, const QString &sourcePath)
{
    return {familyOf(outputPathFor(outputFolder, sourcePath)), familyOf(sourcePath)};
}

QString OutputNames::backupPathFor(const QString &readPath, bool isSecured, const QDateTime &now)
{
    const QFileInfo info(readPath);
    const QString extension = info.suffix();
    const QString extensionText = extension.isEmpty() ? QString() : QStringLiteral(".") + extension;
    const QString stamp = getStringFromDateFormat(QStringLiteral("%d%m%Y%H%M%S"), now);
    const QString marker = isSecured ? QStringLiteral(" (SECURED)") : QString();
    const QString suffix = QStringLiteral("_%1_bak%2%3").arg(stamp, marker, extensionText);

    // Only the file name changes: a folder called "old.pdf.files" stays as it is.
    QString name = info.fileName();
    if (!extensionText.isEmpty() && name.endsWith(extensionText))
        name.chop(extensionText.size());
    // A name longer than the file system takes would fail the backup, and
    // the file with it: the stem gives way, a whole character at a time, so
    // the stamp and the extension stay.
    const qsizetype suffixBytes = QFile::encodeName(suffix).size();
    while (!name.isEmpty() && QFile::encodeName(name).size() + suffixBytes > kMaxNameBytes)
        name.chop(name.size() >= 2 && name.back().isLowSurrogate() ? 2 : 1);
    const QString folder = readPath.left(readPath.size() - info.fileName().size());
    return folder + name + suffix;
}

bool OutputNames::isTaken(const QString &path, const QString &sourcePath) const
{
    const QString k = key(path);
    if (m_written.contains(FingerprintSet::of(k)))
        return true;
    // A source still to be read must not be replaced before it is read; a
    // source written onto itself (in place) is fine.
    if (k == key(sourcePath))
        return false;
    return m_pending.contains(k) || (m_pendingTest && m_pendingTest(k, key(sourcePath)));
}

} // namespace lockleaf
