#include "engine/PDFDocument.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>

#include <gtest/gtest.h>

using lockleaf::PDFDocument;
using namespace testsupport;

namespace {

QVariantMap securedOptions(const QString &user, const QString &owner, int bits, bool print = true,
                           bool copy = true)
{
    return {{lockleaf::kCGPDFContextUserPassword, user},
            {lockleaf::kCGPDFContextOwnerPassword, owner},
            {lockleaf::kCGPDFContextEncryptionKeyLength, bits},
            {lockleaf::kCGPDFContextAllowsPrinting, print},
            {lockleaf::kCGPDFContextAllowsCopying, copy}};
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QJsonObject params(const QJsonObject &enc) { return enc.value("parameters").toObject(); }
QJsonObject caps(const QJsonObject &enc) { return enc.value("capabilities").toObject(); }

} // namespace

TEST(PDFDocument, plainFile_opensUnlockedWithPagesAndOnlyPresentAttributes)
{
    TempDir dir;
    makePdf(dir.file("a.pdf"), 3, {{"Title", "Quarterly ü"}, {"Author", "Ann"}});
    auto doc = PDFDocument::initWithURL(dir.file("a.pdf"));
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->isEncrypted());
    EXPECT_FALSE(doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 3);
    EXPECT_TRUE(doc->allowsCopying());
    EXPECT_TRUE(doc->unlockWithPassword("anything"));
    const QVariantMap attrs = doc->documentAttributes();
    EXPECT_EQ(attrs.keys(), (QStringList{"Author", "Title"}));
    EXPECT_EQ(attrs.value("Title").toString(), QString("Quarterly ü"));
}

TEST(PDFDocument, unreadableFiles_giveNoDocument)
{
    TempDir dir;
    makePdf(dir.file("good.pdf"), 3);
    const QByteArray good = readFile(dir.file("good.pdf"));
    writeFile(dir.file("empty.pdf"), {});
    writeFile(dir.file("garbage.pdf"), QByteArray("this is not a PDF at all\n").repeated(200));
    writeFile(dir.file("truncated.pdf"), good.left(good.size() / 2));
    QDir(dir.path()).mkdir("folder.pdf");

    for (const char *name : {"missing.pdf", "empty.pdf", "garbage.pdf", "truncated.pdf", "folder.pdf"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(PDFDocument::initWithURL(dir.file(name)), nullptr);
    }
    EXPECT_EQ(PDFDocument::initWithURL(QString()), nullptr);
}

TEST(PDFDocument, damagedXref_isRepairedAndWrittenWithAllPages)
{
    TempDir dir;
    makePdf(dir.file("good.pdf"), 4, {}, "repaired");
    QByteArray bytes = readFile(dir.file("good.pdf"));
    bytes.replace("\nxref\n", "\nxrfx\n");
    writeFile(dir.file("bad.pdf"), bytes);

    auto doc = PDFDocument::initWithURL(dir.file("bad.pdf"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pageCount(), 4);
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"))) << doc->lastError().toStdString();
    EXPECT_EQ(runProgram("qpdf", {"--check", dir.file("out.pdf")}).exitCode, 0);
    EXPECT_EQ(pdfText(dir.file("out.pdf")), pdfText(dir.file("good.pdf")));
}

TEST(PDFDocument, userPassword_locksUntilUnlocked_andWrongPasswordKeepsItLocked)
{
    TempDir dir;
    makeEncryptedPdf(dir.file("u.pdf"), "user", "owner", 128, {}, 2, {{"Title", "Secret"}});
    auto doc = PDFDocument::initWithURL(dir.file("u.pdf"));
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->isEncrypted());
    EXPECT_TRUE(doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 0);
    EXPECT_FALSE(doc->allowsCopying());
    EXPECT_TRUE(doc->documentAttributes().isEmpty());
    EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf")));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::Locked);
    EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));

    EXPECT_FALSE(doc->unlockWithPassword("nope"));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::WrongPassword);
    EXPECT_TRUE(doc->isLocked());

    EXPECT_TRUE(doc->unlockWithPassword("user"));
    EXPECT_TRUE(doc->isEncrypted());
    EXPECT_FALSE(doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 2);
    EXPECT_EQ(doc->documentAttributes().value("Title").toString(), QString("Secret"));
}

