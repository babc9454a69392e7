// Digitally signed sources in a run: left alone unless rewriting them is allowed.

#include "OneRun.h"
#include "engine/Process.h"
#include "engine/RunStatus.h"
#include "model/FileItem.h"
#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

namespace
{

class SignedRun : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }
    void SetUp() override
    {
        for (const char *dir : {"src", "out", "Logs"})
            QDir(tmp.path()).mkpath(dir);
        settings.setOutputFolderPath(tmp.file("out"));
        settings.setIsBackupFile(false);
        settings.setIsOpenFolderAfterConversion(false);
        settings.pdfSettings()->setPdfOpenPassword("open");
        settings.pdfSettings()->setPdfPermissionPassword("owner");
    }
    QString src(const QString &name) const { return tmp.file("src/" + name); }
    QString out(const QString &name) const { return tmp.file("out/" + name); }

    // Runs over `items` and gives each file's status, in order.
    QStringList run(const QList<FileItemPtr> &items)
    {
        process.setSettings(&settings);
        process.setLogsFolder(tmp.file("Logs"));
        for (const FileItemPtr &item : items)
            process.outputFiles() << std::make_shared<OutputFile>(
                OutputFile{item->filePath().toLocalFile(), {item}});
        process.setIsCombining(true);
        process.start();
        QStringList statuses;
        for (const LogFilesPtr &record : process.log().files())
            statuses << (record ? record->status() : QString("<no record>"));
        return statuses;
    }
    static FileItemPtr item(const QString &path, const QString &password = {})
    {
        FileItemPtr item = FileItem::initWithURL(QUrl::fromLocalFile(path));
        if (!password.isNull())
            item->setPdfOpenPassword(password);
        return item;
    }

    TempDir tmp;
    Settings settings{false};
    Process process;
};

} // namespace

TEST_F(SignedRun, securing_skipsTheSignedFile_countsItAsNotWritten_marksItInTheList)
{
    makeSignedPdf(src("signed.pdf"), 2);
    makePdf(src("plain.pdf"));
    settings.setSecurityType(1);
    const FileItemPtr signedItem = item(src("signed.pdf"));
    const FileItemPtr plainItem = item(src("plain.pdf"));
    EXPECT_TRUE(signedItem->isSigned());
    EXPECT_EQ(signedItem->pages(), 2);
    EXPECT_FALSE(plainItem->isSigned());

    EXPECT_EQ(run({signedItem, plainItem}), QStringList({kStatusSigned, kStatusSecured}));
    EXPECT_EQ(kStatusSigned, "Skipped: digitally signed (securing would invalidate its signatures)");
    EXPECT_FALSE(QFileInfo::exists(out("signed.pdf")));
    EXPECT_TRUE(QFileInfo::exists(out("plain.pdf")));
    EXPECT_EQ(process.totalFileCreated(), 1);
    EXPECT_EQ(
        process.message(),
        "1 of 2 files written, 1 failed.\r\nPlease check each file's status or the log for the reasons.");
}

// A secured source shows its signature only once unlocked; removing security
// from it is held back just the same, and written when allowed.
TEST_F(SignedRun, unsecuring_lockedSignedFile_seenOnceUnlocked_skippedUnlessAllowed)
{
    makeSignedPdf(src("signed.plain.pdf"));
    encryptPdf(src("signed.plain.pdf"), src("locked.pdf"), "user", "owner", 256);
    settings.setSecurityType(0);
    const FileItemPtr locked = item(src("locked.pdf"));
    EXPECT_FALSE(locked->isSigned());
    locked->setPdfOpenPassword("owner");
    EXPECT_TRUE(locked->isSigned());

    EXPECT_EQ(run({locked}), QStringList({kStatusSigned}));
    EXPECT_FALSE(QFileInfo::exists(out("locked.pdf")));

    settings.pdfSettings()->setRewriteSignedDocuments(true);
    EXPECT_EQ(runOne(settings, src("locked.pdf"),
                     {.outFolder = tmp.file("out"), .logs = tmp.file("Logs"), .itemPassword = "owner"}),
              kStatusUnsecured);
    EXPECT_FALSE(encryptionJson(out("locked.pdf")).value("encrypted").toBool());
}
