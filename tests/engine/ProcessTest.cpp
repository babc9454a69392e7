#include "engine/Process.h"

#include "engine/Workspace.h"
#include "model/FileItem.h"
#include "model/Settings.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <list>
#include <stdexcept>

using namespace lockleaf;
using namespace testsupport;

namespace
{

const QString kAllDone = "All files splitted successfully.";
const QString kCancelled = "Process cancelled!";
const QString kSomeFailed =
    "Lockleaf unable able to split some of the files!\r\nPlease check log for more information.";

class Recorder final : public RunDelegate, public Workspace
{
public:
    std::function<void(const QString &)> onUpdate;
    QStringList texts;
    QList<QUrl> opened;
    void updateTimeTakenLabel(const QString &text) override
    {
        texts << text;
        if (onUpdate)
            onUpdate(text);
    }
    void openURL(const QUrl &url) override { opened << url; }
    void revealURLs(const QList<QUrl> &) override {}
};

// A run over real files in a temporary folder, with settings of its own (no
// store), its log in <tmp>/Logs and a clock fixed at 5 Dec 2026 14:03:09.
class ProcessRun : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }

    void SetUp() override
    {
        for (const char *dir : {"src", "out", "Logs"})
            QDir(tmp.path()).mkpath(dir);
        settings.setOutputFolderPath(out());
        settings.setIsBackupFile(false);
        settings.setIsOpenFolderAfterConversion(false);
        arm(process);
    }

    void arm(Process &p)
    {
        p.setSettings(&settings);
        p.setDelegate(&recorder);
        p.setWorkspace(&recorder);
        p.setLogsFolder(tmp.file("Logs"));
        p.setClock([this] { return clock; });
        p.setJobs(1); // the one-at-a-time run; parallel runs are compared with it elsewhere
    }

    QString src(const QString &name = {}) const
    {
        return tmp.file("src") + (name.isEmpty() ? "" : "/" + name);
    }
    QString out(const QString &name = {}) const
    {
        return tmp.file("out") + (name.isEmpty() ? "" : "/" + name);
    }

    FileItemPtr add(const QString &path, const QString &password = {}, Process *p = nullptr,
                    FileItemPtr item = {})
    {
        if (!item)
            item = FileItem::initWithURL(QUrl::fromLocalFile(path));
        if (!password.isNull())
            item->setPdfOpenPassword(password);
        (p ? p : &process)->outputFiles() << std::make_shared<OutputFile>(OutputFile{path, {item}});
        return item;
    }

    // A further run with the same settings, delegate, log folder and clock.
    Process &another()
    {
        Process &p = extra.emplace_back();
        arm(p);
        return p;
    }

    void run(Process &p)
    {
        p.setIsCombining(true);
        p.start();
    }
    // A further run over these sources, each with `password`, run at once.
    Process &runAnother(const QStringList &names, const QString &password = {})
    {
        Process &p = another();
        for (const QString &name : names)
            add(src(name), password, &p);
        run(p);
        return p;
    }

    // A missing record reads as a status no run writes, so the comparison fails cleanly.
    static LogFilesPtr record(int i, const Process &p)
    {
        const QList<LogFilesPtr> files = p.log().files();
        return i < files.size() && files.at(i) ? files.at(i) : std::make_shared<LogFiles>();
    }
    QString status(int i, const Process &p) const
    {
        return i < p.log().files().size() ? record(i, p)->status() : QString("<no record %1>").arg(i);
    }
    QString status(int i) const { return status(i, process); }

    TempDir tmp;
    Settings settings{false};
    Process process;
    Recorder recorder;
    std::list<Process> extra; // destroyed before the settings and recorder they use
    QDateTime clock{QDate(2026, 12, 5), QTime(14, 3, 9)};
};

} // namespace