TEST(PDFDocument, copyForbidden_allowsCopyingOnlyWithOwnerPassword)
{
    TempDir dir;
    makeEncryptedPdf(dir.file("both.pdf"), "user", "owner", 128, {"--extract=n"});
    auto doc = PDFDocument::initWithURL(dir.file("both.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->unlockWithPassword("user"));
    EXPECT_FALSE(doc->allowsCopying());
    ASSERT_TRUE(doc->unlockWithPassword("owner"));
    EXPECT_TRUE(doc->allowsCopying());
    // A later wrong password leaves the access already gained.
    EXPECT_FALSE(doc->unlockWithPassword("wrong"));
    EXPECT_TRUE(doc->allowsCopying());

    // Owner-only: opens without a password, copying still needs the owner.
    makeEncryptedPdf(dir.file("owner.pdf"), "", "owner", 40, {"--extract=n"});
    auto ownerOnly = PDFDocument::initWithURL(dir.file("owner.pdf"));
    ASSERT_TRUE(ownerOnly);
    EXPECT_TRUE(ownerOnly->isEncrypted());
    EXPECT_FALSE(ownerOnly->isLocked());
    EXPECT_EQ(ownerOnly->pageCount(), 1);
    EXPECT_FALSE(ownerOnly->allowsCopying());
    EXPECT_TRUE(ownerOnly->unlockWithPassword(""));
    EXPECT_FALSE(ownerOnly->allowsCopying());
    EXPECT_TRUE(ownerOnly->unlockWithPassword("owner"));
    EXPECT_TRUE(ownerOnly->allowsCopying());
}

TEST(PDFDocument, securedWrite_eachKeyLengthGivesItsRevisionAndRestrictions)
{
    struct Case {
        int bits;
        int revision;
        const char *method;
    };
    for (const Case &c : {Case{40, 2, "RC4"}, Case{128, 4, "AESv2"}, Case{256, 6, "AESv3"}}) {
        SCOPED_TRACE(c.bits);
        TempDir dir;
        makePdf(dir.file("in.pdf"), 2, {}, "secured");
        auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
        ASSERT_TRUE(doc);
        ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"), securedOptions("open", "perm", c.bits, false, true)))
            << doc->lastError().toStdString();

        const QJsonObject asUser = encryptionJson(dir.file("out.pdf"), "open");
        ASSERT_TRUE(asUser.value("encrypted").toBool());
        EXPECT_TRUE(asUser.value("userpasswordmatched").toBool());
        EXPECT_FALSE(asUser.value("ownerpasswordmatched").toBool());
        EXPECT_EQ(params(asUser).value("R").toInt(), c.revision);
        EXPECT_EQ(params(asUser).value("bits").toInt(), c.bits);
        EXPECT_EQ(params(asUser).value("method").toString(), QString(c.method));
        EXPECT_TRUE(caps(asUser).value("extract").toBool());
        EXPECT_FALSE(caps(asUser).value("printhigh").toBool());
        EXPECT_FALSE(caps(asUser).value("modifyother").toBool());
        EXPECT_FALSE(caps(asUser).value("modifyannotations").toBool());
        if (c.revision >= 3) {
            EXPECT_TRUE(caps(asUser).value("accessibility").toBool());
            EXPECT_FALSE(caps(asUser).value("modifyassembly").toBool());
            EXPECT_FALSE(caps(asUser).value("modifyforms").toBool());
        }
        if (c.revision == 4) {
            EXPECT_EQ(params(asUser).value("stringmethod").toString(), QString("AESv2"));
        }
        EXPECT_TRUE(encryptionJson(dir.file("out.pdf"), "perm").value("ownerpasswordmatched").toBool());
        EXPECT_TRUE(encryptionJson(dir.file("out.pdf"), "wrong").isEmpty());

        EXPECT_NE(pdfinfoExit(dir.file("out.pdf")), 0);
        EXPECT_EQ(pdfinfoExit(dir.file("out.pdf"), "open"), 0);
        EXPECT_EQ(pdfText(dir.file("out.pdf"), "open"), pdfText(dir.file("in.pdf")));
    }
}

TEST(PDFDocument, securedWrite_copyForbiddenPrintAllowed_andLoneUserPasswordIsOwnerToo)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"));
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"), securedOptions("only", "", 128, true, false)));
    const QJsonObject enc = encryptionJson(dir.file("out.pdf"), "only");
    EXPECT_TRUE(enc.value("ownerpasswordmatched").toBool());
    EXPECT_FALSE(caps(enc).value("extract").toBool());
    EXPECT_TRUE(caps(enc).value("printhigh").toBool());
}

TEST(PDFDocument, nonAsciiPasswords_readableByOtherReadersAndByUs)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"), 1, {}, "umlaut");
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);
    const QString pw = QString::fromUtf8("pässwörd");

    // R4: PDFDocEncoding bytes, so Latin-1 readers open it.
    ASSERT_TRUE(doc->writeToFile(dir.file("r4.pdf"), securedOptions(pw, pw + "!", 128)));
    EXPECT_EQ(pdfinfoExit(dir.file("r4.pdf"), pw.toLatin1()), 0);
    EXPECT_NE(pdfinfoExit(dir.file("r4.pdf"), pw.toUtf8()), 0);
    EXPECT_EQ(runProgram("mutool", {"info", "-p", pw, dir.file("r4.pdf")}).exitCode, 0);
    auto r4 = PDFDocument::initWithURL(dir.file("r4.pdf"));
    ASSERT_TRUE(r4);
    EXPECT_TRUE(r4->unlockWithPassword(pw));
    EXPECT_EQ(r4->pageCount(), 1);

    // R6: UTF-8 bytes.
    ASSERT_TRUE(doc->writeToFile(dir.file("r6.pdf"), securedOptions(pw, pw + "!", 256)));
    EXPECT_EQ(pdfinfoExit(dir.file("r6.pdf"), pw.toUtf8()), 0);
    auto r6 = PDFDocument::initWithURL(dir.file("r6.pdf"));
    ASSERT_TRUE(r6);
    EXPECT_TRUE(r6->unlockWithPassword(pw));

    // A file secured by another tool with the same password opens too.
    encryptPdf(dir.file("in.pdf"), dir.file("qpdf-r4.pdf"), pw, "o", 128);
    auto foreign = PDFDocument::initWithURL(dir.file("qpdf-r4.pdf"));
    ASSERT_TRUE(foreign);
    EXPECT_TRUE(foreign->unlockWithPassword(pw));
    EXPECT_EQ(foreign->pageCount(), 1);
}

