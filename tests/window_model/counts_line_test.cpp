// The window's counts line on findings made by hand.
#include "window_model/counts_line.h"

#include <gtest/gtest.h>

#include "report/judged_minutes.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

TEST(CountsLine, SilentMessageKindsOnceTheDayIsOverAndLateSegmentsBeforeTheLogsBegin) {
    Findings f;
    f.day = test::Date(2024, 3, 1);
    f.noMessageRecorded = {{0, 3}};
    EXPECT_TRUE(DescribeCounts(f).text.ends_with(
        ".  Late: 0 segments.  No message recorded: DCP, MDD (ACMAD)."))
        << DescribeCounts(f).text;
    f.noMessageRecorded.reset();
    EXPECT_TRUE(DescribeCounts(f).text.ends_with(".  Late: 0 segments.")) << DescribeCounts(f).text;

    f.judged = JudgeMinutes(f.day, std::nullopt, std::nullopt);
    EXPECT_EQ(DescribeCounts(f).text, "Nothing counted: the day is before the logs begin");
    f.late = {{540, ItemKind::Hrit, 9, "HRIT ch 09", false, {1, 2}, Within::Nothing}};
    EXPECT_EQ(DescribeCounts(f).text,
              "Nothing missing counted: the day is before the logs begin.  Late: 2 segments.");
}

}  // namespace
}  // namespace gapscope
