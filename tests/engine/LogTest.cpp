#include "engine/Log.h"

#include "platform/Utilities.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

namespace
{

struct Element {
    QString name;
    QXmlStreamAttributes attributes;
    QString attr(const char *key) const { return attributes.value(key).toString(); }
    QStringList attrNames() const
    {
        QStringList out;
        for (const QXmlStreamAttribute &a : attributes)
            out << a.name().toString();
        return out;
    }
};

// Reads the whole document back; any XML error fails the test.
QList<Element> parse(const QByteArray &xml)
{
    QList<Element> elements;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            elements << Element{reader.name().toString(), reader.attributes()};
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return elements;
}

const QDateTime kEnd(QDate(2026, 12, 5), QTime(14, 3, 9));

} // namespace

TEST(Log, emptyLog_savesRootWithTimesOnly_namedByEndTime_replacingSameName)
{
    TempDir dir;
    LogCapture capture;
    Log log;
    log.setLogsFolder(dir.path());
    log.setEndTime(kEnd);
    EXPECT_TRUE(log.logFilePath().isNull());
    ASSERT_TRUE(log.save());
    EXPECT_EQ(log.logFilePath(), dir.file("051226140309.log"));
    const QList<Element> elements = parse(readFile(log.logFilePath()));
    ASSERT_EQ(elements.size(), 1);
    EXPECT_EQ(elements[0].name, QString("Log"));
    EXPECT_EQ(elements[0].attrNames(), (QStringList{"StartTime", "EndTime"}));
    EXPECT_TRUE(capture.lines().isEmpty());

    // Saved again, the same log replaces its own file, completely.
    log.addFile()->setStatus("second save");
    ASSERT_TRUE(log.save());
    EXPECT_EQ(log.logFilePath(), dir.file("051226140309.log"));
    EXPECT_EQ(parse(readFile(log.logFilePath())).size(), 2);

    // Other runs ending in the same second keep every earlier log.
    for (const char *expected : {"051226140309 (2).log", "051226140309 (3).log"}) {
        Log other;
        other.setLogsFolder(dir.path());
        other.setEndTime(kEnd);
        other.addFile()->setStatus(expected);
        ASSERT_TRUE(other.save());
        EXPECT_EQ(other.logFilePath(), dir.file(expected));
        ASSERT_EQ(parse(readFile(other.logFilePath())).size(), 2);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"051226140309 (2).log", "051226140309 (3).log", "051226140309.log"}));
    EXPECT_EQ(parse(readFile(dir.file("051226140309.log"))).size(), 2);
}

TEST(Log, times_twelveHourClockWithLocaleMarker_fileNameTwentyFourHourTwoDigitYear)
{
    Log log;
    log.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    log.setStartTime(QDateTime(QDate(2026, 1, 2), QTime(11, 59, 58)));
    log.setEndTime(QDateTime(QDate(2026, 1, 2), QTime(12, 0, 3)));
    const QList<Element> elements = parse(log.toXml());
    ASSERT_EQ(elements.size(), 1);
    EXPECT_EQ(elements[0].attr("StartTime"), QString("01/02/2026 11:59:58 AM"));
    EXPECT_EQ(elements[0].attr("EndTime"), QString("01/02/2026 12:00:03 PM"));
    EXPECT_EQ(Log::dateText(QDateTime(QDate(2026, 1, 2), QTime(0, 5)), QLocale(QLocale::English)),
              QString("01/02/2026 12:05:00 AM"));
    EXPECT_EQ(Log::fileNameFor(QDateTime(QDate(2009, 3, 4), QTime(23, 5, 6))), QString("040309230506.log"));
}

