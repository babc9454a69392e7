#pragma once

#include "model/FileItem.h"
#include "model/PasswordMap.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

namespace lockleaf
{
class PDFSettings;
}

namespace lockleaf::cli
{

struct Options;

// The map named by --password-map: a file, or "-" for standard input (taken
// through `takeStdin`, which says whether it was still to be had). Relative
// paths are resolved against the current folder. A map with problems gives no
// map and *error says each one with its line number, one per line of the
// message; no password ever appears in it.
std::optional<PasswordMap> readPasswordMapArgument(const QString &file,
                                                   const std::function<bool(QByteArray *)> &takeStdin,
                                                   QString *error);

// Gives the gathered `files` their lines of options.passwordMap before the
// run, and says what stops it (one message per line; empty when it may go on):
// a line naming no file of the run, and in secure mode a mapped password that
// `runPdf` (the run's settings) cannot write, or a file left without any
// password. Secure: each mapped item gets its own passwords. Unsecure: a
// mapped secured item is opened with its own passwords when they open it
// (the one granting copying first), the run's passwords after them.
QStringList applyPasswordMap(const Options &options, const QList<FileItemPtr> &files,
                             const PDFSettings &runPdf);

} // namespace lockleaf::cli
