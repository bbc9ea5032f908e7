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

}  // namespace
}  // namespace gapscope
