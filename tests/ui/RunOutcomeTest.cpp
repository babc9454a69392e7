// What a run tells and leaves behind in the window: its summary and failures,
// the rows it replaced, and the passwords tried at Start.

#include "ui/LockleafAppDelegate.h"

#include "UiTestSupport.h"
#include "engine/Process.h"
#include "model/PDFSettings.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/FileTableModel.h"
#include "ui/ProgressPanel.h"
#include "ui/RunRecordsTable.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

using lockleaf::AlertPresenter;
using lockleaf::LockleafAppDelegate;
using uitest::child;
using uitest::urlsOf;

namespace
{

class RunOutcomeTest : public uitest::RunWindowTest
{
};

// A long name in a failure table is shortened in its middle, whole in the
// tooltip, and leaves every other column in sight.
void expectNameGivesWay(const lockleaf::RunRecordsTable &table, const QString &fullPath)
{
    EXPECT_EQ(table.textElideMode(), Qt::ElideMiddle);
    ASSERT_NE(table.item(0, lockleaf::RunRecordsTable::FileColumn), nullptr);
    EXPECT_EQ(table.item(0, lockleaf::RunRecordsTable::FileColumn)->toolTip(), fullPath);
    const int shown = table.viewport()->width();
    EXPECT_GT(shown, 100) << "the table has been laid out";
    for (int column = 1; column < table.columnCount(); ++column)
        EXPECT_LE(table.columnViewportPosition(column) + table.columnWidth(column), shown)
            << "column " << column << " is pushed out of sight";
}

TEST_F(RunOutcomeTest, logRecords_longNameAndTargetGiveWay_toStatusAndPages)
{
    auto record = std::make_shared<lockleaf::LogFiles>();
    const QString name = QString(200, QLatin1Char('n')) + QStringLiteral(".pdf");
    record->setFilename(name);
    record->setSourcePath(m_sources.path());
    record->setTargetPath(m_out.file(name));
    record->setStatus(QStringLiteral("Unable to read secured pdf docuemnt!"));
    lockleaf::RunRecordsTable table(true);
    table.setRecords({record}, {3});
    table.resize(640, 200);
    table.show();
    QCoreApplication::processEvents();
    expectNameGivesWay(table, QDir::toNativeSeparators(m_sources.file(name)));
}

// The desktop's own workspace: the offscreen platform opens nothing, as a
// desktop without a handler for folders does.
TEST_F(RunOutcomeTest, mixedRun_countsBothListsTheFailures_andSaysWhenTheFolderCannotOpen)
{
    LockleafAppDelegate d;
    const QStringList plain = uitest::makeNumberedPdfs(m_sources, {1, 2});
    // Longer than the panel is wide: the name gives way, never the status.
    const QString lockedName = QStringLiteral("locked-%1.pdf").arg(QString(180, QLatin1Char('x')));
    const QString locked = m_sources.file(lockedName);
    testsupport::makeEncryptedPdf(locked, "unknown-user-pw", "owner", 128);
    uitest::gather(d, urlsOf({plain[0], locked, plain[1]}));
    d.settings()->setOutputFolderPath(m_out.path());
    d.settings()->setIsOpenFolderAfterConversion(true);

    d.alerts()->setNextAnswer(AlertPresenter::Answer::Ok);
    d.run()->convert();
    waitForRun(d);
    lockleaf::ProgressPanel *panel = d.run()->processViewPanel();
    EXPECT_EQ(
        panel->messageLabel()->text(),
        QStringLiteral("2 of 3 files written, 1 failed.\nPlease check each file's status or the log for "
                       "the reasons."));
    EXPECT_TRUE(panel->failureList()->isVisible());
    lockleaf::RunRecordsTable *failures = panel->failureList();
    ASSERT_EQ(failures->rowCount(), 1);
    expectNameGivesWay(*failures, QDir::toNativeSeparators(locked));
    failures->selectRow(0);
    QTest::keySequence(failures, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              lockedName + QStringLiteral("\tUnable to read secured pdf docuemnt!"));
    ASSERT_EQ(d.alerts()->messages().size(), 1);
    EXPECT_TRUE(d.alerts()->messages()[0].contains(QDir::toNativeSeparators(m_out.path())))
        << d.alerts()->messages()[0].toStdString();
    d.run()->closeProcessAction();
}

TEST_F(RunOutcomeTest, removeMode_typedThenSavedPasswordsOpenFilesListedBeforeThem)
{
    auto d = window({});
    const QString typed = m_sources.file("typed.pdf");
    const QString saved = m_sources.file("saved.pdf");
    testsupport::makeEncryptedPdf(typed, "typed-pw", "owner", 128, {}, 2);
    testsupport::makeEncryptedPdf(saved, "saved-pw", "owner", 128, {}, 3);
    uitest::gather(*d, urlsOf({typed, saved}));
    ASSERT_EQ(d->fileList()->files().size(), 2);
    ASSERT_EQ(d->settings()->securityType(), 0);
    for (const lockleaf::FileItemPtr &item : d->fileList()->files())
        ASSERT_EQ(item->pages(), 0) << "listed while still locked";

    // Typing the password (and leaving the field) opens the listed file at once.
    auto *field = child<QLineEdit>(*d, "unsecurePermissionPasswordText");
    QTest::keyClicks(field, QStringLiteral("typed-pw"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(d->fileList()->files()[0]->pages(), 2);
    EXPECT_EQ(d->fileList()->files()[1]->pages(), 0);
    EXPECT_EQ(d->settings()->passwords(), QStringList{"typed-pw"}) << "auto-add lists what opened a file";

    // A password saved later is tried at Start, after the typed one.
    d->settings()->setPasswords({QStringLiteral("typed-pw"), QStringLiteral("saved-pw")});
    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(d->run()->processViewPanel()->messageLabel()->text(),
              QStringLiteral("All files splitted successfully."));
    EXPECT_EQ(entriesOf(m_out.path()), (QStringList{"saved.pdf", "typed.pdf"}));
    EXPECT_EQ(testsupport::pdfinfoExit(m_out.file("saved.pdf")), 0) << "written without security";
    d->run()->closeProcessAction();
}

// Rows that open but may not be copied: one with the open password it was
// listed with, one that needs no password. Removing security needs the
// permission password, typed or saved after they were listed.
TEST_F(RunOutcomeTest, removeMode_rowsOpenButNotCopyable_takeThePermissionPasswordAtStart)
{
    auto d = window({});
    const QString withOpen = m_sources.file("with-open.pdf");
    const QString withoutOpen = m_sources.file("without-open.pdf");
    testsupport::makeEncryptedPdf(withOpen, "open-pw", "typed-owner", 256, {"--extract=n"}, 2);
    testsupport::makeEncryptedPdf(withoutOpen, "", "saved-owner", 128, {"--extract=n"}, 3);
    d->settings()->setPdfOpenPassword(QStringLiteral("open-pw"));
    uitest::gather(*d, urlsOf({withOpen, withoutOpen}));
    ASSERT_EQ(d->fileList()->files().size(), 2);
    for (const lockleaf::FileItemPtr &item : d->fileList()->files())
        ASSERT_GT(item->pages(), 0) << "listed readable";

    d->settings()->setPdfOpenPassword(QStringLiteral("typed-owner"));
    d->settings()->setPasswords({QStringLiteral("open-pw"), QStringLiteral("saved-owner")});
    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(d->run()->processViewPanel()->messageLabel()->text(),
              QStringLiteral("All files splitted successfully."));
    for (const char *name : {"with-open.pdf", "without-open.pdf"}) {
        EXPECT_FALSE(testsupport::encryptionJson(m_out.file(name)).value("encrypted").toBool()) << name;
        EXPECT_EQ(testsupport::pdfinfoExit(m_out.file(name)), 0) << name;
    }
    EXPECT_EQ(d->fileList()->files()[0]->pages(), 2) << "its row keeps its pages";
    d->run()->closeProcessAction();
}

TEST_F(RunOutcomeTest, inPlaceRun_rereadsTheRowsItReplaced)
{
    auto d = window({2, 1});
    d->settings()->setOutputFolderPath(m_sources.path());
    d->settings()->setIsBackupFile(false);
    d->fileList()->files()[1]->setIsSelected(false);
    d->options()->securityAction(1);
    d->settings()->pdfSettings()->setPdfOpenPassword(QStringLiteral("open-pw"));

    d->run()->convert();
    waitForRun(*d);
    ASSERT_EQ(d->run()->processViewPanel()->messageLabel()->text(),
              QStringLiteral("All files splitted successfully."));
    const lockleaf::FileItemPtr replaced = d->fileList()->files()[0];
    EXPECT_TRUE(replaced->isSecured());
    EXPECT_EQ(replaced->name(), QStringLiteral("f00.pdf (SECURED) "));
    EXPECT_EQ(replaced->pages(), 0) << "locked now: its row holds no open password";
    const QModelIndex nameCell = d->fileList()->tableModel()->index(0, 1);
    EXPECT_TRUE(nameCell.data().toString().contains(QStringLiteral("SECURED"))) << "the table shows it";
    const lockleaf::FileItemPtr untouched = d->fileList()->files()[1];
    EXPECT_FALSE(untouched->isSecured());
    EXPECT_EQ(untouched->pages(), 1);
    d->run()->closeProcessAction();
}

// Each row shows its last outcome; Check Failed Only makes a retry two
// clicks; the export carries the column; reading a row again clears it.
TEST_F(RunOutcomeTest, statusColumn_showsEachOutcome_checkFailedOnlyRetries_andRereadClearsIt)
{
    auto d = window({});
    const QStringList plain = uitest::makeNumberedPdfs(m_sources, {1, 2});
    const QString locked = m_sources.file("locked.pdf");
    testsupport::makeEncryptedPdf(locked, "unknown-user-pw", "owner", 128);
    uitest::gather(*d, urlsOf({plain[0], locked, plain[1]}));
    d->settings()->setIsClearProcessedFiles(false);
    d->fileList()->files()[2]->setIsSelected(false); // not in the run: no outcome
    const lockleaf::FileTableModel *model = d->fileList()->tableModel();
    const auto statuses = [&] {
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, lockleaf::FileTableModel::StatusColumn).data().toString();
        return texts;
    };
    EXPECT_EQ(model->headerData(lockleaf::FileTableModel::StatusColumn, Qt::Horizontal).toString(), "Status");
    EXPECT_EQ(statuses(), QStringList({"", "", ""}));

    d->run()->convert();
    waitForRun(*d);
    EXPECT_EQ(statuses(), QStringList({"Un-Secured Completed", "Unable to read secured pdf docuemnt!", ""}));
    d->run()->closeProcessAction();

    QAction *checkFailed = child<QAction>(*d, "checkFailedAction");
    EXPECT_TRUE(d->fileList()->filesContextMenu()->actions().contains(checkFailed));
    ASSERT_TRUE(checkFailed->isEnabled());
    checkFailed->trigger();
    QList<bool> checks;
    for (const lockleaf::FileItemPtr &item : d->fileList()->files())
        checks << item->isSelected();
    EXPECT_EQ(checks, QList<bool>({false, true, false}));
    EXPECT_EQ(child<QLabel>(*d, "labelTotalFiles")->text(),
              "3 Total file(s); 1 file(s) selected; Total page count of selected PDF file(s): 0");

    const QString exported = m_out.file("export.txt");
    ASSERT_TRUE(d->fileActions()->exportList(exported));
    const QList<QByteArray> lines = testsupport::readFile(exported).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].endsWith("\tLocation\tStatus"));
    EXPECT_TRUE(lines[1].endsWith("\tUn-Secured Completed"));
    EXPECT_TRUE(lines[2].endsWith("\tUnable to read secured pdf docuemnt!"));
    EXPECT_TRUE(lines[3].endsWith(m_sources.path().toUtf8() + "\t"));

    d->fileList()->files()[1]->reread();
    EXPECT_EQ(statuses(), QStringList({"Un-Secured Completed", "", ""}));
    d->fileList()->files()[0]->setPdfOpenPassword(QStringLiteral("any"));
    EXPECT_EQ(statuses(), QStringList({"", "", ""}));
}

} // namespace
