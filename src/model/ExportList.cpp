#include "model/ExportList.h"

#include <QSaveFile>

namespace lockleaf
{

const char kExportHeader[] =
    "Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation\n";

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

} // namespace

QString exportDateText(const QDateTime &date)
{
    if (!date.isValid())
        return QString("");
    // The platform's plain date-time form, always in UTC so the text does not
    // depend on the machine's time zone.
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" +0000");
}

QByteArray exportListText(const QList<FileItemPtr> &items)
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
                                 field(item->location())};
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

bool writeExportFile(const QString &path, const QList<FileItemPtr> &items, QString *error)
{
    const QByteArray bytes = exportListText(items);
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
