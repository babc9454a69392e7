#include "model/ExportList.h"

#include <QDir>
#include <QSaveFile>
#include <QStringList>

namespace lockleaf
{

const char kExportHeader[] =
    "Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation\tStatus\n";

namespace
{

// A value never carries a field or line separator into the file.
QString field(QString value)
{
    for (QChar &c : value)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return value;
}

// FileItem::name()'s marker of a secured file.
const QLatin1String kSecuredMarker(" (SECURED) ");

} // namespace

QString exportStatusText(const FileItem &item)
{
    const RunOutcome outcome = item.lastOutcome();
    if (outcome.reason.isEmpty())
        return outcome.status.isNull() ? QString("") : outcome.status;
    return outcome.status + QStringLiteral(": ") + outcome.reason;
}

QString exportDateText(const QDateTime &date)
{
    if (!date.isValid())
        return QString("");
    // The platform's plain date-time form, always in UTC so the text does not
    // depend on the machine's time zone.
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" +0000");
}

QByteArray exportListText(const QList<FileItemPtr> &items, const ExportStatusText &status)
{
    QString text = QString::fromLatin1(kExportHeader);
    for (const FileItemPtr &item : items) {
        if (!item)
            continue;
        const QStringList fields{field(item->name()),
                                 QString::number(item->pages()),
                                 field(item->sizeInKB()),
                                 field(item->type()),
                                 exportDateText(item->dateModified()),
                                 exportDateText(item->dateAccessed()),
                                 exportDateText(item->dateCreated()),
                                 field(item->location()),
                                 field(status ? status(*item) : exportStatusText(*item))};
        text += fields.join(QLatin1Char('\t'));
        text += QLatin1Char('\n');
    }
    return text.toUtf8();
}

QString proposedExportName(const QDateTime &now, const QLocale &locale)
{
    // "Ap" is the locale's own AM/PM marker; "hh" with it is the 12-hour hour.
    return QStringLiteral("Export %1.txt")
        .arg(locale.toString(now, QStringLiteral("dd-MMM-yyyy hh-mm-ss Ap")));
}

std::optional<QString> exportedPaths(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    const QStringList header = lines.constFirst().split(QLatin1Char('\t'));
    const QStringList current = QString::fromLatin1(kExportHeader).trimmed().split(QLatin1Char('\t'));
    // Exports made before the Status column read the same.
    if (header != current && header != current.first(current.size() - 1))
        return std::nullopt;
    const qsizetype name = current.indexOf(QLatin1String("Name"));
    const qsizetype location = current.indexOf(QLatin1String("Location"));
    lines.first().clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split(QLatin1Char('\t'));
        if (fields.size() <= std::max(name, location) || fields.at(location).isEmpty()) {
            lines[i].clear();
            continue;
        }
        QString fileName = fields.at(name);
        if (fileName.endsWith(kSecuredMarker))
            fileName.chop(kSecuredMarker.size());
        lines[i] = QDir(fields.at(location)).filePath(fileName);
    }
    return lines.join(QLatin1Char('\n'));
}

bool writeExportFile(const QString &path, const QList<FileItemPtr> &items, QString *error,
                     const ExportStatusText &status)
{
    const QByteArray bytes = exportListText(items, status);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace lockleaf
