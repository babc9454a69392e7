#pragma once

#include "model/PasswordMap.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace lockleaf
{

// The lines of an imported text that hold a tab, read as a password map (each
// line `path<TAB>open password[<TAB>permission password]`, see
// parsePasswordMap) and numbered as the text's lines ("\n" ends a line, a
// "\r" before it belongs to the line end). A file named on a line that was not
// taken, or with other passwords on two lines, gets no passwords at all: which
// line is right cannot be told. Pure; any thread.
struct ImportedPasswords {
    QString plainText;                        // the text with its map lines emptied
    QHash<QString, PasswordMapEntry> entries; // by normalisedMapPath
    QList<PasswordMapProblem> problems;       // in line order; never a password
};
ImportedPasswords readImportedPasswords(const QString &text, const QString &baseDir);

// Why lines of an imported list of paths were not added, so the window can
// say so: the list's own parsing drops some lines silently, and a path it
// takes may name nothing on disk. Pure; any thread.
struct ImportReview {
    Q_DECLARE_TR_FUNCTIONS(lockleaf::ImportReview)

public:
    QList<QUrl> existing; // the taken files that exist, in order
    // The 1-based numbers of the lines not taken, by reason, each path once:
    QList<int> missing; // taken, but no such file
    QList<int> folders; // a folder's path (folders are added with Add Folder...)
    QList<int> blanks;  // blanks or tabs before or after the path
    QList<int> notPdf;  // any other line with text
    // The map's files that exist and were taken, by normalisedMapPath.
    QHash<QString, PasswordMapEntry> passwords;
    QList<PasswordMapProblem> mapLines; // map lines not taken, in line order

    int notTaken() const
    {
        return int(missing.size() + folders.size() + blanks.size() + notPdf.size() + mapLines.size());
    }
    // "" when every line was taken; otherwise one line per reason with the
    // numbers of its lines, then one per map line not taken with its number
    // (never a line's text).
    QString message() const;
};

// `taken` is what the import dialog took from `text`; `map` what it read from
// the text's map lines, which the plain-path review leaves to it.
ImportReview reviewImport(const QString &text, const QList<QUrl> &taken, const ImportedPasswords &map = {});

} // namespace lockleaf