TEST_F(ProcessRun, removeSecurity_eachStatusHasItsRealCause)
{
    makePdf(src("plain.pdf"));
    makeEncryptedPdf(src("wrongpw.pdf"), "user", "owner", 128);
    makeEncryptedPdf(src("nocopy.pdf"), "user", "owner", 128, {"--extract=n"});
    makeEncryptedPdf(src("ownerpw.pdf"), "user", "owner", 128, {"--extract=n"});
    makePdf(src("blocked.pdf"));
    QDir(out()).mkpath("blocked.pdf"); // a folder where the output should go
    add(src("plain.pdf"));
    add(src("wrongpw.pdf"), "nope");
    add(src("nocopy.pdf"), "user");
    add(src("ownerpw.pdf"), "owner");
    add(src("blocked.pdf"));
    run(process);

    EXPECT_EQ(logStatuses(process.log().logFilePath()),
              QStringList({"Un-Secured Completed", "Unable to read secured pdf docuemnt!",
                           "Permission Password Required.", "Un-Secured Completed",
                           "Unable to un-secure pdf document!"}));
    EXPECT_EQ(process.totalFileCreated(), 2);
    EXPECT_EQ(process.totalFileProcessed(), 5);
    EXPECT_EQ(
        process.message(),
        "2 of 5 files written, 3 failed.\r\nPlease check each file's status or the log for the reasons.");
    EXPECT_TRUE(QFileInfo(out("blocked.pdf")).isDir());
    // Nothing else written, no temporary file left behind by the failed write.
    EXPECT_EQ(QDir(out()).entryList(QDir::Files | QDir::Hidden), QStringList({"ownerpw.pdf", "plain.pdf"}));
}

// How readers see secured output is the interop matrix's job; here: the
// statuses, a re-secured encrypted source, and what a failed write leaves.
TEST_F(ProcessRun, addSecurity_statusesAndFailedWriteKeepsPreviousOutput)
{
    settings.setSecurityType(1);
    PDFSettings *pdf = settings.pdfSettings();
    pdf->setPdfOpenPassword("openme");
    pdf->setPdfPermissionPassword("perm");
    pdf->setEncryptionStrength(1);
    makePdf(src("a.pdf"));
    makeEncryptedPdf(src("b.pdf"), "u", "o", 40);
    add(src("a.pdf"));
    add(src("b.pdf"), "o");
    run(process);
    EXPECT_EQ(process.message(), kAllDone);
    EXPECT_TRUE(showEncryption(out("b.pdf"), "perm").contains("R = 4"))
        << "re-secured with the new passwords";

    // A password 40-bit keys cannot carry fails without touching the previous output.
    const QByteArray previous = readFile(out("a.pdf"));
    pdf->setEncryptionStrength(0);
    pdf->setPdfOpenPassword(QString::fromUtf8("密码"));
    Process &weak = runAnother({"a.pdf"});
    EXPECT_EQ(status(0, weak), "Unable to secure pdf document!");
    EXPECT_TRUE(record(0, weak)->reason().contains("40-bit key cannot carry"))
        << record(0, weak)->reason().toStdString();
    EXPECT_EQ(readFile(out("a.pdf")), previous);

    // Restrictions with an open password alone would bind nobody: refused, with the reason.
    pdf->setEncryptionStrength(1);
    pdf->setPdfOpenPassword("openme");
    pdf->setPdfPermissionPassword("");
    pdf->setCanCopy(false);
    Process &openOnly = runAnother({"a.pdf"});
    EXPECT_EQ(status(0, openOnly), "Unable to secure pdf document!");
    EXPECT_TRUE(record(0, openOnly)->reason().contains("permission password"));
    EXPECT_EQ(readFile(out("a.pdf")), previous);
    EXPECT_TRUE(pdf->pdfPermissionPassword().isEmpty()) << "the run changed the user's settings";
    pdf->setCanCopy(true);
    EXPECT_EQ(
        weak.message(),
        "0 of 1 files written, 1 failed.\r\nPlease check each file's status or the log for the reasons.");

    // Both passwords empty: nothing attempted, status "".
    pdf->setPdfOpenPassword("");
    pdf->setPdfPermissionPassword("");
    Process &none = runAnother({"a.pdf"});
    EXPECT_EQ(status(0, none), "");
    EXPECT_EQ(none.totalFileCreated(), 0);
}

