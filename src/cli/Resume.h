#pragma once

#include "model/FileItem.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace lockleaf::cli
{

// What an earlier run's log (finished, or left unfinished by a kill) says was
// written: the output of each source it records as secured or unsecured.
struct ResumePoint {
    QHash<QString, QString> outputBySource; // full paths
    bool finished = false;                  // the log was closed by its run
};

// Reads the log at `path`; nothing, with *error set, when it cannot be read
// or is not a processing log.
std::optional<ResumePoint> readResumePoint(const QString &path, QString *error);

// Whether `point` records `item` as written and its output is still there
// and is what this run would write (`openPassword`, or the file's own from
// a map, when securing; readable without a password when unsecuring).
bool isDone(const FileItem &item, const ResumePoint &point, bool securing, const QString &openPassword);

} // namespace lockleaf::cli
