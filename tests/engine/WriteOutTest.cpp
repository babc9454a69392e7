#include "engine/WriteOut.h"

#include "engine/PDFDocument.h"
#include "model/PDFSettings.h"
#include "model/Utilities.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

namespace
{

std::unique_ptr<PDFDocument> openPlain(const TempDir &dir, const QMap<QString, QString> &info = {})
{
    makePdf(dir.file("in.pdf"), 2, info, "writeout");
    return PDFDocument::initWithURL(dir.file("in.pdf"));
}

} // namespace

TEST(WriteOut, outputPathFor_joinsFolderAndSourceFileName)
{
    EXPECT_EQ(outputPathFor("/out", "/in/sub/report.pdf"), QString("/out/report.pdf"));
    EXPECT_EQ(outputPathFor("/out/", "/in/old.pdf.files/Report.PDF"), QString("/out/Report.PDF"));
    EXPECT_EQ(outputPathFor("/in/sub", "/in/sub/a b (1).pdf"), QString("/in/sub/a b (1).pdf"));
}

// How readers see each password combination is the interop matrix's job;
// here: what writing does to the settings, and when nothing is written.
TEST(WriteOut, missingPasswords_areFilledIn_andNoneAtAllIsNotAttempted)
{
    TempDir dir;
    auto doc = openPlain(dir);
    ASSERT_TRUE(doc);
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), nullptr), SecuredWriteResult::NotAttempted);

    PDFSettings settings;
    settings.setPdfOpenPassword(QString());
    settings.setPdfPermissionPassword(QString());
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), &settings), SecuredWriteResult::NotAttempted);
    EXPECT_FALSE(settings.pdfOpenPassword().isNull());
    EXPECT_FALSE(settings.pdfPermissionPassword().isNull());
    EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));

    settings.setPdfOpenPassword("open");
    settings.setPdfPermissionPassword(QString());
    ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), &settings), SecuredWriteResult::Written);
    EXPECT_EQ(settings.pdfPermissionPassword(), QString("open"));

    settings.setPdfOpenPassword(QString());
    settings.setPdfPermissionPassword("perm");
    ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), &settings), SecuredWriteResult::Written);
    EXPECT_FALSE(settings.pdfOpenPassword().isNull());
    EXPECT_TRUE(settings.pdfOpenPassword().isEmpty());
    EXPECT_EQ(pdfinfoExit(dir.file("out.pdf")), 0);
}

TEST(WriteOut, keyLength_followsStrengthOrOverride)
{
    struct Case {
        int strength;
        int override;
        int revision;
    };
    for (const Case &c : {Case{0, 0, 2}, Case{1, 0, 4}, Case{7, 0, 4}, Case{-1, 0, 4}, Case{0, 128, 4},
                          Case{1, 40, 2}, Case{0, 256, 6}, Case{1, 99, 4}}) {
        SCOPED_TRACE(QString("strength %1 override %2").arg(c.strength).arg(c.override).toStdString());
        TempDir dir;
        auto doc = openPlain(dir);
        ASSERT_TRUE(doc);
        PDFSettings settings;
        settings.setEncryptionStrength(c.strength);
        settings.setPdfOpenPassword("o");
        settings.setPdfPermissionPassword("p");
        ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), &settings, c.override),
                  SecuredWriteResult::Written);
        EXPECT_EQ(encryptionParameters(encryptionJson(dir.file("out.pdf"), "o")).value("R").toInt(), c.revision);
    }
}

TEST(WriteOut, securedOutput_keepsSourceInfo_withAppTitleAsCreator)
{
    TempDir dir;
    auto doc = openPlain(dir, {{"Title", "Budget"}, {"Author", "Ann"}, {"Creator", "Writer"}});
    ASSERT_TRUE(doc);
    PDFSettings settings;
    settings.setPdfOpenPassword("o");
    settings.setTitle("Settings title is not written");
    ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), &settings), SecuredWriteResult::Written);

    auto out = PDFDocument::initWithURL(dir.file("out.pdf"));
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->unlockWithPassword("o"));
    const QVariantMap info = out->documentAttributes();
    EXPECT_EQ(info.value("Title").toString(), QString("Budget"));
    EXPECT_EQ(info.value("Author").toString(), QString("Ann"));
    EXPECT_EQ(info.value("Creator").toString(), getAppTitle());
}

TEST(WriteOut, failedWrite_reportsFailure_andKeepsTarget)
{
    TempDir dir;
    auto doc = openPlain(dir);
    ASSERT_TRUE(doc);
    makePdf(dir.file("out.pdf"), 5);
    const QByteArray before = readFile(dir.file("out.pdf"));
    PDFSettings settings;
    settings.setPdfOpenPassword(QString::fromUtf8("密码")); // no 40-bit form
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), &settings), SecuredWriteResult::Failed);
    EXPECT_EQ(readFile(dir.file("out.pdf")), before);
    EXPECT_EQ(writeSecured(*doc, dir.file("missing/out.pdf"), &settings, 256), SecuredWriteResult::Failed);
    EXPECT_FALSE(writeUnsecured(*doc, dir.file("missing/out.pdf")));
    EXPECT_TRUE(writeUnsecured(*doc, dir.file("out.pdf")));
    EXPECT_EQ(pdfText(dir.file("out.pdf")), pdfText(dir.file("in.pdf")));
}
