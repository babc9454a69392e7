#include "pdf/PDFDocument.h"

#include "pdf/PasswordEncoding.h"

#include "SecuredOptions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

using lockleaf::passwordProblem;
using lockleaf::PDFDocument;
using namespace testsupport;

TEST(PDFDocument, opensPlainFiles_refusesPathsThatAreNoFile)
{
    TempDir dir;
    makePdf(dir.file("a.pdf"), 3, {{"Title", "Quarterly ü"}, {"Author", "Ann"}});
    auto doc = PDFDocument::initWithURL(dir.file("a.pdf"));
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->isEncrypted() || doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 3);
    EXPECT_TRUE(doc->allowsCopying());
    EXPECT_EQ(doc->documentAttributes(), (QVariantMap{{"Title", "Quarterly ü"}, {"Author", "Ann"}}));

    // Damaged contents are the hostile-input suite's; here, paths that are no file.
    QDir(dir.path()).mkdir("folder.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("fifo.pdf")).constData(), 0600), 0); // would block a reader
    for (const char *name : {"missing.pdf", "folder.pdf", "fifo.pdf"})
        EXPECT_EQ(PDFDocument::initWithURL(dir.file(name)), nullptr) << name;
}

TEST(PDFDocument, lockedUntilUnlocked_copyingNeedsOwnerPasswordOrPermission)
{
    TempDir dir;
    makeEncryptedPdf(dir.file("u.pdf"), "user", "owner", 128, {"--extract=n"}, 2, {{"Title", "Secret"}});
    auto doc = PDFDocument::initWithURL(dir.file("u.pdf"));
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->isEncrypted() && doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 0);
    EXPECT_FALSE(doc->allowsCopying());
    EXPECT_TRUE(doc->documentAttributes().isEmpty());
    EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf")));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::Locked);
    EXPECT_FALSE(doc->unlockWithPassword("nope"));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::WrongPassword);
    EXPECT_TRUE(doc->isLocked());

    ASSERT_TRUE(doc->unlockWithPassword("user"));
    EXPECT_TRUE(doc->isEncrypted() && !doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 2);
    EXPECT_EQ(doc->documentAttributes().value("Title").toString(), QString("Secret"));
    EXPECT_FALSE(doc->allowsCopying());
    ASSERT_TRUE(doc->unlockWithPassword("owner"));
    EXPECT_TRUE(doc->allowsCopying());
    EXPECT_FALSE(doc->unlockWithPassword("wrong")); // keeps the access already gained
    EXPECT_TRUE(doc->allowsCopying());

    // Owner-only: "" opens it, copying still needs the owner password.
    makeEncryptedPdf(dir.file("o.pdf"), "", "owner", 40, {"--extract=n"});
    auto ownerOnly = PDFDocument::initWithURL(dir.file("o.pdf"));
    ASSERT_TRUE(ownerOnly);
    EXPECT_TRUE(ownerOnly->isEncrypted() && !ownerOnly->isLocked());
    EXPECT_EQ(ownerOnly->pageCount(), 1);
    EXPECT_FALSE(ownerOnly->allowsCopying());
    EXPECT_TRUE(ownerOnly->unlockWithPassword("owner"));
    EXPECT_TRUE(ownerOnly->allowsCopying());
}

