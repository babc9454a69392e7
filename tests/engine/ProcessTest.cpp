#include "engine/Process.h"

#include "engine/Workspace.h"
#include "model/FileItem.h"
#include "model/Settings.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QXmlStreamReader>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace lockleaf;
using testsupport::TempDir;

namespace
{

const QString kAllDone = "All files splitted successfully.";
const QString kCancelled = "Process cancelled!";
const QString kSomeFailed =
    "Lockleaf unable able to split some of the files!\r\nPlease check log for more information.";

class RecordingDelegate final : public RunDelegate
{
public:
    std::function<void(const QString &)> onUpdate;
    QStringList texts;
    void updateTimeTakenLabel(const QString &text) override
    {
        texts << text;
        if (onUpdate)
            onUpdate(text);
    }
};

class RecordingWorkspace final : public Workspace
{
public:
    QList<QUrl> opened;
    void openURL(const QUrl &url) override { opened << url; }
    void revealURLs(const QList<QUrl> &) override {}
};

struct LogRow {
    QString fileName, sourcePath, targetPath, status, pages;
};

QList<LogRow> readLogRows(const QString &path, QString *rootName = nullptr)
{
    QList<LogRow> rows;
    QXmlStreamReader xml(testsupport::readFile(path));
    EXPECT_TRUE(xml.readNextStartElement()) << path.toStdString();
    if (rootName)
        *rootName = xml.name().toString();
    while (xml.readNextStartElement()) {
        const auto a = xml.attributes();
        rows << LogRow{a.value("FileName").toString(), a.value("SourcePath").toString(),
                       a.value("TargetPath").toString(), a.value("Status").toString(),
                       a.value("Pages").toString()};
        xml.skipCurrentElement();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return rows;
}

// A run wired to real files in a temporary folder: its own settings (nothing
// read from or written to the store), its log in <tmp>/Logs, a fixed clock.
class ProcessRun : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }

    void SetUp() override
    {
        QDir(tmp.path()).mkpath("src");
        QDir(tmp.path()).mkpath("out");
        QDir(tmp.path()).mkpath("Logs");
        settings.setOutputFolderPath(out());
        settings.setIsBackupFile(false);
        settings.setIsOpenFolderAfterConversion(false);
        process.setSettings(&settings);
        process.setDelegate(&delegate);
        process.setWorkspace(&workspace);
        process.setLogsFolder(tmp.file("Logs"));
        process.setClock([this] { return clock; });
    }

    QString src(const QString &name = {}) const
    {
        return tmp.file("src") + (name.isEmpty() ? "" : "/" + name);
    }
    QString out(const QString &name = {}) const
    {
        return tmp.file("out") + (name.isEmpty() ? "" : "/" + name);
    }

    FileItemPtr addItem(const QString &path, const QString &password = QString())
    {
        FileItemPtr item = FileItem::initWithURL(QUrl::fromLocalFile(path));
        EXPECT_TRUE(item);
        if (!password.isNull())
            item->setPdfOpenPassword(password);
        auto output = std::make_shared<OutputFile>();
        output->filename = path;
        output->fileItems = {item};
        process.outputFiles().append(output);
        return item;
    }

    void run()
    {
        process.setIsCombining(true);
        process.setTotalFileSelected(process.outputFiles().size());
        process.start();
    }

    QString statusOf(int index) const { return process.log().files().at(index)->status(); }

    TempDir tmp;
    Settings settings{false};
    Process process;
    RecordingDelegate delegate;
    RecordingWorkspace workspace;
    QDateTime clock{QDate(2026, 12, 5), QTime(14, 3, 9)};
};

} // namespace

TEST(ProcessInit, freshRun_hasDocumentedInitialValues)
{
    Process p;
    EXPECT_FALSE(p.isCombining());
    EXPECT_FALSE(p.isCompleted());
    EXPECT_EQ(p.totalFileSelected(), 1);
    EXPECT_EQ(p.totalFileProcessed(), 0);
    EXPECT_EQ(p.totalFileCreated(), 0);
    EXPECT_EQ(p.timeTaken(), "In Process...");
    EXPECT_TRUE(p.message().isEmpty() && !p.message().isNull());
    EXPECT_TRUE(p.fileInProcess().isEmpty() && !p.fileInProcess().isNull());
    EXPECT_TRUE(p.outputFiles().isEmpty());
    EXPECT_TRUE(p.log().files().isEmpty());
    EXPECT_EQ(p.settings(), nullptr);
}

