#include "platform/TimeText.h"

#include "platform/OsVersion.h"

#include <gtest/gtest.h>

using namespace lockleaf;

TEST(Platform, timeTakenString_wholeUnitsTruncated_zeroUnitsLeftOut)
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

TEST(Platform, isLionOrLater_versionRule)
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
