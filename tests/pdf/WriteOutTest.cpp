#include "pdf/WriteOut.h"

#include "pdf/PDFDocument.h"
#include "platform/Utilities.h"

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
// here: when nothing is written, and which revision each key length gives.
TEST(WriteOut, noPasswordAtAll_isNotAttempted_andKeyLengthPicksRevision)
{
    TempDir dir;
    auto doc = openPlain(dir);
    ASSERT_TRUE(doc);
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), SecurityOptions{}), SecuredWriteResult::NotAttempted);
    EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));

    for (const auto &[bits, revision] : {std::pair{40, 2}, std::pair{128, 4}, std::pair{256, 6}}) {
        SecurityOptions security;
        security.openPassword = "o";
        security.keyLength = bits;
        ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), security), SecuredWriteResult::Written) << bits;
        EXPECT_EQ(encryptionParameters(encryptionJson(dir.file("out.pdf"), "o")).value("R").toInt(),
                  revision);
    }
    SecurityOptions bad;
    bad.openPassword = "o";
    bad.keyLength = 99;
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), bad), SecuredWriteResult::Failed);
}

TEST(WriteOut, securedOutput_keepsSourceInfo_withAppTitleAsCreator)
{
    TempDir dir;
    auto doc = openPlain(dir, {{"Title", "Budget"}, {"Author", "Ann"}, {"Creator", "Writer"}});
    ASSERT_TRUE(doc);
    SecurityOptions security;
    security.openPassword = "o";
    ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), security), SecuredWriteResult::Written);

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
    SecurityOptions security;
    security.openPassword = QString::fromUtf8("密码"); // no 40-bit form
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), security), SecuredWriteResult::Failed);
    EXPECT_EQ(readFile(dir.file("out.pdf")), before);
    security.keyLength = 256;
    EXPECT_EQ(writeSecured(*doc, dir.file("missing/out.pdf"), security), SecuredWriteResult::Failed);
    EXPECT_FALSE(writeUnsecured(*doc, dir.file("missing/out.pdf")));
    EXPECT_TRUE(writeUnsecured(*doc, dir.file("out.pdf")));
    EXPECT_EQ(pdfText(dir.file("out.pdf")), pdfText(dir.file("in.pdf")));
}