TEST_F(ProcessRun, inPlace_backupNamesAndSourcesReplacedSafely)
{
    settings.setSecurityType(1);
    settings.setOutputFolderPath("");
    settings.setIsBackupFile(true);
    settings.pdfSettings()->setPdfOpenPassword("pw");
    makePdf(src("report.pdf"), 1, {}, "ORIGINAL");
    makeEncryptedPdf(src("SCAN.PDF"), "", "owner", 128);
    const QByteArray before = readFile(src("report.pdf"));
    const QByteArray scanBefore = readFile(src("SCAN.PDF"));
    const FileItemPtr report = add(src("report.pdf"));
    add(src("SCAN.PDF"), "owner");
    run(process);

    EXPECT_EQ(logStatuses(process.log().logFilePath()),
              QStringList({"Secured Completed", "Secured Completed"}));
    EXPECT_EQ(record(0, process)->targetPath(), src());
    EXPECT_EQ(readFile(src("report_05122026140309_bak.pdf")), before);
    EXPECT_EQ(readFile(src("SCAN_05122026140309_bak (SECURED).PDF")), scanBefore);
    EXPECT_TRUE(pdfText(src("report.pdf"), "pw").contains("ORIGINAL"));
    EXPECT_EQ(QDir(src()).entryList(QDir::Files | QDir::Hidden).size(), 4);
    EXPECT_EQ(OutputNames::backupPathFor("/Volumes/Work/old.pdf.files/report.pdf", false, clock),
              "/Volumes/Work/old.pdf.files/report_05122026140309_bak.pdf");

    // The same list again in the same second: the backup exists, so the source
    // is not touched at all.
    Process &again = another();
    add(src("report.pdf"), {}, &again, report);
    const QByteArray securedOnce = readFile(src("report.pdf"));
    run(again);
    EXPECT_EQ(status(0, again), "Unable to create backup file!");
    EXPECT_EQ(readFile(src("report.pdf")), securedOnce);

    // Without backup the run rewrites the very file it reads.
    settings.setSecurityType(0);
    settings.setIsBackupFile(false);
    makeEncryptedPdf(src("big.pdf"), "u", "o", 256, {}, 40);
    Process &noBackup = runAnother({"big.pdf"}, "o");
    EXPECT_EQ(status(0, noBackup), "Un-Secured Completed");
    EXPECT_TRUE(pdfText(src("big.pdf")).contains("Page 40"));
    EXPECT_EQ(QDir(src()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

TEST_F(ProcessRun, exceptions_insideAWriteBecomeStatus_elsewhereEndTheRun)
{
    LogCapture capture;
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf"})
        makePdf(src(name));
    add(src("a.pdf"));
    add(src("b.pdf"));
    add(src("c.pdf"));
    process.setTestHook([](Process::HookPoint point, const QString &path) {
        if (point == Process::HookPoint::BeforeWrite && path.endsWith("b.pdf"))
            throw std::runtime_error("disk said \"no\" & <stopped>");
    });
    run(process);
    // The reason survives XML escaping unchanged; the other files still succeed.
    EXPECT_EQ(logStatuses(process.log().logFilePath()),
              QStringList({"Un-Secured Completed", "disk said \"no\" & <stopped>", "Un-Secured Completed"}));
    EXPECT_EQ(process.message(), kSomeFailed);

    Process &broken = another();
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf"})
        add(src(name), {}, &broken);
    broken.setTestHook([](Process::HookPoint point, const QString &path) {
        if (point == Process::HookPoint::BeforeOpen && path.endsWith("b.pdf"))
            throw std::runtime_error("open exploded");
    });
    run(broken);
    EXPECT_TRUE(capture.contains("Error in (Process=>start) : open exploded"));
    EXPECT_EQ(logStatuses(broken.log().logFilePath()), QStringList({"Un-Secured Completed", ""}));
    EXPECT_EQ(broken.message(), kSomeFailed);
    EXPECT_TRUE(broken.isCompleted());
    EXPECT_FALSE(broken.isCombining());
}

TEST_F(ProcessRun, summaries_emptyListAndCancel)
{
    run(process);
    EXPECT_EQ(process.message(), kAllDone);
    EXPECT_EQ(process.timeTaken(), "");
    EXPECT_TRUE(logStatuses(process.log().logFilePath()).isEmpty());
    EXPECT_EQ(QFileInfo(process.log().logFilePath()).fileName(), "051226140309.log");
    EXPECT_EQ(recorder.texts, QStringList{"Total Time Taken :  0/0"});

    Process &stopped = another();
    for (int i = 0; i < 10; ++i) {
        makePdf(src(QString("f%1.pdf").arg(i)));
        add(src(QString("f%1.pdf").arg(i)), {}, &stopped);
    }
    recorder.onUpdate = [&stopped](const QString &) {
        if (stopped.totalFileProcessed() == 3)
            stopped.stop();
    };
    run(stopped);
    EXPECT_EQ(stopped.totalFileProcessed(), 3);
    EXPECT_EQ(logStatuses(stopped.log().logFilePath()).size(), 3);
    EXPECT_EQ(stopped.message(), kCancelled);
    EXPECT_TRUE(stopped.isCompleted());
    EXPECT_FALSE(QFileInfo::exists(out("f3.pdf")));

    // Never armed: nothing is processed.
    Process &unarmed = another();
    add(src("f0.pdf"), {}, &unarmed);
    unarmed.start();
    EXPECT_EQ(unarmed.message(), kCancelled);
    EXPECT_TRUE(unarmed.log().files().isEmpty());
}

TEST_F(ProcessRun, observableChanges_comeInTheDocumentedOrder)
{
    settings.setIsOpenFolderAfterConversion(true);
    makePdf(src("a.pdf"));
    makePdf(src("b.pdf"));
    add(src("a.pdf"));
    add(src("b.pdf"));
    process.setClock([this] { return clock = clock.addSecs(65); }); // each reading 65 s later

    QStringList events;
    auto watch = [&](auto signal, const char *name) {
        QObject::connect(
            &process, signal, &process, [&events, name] { events << name; }, Qt::DirectConnection);
    };
    watch(&Process::isCompletedChanged, "isCompleted");
    watch(&Process::messageChanged, "message");
    watch(&Process::totalFileCreatedChanged, "created");
    watch(&Process::totalFileProcessedChanged, "processed");
    watch(&Process::timeTakenChanged, "timeTaken");
    watch(&Process::outputFileInProcessChanged, "outputFileInProcess");
    watch(&Process::isCombiningChanged, "isCombining");
    QObject::connect(
        &process, &Process::fileInProcessChanged, &process,
        [&] { events << "file:" + process.fileInProcess(); }, Qt::DirectConnection);
    recorder.onUpdate = [&](const QString &text) {
        events << "update:" + text + " opened:" + QString::number(recorder.opened.size());
    };
    process.setIsCombining(true);
    events.clear();
    process.start();

    EXPECT_EQ(events,
              QStringList({"isCompleted", "message", "file:a.pdf", "created", "processed",
                           "update:Total Time Taken : In Process... 1/2 opened:0", "file:b.pdf", "created",
                           "processed", "update:Total Time Taken : In Process... 2/2 opened:0", "message",
                           "timeTaken", "file:", "outputFileInProcess", "isCombining",
                           "update:Total Time Taken : 1 min(s) 5 sec(s)  2/2 opened:0", "isCompleted"}));
    EXPECT_EQ(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(out())});
    process.viewLog();
    ASSERT_EQ(recorder.opened.size(), 2);
    EXPECT_EQ(recorder.opened.last(), QUrl::fromLocalFile(process.log().logFilePath()));

    // Nothing written, or written beside the sources: no folder is opened.
    recorder.opened.clear();
    makeEncryptedPdf(src("locked.pdf"), "user", "owner", 128);
    Process &failed = runAnother({"locked.pdf"}, "wrong");
    EXPECT_EQ(status(0, failed), "Unable to read secured pdf docuemnt!");
    EXPECT_EQ(failed.totalFileCreated(), 0);
    settings.setOutputFolderPath("");
    Process &inPlace = runAnother({"a.pdf"});
    EXPECT_EQ(inPlace.totalFileCreated(), 1);
    EXPECT_TRUE(recorder.opened.isEmpty());
}

// No output of a run replaces another output of the same run, or a source the
// run has still to read; files from before the run are replaced as always.
TEST_F(ProcessRun, sameNamedSources_laterOutputsGetFreeNames_earlierFilesReplaced)
{
    QDir(src()).mkpath("sub");
    QDir(src()).mkpath("sub2");
    makePdf(src("a.pdf"), 1, {}, "TOP");
    makePdf(src("sub/a.pdf"), 1, {}, "SUB");
    makePdf(src("sub2/a.pdf"), 1, {}, "SUB2");
    writeFile(out("a.pdf"), "from an earlier day");
    writeFile(out("a (2).pdf"), "not ours either");
    add(src("a.pdf"));
    add(src("sub/a.pdf"));
    add(src("sub2/a.pdf"));
    run(process);

    EXPECT_EQ(logStatuses(process.log().logFilePath()), QStringList(3, "Un-Secured Completed"));
    EXPECT_TRUE(pdfText(out("a.pdf")).contains("TOP"));
    EXPECT_EQ(readFile(out("a (2).pdf")), "not ours either");
    EXPECT_TRUE(pdfText(out("a (3).pdf")).contains("SUB"));
    EXPECT_TRUE(pdfText(out("a (4).pdf")).contains("SUB2"));
    EXPECT_EQ(record(0, process)->targetPath(), out());
    EXPECT_EQ(record(1, process)->targetPath(), out("a (3).pdf"));
    EXPECT_EQ(record(2, process)->renamedOutput(), out("a (4).pdf"));
    EXPECT_TRUE(process.logSaved());

    // Into the sources' own folder: sub/b.pdf comes first, and its output must
    // not replace b.pdf before b.pdf itself is read.
    settings.setOutputFolderPath(src());
    makePdf(src("sub/b.pdf"), 1, {}, "SUBB");
    makePdf(src("b.pdf"), 1, {}, "TOPB");
    Process &mixed = runAnother({"sub/b.pdf", "b.pdf"});
    EXPECT_EQ(status(0, mixed), "Un-Secured Completed");
    EXPECT_EQ(status(1, mixed), "Un-Secured Completed");
    EXPECT_TRUE(pdfText(src("b (2).pdf")).contains("SUBB"));
    EXPECT_TRUE(pdfText(src("b.pdf")).contains("TOPB"));
}

// The window's way: start() on a worker thread, progress through a blocking
// call into the main thread, cancel written from the main thread.
TEST_F(ProcessRun, onWorkerThread_blockingMainThreadUpdatesAndCancel)
{
    static int argc = 1;
    static char name[] = "ProcessTest";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    for (int i = 0; i < 6; ++i) {
        makePdf(src(QString("f%1.pdf").arg(i)));
        add(src(QString("f%1.pdf").arg(i)));
    }
    QObject receiver;
    QStringList shown;
    bool allOnMain = true;
    recorder.onUpdate = [&](const QString &text) {
        QMetaObject::invokeMethod(
            &receiver,
            [&, text] {
                allOnMain = allOnMain && QThread::currentThread() == app.thread();
                shown << text;
                if (shown.size() == 2)
                    process.setIsCombining(false); // the cancel button
            },
            Qt::BlockingQueuedConnection);
    };
    process.setIsCombining(true);
    std::unique_ptr<QThread> worker(QThread::create([this] { process.start(); }));
    worker->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.isCompleted(); }, 120000));
    worker->wait();
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(process.message(), kCancelled);
    EXPECT_EQ(shown, QStringList({"Total Time Taken : In Process... 1/6",
                                  "Total Time Taken : In Process... 2/6", "Total Time Taken :  2/6"}));
}

