#include "cli/Resume.h"

#include "engine/FingerprintSet.h"
#include "engine/Log.h"
#include "engine/RunStatus.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace lockleaf::cli
{

namespace
{

bool stillDone(const QString &output, bool securing, const QString &openPassword)
{
    if (!QFileInfo(output).isFile())
        return false;
    const FileItemPtr written =
        FileItem::initWithURL(QUrl::fromLocalFile(output), securing ? openPassword : QString());
    if (!written || written->pages() <= 0)
        return false;
    return written->isSecured() == securing;
}

} // namespace

void ResumePoint::add(const QString &source, const QString &folder, const QString &output)
{
    const quint64 key = FingerprintSet::of(source);
    if (folder.isEmpty()) {
        m_inFolder.remove(key);
        m_ownNames.insert(key, output);
        return;
    }
    auto number = m_folderNumbers.constFind(folder);
    if (number == m_folderNumbers.cend()) {
        number = m_folderNumbers.insert(folder, quint32(m_folders.size()));
        m_folders << folder;
    }
    m_ownNames.remove(key);
    m_inFolder.insert(key, *number);
}

QString ResumePoint::outputOf(const QString &source) const
{
    const quint64 key = FingerprintSet::of(source);
    const auto inFolder = m_inFolder.constFind(key);
    if (inFolder != m_inFolder.cend())
        return QDir(m_folders.at(*inFolder)).filePath(QFileInfo(source).fileName());
    return m_ownNames.value(key);
}

std::optional<ResumePoint> readResumePoint(const QString &path, QString *error)
{
    ResumePoint point;
    // The log names an output's folder, or the output itself when it could
    // not keep its source's name.
    QSet<QString> folders;
    const QString problem = readLogRecords(
        path,
        [&](const LogFiles &record) {
            if (record.status() != kStatusSecured && record.status() != kStatusUnsecured)
                return;
            const QString source = QDir(record.sourcePath()).filePath(record.filename());
            const QString target = record.targetPath();
            if (folders.contains(target) || QFileInfo(target).isDir()) {
                folders.insert(target);
                point.add(source, target, QString());
            } else {
                point.add(source, QString(), target);
            }
        },
        &point.finished);
    if (!problem.isNull()) {
        *error = QStringLiteral("cannot resume from %1: %2").arg(path, problem);
        return std::nullopt;
    }
    return point;
}

bool isDone(const FileItem &item, const ResumePoint &point, bool securing, const QString &openPassword)
{
    const QString done = point.outputOf(item.filePath().toLocalFile());
    if (done.isEmpty())
        return false;
    const QString password = item.hasOwnPasswords() ? item.ownOpenPassword() : openPassword;
    return stillDone(done, securing, password);
}

} // namespace lockleaf::cli
