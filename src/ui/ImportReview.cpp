#include "ui/ImportReview.h"

#include <QFileInfo>
#include <QSet>

namespace lockleaf
{

ImportReview reviewImport(const QString &text, const QList<QUrl> &taken)
{
    ImportReview review;
    QSet<QString> takenPaths;
    for (const QUrl &url : taken) {
        takenPaths.insert(url.toLocalFile());
        if (QFileInfo(url.toLocalFile()).isFile())
            review.existing.append(url);
    }
    QSet<QString> seen;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const QFileInfo info(line);
        const QString path = info.absoluteFilePath();
        // Each path is judged once, however often it is listed.
        if (seen.contains(path))
            continue;
        seen.insert(path);
        const bool isTaken = takenPaths.contains(path);
        if (isTaken && info.isFile())
            continue;
        if (line != line.trimmed())
            ++review.blanks;
        else if (isTaken)
            ++review.missing;
        else if (info.isDir())
            ++review.folders;
        else
            ++review.notPdf;
    }
    return review;
}

QString ImportReview::message() const
{
    if (notTaken() == 0)
        return {};
    QStringList lines{QStringLiteral("%1 line(s) of the list were not added:").arg(notTaken())};
    if (missing > 0)
        lines.append(QStringLiteral("%1 name no existing file").arg(missing));
    if (folders > 0)
        lines.append(QStringLiteral("%1 name a folder (add folders with Add Folder...)").arg(folders));
    if (blanks > 0)
        lines.append(QStringLiteral("%1 have blanks before or after the path").arg(blanks));
    if (notPdf > 0)
        lines.append(QStringLiteral("%1 name no PDF file").arg(notPdf));
    return lines.join(QLatin1Char('\n'));
}

} // namespace lockleaf
