#pragma once

#include "model/FileItem.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace lockleaf::cli
{

// What an earlier run's log (finished, or left unfinished by a kill) says was
// written: the output of each source it records as secured or unsecured. Kept
// in a few bytes a file (a fingerprint of the source's path and its output
// folder's number), so a log of a million files can be resumed from.
class ResumePoint
{
public:
    // The output of `source` as its log record names it: the output's folder
    // (the source's file name in it), or the output itself when it has a
    // name of its own. Full paths.
    void add(const QString &source, const QString &target);
    // The output recorded for `source`; "" when none is.
    QString outputOf(const QString &source) const;

    bool finished = false; // the log was closed by its run

private:
    QStringList m_folders;
    QHash<QString, quint32> m_folderNumbers;
    QHash<quint64, quint32> m_inFolder; // source fingerprint -> folder number
    QHash<quint64, QString> m_ownNames; // source fingerprint -> output
};

// Reads the log at `path`; nothing, with *error set, when it cannot be read
// or is not a processing log.
std::optional<ResumePoint> readResumePoint(const QString &path, QString *error);

// Whether `point` records `item` as written and its output is still there
// and is what this run would write (`openPassword`, or the file's own from
// a map, when securing; readable without a password when unsecuring).
bool isDone(const FileItem &item, const ResumePoint &point, bool securing, const QString &openPassword);

} // namespace lockleaf::cli
