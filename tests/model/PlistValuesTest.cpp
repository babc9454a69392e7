#include "model/PlistValues.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

using namespace lockleaf;

TEST(PlistValues, readings_integerAndBooleanRules)
{
    const QVariantMap map{{"text", "12abc"},
                          {"neg", "  -7"},
                          {"word", "abc"},
                          {"huge", "99999999999"},
                          {"real", 3.9},
                          {"yes", "YES"},
                          {"zeros", "007"},
                          {"big", qlonglong(1) << 40},
                          {"list", QVariantList{1}},
                          {"map", QVariantMap{}}};
    EXPECT_EQ(plist::intValue(map, "text"), 12);
    EXPECT_EQ(plist::intValue(map, "neg"), -7);
    EXPECT_EQ(plist::intValue(map, "word"), 0);
    EXPECT_EQ(plist::intValue(map, "huge"), INT_MAX);
    EXPECT_EQ(plist::intValue(map, "real"), 3);
    EXPECT_EQ(plist::intValue(map, "big"), INT_MAX);
    EXPECT_EQ(plist::intValue(map, "missing"), 0);
    EXPECT_TRUE(plist::boolValue(map, "yes"));
    EXPECT_TRUE(plist::boolValue(map, "zeros"));
    EXPECT_TRUE(plist::boolValue(map, "big")); // not truncated to 0
    EXPECT_FALSE(plist::boolValue(map, "word"));
    EXPECT_TRUE(plist::stringValue(map, "missing").isNull());

    EXPECT_THROW(plist::intValue(map, "list"), std::invalid_argument);
    EXPECT_THROW(plist::boolValue(map, "map"), std::invalid_argument);
    EXPECT_THROW(plist::stringValue(map, "real"), std::invalid_argument);
    EXPECT_THROW(plist::stringListValue(map, "text"), std::invalid_argument);
    try {
        plist::boolValue(map, "list");
    } catch (const std::invalid_argument &e) {
        EXPECT_NE(std::string(e.what()).find("\"list\""), std::string::npos) << e.what();
    }
}