TEST(ProcessBackupName, followsTheWorkedExamples)
{
    const QDateTime at(QDate(2026, 12, 5), QTime(14, 3, 9));
    EXPECT_EQ(Process::backupPathFor("/Volumes/Work/Reports/report.pdf", false, at),
              "/Volumes/Work/Reports/report_05122026140309_bak.pdf");
    EXPECT_EQ(Process::backupPathFor("/Volumes/Work/Reports/report.pdf", true, at),
              "/Volumes/Work/Reports/report_05122026140309_bak (SECURED).pdf");
    EXPECT_EQ(Process::backupPathFor("/Volumes/Work/SCAN.PDF", false, at),
              "/Volumes/Work/SCAN_05122026140309_bak.PDF");
    // Only the file name changes, even when the folder name holds the extension text.
    EXPECT_EQ(Process::backupPathFor("/Volumes/Work/old.pdf.files/report.pdf", false, at),
              "/Volumes/Work/old.pdf.files/report_05122026140309_bak.pdf");
    EXPECT_EQ(Process::backupPathFor("/w/archive.pdf.pdf", false, at),
              "/w/archive.pdf_05122026140309_bak.pdf");
    EXPECT_EQ(Process::backupPathFor("/w/noext", false, at), "/w/noext_05122026140309_bak");
}

TEST_F(ProcessRun, removeSecurity_everyStatusRowHasItsRealCause)
{
    settings.setSecurityType(0);
    testsupport::makePdf(src("plain.pdf"), 2, {}, "PLAINMARK");
    testsupport::makeEncryptedPdf(src("wrongpw.pdf"), "user", "owner", 128);
    testsupport::makeEncryptedPdf(src("nocopy.pdf"), "user", "owner", 128, {"--extract=n"});
    testsupport::makeEncryptedPdf(src("ownerpw.pdf"), "user", "owner", 128, {"--extract=n"});
    testsupport::writeFile(src("garbage.pdf"), "this is not a PDF at all\n");
    testsupport::makePdf(src("blocked.pdf"));
    // A folder where the output should go: the write cannot replace it.
    QDir(out()).mkpath("blocked.pdf");

    addItem(src("plain.pdf"));
    addItem(src("wrongpw.pdf"), "nope");
    addItem(src("nocopy.pdf"), "user");
    addItem(src("ownerpw.pdf"), "owner");
    addItem(src("garbage.pdf"));
    addItem(src("blocked.pdf"));
    run();

    ASSERT_EQ(process.log().files().size(), 6);
    EXPECT_EQ(statusOf(0), "Un-Secured Completed");
    EXPECT_EQ(statusOf(1), "Unable to read secured pdf docuemnt!");
    EXPECT_EQ(statusOf(2), "Permission Password Required.");
    EXPECT_EQ(statusOf(3), "Un-Secured Completed");
    EXPECT_EQ(statusOf(4), "Unable to open pdf document!");
    EXPECT_EQ(statusOf(5), "Unable to un-secure pdf document!");
    EXPECT_EQ(process.totalFileCreated(), 2);
    EXPECT_EQ(process.totalFileProcessed(), 6);
    EXPECT_EQ(process.message(), "Total 2 files splitted successfully.");
    EXPECT_TRUE(process.isCompleted());

    // Outputs as an independent reader sees them.
    int rc = -1;
    EXPECT_TRUE(testsupport::showEncryption(out("plain.pdf"), "", &rc).contains("File is not encrypted"));
    EXPECT_TRUE(testsupport::pdfText(out("plain.pdf")).contains("PLAINMARK"));
    EXPECT_TRUE(testsupport::showEncryption(out("ownerpw.pdf"), "", &rc).contains("File is not encrypted"));
    EXPECT_FALSE(QFileInfo::exists(out("wrongpw.pdf")));
    EXPECT_FALSE(QFileInfo::exists(out("nocopy.pdf")));
    EXPECT_FALSE(QFileInfo::exists(out("garbage.pdf")));
    EXPECT_TRUE(QFileInfo(out("blocked.pdf")).isDir());
    // No temporary file left behind by the failed write.
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"ownerpw.pdf", "plain.pdf"}));
}

