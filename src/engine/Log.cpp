#include "engine/Log.h"

#include "platform/SystemLog.h"
#include "platform/Utilities.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cerrno>
#include <exception>

#include <fcntl.h>
#include <unistd.h>

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

void writeRecord(QXmlStreamWriter &writer, const LogFiles &record)
{
    writer.writeStartElement(QStringLiteral("Files"));
    writer.writeAttribute(QStringLiteral("FileName"), xmlSafe(record.filename()));
    writer.writeAttribute(QStringLiteral("SourcePath"), xmlSafe(record.sourcePath()));
    writer.writeAttribute(QStringLiteral("TargetPath"), xmlSafe(record.targetPath()));
    writer.writeAttribute(QStringLiteral("Status"), xmlSafe(record.status()));
    writer.writeAttribute(QStringLiteral("Pages"), QString::number(record.pages()));
    if (!record.reason().isEmpty())
        writer.writeAttribute(QStringLiteral("Reason"), xmlSafe(record.reason()));
    writer.writeEndElement();
}

// One record as the running log carries it: a line of its own, indented as
// in a finished log.
QByteArray journalLine(const LogFiles &record)
{
    QByteArray element;
    {
        QXmlStreamWriter writer(&element); // writes over what the array holds
        writeRecord(writer, record);
    }
    return "\n    " + element;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

Log::~Log()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    closeJournal();
}

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

void Log::append(const LogFiles &record)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_keepsRecords)
        m_files.append(std::make_shared<LogFiles>(record));
    if (m_journalFd >= 0) {
        writeJournal(journalLine(record), false);
        ++m_journalRecords;
    }
}

void Log::setKeepsRecords(bool keeps)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_keepsRecords = keeps;
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
    for (const LogFilesPtr &record : records)
        if (record)
            writeRecord(writer, *record);
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

bool Log::save()
{
    try {
        // Records not kept in memory are only in the running log.
        bool fromJournal = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            fromJournal = !m_keepsRecords && m_journalRecords > 0;
        }
        const QByteArray xml = fromJournal ? QByteArray() : toXml();
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
        QString journalPath;
        bool journalWhole = false; // one that failed midway cannot give the finished log
        qint64 journalHeadSize = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_journalFd >= 0)
                writeJournal({}, true);
            journalWhole = m_journalFd >= 0;
            closeJournal();
            journalPath = m_journalPath;
            journalHeadSize = m_journalHeadSize;
        }
        const bool written =
            !path.isEmpty() &&
            (fromJournal ? journalWhole && writeFromJournal(path, journalPath, journalHeadSize)
                         : writeChecked(path, xml));
        if (!written) {
            // The claimed name, or what a failed commit left there; never the
            // running log, which still holds the records.
            if (!path.isEmpty() && path != journalPath)
                QFile::remove(path);
            systemLog(QStringLiteral("Could not write document out..."));
            return false;
        }
        if (!journalPath.isEmpty() && journalPath != path)
            QFile::remove(journalPath);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_journalPath.clear();
        return true;
    } catch (const std::exception &e) {
        logError(QStringLiteral("Log=>save"), QString::fromUtf8(e.what()));
        return false;
    }
}

bool Log::beginJournal()
{
    const QString folder = logsFolder();
    if (folder.isEmpty())
        return false;
    const QString path = claimName(folder, fileNameFor(startTime()));
    if (path.isEmpty())
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        QFile::remove(path);
        return false;
    }

    // The root element as a finished log opens it, but with no end time yet.
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray head = rootHead(m_startTime, QDateTime(), m_locale);
    m_journalHeadSize = head.size();
    m_journalRecords = 0;
    for (const LogFilesPtr &record : std::as_const(m_files))
        if (record) {
            head += journalLine(*record);
            ++m_journalRecords;
        }
    m_journalFd = fd;
    m_journalPath = path;
    m_logFilePath = path;
    m_lastSyncMs = 0;
    writeJournal(head, true);
    return m_journalFd >= 0;
}

