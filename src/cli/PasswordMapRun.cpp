#include "cli/PasswordMapRun.h"

#include "cli/CliOptions.h"
#include "cli/ConsoleText.h"
#include "cli/Interrupt.h"
#include "engine/PasswordChoice.h"
#include "engine/RunSecurity.h"
#include "model/PDFSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace lockleaf::cli
{

namespace
{

QString lineProblem(int line, const QString &reason)
{
    return line > 0 ? QStringLiteral("password map line %1: %2").arg(line).arg(reason)
                    : QStringLiteral("password map: %1").arg(reason);
}

} // namespace

std::optional<PasswordMap> readPasswordMapArgument(const QString &file,
                                                   const std::function<bool(QByteArray *)> &takeStdin,
                                                   QString *error)
{
    PasswordMap map;
    if (file == QLatin1String("-")) {
        QByteArray bytes;
        if (!takeStdin(&bytes)) {
            *error = QStringLiteral("standard input can be read by one password option only");
            return std::nullopt;
        }
        if (bytes.size() > kMaxPasswordMapBytes)
            map.problems.append({0, QStringLiteral("the password map is larger than %1 MiB")
                                        .arg(kMaxPasswordMapBytes / (1024 * 1024))});
        else
            map = parsePasswordMap(bytes, QDir::currentPath());
    } else {
        const InterruptibleInput interruptible; // a FIFO waits for its writer
        QFile f(file);
        if (QFileInfo(file).isDir() || !f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read password map: %1").arg(file);
            return std::nullopt;
        }
        map = readPasswordMap(f, QDir::currentPath());
    }
    if (map.isClean())
        return map;
    QStringList lines;
    for (const PasswordMapProblem &problem : std::as_const(map.problems))
        lines << lineProblem(problem.line, problem.reason);
    *error = lines.join(QStringLiteral("\nlockleaf-cli: "));
    return std::nullopt;
}

QStringList applyPasswordMap(const Options &options, const QList<FileItemPtr> &files,
                             const PDFSettings &runPdf)
{
    QHash<QString, FileItemPtr> byPath;
    for (const FileItemPtr &item : files)
        byPath.insert(normalisedMapPath(item->filePath().toLocalFile(), QDir::rootPath()), item);

    // In line order, so the messages read like the map.
    QList<QPair<QString, PasswordMapEntry>> entries;
    for (auto it = options.passwordMap.entries.cbegin(); it != options.passwordMap.entries.cend(); ++it)
        entries.append({it.key(), it.value()});
    std::sort(entries.begin(), entries.end(),
              [](const auto &a, const auto &b) { return a.second.line < b.second.line; });

    QStringList problems;
    const bool securing = options.command == Command::Secure;
    for (const auto &[path, entry] : std::as_const(entries)) {
        const FileItemPtr item = byPath.value(path);
        if (!item) {
            // Named by line and field only: a line with its columns swapped
            // holds a password where the path should be.
            problems << lineProblem(entry.line, QStringLiteral("its path names no file of this run"));
            continue;
        }
        if (securing) {
            item->setOwnPasswords(entry.openPassword, entry.permissionPassword);
            if (const QString problem = securityProblemFor(runPdf, options.keyLength, *item);
                !problem.isEmpty())
                problems << lineProblem(entry.line, problem);
        } else if (item->isSecured()) {
            QStringList candidates{entry.openPassword};
            if (!entry.permissionPassword.isEmpty())
                candidates.prepend(entry.permissionPassword);
            candidates.removeAll(QString(""));
            // None of them opening it, it keeps what the run's passwords found.
            const QString best = passwordGrantingCopy(item->filePath().toLocalFile(), candidates);
            if (!best.isEmpty() && best != item->pdfOpenPassword())
                item->setPdfOpenPassword(best);
        }
    }

    // Nothing is secured with an empty password.
    if (securing && options.openPassword.isEmpty() && options.permissionPassword.isEmpty())
        for (const FileItemPtr &item : files)
            if (!item->hasOwnPasswords())
                problems << QStringLiteral("no password for %1: no line of the password map names it, and "
                                           "no open or permission password was given")
                                .arg(escaped(item->filePath().toLocalFile()));
    return problems;
}

} // namespace lockleaf::cli
