#include "ui/FileActions.h"

#include "UiForm.h"
#include "UiTestSupport.h"
#include "model/ExportList.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/FileChooser.h"
#include "ui/FileInformationDialog.h"
#include "ui/FileTableModel.h"
#include "ui/InformationScript.h"

// Generated from resources/MainWindow.ui for this test (AUTOUIC looks here).
#include "ui_MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <QTimeZone>

#include <gtest/gtest.h>

using uitest::child;
using uitest::highlight;
using uitest::urlsOf;

namespace
{

// Counts the workspace requests, so one reveal for many files shows as one.
class CountingWorkspace final : public lockleaf::Workspace
{
public:
    void openURL(const QUrl &url) override { opened.append(url); }
    void revealURLs(const QList<QUrl> &urls) override { revealed.append(urls); }
    QList<QUrl> opened;
    QList<QList<QUrl>> revealed;
};

// An independent reading of the export's date form.
QString utcText(const QDateTime &date)
{
    const QDateTime utc = date.toUTC();
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d +0000", utc.date().year(), utc.date().month(),
                             utc.date().day(), utc.time().hour(), utc.time().minute(), utc.time().second());
}

void setTimes(const QString &path, const QDateTime &modified, const QDateTime &accessed)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    ASSERT_TRUE(file.setFileTime(accessed, QFileDevice::FileAccessTime));
}

// The file actions alone on the window's form, over a file list, its
// gathering and the window state, with file panels and a workspace that answer
// from the test.
class Actions : public uitest::ListForm
{
public:
    lockleaf::FileActions *fileActions() { return &m_actions; }
    lockleaf::FileChooser *fileChooser() { return &m_chooser; }
    CountingWorkspace *workspace() { return &m_workspace; }

private:
    lockleaf::FileChooser m_chooser;
    CountingWorkspace m_workspace;
    lockleaf::FileActions m_actions{
        ui,       fileList(), gathering(),  windowState(),
        alerts(), &m_chooser, &m_workspace, {QStringLiteral("pdf"), QStringLiteral("PDF")}};
};

class FileActionsTest : public uitest::UiTest
{
protected:
    testsupport::TempDir dir;
};

TEST_F(FileActionsTest, export_writesHeaderAndOneRowPerItemExactly)
{
    Actions d;
    const QString out = dir.file(QStringLiteral("export.txt"));
    ASSERT_TRUE(d.fileActions()->exportList(out));
    const QByteArray header =
        "Name\tPages\tSize\tType\tModified Date\tAccessed Date\tCreated Date\tLocation\tStatus\n";
    EXPECT_EQ(testsupport::readFile(out), header) << "an empty list gives the header alone";

    const QString plain = dir.file(QStringLiteral("a.pdf"));
    const QString secured = dir.file(QStringLiteral("b.PDF"));
    testsupport::makePdf(plain, 2);
    testsupport::makeEncryptedPdf(secured, QStringLiteral("user"), QStringLiteral("owner"), 128);
    uitest::gather(d, urlsOf({plain, secured}));
    ASSERT_EQ(d.fileList()->files().size(), 2);
    d.fileList()->files()[1]->setIsSelected(false); // unchecked items are exported too
    const QDateTime modified(QDate(2013, 4, 2), QTime(9, 5, 0), QTimeZone::utc());
    const QDateTime accessed(QDate(2014, 12, 31), QTime(23, 59, 58), QTimeZone::utc());
    setTimes(plain, modified, accessed);
    setTimes(secured, modified.addSecs(3600), accessed);

    ASSERT_TRUE(d.fileActions()->exportList(out)); // replaces the earlier export
    const auto row = [&](int index, const QString &name, int pages, const QString &modifiedText) {
        const QFileInfo info(d.fileList()->files().at(index)->filePath().toLocalFile());
        const QDateTime created = info.birthTime().isValid() ? info.birthTime() : info.metadataChangeTime();
        return name + '\t' + QString::number(pages) + '\t' + d.fileList()->files().at(index)->sizeInKB() +
               '\t' + info.suffix() + '\t' + modifiedText + "\t2014-12-31 23:59:58 +0000\t" +
               utcText(created) + '\t' + dir.path() + "\t\n"; // no run yet: no status
    };
    const QString expected =
        QString::fromLatin1(header) +
        row(0, QStringLiteral("a.pdf"), 2, QStringLiteral("2013-04-02 09:05:00 +0000")) +
        row(1, QStringLiteral("b.PDF (SECURED) "), 0, QStringLiteral("2013-04-02 10:05:00 +0000"));
    EXPECT_EQ(testsupport::readFile(out), expected.toUtf8()) << "UTF-8, no byte-order mark, final line feed";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"a.pdf", "b.PDF", "export.txt"}))
        << "no temporary file left beside it";
}

