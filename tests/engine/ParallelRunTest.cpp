#include "engine/Process.h"

#include "model/FileItem.h"
#include "model/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <stdexcept>
#include <unistd.h>
#include <utility>

using namespace lockleaf;
using namespace testsupport;

namespace
{

// This suite makes and reads its PDFs in-process, never through QProcess: Qt
// starts children with a vfork-style clone that ThreadSanitizer cannot follow,
// and after one the sanitizer loses track of this thread's locks, so `make
// test-tsan` would report races in the worker pool that are not there.

QString pageCountOf(const QString &path, const char *password = "")
{
    try {
        QPDF pdf;
        pdf.processFile(QFile::encodeName(path).constData(), password);
        return QString::number(pdf.getAllPages().size());
    } catch (const std::exception &) {
        return QString();
    }
}

void makeLockedPdf(const QString &path, const char *user, const char *owner)
{
    const QString plain = path + ".plain.tmp";
    makePdf(plain);
    QPDF pdf;
    pdf.processFile(QFile::encodeName(plain).constData());
    QPDFWriter w(pdf, QFile::encodeName(path).constData());
    w.setStaticID(true);
    w.setR6EncryptionParameters(user, owner, true, true, true, true, true, true, qpdf_r3p_full, true);
    w.write();
    QFile::remove(plain);
}

// Counts what a run reports and on which thread.
class Reporter final : public RunDelegate
{
public:
    QStringList texts;
    bool allOnStartThread = true;
    QThread *startThread = QThread::currentThread();
    std::function<void()> onUpdate;
    void updateTimeTakenLabel(const QString &text) override
    {
        texts << text;
        allOnStartThread = allOnStartThread && QThread::currentThread() == startThread;
        if (onUpdate)
            onUpdate();
    }
};

// What a run leaves behind, with the output folder taken out of the paths.
struct Outcome {
    QStringList names, statuses, targets, renamed, outputs, pages;
    int processed = -1, created = -1;
    QString message;
};

class ParallelRun : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }

    void SetUp() override
    {
        QDir(tmp.path()).mkpath("Logs");
        settings.setSecurityType(0);
        settings.setIsBackupFile(false);
        settings.setIsOpenFolderAfterConversion(false);
    }

    void arm(Process &p, const QString &outDir, int jobs)
    {
        QDir().mkpath(outDir);
        settings.setOutputFolderPath(outDir);
        p.setSettings(&settings);
        p.setDelegate(&reporter);
        p.setLogsFolder(tmp.file("Logs"));
        p.setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)); });
        p.setJobs(jobs);
        for (const auto &[path, password] : std::as_const(sources)) {
            const FileItemPtr item = FileItem::initWithURL(QUrl::fromLocalFile(path));
            item->setPdfOpenPassword(password);
            p.outputFiles() << std::make_shared<OutputFile>(OutputFile{path, {item}});
        }
        p.setTotalFileSelected(int(sources.size()));
        p.setIsCombining(true);
    }

    // Makes the run open-ended, fed the work list one file at a time; its
    // records are gathered from the sink into `records`.
    static void feed(Process &p, QList<LogFilesPtr> &records)
    {
        auto list = std::make_shared<QList<OutputFilePtr>>(std::exchange(p.outputFiles(), {}));
        p.setFeed([list] { return list->isEmpty() ? nullptr : list->takeFirst(); });
        p.setRecordSink([&records](const LogFiles &record, const OutputFile &) {
            records << std::make_shared<LogFiles>(record);
        });
    }

    static Outcome outcomeOf(const Process &p, const QString &outDir, const QList<LogFilesPtr> *fed = nullptr)
    {
        Outcome o;
        for (const LogFilesPtr &r : fed ? *fed : p.log().files()) {
            o.names << r->filename();
            o.statuses << r->status();
            o.targets << QString(r->targetPath()).replace(outDir, "<out>");
            o.renamed << QString(r->renamedOutput()).replace(outDir, "<out>");
        }
        o.outputs = QDir(outDir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString &name : std::as_const(o.outputs))
            o.pages << pageCountOf(QDir(outDir).filePath(name));
        o.processed = p.totalFileProcessed();
        o.created = p.totalFileCreated();
        o.message = p.message();
        return o;
    }

    void makeSource(const QString &name, int pages = 1)
    {
        QDir(tmp.path()).mkpath(QFileInfo(tmp.file("src/" + name)).path());
        makePdf(tmp.file("src/" + name), pages);
        sources << qMakePair(tmp.file("src/" + name), QString());
    }

    TempDir tmp;
    Settings settings{false};
    Reporter reporter;
    QList<QPair<QString, QString>> sources;
};

} // namespace