TEST(PDFDocument, openingWithAPassword_endsAsOpeningThenUnlocking)
{
    TempDir dir;
    makePdf(dir.file("plain.pdf"), 2);
    makeEncryptedPdf(dir.file("user.pdf"), "user", "owner", 128, {"--extract=n"}, 3);
    makeEncryptedPdf(dir.file("open.pdf"), "", "owner", 40, {"--extract=n"}, 4);
    writeFile(dir.file("junk.pdf"), "%PDF-1.4 no more");
    using Outcome = PDFDocument::Outcome;
    for (const QString name : {"plain.pdf", "user.pdf", "open.pdf", "junk.pdf", "missing.pdf"}) {
        for (const QString password : {"", "user", "owner", "nope"}) {
            SCOPED_TRACE((name + " / " + password).toStdString());
            auto twoSteps = PDFDocument::initWithURL(dir.file(name));
            const bool unlocked = twoSteps && twoSteps->unlockWithPassword(password);
            auto oneStep = PDFDocument::initWithURL(dir.file(name), password);
            ASSERT_EQ(bool(oneStep), bool(twoSteps));
            if (!oneStep)
                continue;
            EXPECT_EQ(oneStep->isEncrypted(), twoSteps->isEncrypted());
            EXPECT_EQ(oneStep->isLocked(), twoSteps->isLocked());
            EXPECT_EQ(oneStep->pageCount(), twoSteps->pageCount());
            EXPECT_EQ(oneStep->allowsCopying(), twoSteps->allowsCopying());
            EXPECT_EQ(oneStep->lastOutcome(), unlocked ? Outcome::Ok : Outcome::WrongPassword);
            // A password refused once is refused again, and a right one still opens.
            EXPECT_EQ(oneStep->unlockWithPassword(password), unlocked);
            EXPECT_TRUE(oneStep->unlockWithPassword("owner"));
            EXPECT_TRUE(oneStep->allowsCopying());
        }
    }
}

TEST(PDFDocument, securedWrite_eachKeyLengthGivesItsRevisionAndPermissions)
{
    struct Case {
        int bits, revision;
        const char *method, *user, *owner;
        bool print, copy;
    };
    // The 128-bit case has no owner password: the user password must become it.
    for (const Case &c :
         {Case{40, 2, "RC4", "open", "perm", false, true}, Case{128, 4, "AESv2", "open", "", true, false},
          Case{256, 6, "AESv3", "open", "perm", false, true}}) {
        SCOPED_TRACE(c.bits);
        TempDir dir;
        makePdf(dir.file("in.pdf"), 2, {}, "secured");
        auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
        ASSERT_TRUE(doc);
        ASSERT_TRUE(
            doc->writeToFile(dir.file("out.pdf"), securedOptions(c.user, c.owner, c.bits, c.print, c.copy)));

        const QJsonObject enc = encryptionJson(dir.file("out.pdf"), c.user);
        ASSERT_TRUE(enc.value("encrypted").toBool());
        EXPECT_EQ(encryptionParameters(enc).value("R").toInt(), c.revision);
        EXPECT_EQ(encryptionParameters(enc).value("bits").toInt(), c.bits);
        EXPECT_EQ(encryptionParameters(enc).value("method").toString(), QString(c.method));
        EXPECT_EQ(encryptionParameters(enc).value("stringmethod").toString(), QString(c.method));
        EXPECT_EQ(encryptionCapabilities(enc).value("extract").toBool(), c.copy);
        EXPECT_EQ(encryptionCapabilities(enc).value("printhigh").toBool(), c.print);
        for (const char *forbidden : {"modifyother", "modifyannotations", "modifyforms", "modifyassembly"})
            EXPECT_FALSE(encryptionCapabilities(enc).value(forbidden).toBool()) << forbidden;
        EXPECT_TRUE(encryptionCapabilities(enc).value("accessibility").toBool());
        EXPECT_EQ(enc.value("ownerpasswordmatched").toBool(), QString(c.owner).isEmpty());
        if (!QString(c.owner).isEmpty()) {
            EXPECT_TRUE(encryptionJson(dir.file("out.pdf"), c.owner).value("ownerpasswordmatched").toBool());
        }
        EXPECT_TRUE(encryptionJson(dir.file("out.pdf"), "wrong").isEmpty());
        EXPECT_NE(pdfinfoExit(dir.file("out.pdf")), 0);
        EXPECT_EQ(pdfText(dir.file("out.pdf"), c.user), pdfText(dir.file("in.pdf")));
    }
}

