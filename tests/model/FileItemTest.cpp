#include "model/FileItem.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <limits>
#include <sys/stat.h>

using lockleaf::FileItem;
using lockleaf::FileItemPtr;

namespace
{

FileItemPtr itemFor(const QString &path)
{
    return FileItem::initWithURL(QUrl::fromLocalFile(path));
}

} // namespace

TEST(FileItem, initWithURL_givesNoItemForEmptyOrNonFileUrls)
{
    EXPECT_EQ(FileItem::initWithURL(QUrl()), nullptr);
    EXPECT_EQ(FileItem::initWithURL(QUrl("https://example.org/a.pdf")), nullptr);
    EXPECT_EQ(FileItem::initWithURL(QUrl("file:")), nullptr);
}

// A text file is listed like any other, without pages.
TEST(FileItem, plainPdfAnyExtensionCase_orTextFile_countsPages_andDerivesTheCells)
{
    testsupport::TempDir dir;
    for (const auto &[name, pages] :
         {std::pair{QString("report.pdf"), 3}, std::pair{QString("REPORT.PDF"), 3},
          std::pair{QString("notes.txt"), 0}}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.file(name);
        if (pages)
            testsupport::makePdf(path, pages);
        else
            testsupport::writeFile(path, "just text\n");
        const FileItemPtr item = itemFor(path);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isSelected());
        EXPECT_EQ(item->pages(), pages);
        EXPECT_FALSE(item->isSecured());
        EXPECT_EQ(item->name(), name);
        EXPECT_EQ(item->type(), QFileInfo(name).suffix());
        EXPECT_EQ(item->location(), dir.path());

        // The space the file takes on disk, in whole blocks, not its length.
        struct stat st = {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(item->size(), qint64(st.st_blocks) * 512);

        const QRegularExpression dateCell(R"(^\d\d-\w{3}-\d{4} \d{1,2}:\d\d (AM|PM)$)");
        for (const char *column : {"DATEMODIFIED", "DateCreated", "dateaccessed"})
            EXPECT_TRUE(dateCell.match(item->displayField(column).toString()).hasMatch()) << column;

        // An unencrypted file needs no password: any one counts pages but is not kept.
        item->setPdfOpenPassword("whatever");
        EXPECT_EQ(item->pages(), pages);
        EXPECT_EQ(item->pdfOpenPassword(), "");
        item->setPdfOpenPassword(QString()); // no password at all: "not opened"
        EXPECT_EQ(item->pages(), 0);
    }
}

// Each password tried in turn: the pages it gives, and whether it is kept. A
// file that opens without one (an empty user password) keeps what it allowed
// when a wrong one is tried; either way only a password that unlocks is kept,
// and a later wrong try forgets the good one.
TEST(FileItem, encryptedPdf_passwordsTriedInTurn_onlyAnUnlockingOneIsKept)
{
    struct Step {
        const char *password;
        int pages;
        const char *kept;
    };
    struct Case {
        const char *name;
        const char *user;
        QStringList extra;
        int pages;
        QList<Step> steps;
    };
    const Case cases[] = {
        {"locked", "open", {}, 4, {{"wrong", 0, ""}, {"open", 4, "open"}, {"wrong again", 0, ""}}},
        {"restricted", "", {"--extract=n"}, 3, {{"typo", 3, ""}, {"owner", 3, "owner"}, {"typo", 3, ""}}},
    };
    testsupport::TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QString(c.name) + ".pdf");
        testsupport::makeEncryptedPdf(path, c.user, "owner", 128, c.extra, c.pages);
        const FileItemPtr item = itemFor(path);
        EXPECT_EQ(item->pages(), QString(c.user).isEmpty() ? c.pages : 0);
        EXPECT_TRUE(item->isSecured());
        EXPECT_EQ(item->displayField("name").toString(), QString(c.name) + ".pdf (SECURED) ");
        EXPECT_EQ(item->pdfOpenPassword(), "");
        for (const Step &step : c.steps) {
            SCOPED_TRACE(step.password);
            item->setPdfOpenPassword(step.password);
            EXPECT_EQ(item->pages(), step.pages);
            EXPECT_EQ(item->pdfOpenPassword(), step.kept);
            EXPECT_TRUE(item->isSecured());
        }
    }
}

TEST(FileItem, vanishedOrDamagedFile_isListedEmpty_datesBlank)
{
    testsupport::TempDir dir;
    const FileItemPtr missing = itemFor(dir.file("gone.pdf"));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->pages(), 0);
    EXPECT_EQ(missing->size(), 0);
    EXPECT_FALSE(missing->isSecured());
    EXPECT_EQ(missing->displayField("DATEMODIFIED").toString(), "");

    const QString damaged = dir.file("damaged.pdf");
    testsupport::writeFile(damaged, QByteArray("%PDF-1.4\n") + QByteArray(5000, 'x'));
    const FileItemPtr broken = itemFor(damaged);
    EXPECT_EQ(broken->pages(), 0);
    EXPECT_FALSE(broken->isSecured());
    const qint64 sizeAtCreation = broken->size();
    EXPECT_GT(sizeAtCreation, 0);

    // Deleted after listing: the size read at creation stays, the dates go blank.
    ASSERT_TRUE(QFile::remove(damaged));
    EXPECT_EQ(broken->size(), sizeAtCreation);
    EXPECT_EQ(broken->displayField("DATECREATED").toString(), "");
    EXPECT_FALSE(broken->dateAccessed().isValid());
    EXPECT_TRUE(broken->valueForKey("dateAccessed").toDateTime().isValid()) << "as captured for sorting";
    broken->refreshDates();
    EXPECT_FALSE(broken->valueForKey("dateAccessed").toDateTime().isValid());
    EXPECT_EQ(broken->valueForKey("dateModified").metaType().id(), QMetaType::QDateTime);
}

