// Which minutes of a day are judged: from the first record to the current minute less the
// grace, around midnight and at the edges of the logs.
#include "report/judged_minutes.h"

#include <gtest/gtest.h>

#include "tests/support/dates.h"

namespace gapscope {
namespace {

using std::chrono::minutes;
using test::Date;

constexpr Day kDay = Date(2026, 11, 10);
MinuteTime At(Day day, int hour, int minute) {
    return MinuteTime{day} + minutes{hour * 60 + minute};
}
const std::optional<MinuteTime> kLongAgo = At(Date(2020, 1, 1), 0, 0);

TEST(JudgedMinutes, TheCurrentDayUpToTheGraceAndEarlierDaysWhole) {
    const JudgedMinutes today = JudgeMinutes(kDay, kLongAgo, At(kDay, 13, 45));
    EXPECT_TRUE(today.current);
    EXPECT_EQ(today.last, 13 * 60 + 15);
    EXPECT_TRUE(today.Judges(13 * 60 + 15));  // starts exactly at now - grace: due
    EXPECT_TRUE(today.NotYetDue(13 * 60 + 30));
    EXPECT_EQ(JudgeMinutes(kDay, kLongAgo, At(kDay, 13, 45), minutes{0}).last, 13 * 60 + 45);

    // Just after midnight nothing of the new day is due, and the day before is due whole.
    const JudgedMinutes newDay = JudgeMinutes(kDay, kLongAgo, At(kDay, 0, 10));
    EXPECT_TRUE(newDay.NothingDue());
    EXPECT_EQ(newDay.last, -1);
    EXPECT_EQ(JudgeMinutes(kDay - std::chrono::days{1}, kLongAgo, At(kDay, 0, 10)),
              JudgedMinutes{});
    // A day to come: nothing; no current minute: every day is over.
    EXPECT_TRUE(JudgeMinutes(kDay + std::chrono::days{1}, kLongAgo, At(kDay, 13, 45)).NothingDue());
    EXPECT_EQ(JudgeMinutes(kDay, kLongAgo, std::nullopt), JudgedMinutes{});
}

TEST(JudgedMinutes, FromTheFirstRecordOn) {
    const MinuteTime first = At(kDay, 13, 47);
    EXPECT_EQ(JudgeMinutes(kDay, first, std::nullopt).first, 13 * 60 + 47);
    EXPECT_TRUE(JudgeMinutes(kDay, first, std::nullopt).BeforeLogsBegin(13 * 60 + 45));
    EXPECT_EQ(JudgeMinutes(kDay + std::chrono::days{1}, first, std::nullopt).first, 0);
    EXPECT_TRUE(
        JudgeMinutes(kDay - std::chrono::days{1}, first, std::nullopt).WhollyBeforeLogsBegin());
    EXPECT_TRUE(DayBeforeLogsBegin(kDay - std::chrono::days{1}, first));
    EXPECT_FALSE(DayBeforeLogsBegin(kDay, At(kDay, 0, 0)));
    // No record at all: every day is before the logs begin.
    EXPECT_TRUE(JudgeMinutes(kDay, std::nullopt, At(kDay, 13, 45)).WhollyBeforeLogsBegin());

    EXPECT_EQ(BeforeLogsBeginLine(first),
              "  (before the logs begin: first record 2026-11-10 13:47 UTC)");
    EXPECT_EQ(BeforeLogsBeginLine(std::nullopt),
              "  (before the logs begin: no record in the segment history)");
    EXPECT_EQ(JudgedUpToLine(kDay, JudgeMinutes(kDay, kLongAgo, At(kDay, 13, 45))),
              "  (judged up to 13:15 UTC; later cycles are not yet due)");
    EXPECT_EQ(JudgedUpToLine(kDay, JudgeMinutes(kDay, kLongAgo, At(kDay, 0, 10))),
              "  (not yet judged: no cycle of the day is due yet)");
}

}  // namespace
}  // namespace gapscope