TEST_F(FileActionsTest, export_valuesWithTabsOrLineBreaks_keepTheRowsAndColumns)
{
    Actions d;
    const QString sub = dir.file(QStringLiteral("tab\tfolder"));
    ASSERT_TRUE(QDir().mkpath(sub));
    testsupport::makePdf(sub + QStringLiteral("/two\tcols.pdf"), 1);
    testsupport::makePdf(dir.file(QStringLiteral("two\nlines.pdf")), 1);
    uitest::gather(
        d, urlsOf({sub + QStringLiteral("/two\tcols.pdf"), dir.file(QStringLiteral("two\nlines.pdf"))}));
    ASSERT_EQ(d.fileList()->files().size(), 2);

    const QString out = dir.file(QStringLiteral("export.txt"));
    ASSERT_TRUE(d.fileActions()->exportList(out));
    const QList<QByteArray> lines = testsupport::readFile(out).split('\n');
    ASSERT_EQ(lines.size(), 4) << "header, two rows, and nothing after the final line feed";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[i].count('\t'), 8) << "line " << i;
    EXPECT_TRUE(lines[1].startsWith("two cols.pdf\t1\t"));
    EXPECT_TRUE(lines[1].endsWith("/tab folder\t"));
    EXPECT_TRUE(lines[2].startsWith("two lines.pdf\t1\t"));
}

