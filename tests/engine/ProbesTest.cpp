#include "engine/Probes.h"

#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace lockleaf;
using namespace testsupport;

TEST(Probes, getPDFPageCount_extensionIgnoresCase_butMustBePdf)
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

TEST(Probes, getPDFPageCount_unreadable_leavesFlagAsTheCallerSetIt)
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

TEST(Probes, getPDFPageCount_encrypted_countsOnlyWithAnOpeningPassword)
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

TEST(Probes, timeTakenString_wholeUnitsTruncated_zeroUnitsLeftOut)
{
    const QDateTime t0(QDate(2026, 12, 5), QTime(14, 3, 9));
    struct Case {
        qint64 ms;
        const char *text;
    };
    for (const Case &c :
         {Case{0, ""}, Case{999, ""}, Case{5000, "5 sec(s) "}, Case{59900, "59 sec(s) "},
          Case{65000, "1 min(s) 5 sec(s) "}, Case{3600000, "1 hr(s) "}, Case{3605000, "1 hr(s) 5 sec(s) "},
          Case{(26 * 3600 + 3 * 60) * 1000LL, "26 hr(s) 3 min(s) "}, Case{-5000, ""}, Case{-3600000, ""}}) {
        EXPECT_EQ(timeTakenString(t0, t0.addMSecs(c.ms)), QString(c.text)) << c.ms;
    }
    EXPECT_EQ(timeTakenString(QDateTime(), t0), QString(""));
    EXPECT_EQ(timeTakenString(t0, QDateTime()), QString(""));
    EXPECT_FALSE(timeTakenString(QDateTime(), t0).isNull());
}

TEST(Probes, isLionOrLater_versionRule)
{
    EXPECT_FALSE(isLionOrLaterVersion(10, 6));
    EXPECT_FALSE(isLionOrLaterVersion(9, 9));
    EXPECT_TRUE(isLionOrLaterVersion(10, 7));
    EXPECT_TRUE(isLionOrLaterVersion(10, 8));
    EXPECT_TRUE(isLionOrLaterVersion(11, 0));
#ifndef Q_OS_MACOS
    EXPECT_TRUE(isLionOrLater());
#endif
}
