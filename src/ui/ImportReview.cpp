#include "ui/ImportReview.h"

#include <QCoreApplication>
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
    QStringList lines{QCoreApplication::translate(
        "lockleaf::ImportReview", "%n line(s) of the list were not added:", nullptr, notTaken())};
    if (missing > 0)
        lines.append(QCoreApplication::translate("lockleaf::ImportReview", "%n name no existing file",
                                                 nullptr, missing));
    if (folders > 0)
        lines.append(QCoreApplication::translate(
            "lockleaf::ImportReview", "%n name a folder (add folders with Add Folder...)", nullptr, folders));
    if (blanks > 0)
        lines.append(QCoreApplication::translate("lockleaf::ImportReview",
                                                 "%n have blanks before or after the path", nullptr, blanks));
    if (notPdf > 0)
        lines.append(
            QCoreApplication::translate("lockleaf::ImportReview", "%n name no PDF file", nullptr, notPdf));
    return lines.join(QLatin1Char('\n'));
}

} // namespace lockleaf