TEST(Log, records_keepOrder_andAnyTextReadsBack)
{
    Log log;
    const QString tricky = QString("Tom & \"Jerry\" <'x'>\ttab\nline");
    LogFilesPtr first = log.addFile();
    first->setFilename("a&b.pdf");
    first->setSourcePath("/in/<dir>");
    first->setTargetPath("/out/\"q\"");
    first->setStatus(tricky);
    // XML 1.0 cannot carry these at all: they must not break the document.
    log.addFile()->setFilename(QString("bad") + QChar(0x01) + QChar(0x1F) + QChar(0xFFFF) + QChar(0xD800) +
                               "😀.pdf");

    const QList<Element> elements = parse(log.toXml());
    ASSERT_EQ(elements.size(), 3);
    EXPECT_EQ(elements[1].name, QString("Files"));
    EXPECT_EQ(elements[1].attrNames(),
              (QStringList{"FileName", "SourcePath", "TargetPath", "Status", "Pages"}));
    EXPECT_EQ(elements[1].attr("FileName"), QString("a&b.pdf"));
    EXPECT_EQ(elements[1].attr("SourcePath"), QString("/in/<dir>"));
    EXPECT_EQ(elements[1].attr("TargetPath"), QString("/out/\"q\""));
    EXPECT_EQ(elements[1].attr("Status"), tricky);
    EXPECT_EQ(elements[1].attr("Pages"), QString("0"));
    // A reason is an extra attribute, present only where one was given.
    EXPECT_EQ(elements[2].attrNames(),
              (QStringList{"FileName", "SourcePath", "TargetPath", "Status", "Pages"}));
    log.addFile()->setReason("disk full");
    const QList<Element> withReason = parse(log.toXml());
    ASSERT_EQ(withReason.size(), 4);
    EXPECT_EQ(withReason[3].attrNames().last(), QString("Reason"));
    EXPECT_EQ(withReason[3].attr("Reason"), QString("disk full"));
    EXPECT_EQ(elements[2].attr("FileName"),
              QString("bad") + QString(4, QChar::ReplacementCharacter) + "😀.pdf");
}

TEST(Log, unwritableFolder_reportsTheFailure_keepsPath)
{
    TempDir dir;
    LogCapture capture;
    Log log;
    log.setEndTime(kEnd);
    writeFile(dir.file("file"), "x");
    for (const QString &folder : {dir.file("missing"), dir.file("file")}) {
        log.setLogsFolder(folder);
        EXPECT_FALSE(log.save());
        EXPECT_EQ(log.logFilePath(), folder + "/051226140309.log");
        EXPECT_FALSE(QFile::exists(log.logFilePath()));
    }
    EXPECT_EQ(capture.lines(), QStringList(2, "Could not write document out..."));
    EXPECT_FALSE(QDir(dir.file("missing")).exists());
}

