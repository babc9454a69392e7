#include "ui/LockleafAppDelegate.h"

#include "UiTestSupport.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/BusyIndicator.h"
#include "ui/FileTableModel.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

using lockleaf::FileTableModel;
using lockleaf::LockleafAppDelegate;
using uitest::child;
using uitest::fileNames;
using uitest::highlight;
using uitest::makeNumberedPdfs;
using uitest::urlsOf;

namespace
{

class FileTableTest : public uitest::UiTest
{
protected:
    testsupport::TempDir dir;
};

TEST_F(FileTableTest, totals_countAllFilesAndTheCheckedPages)
{
    LockleafAppDelegate d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, {2, 5, 10})));
    ASSERT_EQ(d.fileList()->files().size(), 3);

    auto *files = child<QLabel>(d, "labelTotalFiles");
    EXPECT_EQ(
        files->text(),
        QStringLiteral("3 Total file(s); 3 file(s) selected; Total page count of selected PDF file(s): 17"));
    // A click in the first check box refreshes the totals at once.
    d.fileList()->tableModel()->setData(d.fileList()->tableModel()->index(0, 0), Qt::Unchecked,
                                        Qt::CheckStateRole);
    EXPECT_EQ(
        files->text(),
        QStringLiteral("3 Total file(s); 2 file(s) selected; Total page count of selected PDF file(s): 15"));
    EXPECT_EQ(child<QLabel>(d, "labelTotalPDFPages")->text(), QStringLiteral("Total Pages PDF : 17"));

    d.fileList()->checkUncheckInvertAll(2);
    EXPECT_TRUE(child<QPushButton>(d, "convertBtn")->isEnabled())
        << "start stays usable with nothing checked";
    EXPECT_TRUE(files->text().startsWith(QStringLiteral("3 Total file(s); 0 file(s) selected;")));
    EXPECT_FALSE(child<QLabel>(d, "lableDragAndDrop")->isVisible());
    EXPECT_TRUE(child<QPushButton>(d, "removeAllFilesButton")->isEnabled());
}

TEST_F(FileTableTest, gathering_changesTheListOnTheMainThread_whileTheWindowShowsBusy)
{
    LockleafAppDelegate d;
    const QStringList paths = makeNumberedPdfs(dir, {1, 1, 1, 1});
    bool onMainThread = true;
    bool sawBusy = false;
    QString timeLineWhileBusy;
    QObject::connect(d.fileList()->tableModel(), &QAbstractItemModel::rowsInserted, &d, [&] {
        onMainThread = onMainThread && QThread::currentThread() == d.thread();
        sawBusy = d.windowState()->isProcessing() &&
                  child<lockleaf::BusyIndicator>(d, "loadingIndicator")->isAnimating() &&
                  !child<QPushButton>(d, "addFilesBtn")->isEnabled() &&
                  !child<QPushButton>(d, "convertBtn")->isEnabled() &&
                  !d.fileList()->mainTableView()->isEnabled();
        timeLineWhileBusy = child<QLabel>(d, "labelTimeTaken")->text();
    });
    uitest::gather(d, urlsOf(paths));

    EXPECT_EQ(d.fileList()->files().size(), 4);
    EXPECT_TRUE(onMainThread);
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(timeLineWhileBusy, QStringLiteral("Total Time Taken : In Process... 0/0"));
    EXPECT_FALSE(d.windowState()->isProcessing());
    EXPECT_FALSE(child<lockleaf::BusyIndicator>(d, "loadingIndicator")->isAnimating());
    EXPECT_TRUE(child<QPushButton>(d, "addFilesBtn")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(d, "convertBtn")->isEnabled());
    EXPECT_TRUE(child<QLabel>(d, "labelTimeTaken")->text().startsWith(QStringLiteral("Total Time Taken : ")));
}

// Many copies of one small PDF in `dir`, named in the order a walk meets them.
QStringList copiesIn(const testsupport::TempDir &dir, int count, int pages)
{
    const QString first = dir.file(QStringLiteral("c0000.pdf"));
    testsupport::makePdf(first, pages);
    QStringList paths{first};
    for (int i = 1; i < count; ++i) {
        paths << dir.file(QStringLiteral("c%1.pdf").arg(i, 4, 10, QLatin1Char('0')));
        QFile::copy(first, paths.last());
    }
    return paths;
}

