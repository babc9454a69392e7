#pragma once

#include "model/FileItem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

namespace lockleaf
{

// The tab-delimited export of the file list.
//
// UTF-8 without a byte-order mark; a header line, then one line per item in
// list order; every line ends with one line feed. Columns: name (with the
// secured marker), pages, size text, type, the modified / accessed / created
// dates, and the folder. A tab, carriage return or line feed inside a value
// is written as a blank, so a value can never split a row or shift a column.

// "Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation\n"
extern const char kExportHeader[];

// A file-system date as the export writes it: "yyyy-MM-dd HH:mm:ss +0000", in
// UTC. An absent date gives "".
QString exportDateText(const QDateTime &date);

// The whole export text, header included. Reads each item's file dates.
QByteArray exportListText(const QList<FileItemPtr> &items);

// The proposed name of an export made at `now`: "Export <date>.txt", the date
// in the pattern "dd-MMM-yyyy hh-mm-ss a" of `locale`.
QString proposedExportName(const QDateTime &now, const QLocale &locale = QLocale::system());

// Writes exportListText(items) to `path` atomically: a temporary file beside
// it is renamed over `path` only once completely written. On failure nothing
// at `path` changes, no temporary file is left, false is returned and *error
// (when given) says why.
bool writeExportFile(const QString &path, const QList<FileItemPtr> &items, QString *error = nullptr);

} // namespace lockleaf
