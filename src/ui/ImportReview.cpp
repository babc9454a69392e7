#include "ui/ImportReview.h"

#include "ui/RunTexts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace lockleaf
{

namespace
{

bool isMapLine(const QString &line)
{
    return line.contains(QLatin1Char('\t'));
}

void sortByLine(QList<PasswordMapProblem> &problems)
{
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const PasswordMapProblem &a, const PasswordMapProblem &b) { return a.line < b.line; });
}

} // namespace

ImportedPasswords readImportedPasswords(const QString &text, const QString &baseDir)
{
    ImportedPasswords result;
    QStringList lines = text.split(QLatin1Char('\n'));
    QHash<QString, QList<int>> linesOf; // every map line naming a file
    QSet<QString> doubtful;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!isMapLine(line))
            continue;
        lines[i].clear();
        const int number = int(i) + 1;
        // One line at a time, so each problem and entry carries this text's
        // line number whatever the parser counts.
        const PasswordMap parsed = parsePasswordMap(line.toUtf8(), baseDir);
        const QString path = line.section(QLatin1Char('\t'), 0, 0);
        const QString key = path.isEmpty() ? QString() : normalisedMapPath(path, baseDir);
        if (!key.isEmpty())
            linesOf[key].append(number);
        for (const PasswordMapProblem &problem : parsed.problems) {
            result.problems.append({number, problem.reason});
            if (!key.isEmpty())
                doubtful.insert(key);
        }
        for (auto it = parsed.entries.cbegin(); it != parsed.entries.cend(); ++it) {
            const auto earlier = result.entries.constFind(it.key());
            if (earlier == result.entries.cend()) {
                PasswordMapEntry entry = it.value();
                entry.line = number;
                result.entries.insert(it.key(), entry);
            } else if (earlier->openPassword != it->openPassword ||
                       earlier->permissionPassword != it->permissionPassword) {
                result.problems.append(
                    {number, ImportReview::tr("other passwords for the file of line %1").arg(earlier->line)});
                doubtful.insert(it.key());
            }
        }
    }
    for (const QString &key : std::as_const(doubtful)) {
        const auto taken = result.entries.constFind(key);
        if (taken == result.entries.cend())
            continue;
        const QList<int> &named = linesOf.value(key);
        const auto other =
            std::find_if(named.cbegin(), named.cend(), [&](int n) { return n != taken->line; });
        result.problems.append({taken->line, ImportReview::tr("not taken: line %1 names the same file")
                                                 .arg(other != named.cend() ? *other : taken->line)});
        result.entries.erase(taken);
    }
    sortByLine(result.problems);
    result.plainText = lines.join(QLatin1Char('\n'));
    return result;
}

ImportReview reviewImport(const QString &text, const QList<QUrl> &taken, const ImportedPasswords &map)
{
    ImportReview review;
    QSet<QString> takenPaths;
    for (const QUrl &url : taken) {
        takenPaths.insert(url.toLocalFile());
        if (QFileInfo(url.toLocalFile()).isFile())
            review.existing.append(url);
    }
    QSet<QString> seen;
    int number = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        ++number;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || isMapLine(line))
            continue;
        const QFileInfo info(line);
        const QString path = info.absoluteFilePath();
        // Each path is judged once, however often it is listed.
        if (seen.contains(path))
            continue;
        seen.insert(path);
        const bool isTaken = takenPaths.contains(path);
        if (isTaken && info.isFile())
            continue;
        if (line != line.trimmed())
            review.blanks.append(number);
        else if (isTaken)
            review.missing.append(number);
        else if (info.isDir())
            review.folders.append(number);
        else
            review.notPdf.append(number);
    }

    review.mapLines = map.problems;
    for (auto it = map.entries.cbegin(); it != map.entries.cend(); ++it) {
        const QFileInfo info(it.key());
        QString reason;
        if (info.isDir())
            reason = ImportReview::tr("a folder, not a file");
        else if (!takenPaths.contains(it.key()))
            reason = ImportReview::tr("not a PDF file");
        else if (!info.isFile())
            reason = ImportReview::tr("no such file");
        if (reason.isEmpty())
            review.passwords.insert(it.key(), it.value());
        else
            review.mapLines.append({it->line, reason});
    }
    sortByLine(review.mapLines);
    return review;
}

QString ImportReview::message() const
{
    if (notTaken() == 0)
        return {};
    // The line's text is never repeated: a shifted column would show a password.
    constexpr int kShown = 12;
    QStringList lines{tr("%n line(s) of the list were not added:", nullptr, notTaken())};
    // Which lines, so a long list can be corrected: the first kShown numbers.
    const auto add = [&](const char *source, const QList<int> &numbers) {
        if (numbers.isEmpty())
            return;
        QStringList shown;
        for (qsizetype i = 0; i < numbers.size() && i < kShown; ++i)
            shown.append(QString::number(numbers.at(i)));
        if (numbers.size() > kShown)
            shown.append(QStringLiteral("…"));
        lines.append(tr(source, nullptr, int(numbers.size())).arg(shown.join(QStringLiteral(", "))));
    };
    add(QT_TR_N_NOOP("%n name no existing file (line(s) %1)"), missing);
    add(QT_TR_N_NOOP("%n name a folder, add folders with Add Folder... (line(s) %1)"), folders);
    add(QT_TR_N_NOOP("%n have blanks before or after the path (line(s) %1)"), blanks);
    add(QT_TR_N_NOOP("%n name no PDF file (line(s) %1)"), notPdf);
    for (qsizetype i = 0; i < mapLines.size() && i < kShown; ++i)
        lines.append(tr("Line %1: %2").arg(mapLines[i].line).arg(shownRunText(mapLines[i].reason)));
    if (mapLines.size() > kShown)
        lines.append(tr("... and %n more line(s).", nullptr, int(mapLines.size() - kShown)));
    return lines.join(QLatin1Char('\n'));
}

} // namespace lockleaf
