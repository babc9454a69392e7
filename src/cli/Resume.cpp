#include "cli/Resume.h"

#include "engine/FingerprintSet.h"
#include "engine/Log.h"
#include "engine/RunStatus.h"

#include <QDir>
#include <QFileInfo>

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

void ResumePoint::add(const QString &source, const QString &target)
{
    const quint64 key = FingerprintSet::of(source);
    auto number = m_folderNumbers.constFind(target);
    if (number == m_folderNumbers.cend()) {
        if (!QFileInfo(target).isDir()) {
            m_inFolder.remove(key);
            m_ownNames.insert(key, target);
            return;
        }
        number = m_folderNumbers.insert(target, quint32(m_folders.size()));
        m_folders << target;
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
    const QString problem = readLogRecords(
        path,
        [&](const LogFiles &record) {
            if (record.status() == kStatusSecured || record.status() == kStatusUnsecured)
                point.add(QDir(record.sourcePath()).filePath(record.filename()), record.targetPath());
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
