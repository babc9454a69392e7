#include "ui/FileList.h"

#include "UiForm.h"
#include "UiTestSupport.h"
#include "support/TestSupport.h"
#include "ui/FileTableModel.h"

// Generated from resources/MainWindow.ui for this test (AUTOUIC looks here).
#include "ui_MainWindow.h"

#include <QContextMenuEvent>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using lockleaf::FileTableModel;
using uitest::child;
using uitest::fileNames;
using uitest::highlight;
using uitest::makeNumberedPdfs;
using uitest::urlsOf;

namespace
{

// The file list on its own (see uitest::ListForm): its commands on rows, the
// move buttons, the context menu and its gathering.
class FileListTest : public uitest::UiTest
{
protected:
    testsupport::TempDir dir;
};

TEST_F(FileListTest, gatheringAgain_sortsNewFilesIntoTheChosenOrder)
{
    uitest::ListForm d;
    const QStringList paths = makeNumberedPdfs(dir, {3, 1, 2});
    uitest::gather(d, urlsOf({paths[0], paths[1]}));
    d.fileList()->mainTableView()->sortByColumn(FileTableModel::PagesColumn, Qt::AscendingOrder);
    EXPECT_EQ(fileNames(d), (QStringList{"f01.pdf", "f00.pdf"}));
    uitest::gather(d, urlsOf({paths[2], paths[0]}));
    EXPECT_EQ(fileNames(d), (QStringList{"f01.pdf", "f02.pdf", "f00.pdf"}))
        << "no duplicate, sorted into place";
}

TEST_F(FileListTest, moveButtons_followTheHighlight)
{
    uitest::ListForm d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, {1, 1, 1})));
    auto *up = child<QToolButton>(d, "moveUpButton");
    auto *down = child<QToolButton>(d, "moveDownButton");
    struct Case {
        QList<int> rows;
        bool up, down;
    };
    for (const Case &c :
         {Case{{}, false, false}, Case{{0}, false, true}, Case{{2}, true, false}, Case{{1}, true, true}}) {
        highlight(d, c.rows);
        EXPECT_EQ(up->isEnabled(), c.up) << c.rows.value(0, -1);
        EXPECT_EQ(down->isEnabled(), c.down) << c.rows.value(0, -1);
    }

    highlight(d, {0});
    QTest::keyClick(d.fileList()->mainTableView(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(fileNames(d), (QStringList{"f00.pdf", "f01.pdf", "f02.pdf"}));
    QTest::keyClick(d.fileList()->mainTableView(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(fileNames(d), (QStringList{"f01.pdf", "f00.pdf", "f02.pdf"}));
    EXPECT_EQ(d.fileList()->highlightedRows(), QList<int>{1});
}

TEST_F(FileListTest, moving_shiftsHighlightedRowsByOne_andKeepsThemHighlighted)
{
    uitest::ListForm d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, QList<int>(10, 1))));
    const QStringList start = fileNames(d);

    highlight(d, {2, 3, 5});
    d.fileList()->moveDown();
    EXPECT_EQ(d.fileList()->highlightedRows(), (QList<int>{3, 4, 6}));
    EXPECT_EQ(d.fileList()->mainTableView()->currentIndex().row(), 6);
    EXPECT_EQ(fileNames(d), (QStringList{"f00.pdf", "f01.pdf", "f04.pdf", "f02.pdf", "f03.pdf", "f06.pdf",
                                         "f05.pdf", "f07.pdf", "f08.pdf", "f09.pdf"}));

    // Back up: the same three items return to rows 2, 3 and 5.
    d.fileList()->moveUp();
    EXPECT_EQ(d.fileList()->highlightedRows(), (QList<int>{2, 3, 5}));
    EXPECT_EQ(fileNames(d), start);

    highlight(d, {2, 3, 5});
    d.fileList()->moveUp();
    EXPECT_EQ(d.fileList()->highlightedRows(), (QList<int>{1, 2, 4}));
    EXPECT_EQ(d.fileList()->mainTableView()->currentIndex().row(), 1);
    EXPECT_EQ(fileNames(d), (QStringList{"f00.pdf", "f02.pdf", "f03.pdf", "f01.pdf", "f05.pdf", "f04.pdf",
                                         "f06.pdf", "f07.pdf", "f08.pdf", "f09.pdf"}));

    // At the edge nothing moves and the highlight is cleared.
    highlight(d, {9});
    d.fileList()->moveDown();
    EXPECT_TRUE(d.fileList()->highlightedRows().isEmpty());
    EXPECT_EQ(fileNames(d).last(), QStringLiteral("f09.pdf"));
}

TEST_F(FileListTest, checkCommands_actOnHighlightedRowsOrOnAll)
{
    uitest::ListForm d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, {1, 1, 1})));
    // Every check command announces the change, so the window can count again.
    QSignalSpy changed(d.fileList(), &lockleaf::FileList::listChanged);
    highlight(d, {0, 2});
    d.fileList()->checkUncheckInvertSelection(2);
    EXPECT_FALSE(d.fileList()->files()[0]->isSelected());
    EXPECT_TRUE(d.fileList()->files()[1]->isSelected());
    d.fileList()->checkUncheckInvertAll(3);
    EXPECT_TRUE(d.fileList()->files()[0]->isSelected());
    EXPECT_FALSE(d.fileList()->files()[1]->isSelected());

    // F8 fires the context menu's F8 item (check) for the highlighted rows.
    highlight(d, {1});
    QTest::keyClick(d.fileList()->mainTableView(), Qt::Key_F8);
    EXPECT_TRUE(d.fileList()->files()[1]->isSelected());
    EXPECT_EQ(changed.size(), 3);

    d.fileList()->selectDeselectRemoveAll(1);
    EXPECT_EQ(d.fileList()->highlightedRows(), (QList<int>{0, 1, 2}));
    d.fileList()->selectDeselectRemoveAll(2);
    EXPECT_EQ(d.fileList()->highlightedRows(), QList<int>{0});
}

TEST_F(FileListTest, contextMenu_onlyForARightClickWithRowsHighlighted)
{
    uitest::ListForm d;
    uitest::gather(d, urlsOf(makeNumberedPdfs(dir, {1})));
    const QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
    const QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(5, 5));
    highlight(d, {});
    EXPECT_EQ(d.fileList()->mainTableView()->menuForEvent(&mouse), nullptr);
    highlight(d, {0});
    EXPECT_EQ(d.fileList()->mainTableView()->menuForEvent(&mouse), d.fileList()->filesContextMenu());
    EXPECT_EQ(d.fileList()->mainTableView()->menuForEvent(&keyboard), nullptr);
}

TEST_F(FileListTest, secondGathering_isRefusedWhileOneWorks)
{
    uitest::ListForm d;
    const QStringList paths = makeNumberedPdfs(dir, {1, 1, 1});
    bool secondStarted = true;
    QObject::connect(d.fileList()->tableModel(), &QAbstractItemModel::rowsInserted, d.fileList(), [&] {
        if (d.fileList()->files().size() == 1)
            secondStarted =
                d.gathering()->startGathering(lockleaf::Arguments{urlsOf(paths), false, false, {}});
    });
    uitest::gather(d, urlsOf(paths));
    EXPECT_FALSE(secondStarted);
    EXPECT_EQ(d.fileList()->files().size(), 3);
}

} // namespace