TEST_F(FileTableTest, gathering_listsRowsBeforeTheirCounts_thenFillsThemInOrder)
{
    LockleafAppDelegate d;
    d.window()->show();
    FileTableModel *model = d.fileList()->tableModel();
    const QStringList paths = copiesIn(dir, 60, 2);
    QVariant firstPagesCell;
    bool hintShown = true;
    QObject::connect(model, &QAbstractItemModel::rowsInserted, &d, [&] {
        if (!firstPagesCell.isValid()) {
            firstPagesCell = model->index(0, FileTableModel::PagesColumn).data();
            hintShown = child<QLabel>(d, "lableDragAndDrop")->isVisible();
        }
    });
    uitest::gather(d, urlsOf({dir.path()}), true);
    EXPECT_EQ(firstPagesCell, QVariant(QString())) << "the row came before its file was opened";
    EXPECT_FALSE(hintShown) << "the drop hint goes with the first row";
    QStringList names;
    for (const QString &path : paths)
        names << QFileInfo(path).fileName();
    EXPECT_EQ(fileNames(d), names) << "in the order met";
    for (int row = 0; row < 60; ++row)
        ASSERT_EQ(model->index(row, FileTableModel::PagesColumn).data(), QVariant(2)) << row;
    EXPECT_EQ(child<QLabel>(d, "labelTotalPDFPages")->text(), QStringLiteral("Total Pages PDF : 120"));

    // The same folder again: nothing new.
    uitest::gather(d, urlsOf({dir.path()}), true);
    EXPECT_EQ(d.fileList()->files().size(), 60);
}

TEST_F(FileTableTest, cancel_stopsTheGathering_rowsListedStayInOrder_countedOnesFirst)
{
    LockleafAppDelegate d;
    const QStringList paths = copiesIn(dir, 400, 2);
    QObject::connect(d.fileList()->tableModel(), &QAbstractItemModel::rowsInserted, &d,
                     [&] { QTest::mouseClick(child<QPushButton>(d, "cancelBtn"), Qt::LeftButton); });
    uitest::gather(d, urlsOf({dir.path()}), true);
    const QList<lockleaf::FileItemPtr> &files = d.fileList()->files();
    ASSERT_FALSE(files.isEmpty());
    int counted = 0;
    while (counted < files.size() && files.at(counted)->isCounted())
        ++counted;
    for (qsizetype i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files.at(i)->filePath().toLocalFile(), paths.at(i)) << i;
        EXPECT_EQ(files.at(i)->isCounted(), i < counted) << "counts arrive in row order";
    }
    EXPECT_TRUE(files.size() < 400 || counted < 400) << "stopped, not finished";
    EXPECT_TRUE(child<QPushButton>(d, "addFolderBtn")->isEnabled());
}

TEST_F(FileTableTest, space_invertsTheHighlightedChecksOnly)
{
    LockleafAppDelegate d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, {1, 2, 3, 4, 5})));
    highlight(d, {1, 3});
    QTest::keyClick(d.fileList()->mainTableView(), Qt::Key_Space);

    QList<bool> checked;
    for (const auto &item : d.fileList()->files())
        checked.append(item->isSelected());
    EXPECT_EQ(checked, (QList<bool>{true, false, true, false, true}));
    EXPECT_EQ(d.fileList()->highlightedRows(), (QList<int>{1, 3}));
    EXPECT_TRUE(
        child<QLabel>(d, "labelTotalFiles")
            ->text()
            .contains(QStringLiteral("3 file(s) selected; Total page count of selected PDF file(s): 9")));
}

TEST_F(FileTableTest, delete_removesHighlightedRowsWithoutAsking)
{
    LockleafAppDelegate d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, {1, 2, 3, 4})));
    highlight(d, {});
    QTest::keyClick(d.fileList()->mainTableView(), Qt::Key_Delete);
    EXPECT_EQ(d.fileList()->files().size(), 4);

    highlight(d, {1, 3});
    QTest::keyClick(d.fileList()->mainTableView(), Qt::Key_Backspace);
    EXPECT_EQ(fileNames(d), (QStringList{"f00.pdf", "f02.pdf"}));
    EXPECT_TRUE(d.alerts()->messages().isEmpty());
    EXPECT_EQ(child<QLabel>(d, "labelTotalPDFPages")->text(), QStringLiteral("Total Pages PDF : 4"));
    for (const auto &path : {dir.file("f01.pdf"), dir.file("f03.pdf")})
        EXPECT_TRUE(QFileInfo::exists(path)) << "only the list changes";
}

TEST_F(FileTableTest, removeAll_asksFirst_andOnlyYesEmptiesTheList)
{
    LockleafAppDelegate d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, {1, 1})));
    d.alerts()->setNextAnswer(lockleaf::AlertPresenter::Answer::No);
    QTest::mouseClick(child<QPushButton>(d, "removeAllFilesButton"), Qt::LeftButton);
    EXPECT_EQ(d.fileList()->files().size(), 2);
    ASSERT_EQ(d.alerts()->messages().size(), 1);
    EXPECT_EQ(d.alerts()->messages()[0], QStringLiteral("Are you sure to remove all file(s)?"));

    d.alerts()->setNextAnswer(lockleaf::AlertPresenter::Answer::Yes);
    QTest::mouseClick(child<QPushButton>(d, "removeAllFilesButton"), Qt::LeftButton);
    EXPECT_TRUE(d.fileList()->files().isEmpty());
    EXPECT_TRUE(child<QLabel>(d, "lableDragAndDrop")->isVisible());
    EXPECT_FALSE(child<QPushButton>(d, "removeAllFilesButton")->isEnabled());
    EXPECT_EQ(
        child<QLabel>(d, "labelTotalFiles")->text(),
        QStringLiteral("0 Total file(s); 0 file(s) selected; Total page count of selected PDF file(s): 0"));
}

