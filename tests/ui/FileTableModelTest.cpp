#include "ui/FileTableModel.h"

#include "UiTestSupport.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QFile>
#include <QPersistentModelIndex>
#include <QSignalSpy>

#include <gtest/gtest.h>

using lockleaf::FileItem;
using lockleaf::FileItemPtr;
using lockleaf::FileTableModel;

namespace
{

class FileTableModelTest : public uitest::UiTest
{
protected:
    // A real PDF of `pages` pages, padded to at least `bytes` bytes on disk.
    FileItemPtr item(const QString &name, int pages, qint64 bytes = 0)
    {
        const QString path = dir.file(name);
        testsupport::makePdf(path, pages);
        if (bytes > 0) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::Append));
            f.write(QByteArray(bytes, ' '));
        }
        FileItemPtr made = FileItem::initWithURL(QUrl::fromLocalFile(path));
        EXPECT_TRUE(made);
        return made;
    }

    QStringList names() const
    {
        QStringList out;
        for (const FileItemPtr &i : files)
            out.append(i->filePath().fileName());
        return out;
    }

    testsupport::TempDir dir;
    QList<FileItemPtr> files;
    FileTableModel model{files};
};

TEST_F(FileTableModelTest, everyChange_keepsTheModelConsistent)
{
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int i = 0; i < 6; ++i)
        model.appendItem(item(QStringLiteral("f%1.pdf").arg(i), 6 - i));
    model.sort(FileTableModel::PagesColumn, Qt::AscendingOrder);
    model.swapWithNext(0);
    model.changeChecks({1, 3}, 3);
    EXPECT_EQ(model.removeRowsAt({4, 0, 2}), 3);
    model.refreshAll();
    model.removeAll();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(FileTableModelTest, cells_followTheColumnIdentifiers)
{
    model.appendItem(item(QStringLiteral("Report.pdf"), 3, 1500));
    EXPECT_EQ(FileTableModel::columnIdentifier(0), QStringLiteral("isselected"));
    EXPECT_EQ(FileTableModel::columnIdentifier(FileTableModel::SizeColumn), QStringLiteral("sizeInKB"));

    const QModelIndex check = model.index(0, FileTableModel::CheckColumn);
    EXPECT_EQ(model.data(check, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_FALSE(model.data(check, Qt::DisplayRole).isValid()) << "the check column shows no text";
    EXPECT_TRUE(model.flags(check) & Qt::ItemIsUserCheckable);

    const QModelIndex size = model.index(0, FileTableModel::SizeColumn);
    EXPECT_EQ(model.data(size).toString(), files[0]->sizeInKB());
    EXPECT_EQ(model.data(size, Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_FALSE(model.data(model.index(0, FileTableModel::NameColumn), Qt::TextAlignmentRole).isValid());
    EXPECT_EQ(model.data(model.index(0, FileTableModel::PagesColumn)).toInt(), 3);
    EXPECT_EQ(model.data(model.index(0, FileTableModel::TypeColumn)).toString(), QStringLiteral("pdf"));
    EXPECT_FALSE(model.data(model.index(0, FileTableModel::ModifiedColumn)).toString().isEmpty());
}

// A signed file says so in its name cell, for the eye and for a screen reader;
// a secured one keeps its marker in front.
TEST_F(FileTableModelTest, signedFiles_areMarkedInTheNameCell)
{
    model.appendItem(item(QStringLiteral("plain.pdf"), 1));
    testsupport::makeSignedPdf(dir.file("signed.pdf"));
    testsupport::encryptPdf(dir.file("signed.pdf"), dir.file("locked.pdf"), "", "owner", 128);
    for (const char *name : {"signed.pdf", "locked.pdf"})
        model.appendItem(FileItem::initWithURL(QUrl::fromLocalFile(dir.file(name))));
    ASSERT_EQ(model.rowCount(), 3);
    auto name = [this](int row, int role) {
        return model.data(model.index(row, FileTableModel::NameColumn), role).toString();
    };
    EXPECT_EQ(name(0, Qt::DisplayRole), "plain.pdf");
    EXPECT_EQ(name(1, Qt::DisplayRole), "signed.pdf (Signed)");
    EXPECT_EQ(name(1, Qt::AccessibleTextRole), "signed.pdf, digitally signed");
    // Opens without a password (empty user password), so its signature is seen.
    EXPECT_EQ(name(2, Qt::DisplayRole), "locked.pdf (SECURED) (Signed)");
    EXPECT_EQ(name(2, Qt::AccessibleTextRole), "locked.pdf, secured, digitally signed");
}

TEST_F(FileTableModelTest, onlyTheCheckColumnIsEditable)
{
    model.appendItem(item(QStringLiteral("a.pdf"), 1));
    QSignalSpy edited(&model, &FileTableModel::checkEdited);

    EXPECT_TRUE(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(files[0]->isSelected());
    EXPECT_EQ(edited.count(), 1);

    EXPECT_FALSE(
        model.setData(model.index(0, FileTableModel::NameColumn), QStringLiteral("x"), Qt::EditRole));
    EXPECT_FALSE(model.setData(model.index(0, FileTableModel::PagesColumn), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model.setData(model.index(5, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(files[0]->pages(), 1);
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(FileTableModelTest, sort_usesTypedKeys_isStable_andCanBeCleared)
{
    model.appendItem(item(QStringLiteral("b.pdf"), 2, 2'000'000)); // "2 MB"
    model.appendItem(item(QStringLiteral("C.pdf"), 10, 900'000));  // "900 KB"
    model.appendItem(item(QStringLiteral("a.pdf"), 2, 5'000));
    model.appendItem(item(QStringLiteral("d.pdf"), 1));

    model.sort(FileTableModel::PagesColumn, Qt::AscendingOrder);
    EXPECT_EQ(names(), (QStringList{"d.pdf", "b.pdf", "a.pdf", "C.pdf"})) << "numeric, ties keep their order";
    model.sort(FileTableModel::PagesColumn, Qt::DescendingOrder);
    EXPECT_EQ(names(), (QStringList{"C.pdf", "b.pdf", "a.pdf", "d.pdf"}));

    model.sort(FileTableModel::SizeColumn, Qt::AscendingOrder);
    EXPECT_EQ(names().mid(2), (QStringList{"C.pdf", "b.pdf"})) << "by bytes, not by the size text";

    model.sort(FileTableModel::NameColumn, Qt::AscendingOrder);
    EXPECT_EQ(names(), (QStringList{"a.pdf", "b.pdf", "C.pdf", "d.pdf"})) << "letter case ignored";

    model.sort(-1);
    model.swapWithNext(0);
    model.sortFiles();
    EXPECT_EQ(names(), (QStringList{"b.pdf", "a.pdf", "C.pdf", "d.pdf"})) << "no sort: order kept";
}

TEST_F(FileTableModelTest, sortByDate_usesTheDatesCapturedWhenTheRowWasRead)
{
    const QDateTime base = QDateTime::currentDateTime().addDays(-10);
    const QStringList order{"new.pdf", "old.pdf", "mid.pdf"};
    const auto setModified = [&](const QList<int> &ages) {
        for (int i = 0; i < order.size(); ++i) {
            QFile f(dir.file(order[i]));
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(base.addDays(ages[i]), QFileDevice::FileModificationTime));
        }
    };
    for (const QString &name : order)
        testsupport::makePdf(dir.file(name), 1);
    setModified({0, -5, -2});
    for (const QString &name : order)
        model.appendItem(FileItem::initWithURL(QUrl::fromLocalFile(dir.file(name))));
    ASSERT_EQ(files.size(), 3);
    model.sort(FileTableModel::ModifiedColumn, Qt::AscendingOrder);
    EXPECT_EQ(names(), (QStringList{"old.pdf", "mid.pdf", "new.pdf"}));

    // Changed on disk later: the sort keeps to what was read until the rows are read again.
    setModified({-5, 0, -2});
    model.sort(FileTableModel::ModifiedColumn, Qt::DescendingOrder);
    EXPECT_EQ(names(), (QStringList{"new.pdf", "mid.pdf", "old.pdf"}));
    for (const FileItemPtr &f : std::as_const(files))
        f->refreshDates();
    model.sort(FileTableModel::ModifiedColumn, Qt::AscendingOrder);
    EXPECT_EQ(names(), (QStringList{"new.pdf", "mid.pdf", "old.pdf"}));
}

TEST_F(FileTableModelTest, sort_keepsIndexesOnTheirItems)
{
    model.appendItem(item(QStringLiteral("z.pdf"), 1));
    model.appendItem(item(QStringLiteral("y.pdf"), 1));
    model.appendItem(item(QStringLiteral("x.pdf"), 1));
    const QPersistentModelIndex onZ(model.index(0, FileTableModel::NameColumn));
    model.sort(FileTableModel::NameColumn, Qt::AscendingOrder);
    EXPECT_EQ(onZ.row(), 2);
    EXPECT_EQ(onZ.data().toString(), QStringLiteral("z.pdf"));
}

TEST_F(FileTableModelTest, removalsAndChecks_keepTheTotalsRight)
{
    for (int pages : {2, 5, 10, 7})
        model.appendItem(item(QStringLiteral("p%1.pdf").arg(pages), pages));
    EXPECT_EQ(model.runningPageTotal(), 24);

    model.changeChecks({0}, 2);
    FileTableModel::Totals t = model.recount();
    EXPECT_EQ(t.files, 4);
    EXPECT_EQ(t.checked, 3);
    EXPECT_EQ(t.checkedPages, 22);
    EXPECT_EQ(t.pages, 24);

    // Unsorted, with a gap: rows 3 and 1 go, 0 and 2 stay.
    EXPECT_EQ(model.removeRowsAt({3, 1, 3}), 2);
    EXPECT_EQ(names(), (QStringList{"p2.pdf", "p10.pdf"}));
    EXPECT_EQ(model.runningPageTotal(), 12);

    model.changeChecks({0, 1}, 4);
    t = model.recount();
    EXPECT_EQ(t.checked, 1) << "an unknown tag changes nothing";
    model.changeChecks({0, 1}, 3);
    EXPECT_TRUE(files[0]->isSelected());
    EXPECT_FALSE(files[1]->isSelected());
}

} // namespace
