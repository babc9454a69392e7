// Every real-world sample of the shared corpus opens, unlocks and counts pages
// as its manifest says. Where readers disagree, the manifest's qpdf view is
// the one that holds here (qpdf is the library underneath), except for a file
// whose encryption qpdf passes over: that one stays locked.

#include "pdf/PDFDocument.h"

#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using lockleaf::PDFDocument;
using namespace testsupport;

namespace
{

// A password that is documented and not empty.
bool typeable(const QString &pw)
{
    return pw != "(empty)" && isKnownPassword(pw);
}

// qpdf rebuilds such a file from its unencrypted revision while a later
// trailer names /Encrypt: what it reads as content is ciphertext.
bool encryptionQpdfDoesNotRead(const CorpusEntry &e)
{
    return e.value("notes").contains("DISAGREE: qpdf says encrypted=no, mutool says yes");
}

class Corpus : public ::testing::TestWithParam<CorpusEntry>
{
};

TEST(CorpusManifest, isPresentAndComplete)
{
    const QList<CorpusEntry> rows = corpusManifest();
    ASSERT_EQ(rows.size(), 41);
    for (const CorpusEntry &e : rows)
        EXPECT_TRUE(QFile::exists(e.path())) << e.file().toStdString();
}

TEST_P(Corpus, opensUnlocksAndCountsPagesAsTheManifestSays)
{
    const CorpusEntry e = GetParam();
    const int pages = e.value("pages").toInt();
    const QString user = e.value("user_pw");
    const QString owner = e.value("owner_pw");
    ASSERT_EQ(e.value("readable"), QString("yes"));

    auto doc = PDFDocument::initWithURL(e.path());
    ASSERT_TRUE(doc);
    if (encryptionQpdfDoesNotRead(e)) {
        // Locked for good: no password turns ciphertext into a document.
        EXPECT_TRUE(doc->isEncrypted());
        EXPECT_TRUE(doc->isLocked());
        EXPECT_FALSE(doc->unlockWithPassword(user));
        EXPECT_FALSE(doc->unlockWithPassword(""));
        EXPECT_EQ(doc->pageCount(), 0);
        TempDir dir;
        EXPECT_FALSE(doc->writeToFile(dir.file("out.pdf")));
        EXPECT_FALSE(QFile::exists(dir.file("out.pdf")));
        return;
    }
    const bool encrypted = e.value("encrypted") == "yes";
    ASSERT_EQ(doc->isEncrypted(), encrypted);
    if (!encrypted) {
        EXPECT_FALSE(doc->isLocked());
        EXPECT_EQ(doc->pageCount(), pages);
        EXPECT_TRUE(doc->allowsCopying());
        return;
    }

    // qpdf tries "" as the owner password too, so an empty owner password opens it.
    const bool expectLocked = user != "(empty)" && owner != "(empty)";
    EXPECT_EQ(doc->isLocked(), expectLocked);
    const bool copyBits = e.value("copy_allowed_with_user_pw") == "yes";
    if (!expectLocked) {
        EXPECT_EQ(doc->pageCount(), pages);
        EXPECT_EQ(doc->allowsCopying(), copyBits || owner == "(empty)");
    } else {
        EXPECT_EQ(doc->pageCount(), 0);
        EXPECT_FALSE(doc->unlockWithPassword("not the password"));
        EXPECT_TRUE(doc->isLocked());
    }

    if (typeable(user)) {
        ASSERT_TRUE(doc->unlockWithPassword(user)) << doc->lastError().toStdString();
        EXPECT_FALSE(doc->isLocked());
        EXPECT_EQ(doc->pageCount(), pages);
        // Listed as both passwords: it matches the owner, who may copy.
        EXPECT_EQ(doc->allowsCopying(), copyBits || owner == user);
    }
    if (typeable(owner)) {
        ASSERT_TRUE(doc->unlockWithPassword(owner)) << doc->lastError().toStdString();
        EXPECT_EQ(doc->pageCount(), pages);
        EXPECT_TRUE(doc->allowsCopying());
    }
}

TEST_P(Corpus, unlocked_writesUnsecuredAndSecuredCopiesWithEveryPage)
{
    const CorpusEntry e = GetParam();
    if (encryptionQpdfDoesNotRead(e))
        GTEST_SKIP() << "never unlocked (see opensUnlocksAndCountsPagesAsTheManifestSays)";
    auto doc = PDFDocument::initWithURL(e.path());
    ASSERT_TRUE(doc);
    for (const QString &pw : {e.value("user_pw"), e.value("owner_pw")}) {
        if (typeable(pw))
            doc->unlockWithPassword(pw);
    }
    // The layer writes whatever it can read; refusing copy-protected files is the run's job.
    ASSERT_FALSE(doc->isLocked());

    TempDir dir;
    const QString pages = e.value("pages");
    ASSERT_TRUE(doc->writeToFile(dir.file("plain.pdf"))) << doc->lastError().toStdString();
    EXPECT_TRUE(showEncryption(dir.file("plain.pdf"), "").contains("File is not encrypted"));
    EXPECT_EQ(QString::fromUtf8(runProgram("qpdf", {"--show-npages", dir.file("plain.pdf")}).out).trimmed(),
              pages);

    const QVariantMap options{{lockleaf::kCGPDFContextUserPassword, "u"},
                              {lockleaf::kCGPDFContextOwnerPassword, "o"},
                              {lockleaf::kCGPDFContextEncryptionKeyLength, 128}};
    ASSERT_TRUE(doc->writeToFile(dir.file("secured.pdf"), options)) << doc->lastError().toStdString();
    EXPECT_EQ(
        QString::fromUtf8(runProgram("qpdf", {"--show-npages", "--password=u", dir.file("secured.pdf")}).out)
            .trimmed(),
        pages);
    EXPECT_EQ(pdfinfoExit(dir.file("secured.pdf"), "u"), 0);
}

INSTANTIATE_TEST_SUITE_P(Manifest, Corpus, ::testing::ValuesIn(corpusManifest()), corpusRowName);

} // namespace