TEST_F(FileTableTest, drops_fromOutsideAreGathered_asFolders)
{
    LockleafAppDelegate d;
    QDir(dir.path()).mkpath("top/sub");
    testsupport::makePdf(dir.file("top/a.pdf"), 1);
    testsupport::makePdf(dir.file("top/b.PDF"), 1);
    testsupport::makePdf(dir.file("top/x.Pdf"), 1);
    testsupport::makePdf(dir.file("top/sub/c.pdf"), 1);
    testsupport::makePdf(dir.file("loose.pdf"), 1);
    testsupport::writeFile(dir.file("notes.txt"), "text");

    QMimeData mime;
    mime.setUrls(urlsOf({dir.file("top"), dir.file("loose.pdf"), dir.file("notes.txt")}));
    lockleaf::CustomTableView *table = d.fileList()->mainTableView();
    EXPECT_TRUE(table->canAcceptDrag(nullptr, &mime));
    EXPECT_FALSE(table->canAcceptDrag(table, &mime)) << "rows are not dragged onto their own table";
    EXPECT_FALSE(table->canAcceptDrag(table->viewport(), &mime));
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.pdf")});
    EXPECT_FALSE(table->canAcceptDrag(nullptr, &web));

    // A real drop on the table, include-subfolders off. The text file named
    // directly is left out, and the user is told why.
    d.alerts()->setNextAnswer(lockleaf::AlertPresenter::Answer::Ok);
    QSignalSpy finished(d.gathering(), &lockleaf::Gathering::gatheringFinished);
    const QPoint at = table->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &drop);
    EXPECT_FALSE(drop.isAccepted()) << "the drag source is told nothing was done to its files";
    EXPECT_FALSE(child<QLabel>(d, "lableDragAndDrop")->isVisible());
    ASSERT_TRUE(finished.wait(60000));
    QStringList names = fileNames(d);
    names.sort();
    EXPECT_EQ(names, (QStringList{"a.pdf", "b.PDF", "loose.pdf"}));
    ASSERT_EQ(d.alerts()->messages().size(), 1);
    EXPECT_TRUE(d.alerts()->messages().first().startsWith("1 item was not added to the list:"));
    EXPECT_TRUE(d.alerts()->messages().first().contains("notes.txt: not a PDF file"))
        << d.alerts()->messages().first().toStdString();

    // With include-subfolders on, the subfolder is walked too.
    child<QCheckBox>(d, "inculdeSubfoldersBtn")->click();
    EXPECT_FALSE(d.fileList()->acceptDrop(urlsOf({dir.file("top")})));
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_TRUE(fileNames(d).contains(QStringLiteral("c.pdf")));
    EXPECT_EQ(d.fileList()->files().size(), 4);
}

// Drag events go to the widget under the pointer, as QWidget::childAt finds it.
TEST_F(FileTableTest, dropOnTheHint_reachesTheTable)
{
    LockleafAppDelegate d;
    testsupport::makePdf(dir.file("hinted.pdf"), 1);
    auto *hint = child<QLabel>(d, "lableDragAndDrop");
    ASSERT_TRUE(hint->isVisible());
    const QPoint inWindow = hint->mapTo(d.window(), hint->rect().center());
    QWidget *target = d.window()->childAt(inWindow);
    ASSERT_EQ(target, d.fileList()->mainTableView()->viewport()) << "the hint takes the drop itself";

    QMimeData mime;
    mime.setUrls(urlsOf({dir.file("hinted.pdf")}));
    QSignalSpy finished(d.gathering(), &lockleaf::Gathering::gatheringFinished);
    const QPoint at = target->mapFrom(d.window(), inWindow);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(fileNames(d), QStringList{"hinted.pdf"});
}

TEST_F(FileTableTest, closingDuringAGathering_endsItCleanly)
{
    QList<int> pages(40, 1);
    const QStringList paths = makeNumberedPdfs(dir, pages);
    auto d = std::make_unique<LockleafAppDelegate>();
    QSignalSpy inserted(d->fileList()->tableModel(), &QAbstractItemModel::rowsInserted);
    ASSERT_TRUE(d->gathering()->startGathering(lockleaf::Arguments{urlsOf(paths), false, false, {}}));
    ASSERT_TRUE(inserted.wait(60000));
    // The rows come as met, the counts after them.
    const auto counted = std::count_if(d->fileList()->files().cbegin(), d->fileList()->files().cend(),
                                       [](const lockleaf::FileItemPtr &item) { return item->isCounted(); });
    const QPointer<QMainWindow> window = d->window();
    d.reset(); // must neither hang nor crash while the task waits for the main thread
    EXPECT_LT(counted, 40) << "the task was still working";
    EXPECT_TRUE(window.isNull());
}

} // namespace
