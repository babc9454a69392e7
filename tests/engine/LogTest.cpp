#include "engine/Log.h"

#include "model/Utilities.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

namespace {

struct Element {
    QString name;
    QXmlStreamAttributes attributes;
};

// Parses the whole document; fails the test on any XML error.
QList<Element> parse(const QByteArray &xml)
{
    QList<Element> elements;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            elements << Element{reader.name().toString(), reader.attributes()};
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return elements;
}

QStringList names(const QXmlStreamAttributes &attributes)
{
    QStringList out;
    for (const QXmlStreamAttribute &a : attributes)
        out << a.name().toString();
    return out;
}

const QDateTime kEnd(QDate(2026, 12, 5), QTime(14, 3, 9));

} // namespace

TEST(Log, emptyLog_savesRootWithTimesOnly_namedByEndTime)
{
    TempDir dir;
    LogCapture capture;
    Log log;
    log.setLogsFolder(dir.path());
    log.setStartTime(kEnd.addSecs(-65));
    log.setEndTime(kEnd);
    EXPECT_TRUE(log.logFilePath().isNull());
    ASSERT_TRUE(log.save());

    EXPECT_EQ(log.logFilePath(), dir.file("051226140309.log"));
    const QList<Element> elements = parse(readFile(log.logFilePath()));
    ASSERT_EQ(elements.size(), 1);
    EXPECT_EQ(elements[0].name, QString("Log"));
    EXPECT_EQ(names(elements[0].attributes), (QStringList{"StartTime", "EndTime"}));
    EXPECT_TRUE(capture.lines().isEmpty());

    // Same end second: the later log replaces the earlier one, completely.
    log.addFile()->setStatus("second run");
    ASSERT_TRUE(log.save());
    EXPECT_EQ(parse(readFile(log.logFilePath())).size(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(Log, dates_twelveHourClockWithLocaleMarker_fileNameTwentyFourHour)
{
    Log log;
    log.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    log.setStartTime(QDateTime(QDate(2026, 1, 2), QTime(11, 59, 58)));
    log.setEndTime(QDateTime(QDate(2026, 1, 2), QTime(12, 0, 3)));
    const QList<Element> elements = parse(log.toXml());
    ASSERT_EQ(elements.size(), 1);
    EXPECT_EQ(elements[0].attributes.value("StartTime").toString(), QString("01/02/2026 11:59:58 AM"));
    EXPECT_EQ(elements[0].attributes.value("EndTime").toString(), QString("01/02/2026 12:00:03 PM"));

    EXPECT_EQ(Log::dateText(QDateTime(QDate(2026, 1, 2), QTime(0, 5, 0)), QLocale(QLocale::English)),
              QString("01/02/2026 12:05:00 AM"));
    EXPECT_EQ(Log::dateText(kEnd, QLocale(QLocale::German, QLocale::Germany)).left(20),
              QString("12/05/2026 02:03:09 "));
    EXPECT_EQ(Log::fileNameFor(QDateTime(QDate(2009, 3, 4), QTime(23, 5, 6))), QString("040309230506.log"));
}

TEST(Log, records_keepOrderAndAttributeOrder_andSpecialCharactersReadBack)
{
    Log log;
    const QString tricky = QString("Tom & \"Jerry\" <'x'>\ttab\nline");
    LogFilesPtr first = log.addFile();
    first->setFilename("a&b.pdf");
    first->setSourcePath("/in/<dir>");
    first->setTargetPath("/out/\"q\"");
    first->setStatus(tricky);
    LogFilesPtr second = log.addFile();
    second->setFilename(QString("bad") + QChar(0x01) + QChar(0x1F) + QChar(0xFFFF) + QChar(0xD800) + "end.pdf");
    second->setStatus(QString::fromUtf8("Unable to open pdf document! 😀"));
    EXPECT_EQ(log.files().size(), 2);

    const QList<Element> elements = parse(log.toXml());
    ASSERT_EQ(elements.size(), 3);
    EXPECT_EQ(elements[1].name, QString("Files"));
    EXPECT_EQ(names(elements[1].attributes),
              (QStringList{"FileName", "SourcePath", "TargetPath", "Status", "Pages"}));
    EXPECT_EQ(elements[1].attributes.value("FileName").toString(), QString("a&b.pdf"));
    EXPECT_EQ(elements[1].attributes.value("SourcePath").toString(), QString("/in/<dir>"));
    EXPECT_EQ(elements[1].attributes.value("TargetPath").toString(), QString("/out/\"q\""));
    EXPECT_EQ(elements[1].attributes.value("Status").toString(), tricky);
    EXPECT_EQ(elements[1].attributes.value("Pages").toString(), QString("0"));

    const QChar r(QChar::ReplacementCharacter);
    EXPECT_EQ(elements[2].attributes.value("FileName").toString(),
              QString("bad") + r + r + r + r + "end.pdf");
    EXPECT_EQ(elements[2].attributes.value("Status").toString(),
              QString::fromUtf8("Unable to open pdf document! 😀"));
}

TEST(Log, missingFolder_logsTheFailure_keepsPathAndReturnsTrue)
{
    TempDir dir;
    LogCapture capture;
    Log log;
    log.setEndTime(kEnd);
    writeFile(dir.file("file"), "x");
    for (const QString &folder : {dir.file("missing"), dir.file("file")}) {
        log.setLogsFolder(folder);
        EXPECT_TRUE(log.save());
        EXPECT_EQ(log.logFilePath(), folder + "/051226140309.log");
        EXPECT_FALSE(QFile::exists(log.logFilePath()));
    }
    EXPECT_EQ(capture.lines(), (QStringList{"Could not write document out...", "Could not write document out..."}));
    EXPECT_FALSE(QDir(dir.file("missing")).exists());
}

TEST(Log, defaultFolder_isLogsInTheAppFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    ASSERT_FALSE(getAppPath().isEmpty());
    ASSERT_TRUE(createApplicationUsersFolder("Logs"));
    Log log;
    log.setEndTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
    ASSERT_TRUE(log.save());
    EXPECT_EQ(log.logFilePath(), getAppPath() + "/Logs/030201040506.log");
    EXPECT_TRUE(QFile::exists(log.logFilePath()));
    QFile::remove(log.logFilePath());
}
