#include "platform/SystemLog.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(SystemLog, logError_formatsPlaceAndReason_andReachesCapture)
{
    testsupport::LogCapture capture;
    lockleaf::logError("Settings=>setData:", "bad value");
    ASSERT_EQ(capture.lines().size(), 1);
    EXPECT_EQ(capture.lines().first(), "Error in (Settings=>setData:) : bad value");
}
