#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace lockleaf
{

// Why lines of an imported list of paths were not added, so the window can
// say so: the list's own parsing drops some lines silently, and a path it
// takes may name nothing on disk. Pure; any thread.
struct ImportReview {
    QList<QUrl> existing; // the taken files that exist, in order
    int missing = 0;      // taken, but no such file
    int folders = 0;      // a folder's path (folders are added with Add Folder...)
    int blanks = 0;       // blanks or tabs before or after the path
    int notPdf = 0;       // any other line with text

    int notTaken() const { return missing + folders + blanks + notPdf; }
    // "" when every line was taken; otherwise one line per reason.
    QString message() const;
};

// `taken` is what the import dialog took from `text`.
ImportReview reviewImport(const QString &text, const QList<QUrl> &taken);

} // namespace lockleaf
