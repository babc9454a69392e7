#pragma once

#include "model/FileItem.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace lockleaf::cli
{

// Where lockleaf-cli talks to. Not owned.
struct CliIo {
    QTextStream *out = nullptr;                       // status lines, summary, list output
    QTextStream *err = nullptr;                       // usage errors, notes, progress
    bool errIsTerminal = false;                       // progress bar only on a terminal
    std::function<QByteArray()> readStdin;            // all of it, up to the largest password map
    std::function<QByteArray(qint64)> readStdinChunk; // at most the size asked; empty at the end
};

// Runs one lockleaf-cli command on the calling thread and returns its exit
// status: 0 every file written (or listed), 1 some file failed or was skipped,
// 2 usage error, 130 interrupted (see Interrupt.h). Uses settings of its own,
// in memory: the app's saved settings are never changed, and its saved
// password list is read only with --saved-passwords or changed by the
// "passwords" command (PasswordsCommand.h). Never throws.
int runCli(const QStringList &arguments, const CliIo &io);

// The tab-delimited export of a file list: a header line, then one line per
// item (name, pages, size, type, modified, accessed, created, location).
QString exportText(const QList<FileItemPtr> &files);

} // namespace lockleaf::cli
