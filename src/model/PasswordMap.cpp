#include "model/PasswordMap.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

namespace lockleaf
{

namespace
{

// Spreadsheets export an empty row as its separators alone.
bool isBlank(QByteArrayView line)
{
    for (const char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

} // namespace

QString normalisedMapPath(const QString &path, const QString &baseDir)
{
    return QDir::cleanPath(QFileInfo(QDir(baseDir), path).absoluteFilePath());
}

PasswordMap parsePasswordMap(const QByteArray &text, const QString &baseDir)
{
    PasswordMap map;
    QByteArrayView rest(text);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    // Its tabs and line ends would still split (as "\t\0"), leaving NULs in
    // every path and password: say what is wrong once instead.
    if (rest.startsWith("\xFF\xFE") || rest.startsWith("\xFE\xFF")) {
        map.problems.append({0, QStringLiteral("the map is UTF-16 text; save it as UTF-8")});
        return map;
    }

    int lineNumber = 0;
    while (!rest.isEmpty()) {
        ++lineNumber;
        // "\r\n", "\n", and a lone "\r" (older Mac exports) all end a line; a
        // lone "\r" taken as text would run two rows into one.
        qsizetype end = 0;
        while (end < rest.size() && rest.at(end) != '\n' && rest.at(end) != '\r')
            ++end;
        const QByteArrayView line = rest.first(end);
        if (end < rest.size() && rest.at(end) == '\r' && end + 1 < rest.size() && rest.at(end + 1) == '\n')
            ++end;
        rest = end < rest.size() ? rest.sliced(end + 1) : QByteArrayView();
        if (isBlank(line))
            continue;

        const auto problem = [&](const QString &reason) { map.problems.append({lineNumber, reason}); };
        // Decoded strictly: a map saved in a legacy encoding would otherwise
        // secure files with passwords nobody typed.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(line);
        if (decoder.hasError()) {
            problem(QStringLiteral("not valid UTF-8 text"));
            continue;
        }
        if (decoded.contains(QChar(0))) {
            problem(QStringLiteral("a NUL character in the line"));
            continue;
        }
        const QStringList fields = decoded.split(QLatin1Char('\t'));
        if (fields.size() < 2) {
            problem(QStringLiteral("malformed line: no tab between the path and the password"));
            continue;
        }
        if (fields.size() > 3) {
            problem(QStringLiteral("malformed line: %1 fields, at most 3 expected").arg(fields.size()));
            continue;
        }
        if (fields.at(0).isEmpty()) {
            problem(QStringLiteral("empty path"));
            continue;
        }
        PasswordMapEntry entry;
        entry.openPassword = fields.at(1);
        entry.permissionPassword = fields.size() > 2 ? fields.at(2) : QString("");
        entry.line = lineNumber;
        if (entry.openPassword.isEmpty() && entry.permissionPassword.isEmpty()) {
            problem(QStringLiteral("missing password"));
            continue;
        }
        const QString key = normalisedMapPath(fields.at(0), baseDir);
        const auto earlier = map.entries.constFind(key);
        if (earlier == map.entries.cend()) {
            map.entries.insert(key, entry);
        } else if (earlier->openPassword != entry.openPassword ||
                   earlier->permissionPassword != entry.permissionPassword) {
            problem(QStringLiteral("other passwords for a file already given on line %1").arg(earlier->line));
        }
    }
    return map;
}

PasswordMap readPasswordMap(QIODevice &device, const QString &baseDir)
{
    PasswordMap failed;
    if (!device.isReadable()) {
        failed.problems.append(
            {0, QStringLiteral("cannot read the password map: %1").arg(device.errorString())});
        return failed;
    }
    // In chunks until the end: a pipe may deliver less than asked for at once.
    // One byte over the limit tells a map that is too large from one that fits.
    QByteArray text;
    char chunk[64 * 1024];
    while (text.size() <= kMaxPasswordMapBytes) {
        const qint64 got = device.read(chunk, sizeof chunk);
        if (got < 0) {
            failed.problems.append(
                {0, QStringLiteral("cannot read the password map: %1").arg(device.errorString())});
            return failed;
        }
        if (got == 0 && !device.waitForReadyRead(-1))
            break;
        text.append(chunk, got);
    }
    if (text.size() > kMaxPasswordMapBytes) {
        failed.problems.append({0, QStringLiteral("the password map is larger than %1 MiB")
                                       .arg(kMaxPasswordMapBytes / (1024 * 1024))});
        return failed;
    }
    return parsePasswordMap(text, baseDir);
}

} // namespace lockleaf