// What a run must never do with a source that changes under it: count an
// output read from a file cut short, or put the older file secured in place
// of a newer one moved over it.
TEST_F(ProcessRun, sourceChangedDuringTheRun_failsTheFile_replacesNothing)
{
    struct Case {
        const char *name;
        bool large; // read from disk while writing, not from memory at open
        bool inPlace;
        bool backup;
        bool truncate; // else a newer file is moved over the source
    };
    const Case cases[] = {
        {"small_truncated", false, false, false, true},
        {"large_truncated", true, false, false, true},
        {"small_replacedInPlace", false, true, false, false},
        {"large_replacedInPlace", true, true, false, false},
        {"small_replacedInPlaceWithBackup", false, true, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        QDir(dir.path()).mkpath("out");
        const QString source = dir.file(QString(c.name) + ".pdf");
        if (c.large)
            makeLargePdf(source, 8 * 1024 * 1024);
        else
            makePdf(source, 3);
        makePdf(dir.file("newer.pdf"), 1, {}, "NEWER");
        const QByteArray newer = readFile(dir.file("newer.pdf"));
        settings.setOutputFolderPath(c.inPlace ? QString() : dir.file("out"));
        settings.setIsBackupFile(c.backup);
        Process &p = another();
        add(source, {}, &p);
        p.setTestHook([&](Process::HookPoint point, const QString &) {
            if (point != Process::HookPoint::BeforeWrite)
                return;
            if (c.truncate)
                ASSERT_TRUE(QFile::resize(source, QFileInfo(source).size() / 2));
            else
                ASSERT_EQ(std::rename(QFile::encodeName(dir.file("newer.pdf")).constData(),
                                      QFile::encodeName(source).constData()),
                          0);
        });
        run(p);
        EXPECT_EQ(status(0, p), QString("source changed while it was being read"));
        EXPECT_EQ(p.totalFileCreated(), 0);
        EXPECT_TRUE(QDir(dir.file("out")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        if (!c.truncate) {
            EXPECT_TRUE(readFile(source) == newer) << "the newer file was replaced";
        }
        const QStringList left = QDir(dir.path()).entryList({".lockleaf-*"}, QDir::Files | QDir::Hidden);
        EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
    }
}

// In place, the document is what gets secured: not a link to it in its place,
// and not one name of a hard-linked file while the others keep the old content.
TEST_F(ProcessRun, inPlace_throughASymlink_securesTheDocument_hardLinkedFilesRefused)
{
    settings.setSecurityType(1);
    settings.setOutputFolderPath("");
    settings.pdfSettings()->setPdfOpenPassword("pw");
    QDir(src()).mkpath("real");
    makePdf(src("real/doc.pdf"), 1, {}, "DOC");
    ASSERT_TRUE(QFile::link("real/doc.pdf", src("link.pdf")));
    makePdf(src("real/twin.pdf"), 1, {}, "TWIN");
    ASSERT_EQ(::link(QFile::encodeName(src("real/twin.pdf")).constData(),
                     QFile::encodeName(src("twin.pdf")).constData()),
              0);
    const QByteArray twin = readFile(src("twin.pdf"));
    add(src("link.pdf"));
    add(src("real/twin.pdf"));
    run(process);

    EXPECT_EQ(status(0), "Secured Completed");
    EXPECT_TRUE(QFileInfo(src("link.pdf")).isSymLink());
    EXPECT_EQ(QFileInfo(src("link.pdf")).symLinkTarget(), src("real/doc.pdf"));
    EXPECT_TRUE(pdfText(src("real/doc.pdf"), "pw").contains("DOC"));
    EXPECT_FALSE(pdfText(src("real/doc.pdf")).contains("DOC")) << "the document was left unprotected";
    EXPECT_EQ(status(1),
              QString("Not replaced: the file has other hard links, which would keep its old content"));
    EXPECT_TRUE(readFile(src("real/twin.pdf")) == twin);
    EXPECT_EQ(process.totalFileCreated(), 1);
    EXPECT_EQ(QDir(src()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"link.pdf", "twin.pdf"}));
    EXPECT_EQ(QDir(src("real")).entryList(QDir::Files | QDir::Hidden), QStringList({"doc.pdf", "twin.pdf"}));
}

// A backup made as root is its owner's, as private as the source; the file
// replaced in place keeps its extended attributes.
TEST_F(ProcessRun, inPlaceWithBackup_keepsOwnerGroupModeAndExtendedAttributes)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    settings.setSecurityType(1);
    settings.setOutputFolderPath("");
    settings.setIsBackupFile(true);
    settings.pdfSettings()->setPdfOpenPassword("pw");
    makePdf(src("theirs.pdf"));
    const QByteArray path = QFile::encodeName(src("theirs.pdf"));
    ASSERT_EQ(::chown(path.constData(), 12345, 12346), 0);
    ASSERT_EQ(::chmod(path.constData(), 0600), 0);
    const bool xattrs = ::setxattr(path.constData(), "user.lockleaf.label", "kept", 4, 0) == 0;
    if (!xattrs)
        std::cout << "extended attributes not checked: the file system refuses them here ("
                  << std::strerror(errno) << ")\n";
    add(src("theirs.pdf"));
    run(process);
    ASSERT_EQ(status(0), "Secured Completed");

    for (const QString &name : {QString("theirs.pdf"), QString("theirs_05122026140309_bak.pdf")}) {
        SCOPED_TRACE(name.toStdString());
        const FileMode mode = fileMode(src(name));
        EXPECT_EQ(mode.uid, 12345);
        EXPECT_EQ(mode.gid, 12346);
        EXPECT_EQ(mode.mode, 0600);
        char value[16] = {};
        if (xattrs) {
            EXPECT_EQ(::getxattr(QFile::encodeName(src(name)).constData(), "user.lockleaf.label", value,
                                 sizeof value),
                      4);
        }
    }
    EXPECT_FALSE(pdfText(src("theirs_05122026140309_bak.pdf")).isEmpty()) << "the backup is the original";
}

TEST_F(ProcessRun, aSourceGoneSinceListed_saysMissing_longNamesStillGetABackup)
{
    settings.setOutputFolderPath("");
    // 78 three-byte characters: a 240-byte name whose backup name would pass 255 bytes.
    const QString longName = QString(78, QChar(0x20AC)) + "ab.pdf";
    for (bool backup : {false, true}) {
        SCOPED_TRACE(backup ? "with backup" : "without backup");
        settings.setIsBackupFile(backup);
        Process &p = another();
        makePdf(src("gone.pdf"));
        makePdf(src(longName));
        add(src("gone.pdf"), {}, &p);
        add(src(longName), {}, &p);
        ASSERT_TRUE(QFile::remove(src("gone.pdf")));
        run(p);
        EXPECT_EQ(status(0, p), QString("File not found: moved or deleted since it was listed"));
        EXPECT_EQ(status(1, p), QString("Un-Secured Completed"));
    }
    const QStringList backups = QDir(src()).entryList({"*_bak.pdf"}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_LE(QFile::encodeName(backups.first()).size(), 255);
    EXPECT_TRUE(backups.first().endsWith("_05122026140309_bak.pdf"));
    EXPECT_TRUE(backups.first().startsWith(QString(70, QChar(0x20AC))));

    // The name is cut between characters, never inside one (a surrogate pair here).
    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\x84");
    const QString cut =
        QFileInfo(OutputNames::backupPathFor("/d/" + emoji.repeated(60) + ".pdf", true, clock)).fileName();
    const QByteArray bytes = QFile::encodeName(cut);
    EXPECT_LE(bytes.size(), 255);
    EXPECT_EQ(QString::fromUtf8(bytes), cut);
    EXPECT_EQ(cut, emoji.repeated(55) + "_05122026140309_bak (SECURED).pdf");
}
