#include "ui/LockleafAppDelegate.h"

#include "UiTestSupport.h"
#include "engine/Process.h"
#include "model/PDFSettings.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/BusyIndicator.h"
#include "ui/FileChooser.h"
#include "ui/LogView.h"
#include "ui/ProgressPanel.h"
#include "ui/RunRecordsTable.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using lockleaf::AlertPresenter;
using lockleaf::LockleafAppDelegate;
using uitest::child;
using uitest::urlsOf;

namespace
{

const QString kMissing =
    QStringLiteral("Output folder missing or invalid path!\r\nPlease select valid output folder.");
const QString kNotWritable =
    QStringLiteral("Output folder is non-writable!\r\nPlease select writable output folder.");
const QString kNoPassword = QStringLiteral("Please provide atleast one password to secure pdf document!");

class RunControlTest : public uitest::RunWindowTest
{
protected:
    // Waits, without serving the window's events, until the run has finished
    // `count` files. The run then waits for its progress call to be served, so
    // it stands still right after that file until the test lets events through.
    static void holdAfterFiles(LockleafAppDelegate &d, int count)
    {
        QDeadlineTimer deadline(120000);
        while (d.run()->process()->totalFileProcessed() < count && !deadline.hasExpired())
            QThread::msleep(2);
        ASSERT_GE(d.run()->process()->totalFileProcessed(), count) << "the run never got that far";
    }

    // The window is idle again: every control usable, nothing busy.
    static void expectIdle(const LockleafAppDelegate &d)
    {
        EXPECT_FALSE(d.run()->processViewPanel()->isVisible());
        EXPECT_FALSE(d.windowState()->isProcessing());
        for (const char *name : {"convertBtn", "cancelBtn", "importBtn", "addFilesBtn", "addFolderBtn"})
            EXPECT_TRUE(child<QPushButton>(d, name)->isEnabled()) << name;
        EXPECT_TRUE(d.fileList()->mainTableView()->isEnabled());
        EXPECT_EQ(child<QLabel>(d, "labelTimeTaken")->text(),
                  QStringLiteral("Total Time Taken : 0 sec(s) 0/0"));
    }
};

TEST_F(RunControlTest, outputFolderProblems_alertShowTheOutputTabAndStartNothing)
{
    testsupport::TempDir scratch;
    const QString regularFile = scratch.file("not-a-folder");
    testsupport::writeFile(regularFile, "x");
    QList<QPair<QString, QString>> cases = {
        {QString(), kMissing},                            // none chosen
        {scratch.file("gone"), kMissing},                 // nothing there
        {QStringLiteral("relative/out"), kMissing},       // would depend on the working folder
        {regularFile + QStringLiteral("/sub"), kMissing}, // a folder under a file
        {regularFile, kNotWritable},                      // exists but holds no files
    };
    // Root writes through permission bits; /proc refuses a new file to anyone.
    QFile attempt(QStringLiteral("/proc/lockleaf-write-test"));
    if (attempt.open(QIODevice::WriteOnly))
        attempt.remove();
    else
        cases.append({QStringLiteral("/proc"), kNotWritable});

    lockleaf::Settings::openStore()->setValue("SHOWSETTINGS", false);
    auto d = window({1});
    QApplication::setActiveWindow(d->window());
    for (const auto &[path, alert] : std::as_const(cases)) {
        SCOPED_TRACE(path.toStdString());
        if (d->options()->isShowSettings())
            d->options()->toggleSettings(); // hidden again, so each case must show it
        child<QTabWidget>(*d, "settingTabView")->setCurrentIndex(0);
        d->settings()->setOutputFolderPath(path);
        d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);

        d->run()->convert();

        EXPECT_EQ(d->alerts()->messages().last(), alert);
        EXPECT_EQ(child<QTabWidget>(*d, "settingTabView")->currentIndex(), 1);
        EXPECT_TRUE(lockleaf::Settings::openStore()->value("SHOWSETTINGS").toBool()) << "pane shown";
        EXPECT_EQ(d->window()->focusWidget(), child<QPushButton>(*d, "chooseOutputFolderButton"))
            << "focus goes to the control after the output folder field";
        EXPECT_FALSE(d->run()->isRunWorking());
        ASSERT_NE(d->run()->process(), nullptr) << "the unstarted run stays";
        EXPECT_FALSE(d->run()->processViewPanel()->isVisible());
        EXPECT_EQ(d->settings()->outputFolderPath(), path) << "settings unchanged";
    }
    EXPECT_EQ(d->alerts()->messages().size(), cases.size());
    EXPECT_EQ(entriesOf(scratch.path()), QStringList{"not-a-folder"}) << "no probe file left";
}

