#include "pdf/WriteOut.h"

#include "pdf/PDFDocument.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

namespace
{

std::unique_ptr<PDFDocument> openPlain(const TempDir &dir)
{
    makePdf(dir.file("in.pdf"), 2, {}, "writeout");
    return PDFDocument::initWithURL(dir.file("in.pdf"));
}

} // namespace

TEST(WriteOut, outputPathFor_joinsFolderAndSourceFileName)
{
    EXPECT_EQ(outputPathFor("/out", "/in/sub/report.pdf"), QString("/out/report.pdf"));
    EXPECT_EQ(outputPathFor("/out/", "/in/old.pdf.files/Report.PDF"), QString("/out/Report.PDF"));
    EXPECT_EQ(outputPathFor("/in/sub", "/in/sub/a b (1).pdf"), QString("/in/sub/a b (1).pdf"));
}

// How readers see each password combination, the revision each key length
// gives and the information kept are the interop matrix's; here: when nothing
// is written.
TEST(WriteOut, noPasswordAtAll_isNotAttempted_unknownKeyLengthFails)
{
    TempDir dir;
    auto doc = openPlain(dir);
    ASSERT_TRUE(doc);
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), SecurityOptions{}), SecuredWriteResult::NotAttempted);
    EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));
    SecurityOptions bad;
    bad.openPassword = "o";
    bad.keyLength = 99;
    EXPECT_EQ(writeSecured(*doc, dir.file("out.pdf"), bad), SecuredWriteResult::Failed);
    EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));
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

// Each permission set at each key length, as qpdf and poppler read the output.
// At 40 bits readers take forms from the annotate bit and assembly from the
// modify bit, and printing has no low-resolution level.
TEST(WriteOut, finerPermissions_writtenPerKeyLength_asReadersSeeThem)
{
    struct Perms {
        bool modify, annotate, forms, assemble, print, highQuality;
    };
    struct Case {
        int bits;
        Perms set;
        testsupport::SeenRights seen;
    };
    const Perms defaults{false, false, false, false, true, true};
    const Perms all{true, true, true, true, true, true};
    const Perms modifyLowRes{true, false, false, false, true, false};
    const Perms formsAssembleNoPrint{false, false, true, true, false, true};
    const Perms annotateOnly{false, true, false, false, true, true};
    const Case cases[] = {
        {40, defaults, {false, false, false, false, true, true}},
        {128, defaults, {false, false, false, false, true, true}},
        {256, defaults, {false, false, false, false, true, true}},
        {40, all, {true, true, true, true, true, true}},
        {256, all, {true, true, true, true, true, true}},
        {40, modifyLowRes, {true, false, false, true, true, true}},
        {128, modifyLowRes, {true, false, false, false, false, true}},
        {256, modifyLowRes, {true, false, false, false, false, true}},
        {40, formsAssembleNoPrint, {false, false, false, false, false, false}},
        {128, formsAssembleNoPrint, {false, false, true, true, false, false}},
        {256, formsAssembleNoPrint, {false, false, true, true, false, false}},
        {40, annotateOnly, {false, true, true, false, true, true}},
        {256, annotateOnly, {false, true, false, false, true, true}},
    };
    TempDir dir;
    auto doc = openPlain(dir);
    ASSERT_TRUE(doc);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, case " << (&c - cases));
        SecurityOptions security;
        security.openPassword = "o";
        security.permissionPassword = "p";
        security.keyLength = c.bits;
        security.allowsModifying = c.set.modify;
        security.allowsAnnotating = c.set.annotate;
        security.allowsFillingForms = c.set.forms;
        security.allowsAssembling = c.set.assemble;
        security.allowsPrinting = c.set.print;
        security.allowsHighQualityPrinting = c.set.highQuality;
        ASSERT_EQ(writeSecured(*doc, dir.file("out.pdf"), security), SecuredWriteResult::Written);

        const QJsonObject enc = encryptionJson(dir.file("out.pdf"), "o");
        ASSERT_EQ(encryptionParameters(enc).value("bits").toInt(), c.bits);
        const QJsonObject can = encryptionCapabilities(enc);
        expectRights(can, c.seen);
        EXPECT_TRUE(can.value("accessibility").toBool());
        EXPECT_TRUE(can.value("extract").toBool());

        const QString yesNo[] = {"no", "yes"};
        const QString line = pdfinfoFields(dir.file("out.pdf"), "o").value("Encrypted");
        EXPECT_TRUE(line.contains("print:" + yesNo[c.seen.printlow])) << line.toStdString();
        EXPECT_TRUE(line.contains("change:" + yesNo[c.seen.modifyother])) << line.toStdString();
        EXPECT_TRUE(line.contains("addNotes:" + yesNo[c.seen.modifyannotations])) << line.toStdString();
    }
}
