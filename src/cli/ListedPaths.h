#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace lockleaf::cli
{

// The paths of a --files-from list, and the lines that named nothing usable.
struct ListedPaths {
    QStringList paths; // absolute, cleaned; each exists
    struct Bad {
        QString entry;  // what the line said (a path, never a password)
        QString reason; // "line N of LIST: ..."
    };
    QList<Bad> bad;
};

// Reads `bytes`, the contents of the list `listName`: one path per line ("\n",
// "\r\n"), or, with `nulSeparated`, paths ended by NUL bytes as `find -print0`
// writes them. Paths are in the file-name encoding; relative ones are taken
// from the current folder. Empty lines are passed over; a path that does not
// exist is a bad line with its number.
ListedPaths readListedPaths(const QByteArray &bytes, const QString &listName, bool nulSeparated);

} // namespace lockleaf::cli