TEST_F(ParallelRun, sameStatusesOutputsAndLogOrderAsOneJob)
{
    // Real encrypted files (several share a name) and generated ones whose
    // outputs collide: names must come out as a one-at-a-time run gives them.
    for (const CorpusEntry &e : corpusManifest()) {
        const QString owner = e.value("owner_pw"), user = e.value("user_pw");
        const QString pw = isKnownPassword(owner) ? owner : isKnownPassword(user) ? user : QString();
        sources << qMakePair(e.path(), pw == "(empty)" ? QString() : pw);
    }
    ASSERT_GE(sources.size(), 10) << "the shared corpus is missing";
    for (const char *name : {"a.pdf", "sub/a.pdf", "a (2).pdf", "sub2/a.pdf", "b.pdf"})
        makeSource(name, 3);
    for (int i = 0; i < 12; ++i)
        makeSource(QString("many/f%1.pdf").arg(i), 1 + i % 4);
    makeLockedPdf(tmp.file("src/locked.pdf"), "user", "owner");
    sources << qMakePair(tmp.file("src/locked.pdf"), QString("wrong"));
    writeFile(tmp.file("src/broken.pdf"), "%PDF-1.7 not really");
    sources << qMakePair(tmp.file("src/broken.pdf"), QString());

    // One job, four, and four fed one file at a time (an open-ended run).
    QList<Outcome> outcomes;
    QList<QByteArray> logs;
    for (int run = 0; run < 3; ++run) {
        const int jobs = run == 0 ? 1 : 4;
        const QString outDir = tmp.file(QString("out%1").arg(run));
        QDir().mkpath(outDir);
        writeFile(outDir + "/a (3).pdf", "not ours"); // a numbered name already taken on disk
        reporter.texts.clear();
        Process p;
        arm(p, outDir, jobs);
        QList<LogFilesPtr> fed;
        if (run == 2)
            feed(p, fed);
        p.start();
        outcomes << outcomeOf(p, outDir, run == 2 ? &fed : nullptr);
        logs << readFile(p.log().logFilePath()).replace(outDir.toUtf8(), "<out>");
        ASSERT_EQ(reporter.texts.size(), sources.size() + 1);
        // Fed, the total is what the run was given so far.
        for (int i = 0; i < sources.size(); ++i)
            EXPECT_TRUE(
                run == 2 ? reporter.texts.at(i).contains(QString(" %1/").arg(i + 1))
                         : reporter.texts.at(i).endsWith(QString(" %1/%2").arg(i + 1).arg(sources.size())));
        EXPECT_TRUE(reporter.allOnStartThread);
        EXPECT_EQ(p.fileCount(), sources.size());
    }
    const Outcome &one = outcomes.at(0);
    for (const Outcome &four : {outcomes.at(1), outcomes.at(2)}) {
        EXPECT_EQ(four.names, one.names);
        EXPECT_EQ(four.statuses, one.statuses);
        EXPECT_EQ(four.targets, one.targets);
        EXPECT_EQ(four.renamed, one.renamed);
        EXPECT_EQ(four.outputs, one.outputs);
        EXPECT_EQ(four.pages, one.pages);
        EXPECT_EQ(four.processed, one.processed);
        EXPECT_EQ(four.created, one.created);
        EXPECT_EQ(four.message, one.message);
    }
    // The fed run keeps no records, yet saves the very log a listed run saves.
    EXPECT_EQ(logs.at(2), logs.at(0));
    const Outcome &four = outcomes.at(1);
    EXPECT_EQ(one.processed, sources.size());
    EXPECT_TRUE(one.renamed.contains("<out>/a (4).pdf"));
    EXPECT_GE(one.statuses.count("Un-Secured Completed"), 17);
    EXPECT_EQ(one.created, one.statuses.count("Un-Secured Completed"));
    EXPECT_EQ(readFile(tmp.file("out1/a (3).pdf")), "not ours");
    ASSERT_EQ(four.pages.size(), four.outputs.size());
    for (int i = 0; i < four.outputs.size(); ++i) {
        if (four.outputs.at(i) != "a (3).pdf") {
            EXPECT_NE(four.pages.at(i).toInt(), 0) << four.outputs.at(i).toStdString(); // opens in qpdf
        }
    }
}

