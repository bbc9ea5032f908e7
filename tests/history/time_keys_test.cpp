#include "history/time_keys.h"

#include <gtest/gtest.h>

namespace gapscope {
namespace {

using namespace std::chrono;

constexpr Day kDay = sys_days{2024y / February / 29};

TEST(TimeKeys, FormatsTheDayZeroPadded) {
    EXPECT_EQ(MinuteKey(kDay, 0), "202402290000");
    EXPECT_EQ(MinuteKey(kDay, 12 * 60 + 15), "202402291215");
    EXPECT_EQ(MinuteKey(kDay, 1439), "202402292359");
    EXPECT_EQ(CompactDate(sys_days{2009y / March / 5}), "20090305");
    EXPECT_EQ(IsoDate(sys_days{2009y / March / 5}), "2009-03-05");
}

TEST(TimeKeys, MinutesBeyondTheDayRollOver) {
    EXPECT_EQ(MinuteKey(kDay, 1440), "202403010000");
    EXPECT_EQ(MinuteKey(kDay, -1), "202402282359");
}

TEST(TimeKeys, DayOfYearCountsLeapDays) {
    EXPECT_EQ(DayOfYear(sys_days{2024y / January / 1}), 1);
    EXPECT_EQ(DayOfYear(sys_days{2024y / March / 1}), 61);
    EXPECT_EQ(DayOfYear(sys_days{2023y / March / 1}), 60);
    EXPECT_EQ(DayOfYear(sys_days{2024y / December / 31}), 366);
}

TEST(TimeKeys, ParsesWhatItWritesAndOnlyRealDaysAndMinutes) {
    const MinuteTime noon = MinuteTime{kDay} + 12h + 15min;
    EXPECT_EQ(ParseIsoDate(IsoDate(kDay)), kDay);
    EXPECT_EQ(ParseCompactDate(CompactDate(kDay)), kDay);
    EXPECT_EQ(ParseMinuteKey(MinuteKey(kDay, 12 * 60 + 15)), noon);
    EXPECT_EQ(ParseIsoMinute("2024-02-29T12:15"), noon);
    // Not a real day or minute, not these digits, not this shape.
    for (const char* text : {"2023-02-29", "2024-13-01", "2024-00-10", "2024-1-05", "+024-01-05",
                             "-001-01-05", "2024-01-05 ", "2024/01/05", ""}) {
        EXPECT_EQ(ParseIsoDate(text), std::nullopt) << text;
    }
    for (const char* text : {"20230229", "2024012", "202401050", "2024 105"}) {
        EXPECT_EQ(ParseCompactDate(text), std::nullopt) << text;
    }
    for (const char* text : {"2024-01-05T24:00", "2024-01-05T12:60", "2024-01-05 12:00",
                             "2024-01-05T1:00", "2024-01-05T12:00Z"}) {
        EXPECT_EQ(ParseIsoMinute(text), std::nullopt) << text;
    }
    for (const char* text : {"202401052400", "20240105120", "2024010512000", "20240105-100"}) {
        EXPECT_EQ(ParseMinuteKey(text), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace gapscope
