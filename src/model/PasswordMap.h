#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

class QIODevice;

namespace lockleaf
{

// The passwords of one file, from one line of a password map.
struct PasswordMapEntry {
    QString openPassword;       // may be "" when permissionPassword is not
    QString permissionPassword; // "" when the line has none
    int line = 0;               // 1-based line it came from
};

// A line that was not taken, and why.
struct PasswordMapProblem {
    int line = 0; // 1-based; 0 when the map was refused as a whole
    QString reason;
};

// A parsed password map. Problems never leave a partial entry behind: a line
// with a problem gives no entry.
struct PasswordMap {
    QHash<QString, PasswordMapEntry> entries; // by normalisedMapPath
    QList<PasswordMapProblem> problems;       // in line order
    bool isClean() const { return problems.isEmpty(); }
};

// A map's text: header-less tab-separated UTF-8, as a spreadsheet exports it.
// Each line is `path<TAB>open password[<TAB>permission password]`:
// - "\n", "\r\n" and a lone "\r" end a line, a UTF-8 byte-order mark at the
//   start is ignored, and lines holding nothing but blanks and tabs (empty
//   spreadsheet rows) are skipped; UTF-16 text is refused as a whole (one
//   problem at line 0, no entries);
// - fields are taken literally: passwords keep every character, spaces and
//   quotes included (no unquoting, no trimming);
// - an empty open password with a permission password is allowed (secured
//   with a permission password only; in remove mode that password is the one
//   tried); a line with both empty is a problem, as are a line without a tab,
//   one with more than three fields, an empty path, text that is not valid
//   UTF-8 or holds a NUL, and a second line for the same file with other
//   passwords (the first is kept; an identical repetition is no problem).
// Relative paths are resolved against `baseDir`.
PasswordMap parsePasswordMap(const QByteArray &text, const QString &baseDir);

// Reads `device` to its end (at most kMaxPasswordMapBytes) and parses it. A
// device that cannot be read, or a larger map, gives one problem at line 0
// and no entries.
PasswordMap readPasswordMap(QIODevice &device, const QString &baseDir);
inline constexpr qint64 kMaxPasswordMapBytes = 64 * 1024 * 1024;

// The key of a map entry: `path` made absolute against `baseDir` and cleaned
// (no "." or ".." parts, no doubled or trailing separators). Symbolic links
// are not resolved, so callers look files up with the same function.
QString normalisedMapPath(const QString &path, const QString &baseDir);

} // namespace lockleaf