TEST_F(RunControlTest, addingSecurityWithoutPasswords_alerts_thenAnEmptyRunEndsAtOnce)
{
    lockleaf::Settings::openStore()->setValue("SHOWSETTINGS", false);
    auto d = window({1, 1});
    QApplication::setActiveWindow(d->window());
    d->options()->securityAction(1);
    child<QTabWidget>(*d, "settingTabView")->setCurrentIndex(1);
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    d->run()->convert();
    EXPECT_EQ(d->alerts()->messages(), QStringList{kNoPassword});
    EXPECT_EQ(child<QTabWidget>(*d, "settingTabView")->currentIndex(), 0);
    EXPECT_TRUE(d->options()->isShowSettings());
    EXPECT_EQ(d->window()->focusWidget(), child<QLineEdit>(*d, "openPasswordText"));
    EXPECT_FALSE(d->run()->isRunWorking());

    // A permission password still being typed is enough. Nothing is checked,
    // so the run is empty: the panel opens and the run ends at once.
    d->fileList()->checkUncheckInvertAll(2);
    auto *permission = child<QLineEdit>(*d, "securePermissionPasswordText");
    permission->setFocus();
    QTest::keyClicks(permission, "owner");
    d->run()->convert();
    EXPECT_EQ(d->alerts()->messages().size(), 1);
    EXPECT_EQ(d->run()->process()->totalFileSelected(), 0);
    EXPECT_TRUE(d->run()->processViewPanel()->isVisible());
    waitForRun(*d);
    lockleaf::ProgressPanel *panel = d->run()->processViewPanel();
    EXPECT_EQ(panel->messageLabel()->text(), QStringLiteral("All files splitted successfully."));
    EXPECT_EQ(panel->progressBar()->text(), QStringLiteral("0 / 0"));
    EXPECT_EQ(panel->progressBar()->value(), panel->progressBar()->maximum()) << "full, not a busy bar";
    EXPECT_TRUE(panel->closeProcessBtn()->isEnabled());
    EXPECT_TRUE(entriesOf(m_out.path()).isEmpty());
}

TEST_F(RunControlTest, passwordsThatCannotProtect_alertBeforeTheRun_andWriteNothing)
{
    auto d = window({1});
    QApplication::setActiveWindow(d->window());
    d->options()->securityAction(1);
    lockleaf::PDFSettings *pdf = d->settings()->pdfSettings();
    struct Case {
        QString open, permission;
        int strength;
        bool canPrint;
        const char *says;
    };
    const Case cases[] = {
        {QStringLiteral("open"), QString(""), 2, false, "permission password"},
        {QString::fromUtf8("\u5bc6\u7801"), QStringLiteral("owner"), 1, true, "128-bit key cannot carry"},
        {QString(128, QChar('A')), QStringLiteral("owner"), 2, true, "127 bytes"},
        {QStringLiteral("same"), QStringLiteral("same"), 1, false, "same password for the key"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.says);
        pdf->setPdfOpenPassword(c.open);
        pdf->setPdfPermissionPassword(c.permission);
        pdf->setEncryptionStrength(c.strength);
        pdf->setCanPrint(c.canPrint);
        d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
        d->run()->convert();
        ASSERT_FALSE(d->alerts()->messages().isEmpty());
        EXPECT_TRUE(d->alerts()->messages().last().contains(QLatin1String(c.says)))
            << d->alerts()->messages().last().toStdString();
        EXPECT_FALSE(d->run()->isRunWorking());
        EXPECT_FALSE(d->run()->processViewPanel()->isVisible());
    }
    EXPECT_TRUE(entriesOf(m_out.path()).isEmpty());

    // Characters readers built on pdf.js cannot type at 128 bits: a question,
    // whose "No" starts nothing and whose "Yes" writes the correct file.
    pdf->setPdfOpenPassword(QString::fromUtf8("\u20ac-pw"));
    pdf->setPdfPermissionPassword(QStringLiteral("owner"));
    pdf->setEncryptionStrength(1);
    pdf->setCanPrint(true);
    const qsizetype asked = d->alerts()->messages().size();
    d->alerts()->setNextAnswer(AlertPresenter::Answer::No);
    d->run()->convert();
    ASSERT_EQ(d->alerts()->messages().size(), asked + 1);
    EXPECT_TRUE(d->alerts()->messages().last().contains("pdf.js") &&
                d->alerts()->messages().last().contains("256-bit key"))
        << d->alerts()->messages().last().toStdString();
    EXPECT_FALSE(d->run()->isRunWorking());
    EXPECT_TRUE(entriesOf(m_out.path()).isEmpty());
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Yes);
    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(entriesOf(m_out.path()), QStringList{"f00.pdf"});
    d->run()->closeProcessAction();
    pdf->setEncryptionStrength(2);
    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(d->alerts()->messages().size(), asked + 2) << "256 bits take any character";
    d->run()->closeProcessAction();
}