TEST_F(ProcessRun, addSecurity_writesWhatIndependentReadersConfirm)
{
    settings.setSecurityType(1);
    PDFSettings *pdf = settings.pdfSettings();
    pdf->setPdfOpenPassword("openme");
    pdf->setPdfPermissionPassword("perm");
    pdf->setEncryptionStrength(1);
    pdf->setCanPrint(false);
    pdf->setCanCopy(true);
    testsupport::makePdf(src("a.pdf"), 3, {{"Title", "Quarterly"}, {"Author", "Ann"}}, "AMARK");
    testsupport::makeEncryptedPdf(src("b.pdf"), "u", "o", 40);
    addItem(src("a.pdf"));
    addItem(src("b.pdf"), "o");
    run();

    EXPECT_EQ(statusOf(0), "Secured Completed");
    EXPECT_EQ(statusOf(1), "Secured Completed");
    EXPECT_EQ(process.message(), kAllDone);

    int rc = -1;
    const QString enc = testsupport::showEncryption(out("a.pdf"), "perm", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(enc.contains("R = 4")) << enc.toStdString();
    EXPECT_TRUE(enc.contains("AESv2")) << enc.toStdString();
    // A wrong password opens nothing.
    EXPECT_NE(testsupport::runProgram("qpdf", {"--show-npages", "--password=wrong", out("a.pdf")}).exitCode,
              0);
    EXPECT_TRUE(testsupport::pdfText(out("a.pdf"), "openme").contains("AMARK"));

    const auto info = testsupport::runProgram("pdfinfo", {"-upw", "openme", out("a.pdf")});
    const QString infoText = QString::fromUtf8(info.out);
    EXPECT_TRUE(infoText.contains(QRegularExpression("Encrypted:\\s+yes \\(print:no copy:yes")))
        << infoText.toStdString();
    EXPECT_TRUE(infoText.contains(QRegularExpression("Title:\\s+Quarterly")));
    EXPECT_TRUE(infoText.contains(QRegularExpression("Pages:\\s+3")));
    EXPECT_TRUE(infoText.contains(QRegularExpression("Creator:\\s+Lockleaf")));
    EXPECT_TRUE(testsupport::showEncryption(out("b.pdf"), "perm", &rc).contains("R = 4"));
}

TEST_F(ProcessRun, addSecurity_keyLengthOverrideGivesAes256)
{
    settings.setSecurityType(1);
    settings.pdfSettings()->setPdfOpenPassword("pw");
    settings.pdfSettings()->setEncryptionStrength(0);
    process.setKeyLengthOverride(256);
    testsupport::makePdf(src("a.pdf"));
    addItem(src("a.pdf"));
    run();
    EXPECT_EQ(statusOf(0), "Secured Completed");
    EXPECT_TRUE(testsupport::showEncryption(out("a.pdf"), "pw").contains("R = 6"));
}

TEST_F(ProcessRun, addSecurity_failuresAndNoPasswordLeaveTargetsAlone)
{
    settings.setSecurityType(1);
    settings.pdfSettings()->setEncryptionStrength(0); // 40-bit: passwords must fit PDFDocEncoding
    settings.pdfSettings()->setPdfOpenPassword(QString::fromUtf8("密码"));
    testsupport::makePdf(src("a.pdf"));
    testsupport::writeFile(out("a.pdf"), "previous output");
    addItem(src("a.pdf"));
    run();
    EXPECT_EQ(statusOf(0), "Unable to secure pdf document!");
    EXPECT_EQ(testsupport::readFile(out("a.pdf")), QByteArray("previous output"));
    EXPECT_EQ(process.message(), "Total 0 files splitted successfully.");

    // Both passwords empty: nothing is attempted and the status stays "".
    Process second;
    Settings noPasswords(false);
    noPasswords.setSecurityType(1);
    noPasswords.setOutputFolderPath(out());
    noPasswords.setIsOpenFolderAfterConversion(false);
    second.setSettings(&noPasswords);
    second.setLogsFolder(tmp.file("Logs"));
    auto output = std::make_shared<OutputFile>();
    output->filename = src("a.pdf");
    output->fileItems = {FileItem::initWithURL(QUrl::fromLocalFile(src("a.pdf")))};
    second.outputFiles() << output;
    second.setIsCombining(true);
    second.start();
    ASSERT_EQ(second.log().files().size(), 1);
    EXPECT_EQ(second.log().files().first()->status(), "");
    EXPECT_EQ(second.totalFileCreated(), 0);
    EXPECT_EQ(second.message(), "Total 0 files splitted successfully.");
    EXPECT_EQ(testsupport::readFile(out("a.pdf")), QByteArray("previous output"));
}

TEST_F(ProcessRun, securityTypeOtherThanZeroOrOne_writesNothing)
{
    settings.setSecurityType(7);
    testsupport::makePdf(src("a.pdf"));
    addItem(src("a.pdf"));
    run();
    EXPECT_EQ(statusOf(0), "");
    EXPECT_FALSE(QFileInfo::exists(out("a.pdf")));
}

TEST_F(ProcessRun, inPlaceWithBackup_replacesSourceAndKeepsPreviousContent)
{
    settings.setSecurityType(1);
    settings.setOutputFolderPath("");
    settings.setIsBackupFile(true);
    settings.pdfSettings()->setPdfOpenPassword("pw");
    testsupport::makePdf(src("report.pdf"), 1, {}, "ORIGINAL");
    testsupport::makeEncryptedPdf(src("SCAN.PDF"), "", "owner", 128);
    const QByteArray before = testsupport::readFile(src("report.pdf"));
    const QByteArray scanBefore = testsupport::readFile(src("SCAN.PDF"));
    FileItemPtr report = addItem(src("report.pdf"));
    FileItemPtr scan = addItem(src("SCAN.PDF"), "owner");
    ASSERT_TRUE(scan->isSecured());
    run();

    EXPECT_EQ(statusOf(0), "Secured Completed");
    EXPECT_EQ(statusOf(1), "Secured Completed");
    EXPECT_EQ(process.log().files().at(0)->targetPath(), src());
    EXPECT_EQ(testsupport::readFile(src("report_05122026140309_bak.pdf")), before);
    EXPECT_EQ(testsupport::readFile(src("SCAN_05122026140309_bak (SECURED).PDF")), scanBefore);
    EXPECT_TRUE(testsupport::showEncryption(src("report.pdf"), "pw").contains("R = 2")); // strength 0: 40-bit
    EXPECT_TRUE(testsupport::pdfText(src("report.pdf"), "pw").contains("ORIGINAL"));
    EXPECT_EQ(QDir(src()).entryList(QDir::Files | QDir::Hidden).size(), 4);

    // The same list run again in the same second cannot make its backup (the item
    // was listed unsecured, so the name is the same): the source is left alone.
    Process again;
    again.setSettings(&settings);
    again.setLogsFolder(tmp.file("Logs"));
    again.setClock([this] { return clock; });
    auto output = std::make_shared<OutputFile>();
    output->filename = src("report.pdf");
    output->fileItems = {report};
    again.outputFiles() << output;
    const QByteArray securedOnce = testsupport::readFile(src("report.pdf"));
    again.setIsCombining(true);
    again.start();
    EXPECT_EQ(again.log().files().first()->status(), "Unable to create backup file!");
    EXPECT_EQ(testsupport::readFile(src("report.pdf")), securedOnce);
    EXPECT_EQ(testsupport::readFile(src("report_05122026140309_bak.pdf")), before);
}

TEST_F(ProcessRun, inPlaceWithoutBackup_rewritesTheFileItReads)
{
    settings.setSecurityType(0);
    settings.setOutputFolderPath("");
    testsupport::makeEncryptedPdf(src("doc.pdf"), "u", "o", 256, {}, 40);
    addItem(src("doc.pdf"), "o");
    run();
    EXPECT_EQ(statusOf(0), "Un-Secured Completed");
    const auto pages = testsupport::runProgram("qpdf", {"--show-npages", src("doc.pdf")});
    EXPECT_EQ(pages.out.trimmed(), "40");
    EXPECT_TRUE(testsupport::showEncryption(src("doc.pdf"), "").contains("File is not encrypted"));
    EXPECT_TRUE(testsupport::pdfText(src("doc.pdf")).contains("Page 40"));
    EXPECT_EQ(QDir(src()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.pdf"});
}

TEST_F(ProcessRun, secureRunWithBackup_failedUnlockKeepsBackup)
{
    settings.setSecurityType(0);
    settings.setIsBackupFile(true);
    testsupport::makeEncryptedPdf(src("locked.pdf"), "user", "owner", 128);
    addItem(src("locked.pdf"));
    run();
    EXPECT_EQ(statusOf(0), "Unable to read secured pdf docuemnt!");
    EXPECT_TRUE(QFileInfo::exists(src("locked_05122026140309_bak (SECURED).pdf")));
    EXPECT_FALSE(QFileInfo::exists(out("locked.pdf")));
}

TEST_F(ProcessRun, exceptionInsideAWrite_becomesTheStatusAndTheRunGoesOn)
{
    settings.setSecurityType(0);
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf"})
        testsupport::makePdf(src(name));
    addItem(src("a.pdf"));
    addItem(src("b.pdf"));
    addItem(src("c.pdf"));
    process.setTestHook([](Process::HookPoint point, const QString &path) {
        if (point == Process::HookPoint::BeforeWrite && path.endsWith("b.pdf"))
            throw std::runtime_error("disk said \"no\" & <stopped>");
    });
    run();

    EXPECT_EQ(statusOf(0), "Un-Secured Completed");
    EXPECT_EQ(statusOf(1), "disk said \"no\" & <stopped>");
    EXPECT_EQ(statusOf(2), "Un-Secured Completed");
    EXPECT_EQ(process.totalFileCreated(), 2);
    EXPECT_EQ(process.message(), kSomeFailed);

    // The saved log carries the reason unchanged through XML escaping.
    const QList<LogRow> rows = readLogRows(process.log().logFilePath());
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].status, "disk said \"no\" & <stopped>");
    EXPECT_EQ(rows[0].fileName, "a.pdf");
    EXPECT_EQ(rows[0].sourcePath, src());
    EXPECT_EQ(rows[0].targetPath, out());
    EXPECT_EQ(rows[0].pages, "0");
}

TEST_F(ProcessRun, exceptionOutsideTheFileGuard_endsTheRunButStillFinishes)
{
    testsupport::LogCapture capture;
    settings.setSecurityType(0);
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf"})
        testsupport::makePdf(src(name));
    addItem(src("a.pdf"));
    addItem(src("b.pdf"));
    addItem(src("c.pdf"));
    process.setTestHook([](Process::HookPoint point, const QString &path) {
        if (point == Process::HookPoint::BeforeOpen && path.endsWith("b.pdf"))
            throw std::runtime_error("open exploded");
    });
    run();

    EXPECT_TRUE(capture.contains("Error in (Process=>start) : open exploded"));
    EXPECT_EQ(process.log().files().size(), 2); // c.pdf was never reached
    EXPECT_EQ(statusOf(0), "Un-Secured Completed");
    EXPECT_EQ(statusOf(1), "");
    EXPECT_FALSE(QFileInfo::exists(out("c.pdf")));
    EXPECT_EQ(process.message(), kSomeFailed);
    EXPECT_TRUE(process.isCompleted());
    EXPECT_FALSE(process.isCombining());
    EXPECT_TRUE(QFileInfo::exists(process.log().logFilePath()));
}

TEST_F(ProcessRun, emptyWorkList_savesAnEmptyLogAndSucceeds)
{
    run();
    EXPECT_EQ(process.message(), kAllDone);
    EXPECT_EQ(process.timeTaken(), "");
    EXPECT_TRUE(process.isCompleted());
    QString root;
    EXPECT_TRUE(readLogRows(process.log().logFilePath(), &root).isEmpty());
    EXPECT_EQ(root, "Log");
    EXPECT_EQ(QFileInfo(process.log().logFilePath()).fileName(), "051226140309.log");
    EXPECT_EQ(delegate.texts, QStringList{"Total Time Taken :  0/0"});
}

TEST_F(ProcessRun, stopAfterThirdOfTen_cancelsWithLogSaved)
{
    settings.setSecurityType(0);
    for (int i = 0; i < 10; ++i) {
        testsupport::makePdf(src(QString("f%1.pdf").arg(i)));
        addItem(src(QString("f%1.pdf").arg(i)));
    }
    delegate.onUpdate = [this](const QString &) {
        if (process.totalFileProcessed() == 3)
            process.stop();
    };
    run();
    EXPECT_EQ(process.totalFileProcessed(), 3);
    EXPECT_EQ(process.log().files().size(), 3);
    EXPECT_EQ(process.message(), kCancelled);
    EXPECT_TRUE(process.isCompleted());
    EXPECT_FALSE(QFileInfo::exists(out("f3.pdf")));
    EXPECT_EQ(readLogRows(process.log().logFilePath()).size(), 3);
    EXPECT_EQ(delegate.texts.first(), "Total Time Taken : In Process... 1/10");
}

TEST_F(ProcessRun, startedWithoutArming_processesNothing)
{
    testsupport::makePdf(src("a.pdf"));
    addItem(src("a.pdf"));
    process.start(); // isCombining still false
    EXPECT_EQ(process.message(), kCancelled);
    EXPECT_TRUE(process.log().files().isEmpty());
    EXPECT_EQ(process.totalFileProcessed(), 0);
    EXPECT_TRUE(process.isCompleted());
}

TEST_F(ProcessRun, observableChanges_comeInTheDocumentedOrder)
{
    settings.setSecurityType(0);
    testsupport::makePdf(src("a.pdf"));
    testsupport::makePdf(src("b.pdf"));
    addItem(src("a.pdf"));
    addItem(src("b.pdf"));
    // Each reading of the clock is 65 seconds after the previous one.
    process.setClock([this] { return clock = clock.addSecs(65); });

    QStringList events;
    auto watch = [&](auto signal, const char *name) {
        QObject::connect(
            &process, signal, &process, [&events, name] { events << name; }, Qt::DirectConnection);
    };
    watch(&Process::isCompletedChanged, "isCompleted");
    watch(&Process::messageChanged, "message");
    watch(&Process::fileInProcessChanged, "fileInProcess");
    watch(&Process::totalFileCreatedChanged, "created");
    watch(&Process::totalFileProcessedChanged, "processed");
    watch(&Process::timeTakenChanged, "timeTaken");
    watch(&Process::outputFileInProcessChanged, "outputFileInProcess");
    watch(&Process::isCombiningChanged, "isCombining");
    delegate.onUpdate = [&events](const QString &text) { events << "update:" + text; };
    QStringList namesSeen;
    QObject::connect(
        &process, &Process::fileInProcessChanged, &process, [&] { namesSeen << process.fileInProcess(); },
        Qt::DirectConnection);

    process.setIsCombining(true);
    events.clear();
    process.start();

    const QStringList expected{"isCompleted",   "message",
                               "fileInProcess", "created",
                               "processed",     "update:Total Time Taken : In Process... 1/2",
                               "fileInProcess", "created",
                               "processed",     "update:Total Time Taken : In Process... 2/2",
                               "message",       "timeTaken",
                               "fileInProcess", "outputFileInProcess",
                               "isCombining",   "update:Total Time Taken : 1 min(s) 5 sec(s)  2/2",
                               "isCompleted"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(namesSeen, QStringList({"a.pdf", "b.pdf", ""}));
    EXPECT_EQ(process.timeTaken(), "1 min(s) 5 sec(s) ");
}

TEST_F(ProcessRun, outputFolderOpened_onlyWhenSetAskedAndSomethingWritten)
{
    settings.setSecurityType(0);
    settings.setIsOpenFolderAfterConversion(true);
    testsupport::makePdf(src("a.pdf"));
    addItem(src("a.pdf"));
    run();
    EXPECT_EQ(workspace.opened, QList<QUrl>{QUrl::fromLocalFile(out())});

    process.viewLog();
    ASSERT_EQ(workspace.opened.size(), 2);
    EXPECT_EQ(workspace.opened.last(), QUrl::fromLocalFile(process.log().logFilePath()));

    // Written beside the source: no folder is opened.
    RecordingWorkspace inPlaceWorkspace;
    Settings inPlace(false);
    inPlace.setSecurityType(0);
    inPlace.setIsBackupFile(false);
    inPlace.setIsOpenFolderAfterConversion(true);
    Process second;
    second.setSettings(&inPlace);
    second.setWorkspace(&inPlaceWorkspace);
    second.setLogsFolder(tmp.file("Logs"));
    auto output = std::make_shared<OutputFile>();
    output->filename = src("a.pdf");
    output->fileItems = {FileItem::initWithURL(QUrl::fromLocalFile(src("a.pdf")))};
    second.outputFiles() << output;
    second.setIsCombining(true);
    second.start();
    EXPECT_EQ(second.totalFileCreated(), 1);
    EXPECT_TRUE(inPlaceWorkspace.opened.isEmpty());
}

TEST(ProcessViewLog, beforeAnySave_opensNothing)
{
    RecordingWorkspace workspace;
    Process p;
    p.setWorkspace(&workspace);
    p.viewLog();
    EXPECT_TRUE(workspace.opened.isEmpty());
}

// The window's way: start() on a worker thread, progress through a blocking
// call into the main thread, cancel written from the main thread.
TEST_F(ProcessRun, onWorkerThread_blockingMainThreadUpdatesAndCancel)
{
    static int argc = 1;
    static char name[] = "ProcessTest";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    settings.setSecurityType(0);
    for (int i = 0; i < 6; ++i) {
        testsupport::makePdf(src(QString("f%1.pdf").arg(i)));
        addItem(src(QString("f%1.pdf").arg(i)));
    }

    QObject mainThreadReceiver;
    QStringList shownOnMain;
    bool allOnMainThread = true;
    class BlockingDelegate final : public RunDelegate
    {
    public:
        std::function<void(const QString &)> perform;
        void updateTimeTakenLabel(const QString &text) override { perform(text); }
    } blocking;
    blocking.perform = [&](const QString &text) {
        QMetaObject::invokeMethod(
            &mainThreadReceiver,
            [&, text] {
                allOnMainThread = allOnMainThread && QThread::currentThread() == app.thread();
                shownOnMain << text;
                if (shownOnMain.size() == 2)
                    process.setIsCombining(false); // the window's cancel button
            },
            Qt::BlockingQueuedConnection);
    };
    process.setDelegate(&blocking);

    process.setIsCombining(true);
    std::unique_ptr<QThread> worker(QThread::create([this] { process.start(); }));
    worker->start();
    const bool finished = QTest::qWaitFor([&] { return process.isCompleted(); }, 120000);
    worker->wait();
    ASSERT_TRUE(finished);
    EXPECT_TRUE(allOnMainThread);
    EXPECT_EQ(process.totalFileProcessed(), 2);
    EXPECT_EQ(process.message(), kCancelled);
    EXPECT_EQ(shownOnMain.size(), 3);
    EXPECT_EQ(shownOnMain.last(), "Total Time Taken :  2/6");
}

// Every real-world sample, unsecured with the best documented password: no
// crash, a status from the table for each, and the outcome the manifest predicts.
TEST_F(ProcessRun, corpus_everySampleGetsItsExpectedOutcome)
{
    settings.setSecurityType(0);
    const auto manifest = testsupport::corpusManifest();
    ASSERT_GE(manifest.size(), 40);
    auto known = [](const QString &pw) { return pw != "(unknown)" && pw != "-"; };
    auto typed = [](const QString &pw) { return pw == "(empty)" ? QString("") : pw; };

    QStringList expected;
    for (int i = 0; i < manifest.size(); ++i) {
        const auto &e = manifest[i];
        // Copied: the run never writes into the corpus.
        const QString copy =
            src(QString("%1-%2").arg(i, 2, 10, QChar('0')).arg(QFileInfo(e.file()).fileName()));
        ASSERT_TRUE(QFile::copy(e.path(), copy)) << e.file().toStdString();
        QString password;
        if (known(e.value("owner_pw")))
            password = typed(e.value("owner_pw"));
        else if (known(e.value("user_pw")))
            password = typed(e.value("user_pw"));
        if (e.file() == "pdfjs/saslprep-r6.pdf")
            password = "SaSLprep"; // qpdf takes only the prepared form
        addItem(copy, password.isNull() ? QString("") : password);

        if (e.value("encrypted") == "no" || known(e.value("owner_pw")) ||
            e.value("copy_allowed_with_user_pw") == "yes")
            expected << "Un-Secured Completed";
        else if (known(e.value("user_pw")))
            expected << "Permission Password Required.";
        else
            expected << "Unable to read secured pdf docuemnt!";
    }
    run();

    ASSERT_EQ(process.log().files().size(), manifest.size());
    EXPECT_TRUE(process.isCompleted());
    for (int i = 0; i < manifest.size(); ++i) {
        EXPECT_EQ(statusOf(i), expected[i]) << manifest[i].file().toStdString();
        const QString output = out(process.log().files().at(i)->filename());
        if (statusOf(i) == "Un-Secured Completed") {
            int rc = -1;
            EXPECT_TRUE(testsupport::showEncryption(output, "", &rc).contains("File is not encrypted"))
                << manifest[i].file().toStdString();
        }
    }
}