TEST(PDFDocument, refusedOptions_failBeforeTouchingTheTarget)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"));
    makePdf(dir.file("target.pdf"), 5);
    const QByteArray before = readFile(dir.file("target.pdf"));
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);

    // No PDFDocEncoding form for these characters: R4 cannot carry them.
    EXPECT_FALSE(doc->writeToFile(dir.file("target.pdf"), securedOptions(QString::fromUtf8("密码"), "o", 128)));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::PasswordEncoding);
    EXPECT_FALSE(doc->writeToFile(dir.file("target.pdf"), securedOptions("u", QString::fromUtf8("密码"), 40)));
    EXPECT_FALSE(doc->writeToFile(dir.file("target.pdf"), securedOptions(QString("a") + QChar(0) + "b", "o", 256)));
    EXPECT_FALSE(doc->writeToFile(dir.file("target.pdf"), securedOptions("u", "o", 64)));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::InvalidOptions);

    EXPECT_EQ(readFile(dir.file("target.pdf")), before);
    EXPECT_EQ(entries(dir.path()), (QStringList{"in.pdf", "target.pdf"}));

    // The same characters are fine with a 256-bit key (UTF-8).
    EXPECT_TRUE(doc->writeToFile(dir.file("target.pdf"), securedOptions(QString::fromUtf8("密码"), "o", 256)));
    EXPECT_EQ(pdfinfoExit(dir.file("target.pdf"), QString::fromUtf8("密码").toUtf8()), 0);
}

TEST(PDFDocument, failedWrite_leavesTargetAndNoTemporaryFile)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"));
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);

    // A folder under a regular file cannot exist, whoever we run as.
    EXPECT_FALSE(doc->writeToFile(dir.file("in.pdf/out.pdf")));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::IOError);
    EXPECT_FALSE(doc->lastError().isEmpty());
    EXPECT_FALSE(doc->writeToFile(dir.file("nofolder/out.pdf")));

    // The target is a non-empty folder: the write completes, the final rename
    // is refused, and the temporary file must not be left behind.
    QDir(dir.path()).mkpath("taken.pdf/inner");
    EXPECT_FALSE(doc->writeToFile(dir.file("taken.pdf"), securedOptions("u", "o", 128)));
    EXPECT_TRUE(QFileInfo(dir.file("taken.pdf/inner")).isDir());
    EXPECT_EQ(entries(dir.path()), QStringList{"in.pdf"});
}