TEST_F(RunControlTest, wholeRun_securesCheckedRowsInListOrder_andClosesBackToIdle)
{
    auto d = window({2, 1, 3});
    d->fileList()->files()[1]->setIsSelected(false);
    d->settings()->setIsOpenFolderAfterConversion(true);
    d->options()->securityAction(1);
    d->settings()->pdfSettings()->setPdfOpenPassword(QStringLiteral("open-pw"));

    d->run()->convert();
    lockleaf::ProgressPanel *panel = d->run()->processViewPanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(d->windowState()->isProcessing());
    EXPECT_FALSE(child<lockleaf::BusyIndicator>(*d, "loadingIndicator")->isAnimating());
    for (const char *name : {"convertBtn", "cancelBtn", "addFilesBtn"})
        EXPECT_FALSE(child<QPushButton>(*d, name)->isEnabled()) << name;
    EXPECT_FALSE(child<QTabWidget>(*d, "settingTabView")->isEnabled()) << "the pane looks as it acts";
    waitForRun(*d);

    EXPECT_EQ(panel->messageLabel()->text(), QStringLiteral("All files splitted successfully."));
    EXPECT_EQ(panel->countsLabel()->text(), QStringLiteral("2 of 2 processed, 2 written"));
    const QString taken = d->run()->process()->timeTaken();
    EXPECT_EQ(panel->timeTakenLabel()->text(),
              taken.isEmpty() ? QStringLiteral("0 sec(s)") : taken.trimmed());
    EXPECT_EQ(panel->progressBar()->text(), QStringLiteral("2 / 2"));
    EXPECT_FALSE(panel->cancelProcessBtn()->isEnabled());
    EXPECT_TRUE(panel->closeProcessBtn()->isEnabled());
    EXPECT_TRUE(child<QLabel>(*d, "labelTimeTaken")->text().endsWith(QStringLiteral(" 2/2")));

    const QList<lockleaf::LogFilesPtr> records = d->run()->process()->log().files();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0]->filename(), QStringLiteral("f00.pdf"));
    EXPECT_EQ(records[1]->filename(), QStringLiteral("f02.pdf"));
    EXPECT_EQ(entriesOf(m_out.path()), (QStringList{"f00.pdf", "f02.pdf"}));
    EXPECT_TRUE(testsupport::showEncryption(m_out.file("f02.pdf"), "open-pw")
                    .contains("Supplied password is user password"));
    EXPECT_NE(testsupport::pdfinfoExit(m_out.file("f00.pdf")), 0) << "no way in without the password";
    EXPECT_EQ(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_out.path())}) << "the run opened its folder";

    ASSERT_TRUE(panel->viewLogBtn()->isEnabled());
    EXPECT_FALSE(panel->failureList()->isVisible()) << "a successful run lists no failures";
    panel->viewLogBtn()->click();
    lockleaf::LogView *log = d->run()->logView();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_EQ(log->records()->selectedText(),
              QStringLiteral("f00.pdf\tSecured Completed\t2\t%1\nf02.pdf\tSecured Completed\t3\t%1")
                  .arg(QDir::toNativeSeparators(m_out.path())));
    EXPECT_EQ(m_opened.size(), 1) << "the log is read in the window first";
    log->openExternallyBtn()->click();
    ASSERT_EQ(m_opened.size(), 2);
    EXPECT_EQ(m_opened[1].toLocalFile(), d->run()->process()->log().logFilePath());
    log->close();

    panel->closeProcessBtn()->click();
    expectIdle(*d);
    EXPECT_TRUE(child<QTabWidget>(*d, "settingTabView")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>(*d, "openPasswordText")->isEnabled()) << "each control as it was";
    EXPECT_EQ(d->run()->process(), nullptr);
    EXPECT_EQ(d->fileList()->files().size(), 3) << "rows stay unless the settings ask to clear them";
}

