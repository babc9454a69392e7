#include "model/ImportList.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringDecoder>

namespace lockleaf
{

QString importLineExtension(const QString &line)
{
    qsizetype end = line.size();
    while (end > 1 && line.at(end - 1) == QLatin1Char('/'))
        --end;
    const qsizetype slash = line.lastIndexOf(QLatin1Char('/'), end - 1);
    const qsizetype dot = line.lastIndexOf(QLatin1Char('.'), end - 1);
    if (dot < 0 || dot < slash)
        return QString();
    return line.mid(dot + 1, end - dot - 1);
}

QList<QUrl> parseImportText(const QString &text, const QStringList &allowedTypes)
{
    QList<QUrl> files;
    if (text.isEmpty())
        return files;

    const QDir current = QDir::current();
    QSet<QString> seen;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const bool terminated = end >= 0;
        if (!terminated)
            end = text.size();
        qsizetype lineEnd = end;
        // "\r\n" is one line end; a lone "\r" elsewhere stays part of the line.
        if (terminated && lineEnd > start && text.at(lineEnd - 1) == QLatin1Char('\r'))
            --lineEnd;
        const QString line = text.mid(start, lineEnd - start);
        start = end + 1;

        const QString extension = importLineExtension(line);
        if (extension.isEmpty() || !allowedTypes.contains(extension.toUpper()))
            continue;
        QString path = QDir::isAbsolutePath(line) ? line : current.absoluteFilePath(line);
#ifndef Q_OS_WIN
        // POSIX reads "//x" and "///x" as "/x", but QUrl takes "//x/" for a
        // network host and turns "///x" into an empty URL: keep one slash.
        while (path.startsWith(QLatin1String("//")))
            path.remove(0, 1);
#endif
        const QUrl url = QUrl::fromLocalFile(path);
        const QString key = url.toString();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        files.append(url);
    }
    return files;
}

std::optional<QString> readImportFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // Stateless: a file ending inside a multi-byte sequence is invalid UTF-8;
    // a stateful decoder would keep those bytes back and report no error.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace lockleaf