TEST(PDFDocument, nonAsciiPasswords_encodedPerRevision_orRefused)
{
    TempDir dir;
    makePdf(dir.file("in.pdf"));
    makePdf(dir.file("target.pdf"), 5);
    const QByteArray before = readFile(dir.file("target.pdf"));
    auto doc = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(doc);
    const QString pw = QString::fromUtf8("pässwörd");

    // R4 carries PDFDocEncoding bytes (Latin-1 here), R6 UTF-8.
    ASSERT_TRUE(doc->writeToFile(dir.file("r4.pdf"), securedOptions(pw, "o", 128)));
    EXPECT_EQ(pdfinfoExit(dir.file("r4.pdf"), pw.toLatin1()), 0);
    EXPECT_NE(pdfinfoExit(dir.file("r4.pdf"), pw.toUtf8()), 0);
    EXPECT_EQ(runProgram("mutool", {"info", "-p", pw, dir.file("r4.pdf")}).exitCode, 0);
    ASSERT_TRUE(doc->writeToFile(dir.file("r6.pdf"), securedOptions(pw, "o", 256)));
    EXPECT_EQ(pdfinfoExit(dir.file("r6.pdf"), pw.toUtf8()), 0);
    encryptPdf(dir.file("in.pdf"), dir.file("qpdf-r4.pdf"), pw, "o", 128);
    for (const char *name : {"r4.pdf", "r6.pdf", "qpdf-r4.pdf"}) {
        auto secured = PDFDocument::initWithURL(dir.file(name));
        ASSERT_TRUE(secured);
        EXPECT_TRUE(secured->unlockWithPassword(pw)) << name;
    }

    // No PDFDocEncoding form (or a NUL qpdf would cut): refused, target untouched.
    const QString cjk = QString::fromUtf8("密码");
    EXPECT_FALSE(doc->writeToFile(dir.file("target.pdf"), securedOptions(cjk, "o", 128)));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::PasswordEncoding);
    EXPECT_FALSE(doc->writeToFile(dir.file("target.pdf"), securedOptions("u", cjk, 40)));
    EXPECT_FALSE(
        doc->writeToFile(dir.file("target.pdf"), securedOptions(QString("a") + QChar(0) + "b", "o", 256)));
    EXPECT_FALSE(doc->writeToFile(dir.file("target.pdf"), securedOptions("u", "o", 64)));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::InvalidOptions);
    EXPECT_EQ(readFile(dir.file("target.pdf")), before);
    ASSERT_TRUE(doc->writeToFile(dir.file("target.pdf"), securedOptions(cjk, "o", 256)));
    EXPECT_EQ(pdfinfoExit(dir.file("target.pdf"), cjk.toUtf8()), 0);

    // AES-256 readers use at most 127 bytes of a password: 127 works, 128 would
    // give a file nobody can open, so it is refused before anything is written.
    const QString longest(127, QChar('A'));
    ASSERT_TRUE(doc->writeToFile(dir.file("long.pdf"), securedOptions(longest, longest, 256)));
    // (pdfinfo takes at most 32 bytes on its command line; mutool takes them all.)
    EXPECT_EQ(runProgram("mutool", {"info", "-p", longest, dir.file("long.pdf")}).exitCode, 0);
    const QString tooLong(128, QChar('A'));
    const QByteArray longBefore = readFile(dir.file("long.pdf"));
    EXPECT_FALSE(doc->writeToFile(dir.file("long.pdf"), securedOptions(tooLong, "o", 256)));
    EXPECT_EQ(doc->lastOutcome(), PDFDocument::Outcome::PasswordEncoding);
    EXPECT_EQ(readFile(dir.file("long.pdf")), longBefore);
    EXPECT_FALSE(
        doc->writeToFile(dir.file("long.pdf"), securedOptions("u", QString(64, QChar(0x00e9)), 256)));

    // The same rules, as sentences for an up-front check.
    EXPECT_TRUE(passwordProblem(longest, 256).isEmpty());
    EXPECT_TRUE(passwordProblem(QString::fromUtf8("pässwörd"), 40).isEmpty());
    EXPECT_TRUE(passwordProblem(tooLong, 256).contains("127 bytes"));
    EXPECT_TRUE(passwordProblem(cjk, 128).contains("128-bit key cannot carry"));
    EXPECT_TRUE(passwordProblem(QString("a") + QChar(0) + "b", 256).contains("NUL"));

    // AES-256 passwords are SASLprepped: a soft hyphen vanishes, "ª" becomes "a",
    // a no-break space a blank. Readers that take the prepared form open the
    // output, and the typed form unlocks it here.
    const QString typed = QString::fromUtf8("S\u00aaSL\u00adprep\u00a0x");
    ASSERT_TRUE(doc->writeToFile(dir.file("sasl.pdf"), securedOptions(typed, "o", 256)));
    EXPECT_EQ(pdfinfoExit(dir.file("sasl.pdf"), QByteArray("SaSLprep x")), 0);
    EXPECT_NE(pdfinfoExit(dir.file("sasl.pdf"), typed.toUtf8()), 0);
    auto sasl = PDFDocument::initWithURL(dir.file("sasl.pdf"));
    ASSERT_TRUE(sasl);
    EXPECT_TRUE(sasl->unlockWithPassword(typed));
    EXPECT_TRUE(PDFDocument::initWithURL(dir.file("sasl.pdf"))->unlockWithPassword("SaSLprep x"));
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
    EXPECT_FALSE(doc->writeToFile(dir.file("nofolder/out.pdf")));
    // The target is a folder: the write completes, the final rename is refused.
    QDir(dir.path()).mkpath("taken.pdf/inner");
    EXPECT_FALSE(doc->writeToFile(dir.file("taken.pdf"), securedOptions("u", "o", 128)));
    EXPECT_FALSE(doc->lastError().isEmpty());
    EXPECT_TRUE(QFileInfo(dir.file("taken.pdf/inner")).isDir());
    EXPECT_EQ(entries(dir.path()), QStringList{"in.pdf"});
}