// A full disk: the save says so, and no empty or partial log stays behind.
TEST(Log, fullDisk_reportsTheFailure_leavesNoFile)
{
    TempDir dir;
    const QString mountPoint = dir.file("small");
    const TmpfsMount disk(mountPoint, "size=8k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();

    Log log;
    log.setLogsFolder(mountPoint);
    log.setEndTime(kEnd);
    for (int i = 0; i < 400; ++i)
        log.addFile()->setFilename(QString("file number %1 with a long enough name.pdf").arg(i));
    ASSERT_GT(log.toXml().size(), 16 * 1024);
    LogCapture capture;
    EXPECT_FALSE(log.save());
    EXPECT_TRUE(capture.contains("Could not write document out..."));
    EXPECT_EQ(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());

    // Room again: the same log saves whole.
    Log small;
    small.setLogsFolder(mountPoint);
    small.setEndTime(kEnd);
    EXPECT_TRUE(small.save());
    EXPECT_EQ(parse(readFile(small.logFilePath())).size(), 1);
}

TEST(Log, defaultFolder_isLogsInTheAppFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    ASSERT_TRUE(createApplicationUsersFolder("Logs"));
    Log log;
    log.setEndTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
    ASSERT_TRUE(log.save());
    EXPECT_EQ(log.logFilePath(), getAppPath() + "/Logs/030201040506.log");
    EXPECT_TRUE(QFile::remove(log.logFilePath()));
}

// A run's log is on disk from its start: cut at any moment, it holds the
// records so far and reads back; saved at the end, it becomes the finished log.
TEST(Log, journal_growsAsRecordsCome_readableUnfinished_replacedBySave)
{
    TempDir dir;
    const QDateTime start(QDate(2026, 12, 5), QTime(13, 0, 1));
    Log log;
    log.setLogsFolder(dir.path());
    log.setStartTime(start);
    LogFiles skipped;
    skipped.setFilename("early.pdf");
    skipped.setStatus("Skipped: not a PDF file");
    log.append(skipped);
    ASSERT_TRUE(log.beginJournal());
    const QString journal = dir.file("051226130001.log");
    EXPECT_EQ(log.logFilePath(), journal);

    for (int i = 0; i < 3; ++i) {
        LogFiles record;
        record.setFilename(QString("f%1 & <x>.pdf").arg(i));
        record.setSourcePath("/in");
        record.setTargetPath("/out");
        record.setStatus("Secured Completed");
        record.setPages(i + 1);
        record.setReason(i == 1 ? "why" : "");
        log.append(record);
        // Every record is in the file as soon as it is appended.
        const LogContents running = readLogFile(journal);
        EXPECT_TRUE(running.error.isNull()) << running.error.toStdString();
        EXPECT_FALSE(running.finished);
        ASSERT_EQ(running.records.size(), i + 2);
        EXPECT_EQ(running.records.last().filename(), QString("f%1 & <x>.pdf").arg(i));
        EXPECT_EQ(running.records.last().pages(), i + 1);
    }
    // Cut mid-record as a kill during a write would: the whole records stay.
    QByteArray cut = readFile(journal);
    writeFile(dir.file("cut.log"), cut.left(cut.size() - 10));
    EXPECT_EQ(readLogFile(dir.file("cut.log")).records.size(), 3);
    // Any XML reader takes it once the closing tag is added.
    const QList<Element> closed = parse(cut + "\n</Log>\n");
    ASSERT_EQ(closed.size(), 5);
    EXPECT_EQ(closed[0].attr("EndTime"), QString(""));
    EXPECT_EQ(closed[3].attr("Reason"), QString("why"));

    // The finished log is today's format, named by the end time; the running one is gone.
    log.setEndTime(kEnd);
    ASSERT_TRUE(log.save());
    EXPECT_EQ(log.logFilePath(), dir.file("051226140309.log"));
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(readFile(log.logFilePath()), log.toXml());
    const LogContents finished = readLogFile(log.logFilePath());
    EXPECT_TRUE(finished.finished);
    EXPECT_EQ(finished.records.size(), 4);
    EXPECT_FALSE(readLogFile(dir.file("cut.pdf")).error.isNull());
}

TEST(Log, journal_endingInItsOwnSecond_isReplacedInPlace_failedSaveKeepsIt)
{
    TempDir dir;
    Log log;
    log.setLogsFolder(dir.path());
    log.setStartTime(kEnd);
    log.setEndTime(kEnd);
    ASSERT_TRUE(log.beginJournal());
    log.append(LogFiles());
    ASSERT_TRUE(log.save());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"051226140309.log"});
    EXPECT_TRUE(readLogFile(log.logFilePath()).finished);

    // The folder taken away under a run: the running log (moved with it) is not removed.
    Log kept;
    kept.setLogsFolder(dir.file("logs"));
    ASSERT_TRUE(QDir().mkpath(dir.file("logs")));
    kept.setStartTime(QDateTime(QDate(2026, 1, 1), QTime(1, 1, 1)));
    ASSERT_TRUE(kept.beginJournal());
    kept.append(LogFiles());
    ASSERT_TRUE(QDir().rename(dir.file("logs"), dir.file("moved")));
    LogCapture capture;
    EXPECT_FALSE(kept.save());
    EXPECT_EQ(readLogFile(dir.file("moved/010126010101.log")).records.size(), 1);
}
