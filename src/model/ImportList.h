#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace lockleaf
{

// Turns a plain-text list of paths, one per line, into the file URLs to import.
//
// A line is taken as it is (no trimming): its extension (after the last dot of
// its last path component), upper-cased, must be one of `allowedTypes`; so with
// {"pdf", "PDF"} every letter case of .pdf passes. A carriage return right
// before a line feed belongs to the line end, so Windows lists read like Unix
// ones. A relative line is taken relative to the current folder. Duplicates
// (the same URL text) are kept once, at their first place. No path is checked
// for existence. Pure function; any thread.
QList<QUrl> parseImportText(const QString &text, const QStringList &allowedTypes);

// The extension a line is judged by: after the last dot of the last path
// component (trailing slashes ignored); "" when there is no dot.
QString importLineExtension(const QString &line);

// The whole file as UTF-8 text (a leading byte-order mark dropped); nullopt when
// the file cannot be read or is not valid UTF-8.
std::optional<QString> readImportFile(const QString &path);

} // namespace lockleaf