TEST(PDFDocument, secureThenUnsecure_replacesTargetAndKeepsStreamsAsTheyAre)
{
    TempDir dir;
    // The fixture's content streams are uncompressed: preserved through an
    // encrypt/decrypt round trip, they are readable bytes again at the end.
    makePdf(dir.file("in.pdf"), 3, {{"Title", "Kept"}});
    auto source = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->writeToFile(dir.file("mid.pdf"), securedOptions("user", "owner", 128)));
    EXPECT_FALSE(readFile(dir.file("mid.pdf")).contains("(Page 3) Tj"));

    makePdf(dir.file("out.pdf"), 7);
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                      | QFileDevice::WriteUser | QFileDevice::ReadGroup;
    QFile::setPermissions(dir.file("out.pdf"), mode);
    auto doc = PDFDocument::initWithURL(dir.file("mid.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->unlockWithPassword("user"));
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"))) << doc->lastError().toStdString();

    EXPECT_TRUE(showEncryption(dir.file("out.pdf"), "").contains("File is not encrypted"));
    EXPECT_EQ(pdfinfoExit(dir.file("out.pdf")), 0);
    EXPECT_EQ(pdfText(dir.file("out.pdf")), pdfText(dir.file("in.pdf")));
    EXPECT_TRUE(readFile(dir.file("out.pdf")).contains("(Page 3) Tj"));
    EXPECT_EQ(QFile::permissions(dir.file("out.pdf")), mode);
    auto out = PDFDocument::initWithURL(dir.file("out.pdf"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pageCount(), 3);
    EXPECT_EQ(out->documentAttributes().value("Title").toString(), QString("Kept"));
}

TEST(PDFDocument, writingOverItsOwnSource_replacesItWithCorrectContent)
{
    TempDir dir;
    const QString path = dir.file("self.pdf");
    makeEncryptedPdf(path, "user", "owner", 40, {}, 6);
    const QString expected = pdfText(path, "user");
    ASSERT_FALSE(expected.isEmpty());

    auto doc = PDFDocument::initWithURL(path);
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->unlockWithPassword("owner"));
    ASSERT_TRUE(doc->writeToFile(path)) << doc->lastError().toStdString();
    EXPECT_TRUE(showEncryption(path, "").contains("File is not encrypted"));
    EXPECT_EQ(pdfText(path), expected);

    // The open document still reads the original bytes: writing it again,
    // secured and over itself once more, gives the same content.
    ASSERT_TRUE(doc->writeToFile(path, securedOptions("again", "o", 256)));
    EXPECT_EQ(pdfText(path, "again"), expected);
    EXPECT_EQ(runProgram("qpdf", {"--check", "--password=again", path}).exitCode, 0);
    EXPECT_EQ(entries(dir.path()), QStringList{"self.pdf"});
}

TEST(PDFDocument, infoOptions_areWrittenWithoutChangingTheOpenDocument)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"), 1, {{"Title", "T"}, {"Creator", "Word"}, {"CreationDate", "D:20200101120000Z"}});
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);
    QVariantMap options = doc->documentAttributes();
    options.insert(securedOptions("", "perm", 128));
    options.insert("Author", QString::fromUtf8("Zoë"));
    options.insert(lockleaf::kCGPDFContextCreator, "Lockleaf");
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"), options));

    auto out = PDFDocument::initWithURL(dir.file("out.pdf"));
    ASSERT_TRUE(out);
    EXPECT_FALSE(out->isLocked()); // empty user password
    const QVariantMap written = out->documentAttributes();
    EXPECT_EQ(written.value("Title").toString(), QString("T"));
    EXPECT_EQ(written.value("Author").toString(), QString::fromUtf8("Zoë"));
    EXPECT_EQ(written.value("Creator").toString(), QString("Lockleaf"));
    EXPECT_EQ(written.value("CreationDate").toString(), QString("D:20200101120000Z"));

    EXPECT_EQ(doc->documentAttributes().value("Creator").toString(), QString("Word"));
    EXPECT_FALSE(doc->documentAttributes().contains("Author"));
}
