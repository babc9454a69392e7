#include "engine/Log.h"

#include "platform/SystemLog.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <exception>

namespace lockleaf
{

namespace
{

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// XML 1.0 cannot carry some characters at all, not even as references
// (control characters, lone surrogates, U+FFFE/U+FFFF); the log must still
// read back, so those become U+FFFD. Markup characters are left to the writer.
QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += ch;
            out += text.at(++i);
            continue;
        }
        out += (ch.isSurrogate() || !isXmlChar(ch.unicode())) ? QChar(QChar::ReplacementCharacter) : ch;
    }
    return out;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

Log::Log() : m_startTime(QDateTime::currentDateTime()), m_endTime(m_startTime)
{
}

QDateTime Log::startTime() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_startTime;
}

void Log::setStartTime(const QDateTime &v)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_startTime = v;
}

QDateTime Log::endTime() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_endTime;
}

void Log::setEndTime(const QDateTime &v)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_endTime = v;
}

LogFilesPtr Log::addFile()
{
    auto record = std::make_shared<LogFiles>();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files.append(record);
    return record;
}

QList<LogFilesPtr> Log::files() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_files;
}

QString Log::logFilePath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_logFilePath;
}

void Log::setLogsFolder(const QString &dir)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_logsFolder = dir;
}

QString Log::logsFolder() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_logsFolder.isNull())
        return m_logsFolder;
    const QString appPath = getAppPath();
    return appPath.isEmpty() ? QString() : appPath + QStringLiteral("/Logs");
}

void Log::setLocale(const QLocale &locale)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_locale = locale;
}

QString Log::dateText(const QDateTime &date, const QLocale &locale)
{
    if (!date.isValid())
        return QString("");
    const QDateTime local = date.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    // Built by hand: Qt's "AP" upper-cases the marker, the log wants the locale's own.
    return QStringLiteral("%1/%2/%3 %4:%5:%6 %7")
        .arg(twoDigits(d.month()), twoDigits(d.day()),
             QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')), twoDigits(hour12),
             twoDigits(t.minute()), twoDigits(t.second()), t.hour() < 12 ? locale.amText() : locale.pmText());
}

QString Log::fileNameFor(const QDateTime &endTime)
{
    return endTime.toLocalTime().toString(QStringLiteral("ddMMyyHHmmss")) + QStringLiteral(".log");
}

QByteArray Log::toXml() const
{
    QDateTime start;
    QDateTime end;
    QList<LogFilesPtr> records;
    QLocale locale;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        start = m_startTime;
        end = m_endTime;
        records = m_files;
        locale = m_locale;
    }

    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Log"));
    writer.writeAttribute(QStringLiteral("StartTime"), xmlSafe(dateText(start, locale)));
    writer.writeAttribute(QStringLiteral("EndTime"), xmlSafe(dateText(end, locale)));
    for (const LogFilesPtr &record : records) {
        if (!record)
            continue;
        writer.writeStartElement(QStringLiteral("Files"));
        writer.writeAttribute(QStringLiteral("FileName"), xmlSafe(record->filename()));
        writer.writeAttribute(QStringLiteral("SourcePath"), xmlSafe(record->sourcePath()));
        writer.writeAttribute(QStringLiteral("TargetPath"), xmlSafe(record->targetPath()));
        writer.writeAttribute(QStringLiteral("Status"), xmlSafe(record->status()));
        writer.writeAttribute(QStringLiteral("Pages"), QString::number(record->pages()));
        if (!record->reason().isEmpty())
            writer.writeAttribute(QStringLiteral("Reason"), xmlSafe(record->reason()));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

bool Log::save()
{
    try {
        const QByteArray xml = toXml();
        const QString folder = logsFolder();
        if (folder.isEmpty()) {
            // No per-user folder on this platform: there is nowhere to write.
            systemLog(QStringLiteral("Could not write document out..."));
            return false;
        }
        const QString fileName = fileNameFor(endTime());
        const QString path = claimName(folder, fileName);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_logFilePath = path.isEmpty() ? QDir(folder).filePath(fileName) : path;
        }
        if (path.isEmpty() || !writeChecked(path, xml)) {
            if (!path.isEmpty())
                QFile::remove(path); // the claimed name, or what a failed commit left there
            systemLog(QStringLiteral("Could not write document out..."));
            return false;
        }
        return true;
    } catch (const std::exception &e) {
        logError(QStringLiteral("Log=>save"), QString::fromUtf8(e.what()));
        return false;
    }
}

QString Log::claimName(const QString &folder, const QString &fileName) const
{
    const QString ownPath = logFilePath();
    const QString stem = fileName.chopped(4); // without ".log"
    for (int n = 1; n <= kMaxLogCounter; ++n) {
        const QString name = n == 1 ? fileName : QStringLiteral("%1 (%2).log").arg(stem, QString::number(n));
        const QString path = QDir(folder).filePath(name);
        if (path == ownPath)
            return path; // this log, saved again
        // Created exclusively: another run ending in the same second cannot
        // take the same name between the test and the write.
        QFile claim(path);
        if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!QFileInfo::exists(path))
            return QString(); // the folder refuses new files
    }
    return QString();
}

bool Log::writeChecked(const QString &path, const QByteArray &xml)
{
    // QSaveFile never creates the folder and replaces the file only on commit.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit())
        return false;
    // A commit on a full disk can still leave a short or empty file: only a
    // file that reads back whole counts as written.
    QFile check(path);
    return check.open(QIODevice::ReadOnly) && check.readAll() == xml;
}

} // namespace lockleaf
