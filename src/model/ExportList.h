#pragma once

#include "model/FileItem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace lockleaf
{

// The tab-delimited export of the file list.
//
// UTF-8 without a byte-order mark; a header line, then one line per item in
// list order; every line ends with one line feed. Columns: name (with the
// secured marker), pages, size text, type, the modified / accessed / created
// dates, the folder, and the outcome of the last run. A tab, carriage return or line feed inside a value
// is written as a blank, so a value can never split a row or shift a column.

// "Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation\tStatus\n";
// the Status column came last so the earlier columns keep their places.
extern const char kExportHeader[];

// An item's Status cell: its RunOutcome, "status: reason" ("" before a run).
using ExportStatusText = std::function<QString(const FileItem &)>;
QString exportStatusText(const FileItem &item);

// A file-system date as the export writes it: "yyyy-MM-dd HH:mm:ss +0000", in
// UTC. An absent date gives "".
QString exportDateText(const QDateTime &date);

// The whole export text, header included. Reads each item's file dates.
// `status` words the Status cells (exportStatusText when empty).
QByteArray exportListText(const QList<FileItemPtr> &items, const ExportStatusText &status = {});

// An export read back as a plain list of paths, one per line, so Import List
// can reopen a saved list: each row becomes its Location joined with its Name
// (the secured marker taken off), the header line an empty line, so line
// numbers stay those of the export. A row too short for those columns becomes
// an empty line. nullopt when the first line is not an export's header (this
// one or the earlier one without Status). A value whose tab or line break the
// export turned into a blank names no file any more.
std::optional<QString> exportedPaths(const QString &text);

// The proposed name of an export made at `now`: "Export <date>.txt", the date
// in the pattern "dd-MMM-yyyy hh-mm-ss a" of `locale`.
QString proposedExportName(const QDateTime &now, const QLocale &locale = QLocale::system());

// Writes exportListText(items) to `path` atomically: a temporary file beside
// it is renamed over `path` only once completely written. On failure nothing
// at `path` changes, no temporary file is left, false is returned and *error
// (when given) says why.
bool writeExportFile(const QString &path, const QList<FileItemPtr> &items, QString *error = nullptr,
                     const ExportStatusText &status = {});

} // namespace lockleaf