TEST(PDFDocument, secureThenUnsecure_replacesTargetAndKeepsStreamsAsTheyAre)
{
    TempDir dir;
    // Uncompressed content streams, preserved through encryption and
    // decryption, are readable bytes again at the end.
    makePdf(dir.file("in.pdf"), 3, {{"Title", "Kept"}});
    auto source = PDFDocument::initWithURL(dir.file("in.pdf"));
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->writeToFile(dir.file("mid.pdf"), securedOptions("user", "owner", 128)));
    EXPECT_FALSE(readFile(dir.file("mid.pdf")).contains("(Page 3) Tj"));

    makePdf(dir.file("out.pdf"), 7);
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                      QFileDevice::WriteUser | QFileDevice::ReadGroup;
    QFile::setPermissions(dir.file("out.pdf"), mode);
    auto doc = PDFDocument::initWithURL(dir.file("mid.pdf"));
    ASSERT_TRUE(doc && doc->unlockWithPassword("user"));
    ASSERT_TRUE(doc->writeToFile(dir.file("out.pdf"))) << doc->lastError().toStdString();

    EXPECT_TRUE(showEncryption(dir.file("out.pdf"), "").contains("File is not encrypted"));
    EXPECT_EQ(pdfText(dir.file("out.pdf")), pdfText(dir.file("in.pdf")));
    EXPECT_TRUE(readFile(dir.file("out.pdf")).contains("(Page 3) Tj"));
    EXPECT_EQ(QFile::permissions(dir.file("out.pdf")), mode);
    auto out = PDFDocument::initWithURL(dir.file("out.pdf"));
    ASSERT_TRUE(out);
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
    ASSERT_TRUE(doc && doc->unlockWithPassword("owner"));
    ASSERT_TRUE(doc->writeToFile(path)) << doc->lastError().toStdString();
    EXPECT_TRUE(showEncryption(path, "").contains("File is not encrypted"));
    EXPECT_EQ(pdfText(path), expected);
    // The open document still reads the original bytes: a second write over
    // itself gives the same content again.
    ASSERT_TRUE(doc->writeToFile(path, securedOptions("again", "o", 256)));
    EXPECT_EQ(pdfText(path, "again"), expected);
    EXPECT_EQ(runProgram("qpdf", {"--check", "--password=again", path}).exitCode, 0);
    EXPECT_EQ(entries(dir.path()), QStringList{"self.pdf"});
}