TEST_F(RunControlTest, openLog_showsFinishedAndUnfinishedLogs_andAlertsForAnyOtherFile)
{
    auto d = window({});
    QAction *openLog = d->window()->findChild<QAction *>(QStringLiteral("openLogAction"));
    ASSERT_NE(openLog, nullptr) << "the File menu offers Open Log...";
    const auto open = [&](const QString &path) {
        d->fileChooser()->setNextFileName(path);
        openLog->trigger();
    };
    const auto record = [](const char *name, const char *status, int pages) {
        lockleaf::LogFiles r;
        r.setFilename(QString::fromLatin1(name));
        r.setStatus(QString::fromLatin1(status));
        r.setPages(pages);
        r.setTargetPath(QStringLiteral("/out"));
        return r;
    };
    const QString written =
        QStringLiteral("a.pdf\tSecured Completed\t2\t%1").arg(QDir::toNativeSeparators("/out"));

    // A finished log, and one a killed run left open after its first file.
    testsupport::TempDir finishedDir, killedDir;
    lockleaf::Log finished;
    finished.setLogsFolder(finishedDir.path());
    finished.append(record("a.pdf", "Secured Completed", 2));
    finished.append(record("b.pdf", "Not Secured, Error", 0));
    ASSERT_TRUE(finished.save());
    lockleaf::Log killed;
    killed.setLogsFolder(killedDir.path());
    ASSERT_TRUE(killed.beginJournal());
    killed.append(record("a.pdf", "Secured Completed", 2));
    const QStringList killedFiles = QDir(killedDir.path()).entryList(QDir::Files);
    ASSERT_EQ(killedFiles.size(), 1);

    const struct {
        QString path;
        QString rows;
        bool unfinished;
    } logs[] = {
        {finished.logFilePath(),
         written + QStringLiteral("\nb.pdf\tNot Secured, Error\t0\t") + QDir::toNativeSeparators("/out"),
         false},
        {killedDir.file(killedFiles[0]), written, true},
    };
    for (const auto &c : logs) {
        SCOPED_TRACE(c.path.toStdString());
        open(c.path);
        lockleaf::LogView *view = d->run()->logView();
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(view->parentWidget(), d->window()) << "over the window, not the hidden progress panel";
        EXPECT_EQ(view->records()->selectedText(), c.rows);
        EXPECT_EQ(view->pathLabel()->text(), QDir::toNativeSeparators(c.path));
        EXPECT_TRUE(view->openExternallyBtn()->isEnabled());
        auto *note = view->findChild<QLabel *>(QStringLiteral("logUnfinished"));
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->isVisibleTo(view), c.unfinished);
        view->close();
    }

    // Anything else is refused with the reason, showing nothing; Cancel does nothing.
    const QString notes = m_sources.file("notes.log");
    testsupport::writeFile(notes, "just some notes\n");
    const qsizetype told = d->alerts()->messages().size();
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    open(notes);
    ASSERT_EQ(d->alerts()->messages().size(), told + 1);
    EXPECT_TRUE(d->alerts()->messages().constLast().contains(QDir::toNativeSeparators(notes)));
    EXPECT_TRUE(d->alerts()->messages().constLast().contains(QStringLiteral("not a processing log")));
    EXPECT_FALSE(d->run()->logView()->isVisible());
    open(QString());
    EXPECT_EQ(d->alerts()->messages().size(), told + 1);
    EXPECT_FALSE(d->run()->logView()->isVisible());
}