TEST_F(FileActionsTest, export_toAnUnwritablePath_writesNothingAndShowsNothing)
{
    Actions d;
    testsupport::LogCapture log;
    // Root ignores permission bits, so the target is made impossible instead:
    // a path under a regular file, and a path that is a folder.
    const QString regular = dir.file(QStringLiteral("plain-file"));
    testsupport::writeFile(regular, "keep");
    const QString folder = dir.file(QStringLiteral("a-folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    d.fileChooser()->setNextFileName(regular + QStringLiteral("/export.txt"));
    d.fileActions()->exportAction();
    EXPECT_FALSE(d.fileActions()->exportList(folder));

    EXPECT_EQ(testsupport::readFile(regular), QByteArray("keep"));
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_TRUE(d.alerts()->messages().isEmpty());
    EXPECT_EQ(log.lines().filter(QStringLiteral("Error in (export) : ")).size(), 2);

    // Cancel writes nothing; OK writes to the chosen path.
    const QString out = dir.file(QStringLiteral("chosen.txt"));
    d.fileChooser()->setNextFileName(QString());
    d.fileActions()->exportAction();
    EXPECT_FALSE(QFileInfo::exists(out));
    d.fileChooser()->setNextFileName(out);
    child<QAction>(d, "exportToolbarItem")->setEnabled(true);
    child<QAction>(d, "exportToolbarItem")->trigger();
    EXPECT_TRUE(testsupport::readFile(out).startsWith("Name\tPages\t"));
}

TEST_F(FileActionsTest, proposedExportName_usesTheTwelveHourClockAndTheLocaleMarker)
{
    const QDateTime when(QDate(2014, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(lockleaf::proposedExportName(when, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("Export 05-Mar-2014 02-07-09 PM.txt"));
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    EXPECT_TRUE(lockleaf::proposedExportName(when, chinese).contains(chinese.pmText()));
}

TEST_F(FileActionsTest, informationScript_namesEachFolderInnermostFirstAndEscapesNames)
{
    EXPECT_EQ(
        lockleaf::informationScript(QStringLiteral("/Users/ann/Documents/a.pdf")),
        QStringLiteral("tell application \"Finder\"\nactivate \nopen information window of document file "
                       "\"a.pdf\" of folder \"Documents\" of folder \"ann\" of folder \"Users\" of startup "
                       "disk\nend tell"));
    EXPECT_EQ(
        lockleaf::informationScript(QStringLiteral("/a.pdf")),
        QStringLiteral("tell application \"Finder\"\nactivate \nopen information window of document file "
                       "\"a.pdf\" of startup disk\nend tell"));
    // A quote in a name cannot end the string and run the rest as script.
    const QString script = lockleaf::informationScript(QStringLiteral("/x\\y/\" & do shell script \"id.pdf"));
    EXPECT_TRUE(
        script.contains(QStringLiteral("file \"\\\" & do shell script \\\"id.pdf\" of folder \"x\\\\y\"")))
        << script.toStdString();
}

TEST_F(FileActionsTest, pickers_gatherWhatWasChosen_oneGatheringAtATime)
{
    Actions d;
    const QString top = dir.file(QStringLiteral("top"));
    ASSERT_TRUE(QDir().mkpath(top + QStringLiteral("/sub")));
    testsupport::makePdf(top + QStringLiteral("/one.pdf"), 1);
    testsupport::makePdf(top + QStringLiteral("/sub/deep.pdf"), 1);
    const QString loose = dir.file(QStringLiteral("loose.pdf"));
    testsupport::makePdf(loose, 1);
    const QString other = dir.file(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(other));
    testsupport::makePdf(other + QStringLiteral("/two.pdf"), 1);

    QSignalSpy finished(d.gathering(), &lockleaf::Gathering::gatheringFinished);
    d.fileChooser()->setNextFileNames({}); // Cancel
    d.fileActions()->addFiles();
    d.fileChooser()->setNextFileNames({});
    d.fileActions()->addFolder();
    EXPECT_FALSE(d.gathering()->isGathering());

    // While the window is busy no picker is shown and the import does not open.
    d.fileChooser()->setNextFileNames({top});
    d.windowState()->startProcess();
    d.fileActions()->addFolder();
    d.fileActions()->addFiles();
    d.fileActions()->importAction();
    EXPECT_FALSE(d.gathering()->isGathering());
    EXPECT_EQ(d.fileActions()->importFilesPanel(), nullptr);
    d.windowState()->stopProcess();

    // The queued answer is still there. Subfolders off: only the top of the folder.
    child<QCheckBox>(d, "inculdeSubfoldersBtn")->setChecked(false);
    child<QPushButton>(d, "addFolderBtn")->click();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(uitest::fileNames(d), QStringList{"one.pdf"});

    // Several folders from one pick.
    child<QCheckBox>(d, "inculdeSubfoldersBtn")->setChecked(true);
    d.fileChooser()->setNextFileNames({top, other});
    d.fileActions()->addFolder();
    ASSERT_TRUE(finished.wait(60000));
    d.fileChooser()->setNextFileNames({loose});
    child<QPushButton>(d, "addFilesBtn")->click();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.size(), 3);
    QStringList names = uitest::fileNames(d);
    names.sort();
    EXPECT_EQ(names, (QStringList{"deep.pdf", "loose.pdf", "one.pdf", "two.pdf"}));
}

TEST_F(FileActionsTest, openRevealAndInfo_actOnTheHighlightedRowsInOrder)
{
    Actions d;
    CountingWorkspace *workspace = d.workspace();
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("two"))));
    const QStringList paths{dir.file("a.pdf"), dir.file("b.pdf"), dir.file("two/c.pdf"), dir.file("d.pdf")};
    for (const QString &p : paths)
        testsupport::makePdf(p, 3);
    testsupport::makeEncryptedPdf(paths[2], "u", "o", 128, {}, 4);
    uitest::gather(d, urlsOf(paths));
    ASSERT_EQ(d.fileList()->files().size(), 4);

    highlight(d, {});
    d.fileActions()->openFiles();
    d.fileActions()->openEnclodingFolder();
    d.fileActions()->getInfo();
    EXPECT_TRUE(workspace->opened.isEmpty());
    EXPECT_TRUE(workspace->revealed.isEmpty());
    EXPECT_TRUE(d.window()->findChildren<lockleaf::FileInformationDialog *>().isEmpty());

    highlight(d, {3, 0, 2});
    child<QPushButton>(d, "openFileButton")->click();
    const QList<QUrl> expected{d.fileList()->files()[0]->filePath(), d.fileList()->files()[2]->filePath(),
                               d.fileList()->files()[3]->filePath()};
    EXPECT_EQ(workspace->opened, expected);
    child<QPushButton>(d, "openEnclosedFolderButton")->click();
    ASSERT_EQ(workspace->revealed.size(), 1) << "one request for files in two folders";
    EXPECT_EQ(workspace->revealed[0], expected);

    highlight(d, {2});
    child<QPushButton>(d, "getInfoButton")->click();
    const auto infos = d.window()->findChildren<lockleaf::FileInformationDialog *>();
    ASSERT_EQ(infos.size(), 1);
    EXPECT_TRUE(infos[0]->isVisible());
    EXPECT_EQ(infos[0]->valueOf("Name"), QStringLiteral("c.pdf"));
    EXPECT_EQ(infos[0]->valueOf("Folder"), dir.file("two"));
    EXPECT_EQ(infos[0]->valueOf("Secured"), QStringLiteral("Yes"));
    EXPECT_EQ(infos[0]->valueOf("Pages"), QStringLiteral("0")) << "no password opens it yet";
    EXPECT_NE(infos[0]->valueOf("Modified"), QStringLiteral("--"));
}

TEST_F(FileActionsTest, includeSubfolders_absentIsFalse_andIsWrittenAtOnce)
{
    Actions d;
    EXPECT_FALSE(d.fileActions()->inculdeSubfolders());
    EXPECT_FALSE(child<QCheckBox>(d, "inculdeSubfoldersBtn")->isChecked());
    child<QCheckBox>(d, "inculdeSubfoldersBtn")->click();

    // Another reader of the file on disk sees it without any further flush.
    QSettings onDisk(lockleaf::Settings::openStore()->fileName(), QSettings::IniFormat);
    EXPECT_TRUE(onDisk.value("INCLUDESUBFOLDERS").toBool());
    EXPECT_TRUE(d.fileActions()->inculdeSubfolders());
}

} // namespace