TEST(FileItem, sortDates_areCapturedOnce_andReadAgainWithTheFile)
{
    testsupport::TempDir dir;
    const QString path = dir.file("doc.pdf");
    testsupport::makePdf(path);
    const auto setModified = [&](const QDateTime &when) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    const QDateTime first = QDateTime::fromString("2001-02-03T04:05:06Z", Qt::ISODate);
    const QDateTime second = first.addYears(10);
    setModified(first);
    const FileItemPtr item = itemFor(path);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->valueForKey("dateModified").toDateTime(), first);
    EXPECT_EQ(item->valueForKey("dateCreated").toDateTime(), item->dateCreated());
    EXPECT_EQ(item->valueForKey("dateAccessed").toDateTime(), item->dateAccessed());
    // Captured as the file system keeps them: no time-zone work per file.
    EXPECT_EQ(item->valueForKey("dateModified").toDateTime().timeSpec(), Qt::UTC);

    // The shown date follows the file; the sort's copy waits for a re-read.
    setModified(second);
    EXPECT_EQ(item->dateModified(), second);
    EXPECT_EQ(item->valueForKey("dateModified").toDateTime(), first);
    item->refreshDates();
    EXPECT_EQ(item->valueForKey("dateModified").toDateTime(), second);

    // Trying a password reads the file again, and its dates with it.
    setModified(first);
    item->setPdfOpenPassword("");
    EXPECT_EQ(item->valueForKey("dateModified").toDateTime(), first);
}

TEST(FileItem, equality_isBySameUrlText)
{
    testsupport::TempDir dir;
    testsupport::makePdf(dir.file("a.pdf"));
    const FileItemPtr first = itemFor(dir.file("a.pdf"));
    const FileItemPtr second = itemFor(dir.file("a.pdf"));
    second->setIsSelected(false); // only the location counts
    EXPECT_TRUE(*first == *first);
    EXPECT_TRUE(*first == *second);
    EXPECT_FALSE(*first == *itemFor(dir.file("A.pdf")));
}

TEST(FileItem, displayFieldInAnyCase_andValueForKeyByExactName)
{
    testsupport::TempDir dir;
    testsupport::makePdf(dir.file("doc.pdf"), 2);
    const FileItemPtr item = itemFor(dir.file("doc.pdf"));

    EXPECT_EQ(item->displayField("isselected"), QVariant(true));
    EXPECT_EQ(item->displayField("Pages"), QVariant(2));
    EXPECT_EQ(item->displayField("NAME").toString(), "doc.pdf");
    EXPECT_EQ(item->displayField("Location").toString(), dir.path());
    EXPECT_EQ(item->displayField("sizeInKB").toString(), FileItem::sizeText(item->size()));
    for (const QString &id : {QString("SELECTION"), QString("selection"), QString("bogus"), QString()})
        EXPECT_EQ(item->displayField(id), QVariant(QString(""))) << id.toStdString();

    EXPECT_EQ(item->valueForKey("pages"), QVariant(2));
    EXPECT_EQ(item->valueForKey("size").toLongLong(), item->size());
    EXPECT_EQ(item->valueForKey("filePath").toUrl(), QUrl::fromLocalFile(dir.file("doc.pdf")));
    EXPECT_EQ(item->valueForKey("type").toString(), "pdf");
    EXPECT_EQ(item->valueForKey("dateModified").toDateTime(), item->dateModified());
    EXPECT_EQ(item->valueForKey("dateCreated").metaType().id(), QMetaType::QDateTime);
    EXPECT_FALSE(item->valueForKey("Pages").isValid());
}

TEST(FileItem, sizeText_followsTheSizeTable_andGoesPast32Bits)
{
    const QList<QPair<qint64, QString>> table = {
        {0, "0 KB"},
        {499, "0 KB"},
        {500, "1 KB"},
        {1000, "1 KB"},
        {999500, "1000 KB"},
        {1000000, "1000 KB"},
        {1000001, " 1 MB"},
        {1500000, " 1.5 MB"},
        {12300000, "12.3 MB"},
        {250000000, "250 MB"},
        {2000000000, " 2 GB"},
        // Beyond 32 bits: a 2 GiB file stays positive, and terabytes get their unit.
        {2147483648LL, " 2.1 GB"},
        {5000000000000LL, " 5 TB"},
        {12300000000000LL, "12.3 TB"},
    };
    for (const auto &[bytes, text] : table)
        EXPECT_EQ(FileItem::sizeText(bytes), text) << bytes;
    EXPECT_TRUE(FileItem::sizeText(std::numeric_limits<qint64>::max()).endsWith(" EB"));
}