TEST_F(RunControlTest, closeWithClearProcessedFiles_removesEveryCheckedRowFailuresIncluded)
{
    auto d = window({});
    const QStringList plain = uitest::makeNumberedPdfs(m_sources, {1, 1});
    const QString locked = m_sources.file("locked.pdf");
    testsupport::makeEncryptedPdf(locked, "unknown-user-pw", "owner", 128);
    uitest::gather(*d, urlsOf({plain[0], locked, plain[1]}));
    d->fileList()->files()[2]->setIsSelected(false);
    d->settings()->setIsClearProcessedFiles(true);

    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(
        d->run()->processViewPanel()->messageLabel()->text(),
        QStringLiteral("1 of 2 files written, 1 failed.\nPlease check each file's status or the log for "
                       "the reasons."));
    d->run()->closeProcessAction();
    EXPECT_EQ(uitest::fileNames(*d), QStringList{"f01.pdf"});
    expectIdle(*d);
    EXPECT_EQ(
        child<QLabel>(*d, "labelTotalFiles")->text(),
        QStringLiteral("1 Total file(s); 0 file(s) selected; Total page count of selected PDF file(s): 0"));
}

TEST_F(RunControlTest, cancelMidRun_finishesTheFileInHand_escapeThenCloses)
{
    auto d = window({1, 1, 1, 1, 1});
    d->settings()->setIsClearProcessedFiles(true);
    d->run()->setJobs(1); // the counts below are those of one file at a time
    d->run()->convert();
    holdAfterFiles(*d, 1);
    lockleaf::ProgressPanel *panel = d->run()->processViewPanel();
    EXPECT_FALSE(panel->closeProcessBtn()->isEnabled()) << "no close while the run works";
    EXPECT_FALSE(panel->viewLogBtn()->isEnabled());
    ASSERT_TRUE(panel->cancelProcessBtn()->isEnabled());
    panel->cancelProcessBtn()->click();
    waitForRun(*d);

    EXPECT_EQ(panel->messageLabel()->text(), QStringLiteral("Process cancelled!"));
    EXPECT_EQ(panel->progressBar()->text(), QStringLiteral("1 / 5"));
    EXPECT_EQ(entriesOf(m_out.path()), QStringList{"f00.pdf"});
    EXPECT_TRUE(panel->closeProcessBtn()->isEnabled());
    QTest::keyClick(panel, Qt::Key_Escape); // an ended run: Escape closes
    expectIdle(*d);
    EXPECT_EQ(uitest::fileNames(*d), (QStringList{"f01.pdf", "f02.pdf", "f03.pdf", "f04.pdf"}))
        << "only the processed row is cleared";
}

TEST_F(RunControlTest, escapeWhileRunning_asksTheRunToStopAndKeepsTheSheetUp)
{
    auto d = window({1, 1, 1});
    d->run()->setJobs(1); // the counts below are those of one file at a time
    d->run()->convert();
    holdAfterFiles(*d, 1);
    QTest::keyClick(d->run()->processViewPanel(), Qt::Key_Escape);
    EXPECT_FALSE(d->run()->process()->isCombining());
    EXPECT_TRUE(d->run()->processViewPanel()->isVisible()) << "never gone over a held window";
    waitForRun(*d);
    EXPECT_EQ(d->run()->process()->totalFileProcessed(), 1);
}

