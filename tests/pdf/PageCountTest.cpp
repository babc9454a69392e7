#include "pdf/PageCount.h"

#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

TEST(PageCount, getPDFPageCount_extensionIgnoresCase_butMustBePdf)
{
    TempDir dir;
    makePdf(dir.file("scan.Pdf"), 4);
    QFile::copy(dir.file("scan.Pdf"), dir.file("scan.bin"));
    QFile::copy(dir.file("scan.Pdf"), dir.file("scan.pdf.bak"));

    bool secured = true;
    EXPECT_EQ(getPDFPageCount(dir.file("scan.Pdf"), "", &secured), 4);
    EXPECT_FALSE(secured);
    for (const char *name : {"scan.bin", "scan.pdf.bak"}) {
        secured = true;
        EXPECT_EQ(getPDFPageCount(dir.file(name), "", &secured), 0) << name;
        EXPECT_TRUE(secured) << name;
    }
}

TEST(PageCount, getPDFPageCount_unreadable_leavesFlagAsTheCallerSetIt)
{
    TempDir dir;
    writeFile(dir.file("a.pdf"), {});
    writeFile(dir.file("b.pdf"), "%PDF-1.4\nnothing else");
    for (const char *name : {"a.pdf", "b.pdf", "missing.pdf"}) {
        for (bool initial : {false, true}) {
            bool secured = initial;
            EXPECT_EQ(getPDFPageCount(dir.file(name), "", &secured), 0) << name;
            EXPECT_EQ(secured, initial) << name;
        }
    }
    EXPECT_EQ(getPDFPageCount(dir.file("a.pdf"), "", nullptr), 0);
}

TEST(PageCount, getPDFPageCount_encrypted_countsOnlyWithAnOpeningPassword)
{
    TempDir dir;
    makeEncryptedPdf(dir.file("u.pdf"), "user", "owner", 128, {}, 3);
    bool secured = false;
    EXPECT_EQ(getPDFPageCount(dir.file("u.pdf"), "wrong", &secured), 0);
    EXPECT_TRUE(secured);
    secured = false;
    EXPECT_EQ(getPDFPageCount(dir.file("u.pdf"), "user", &secured), 3);
    EXPECT_TRUE(secured);
    EXPECT_EQ(getPDFPageCount(dir.file("u.pdf"), "owner", &secured), 3);
    EXPECT_EQ(getPDFPageCount(dir.file("u.pdf"), QString(), &secured), 0);

    // Owner-only: "" opens it, so the probe counts and still reports it secured.
    makeEncryptedPdf(dir.file("o.pdf"), "", "owner", 40, {}, 2);
    secured = false;
    EXPECT_EQ(getPDFPageCount(dir.file("o.pdf"), "", &secured), 2);
    EXPECT_TRUE(secured);
}
