#include "cli/JsonReport.h"

#include "engine/RunStatus.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace lockleaf::cli
{

namespace
{

QString line(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

const QString kSkippedPrefix = QStringLiteral("Skipped: ");

QJsonValue dateValue(const QDateTime &date)
{
    if (!date.isValid())
        return QJsonValue::Null;
    return date.toUTC().toString(Qt::ISODate);
}

} // namespace

QString JsonReport::skipped(const QString &path, const QString &reason)
{
    ++m_skipped;
    return line({{"status", kSkippedPrefix + reason},
                 {"source", path},
                 {"target", QJsonValue::Null},
                 {"pages", QJsonValue::Null},
                 {"reason", reason}});
}

QString JsonReport::file(const LogFiles &record, const QString &source, int pages)
{
    QJsonObject object{{"status", record.status()}, {"source", source}, {"pages", pages}};
    const QString status = record.status();
    if (status == kStatusSecured || status == kStatusUnsecured) {
        ++m_written;
        // The target path is the output folder unless the output had to be renamed.
        object.insert("target", record.renamedOutput().isEmpty()
                                    ? record.targetPath() + QLatin1Char('/') + record.filename()
                                    : record.renamedOutput());
        return line(object);
    }
    object.insert("target", QJsonValue::Null);
    if (status.startsWith(kSkippedPrefix)) {
        ++m_skipped;
        object.insert("reason", status.mid(kSkippedPrefix.size()));
    } else {
        ++m_failed;
        object.insert("reason", record.reason().isEmpty() ? status : record.reason());
    }
    return line(object);
}

QString JsonReport::summary(int total, const QString &message, const QString &logPath) const
{
    return line({{"total", total},
                 {"written", m_written},
                 {"failed", m_failed},
                 {"skipped", m_skipped},
                 {"summary", message},
                 {"log", orNull(logPath)}});
}

QString JsonReport::listed(const FileItem &item)
{
    const QString path = item.filePath().toLocalFile();
    return line({{"name", QFileInfo(path).fileName()},
                 {"pages", item.pages()},
                 {"size", item.size()},
                 {"sizeText", item.sizeInKB()},
                 {"type", item.type()},
                 {"modified", dateValue(item.dateModified())},
                 {"accessed", dateValue(item.dateAccessed())},
                 {"created", dateValue(item.dateCreated())},
                 {"secured", item.isSecured()},
                 {"location", item.location()},
                 {"path", path}});
}

} // namespace lockleaf::cli
