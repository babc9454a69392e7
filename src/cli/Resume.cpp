#include "cli/Resume.h"

#include "engine/Log.h"
#include "engine/RunStatus.h"

#include <QDir>
#include <QFileInfo>

namespace lockleaf::cli
{

namespace
{

// The log names an output's folder, or the output itself when it could not
// keep its source's name.
QString outputOf(const LogFiles &record)
{
    const QString target = record.targetPath();
    return QFileInfo(target).isDir() ? QDir(target).filePath(record.filename()) : target;
}

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

std::optional<ResumePoint> readResumePoint(const QString &path, QString *error)
{
    const LogContents contents = readLogFile(path);
    if (!contents.error.isNull()) {
        *error = QStringLiteral("cannot resume from %1: %2").arg(path, contents.error);
        return std::nullopt;
    }
    ResumePoint point;
    point.finished = contents.finished;
    for (const LogFiles &record : contents.records)
        if (record.status() == kStatusSecured || record.status() == kStatusUnsecured)
            point.outputBySource.insert(QDir(record.sourcePath()).filePath(record.filename()),
                                        outputOf(record));
    return point;
}

bool isDone(const FileItem &item, const ResumePoint &point, bool securing, const QString &openPassword)
{
    const auto done = point.outputBySource.constFind(item.filePath().toLocalFile());
    if (done == point.outputBySource.cend())
        return false;
    const QString password = item.hasOwnPasswords() ? item.ownOpenPassword() : openPassword;
    return stillDone(*done, securing, password);
}

} // namespace lockleaf::cli