void Log::writeJournal(const QByteArray &bytes, bool sync)
{
    if (!writeAll(m_journalFd, bytes)) {
        // A full disk: the run goes on, the finished log is still tried at the end.
        systemLog(QStringLiteral("Could not write document out..."));
        closeJournal();
        return;
    }
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    if (sync || nowMs - m_lastSyncMs >= kSyncSeconds * 1000) {
        ::fdatasync(m_journalFd);
        m_lastSyncMs = nowMs;
    }
}

void Log::closeJournal()
{
    if (m_journalFd >= 0)
        ::close(m_journalFd);
    m_journalFd = -1;
}

LogContents readLogFile(const QString &path)
{
    LogContents contents;
    contents.error = readLogRecords(
        path, [&](const LogFiles &record) { contents.records << record; }, &contents.finished);
    return contents;
}

QString readLogRecords(const QString &path, const std::function<void(const LogFiles &)> &take, bool *finished)
{
    *finished = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QXmlStreamReader reader(&file);
    bool sawRoot = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && reader.name() == QLatin1String("Log")) {
            sawRoot = true;
        } else if (token == QXmlStreamReader::StartElement && reader.name() == QLatin1String("Files")) {
            const QXmlStreamAttributes a = reader.attributes();
            LogFiles record;
            record.setFilename(a.value(QLatin1String("FileName")).toString());
            record.setSourcePath(a.value(QLatin1String("SourcePath")).toString());
            record.setTargetPath(a.value(QLatin1String("TargetPath")).toString());
            record.setStatus(a.value(QLatin1String("Status")).toString());
            record.setPages(a.value(QLatin1String("Pages")).toInt());
            record.setReason(a.value(QLatin1String("Reason")).toString());
            take(record);
        } else if (token == QXmlStreamReader::EndElement && reader.name() == QLatin1String("Log")) {
            *finished = true;
        }
    }
    // A running log cut short ends early; that is what it is, not an error.
    if (!sawRoot)
        return QStringLiteral("not a processing log");
    if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return reader.errorString();
    return QString();
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

QByteArray Log::rootHead(const QDateTime &start, const QDateTime &end, const QLocale &locale)
{
    QByteArray root;
    {
        QXmlStreamWriter writer(&root);
        writer.writeStartElement(QStringLiteral("Log"));
        writer.writeAttribute(QStringLiteral("StartTime"), xmlSafe(dateText(start, locale)));
        writer.writeAttribute(QStringLiteral("EndTime"), xmlSafe(dateText(end, locale)));
        writer.writeEndElement();
    }
    root.chop(2); // "/>": the records follow
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root + ">";
}

bool Log::writeFromJournal(const QString &path, const QString &journalPath, qint64 journalHeadSize) const
{
    QDateTime start;
    QDateTime end;
    QLocale locale;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        start = m_startTime;
        end = m_endTime;
        locale = m_locale;
    }
    const QByteArray head = rootHead(start, end, locale);
    const QByteArray tail = "\n</Log>\n";
    // Kept open throughout: when the finished log takes the running log's
    // name, this still reads the running log for the check after the commit.
    QFile journal(journalPath);
    if (!journal.open(QIODevice::ReadOnly) || !journal.seek(journalHeadSize))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size())
        return false;
    qint64 body = 0;
    for (;;) {
        const QByteArray chunk = journal.read(kChunk);
        if (chunk.isEmpty())
            break;
        if (file.write(chunk) != chunk.size())
            return false;
        body += chunk.size();
    }
    if (journal.error() != QFileDevice::NoError || file.write(tail) != tail.size() || !file.commit())
        return false;

    // Read back as writeChecked does: only a whole file counts as written.
    QFile check(path);
    if (!check.open(QIODevice::ReadOnly) || check.size() != head.size() + body + tail.size() ||
        check.read(head.size()) != head || !journal.seek(journalHeadSize))
        return false;
    for (qint64 left = body; left > 0;) {
        const QByteArray expected = journal.read(std::min(left, kChunk));
        if (expected.isEmpty() || check.read(expected.size()) != expected)
            return false;
        left -= expected.size();
    }
    return check.read(tail.size() + 1) == tail;
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