// a.pdf is held open while sub/a.pdf (named after it, so waiting for it) and
// b.pdf are taken up; c.pdf is taken up once b.pdf ends, and the run is
// cancelled as it opens. Every file taken up is finished and recorded, in list
// order; nothing after c.pdf is started.
TEST_F(ParallelRun, cancelWithSeveralWorkers_finishesWhatWasTakenUp_inListOrder)
{
    for (const char *name : {"a.pdf", "b.pdf", "sub/a.pdf", "c.pdf", "d.pdf", "e.pdf"})
        makeSource(name, 2);
    Process p;
    const QString outDir = tmp.file("out");
    arm(p, outDir, 3);
    QSemaphore cancelled;
    bool waitedTooLong = false;
    p.setTestHook([&](Process::HookPoint point, const QString &path) {
        if (point != Process::HookPoint::BeforeOpen)
            return;
        if (path.endsWith("/c.pdf")) {
            p.stop();
            cancelled.release();
        } else if (path.endsWith("/src/a.pdf") && !cancelled.tryAcquire(1, 60000)) {
            waitedTooLong = true; // c.pdf never started: the test fails, it does not hang
        }
    });
    p.start();
    EXPECT_FALSE(waitedTooLong);
    const Outcome o = outcomeOf(p, outDir);
    EXPECT_EQ(o.message, "Process cancelled!");
    EXPECT_TRUE(p.isCompleted());
    EXPECT_EQ(o.names, QStringList({"a.pdf", "b.pdf", "a.pdf", "c.pdf"}));
    EXPECT_EQ(o.statuses, QStringList(4, "Un-Secured Completed"));
    EXPECT_EQ(o.renamed, QStringList({"", "", "<out>/a (2).pdf", ""}));
    EXPECT_EQ(o.outputs, QStringList({"a (2).pdf", "a.pdf", "b.pdf", "c.pdf"}));
    EXPECT_EQ(o.pages, QStringList(4, "2"));
    EXPECT_EQ(o.processed, 4);
    EXPECT_EQ(o.created, 4);
    EXPECT_EQ(reporter.texts.size(), 5);
}

TEST_F(ParallelRun, anExceptionInAWorker_failsThatFileOnly)
{
    LogCapture capture;
    for (const char *name : {"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf"})
        makeSource(name);
    Process p;
    const QString outDir = tmp.file("out");
    arm(p, outDir, 3);
    p.setTestHook([](Process::HookPoint point, const QString &path) {
        if (point == Process::HookPoint::BeforeOpen && path.endsWith("b.pdf"))
            throw std::runtime_error("open exploded");
    });
    p.start();
    const Outcome o = outcomeOf(p, outDir);
    const QString ok = "Un-Secured Completed";
    EXPECT_EQ(o.statuses, QStringList({ok, "open exploded", ok, ok, ok}));
    EXPECT_EQ(o.outputs, QStringList({"a.pdf", "c.pdf", "d.pdf", "e.pdf"}));
    EXPECT_EQ(o.processed, 5);
    EXPECT_EQ(o.created, 4);
    EXPECT_TRUE(capture.contains("Error in (Process=>start) : open exploded"));
    EXPECT_EQ(o.message, "Lockleaf unable able to split some of the files!\r\n"
                         "Please check log for more information.");
}