TEST_F(RunControlTest, quitMidRun_asksThenStopsWaitsAndLeavesWholeFiles)
{
    auto d = window({});
    const QStringList sources = uitest::makeNumberedPdfs(m_sources, {3, 3, 3, 3});
    QList<QByteArray> before;
    for (const QString &s : sources)
        before.append(testsupport::readFile(s));
    uitest::gather(*d, urlsOf(sources));
    d->options()->securityAction(1);
    d->settings()->pdfSettings()->setPdfPermissionPassword(QStringLiteral("owner-pw"));
    lockleaf::Settings::openStore()->remove("SETTINGS");
    d->run()->setJobs(1); // the counts below are those of one file at a time
    d->run()->convert();
    holdAfterFiles(*d, 1);

    // "No": the application's quit request is refused and the run goes on.
    d->alerts()->setNextAnswer(AlertPresenter::Answer::No);
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_FALSE(quit.isAccepted());
    EXPECT_TRUE(d->run()->isRunWorking());
    EXPECT_TRUE(d->run()->process()->isCombining());

    // "Yes": stopped after the file in hand, waited for, settings saved.
    d->alerts()->setNextAnswer(AlertPresenter::Answer::Yes);
    EXPECT_TRUE(d->applicationShouldTerminate());
    EXPECT_FALSE(d->run()->isRunWorking()) << "returns only once the run has ended";
    EXPECT_EQ(d->run()->process()->message(), QStringLiteral("Process cancelled!"));
    EXPECT_TRUE(lockleaf::Settings::openStore()->contains("SETTINGS"));
    EXPECT_EQ(entriesOf(m_out.path()), QStringList{"f00.pdf"}) << "whole outputs only, no temporaries";
    EXPECT_EQ(
        testsupport::runProgram("qpdf", {"--check", "--password=owner-pw", m_out.file("f00.pdf")}).exitCode,
        0);
    for (int i = 0; i < sources.size(); ++i)
        EXPECT_EQ(testsupport::readFile(sources[i]), before[i]) << sources[i].toStdString();

    EXPECT_TRUE(d->applicationShouldTerminate()) << "an ended run: no question";
    EXPECT_EQ(d->alerts()->messages().size(), 2);
}

TEST_F(RunControlTest, duringGathering_startIsIgnored_andQuittingStopsTheGatheringFirst)
{
    auto d = window({});
    lockleaf::Arguments arguments;
    arguments.urls = urlsOf(uitest::makeNumberedPdfs(m_sources, QList<int>(40, 1)));
    ASSERT_TRUE(d->gathering()->startGathering(arguments));
    // The gathering waits for its first main-thread call, so it still works here.
    d->run()->convert();
    EXPECT_FALSE(d->run()->isRunWorking());
    EXPECT_FALSE(d->run()->processViewPanel()->isVisible());

    EXPECT_TRUE(d->applicationShouldTerminate());
    EXPECT_TRUE(d->alerts()->messages().isEmpty()) << "no question for a gathering";
    EXPECT_FALSE(d->gathering()->isGathering());
    EXPECT_FALSE(d->windowState()->isProcessing());
    EXPECT_LT(d->fileList()->files().size(), 40) << "stopped, not finished";
}

TEST_F(RunControlTest, startAfterACancelledGathering_countsTheRowsLeftUncountedFirst)
{
    auto d = window({});
    const QString first = m_sources.file("s000.pdf");
    testsupport::makeEncryptedPdf(first, "U", "owner", 128, {}, 3);
    for (int i = 1; i < 200; ++i)
        ASSERT_TRUE(QFile::copy(first, m_sources.file(QString("s%1.pdf").arg(i, 3, 10, QChar('0')))));
    d->settings()->setPdfOpenPassword(QStringLiteral("U")); // remove mode
    QObject::connect(d->fileList()->tableModel(), &QAbstractItemModel::rowsInserted, d.get(),
                     [&] { d->gathering()->cancelAction(); });
    uitest::gather(*d, urlsOf({m_sources.path()}), true);
    const QList<lockleaf::FileItemPtr> files = d->fileList()->files();
    ASSERT_FALSE(files.isEmpty());
    ASSERT_FALSE(files.last()->isCounted()) << "the cancel left rows to count";

    d->run()->convert();
    waitForRun(*d);
    for (const lockleaf::FileItemPtr &item : files) {
        EXPECT_TRUE(item->isCounted());
        EXPECT_EQ(item->pages(), 3);
        EXPECT_EQ(item->pdfOpenPassword(), QStringLiteral("U"));
    }
    EXPECT_EQ(d->run()->processViewPanel()->messageLabel()->text(),
              QStringLiteral("All files splitted successfully."));
    EXPECT_EQ(entriesOf(m_out.path()).size(), files.size());
    EXPECT_EQ(testsupport::pdfinfoExit(m_out.file("s000.pdf")), 0) << "written without security";
    d->run()->closeProcessAction();
}

} // namespace