// One file named twice (through a linked folder, by a hard link) is worked on
// once, whatever the jobs: else each path's passwords race for the same file.
TEST_F(ParallelRun, oneFileByTwoPaths_isWorkedOnOnce)
{
    makeSource("real/a.pdf");
    ASSERT_TRUE(QFile::link(tmp.file("src/real"), tmp.file("src/linked")));
    ASSERT_EQ(::link(QFile::encodeName(tmp.file("src/real/a.pdf")).constData(),
                     QFile::encodeName(tmp.file("src/hard.pdf")).constData()),
              0);
    sources << qMakePair(tmp.file("src/linked/a.pdf"), QString())
            << qMakePair(tmp.file("src/hard.pdf"), QString());
    makeSource("real/b.pdf"); // one name only: an open-ended run keeps no path for it
    sources << qMakePair(tmp.file("src/linked/b.pdf"), QString());
    settings.setSecurityType(1);
    settings.pdfSettings()->setPdfOpenPassword("shared");
    const QString same = "Skipped: the same file as an earlier entry";
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        const QString outDir = tmp.file(QString("out%1").arg(run));
        Process p;
        arm(p, outDir, run == 0 ? 1 : 4);
        const char *passwords[] = {"one", "two", "three"};
        for (int i = 0; i < 3; ++i)
            p.outputFiles().at(i)->fileItems.first()->setOwnPasswords(passwords[i], QString());
        QList<LogFilesPtr> fed;
        if (run == 2)
            feed(p, fed);
        p.start();
        const Outcome o = outcomeOf(p, outDir, run == 2 ? &fed : nullptr);
        const QList<LogFilesPtr> records = run == 2 ? fed : p.log().files();
        EXPECT_EQ(o.statuses, QStringList({"Secured Completed", same, same, "Secured Completed", same}));
        EXPECT_EQ(o.outputs, QStringList({"a.pdf", "b.pdf"}));
        EXPECT_EQ(o.created, 2);
        EXPECT_EQ(records.value(1)->reason(), tmp.file("src/real/a.pdf"));
        EXPECT_EQ(records.value(4)->reason(), tmp.file("src/real/b.pdf"));
        EXPECT_EQ(pageCountOf(outDir + "/a.pdf", "one"), "1");
        EXPECT_EQ(pageCountOf(outDir + "/a.pdf", "two"), "");
    }
}

// While the next file has not turned up (a walk still listing a large
// folder), files that end are recorded: the log must not wait for the walk.
TEST_F(ParallelRun, openEndedRun_recordsWhatEndsWhileTheNextFileIsAwaited)
{
    makeSource("a.pdf");
    makeSource("b.pdf");
    Process p;
    arm(p, tmp.file("out"), 2);
    const QList<OutputFilePtr> list = std::exchange(p.outputFiles(), {});
    QList<LogFilesPtr> fed;
    p.setRecordSink(
        [&fed](const LogFiles &record, const OutputFile &) { fed << std::make_shared<LogFiles>(record); });
    int given = 0;
    bool recordedFirst = false;
    p.setFeed(
        [&]() -> OutputFilePtr {
            if (given == 1) {
                for (int waited = 0; fed.isEmpty() && waited < 5000; waited += 10)
                    QThread::msleep(10);
                recordedFirst = !fed.isEmpty();
            }
            return given < list.size() ? list.at(given++) : nullptr;
        },
        [&] { return given != 1 || !fed.isEmpty(); });
    p.start();
    EXPECT_TRUE(recordedFirst);
    ASSERT_EQ(fed.size(), 2);
    EXPECT_EQ(fed.at(1)->status(), "Un-Secured Completed");
}
