// What a check and the metrics judge a day by, on simulated station-days with faults at known
// times and on small hand-made findings.
#include "measures/day_measures.h"

#include <gtest/gtest.h>

#include "report/day_report.h"
#include "tests/report/simulated_day.h"
#include "tests/support/test_support.h"
#include "tests/tools/sim_test_support.h"

namespace gapscope {
namespace {

using std::chrono::minutes;
constexpr auto D = test::Date;
constexpr Day kDay = D(2024, 3, 1);

// One clean simulated day of the service with the faults given, reported with `options`,
// judged up to `now` (no grace).
Findings SimulatedDay(ScanMode service, const std::vector<std::string>& faults,
                      const ReportOptions& options, std::optional<MinuteTime> now = std::nullopt) {
    sim::SimulationConfig config = sim::testing::CleanConfig(service, kDay, kDay);
    for (const std::string& fault : faults)
        config.injections.push_back(sim::testing::Inject(fault));
    const test::MemoryStation station = test::SimulateInMemory(config);
    const DayReportResult result =
        BuildDayReportWith(station.state, options, kDay, RunInputs{now, &station.processLog, minutes{0}});
    EXPECT_FALSE(result.error) << *result.error;
    return result.findings;
}

// Only the MSG imager: HRIT channels 1..11 of 8 segments, HRV of 24, the prolog and the
// epilog file; 114 segments a cycle.
ReportOptions ImagerOnly() {
    ReportOptions o;
    o.includeMpef = false;
    o.includeFsd = false;
    o.hourlyFy2g = false;
    return o;
}
constexpr int kImagerSegments = 11 * 8 + 24 + 2;

TEST(DayMeasures, ACleanDayMissesNothingOutOfEverySegmentOfTheDay) {
    const DayMeasures m = MeasureDay(SimulatedDay(ScanMode::Prime, {}, ImagerOnly()));
    EXPECT_EQ(m.counts, DaySummary{});
    EXPECT_EQ(m.longestCycleRun, 0);
    EXPECT_EQ(m.wholeChannels, 0);
    EXPECT_EQ(m.expectedSegments, 96 * kImagerSegments);
    EXPECT_EQ(m.MissingSegmentsPercent(), 0);
}

TEST(DayMeasures, FaultsAtKnownTimesGiveTheirCounts) {
    const Findings f = SimulatedDay(ScanMode::Prime,
                                    {"cycle@2024-03-01T12:00:4", "cycle@2024-03-01T18:00:1",
                                     "channel@2024-03-01T06:00:9", "segments@2024-03-01T07:00:9/3,4"},
                                    ImagerOnly());
    const DayMeasures m = MeasureDay(f);
    EXPECT_EQ(m.counts, Summarise(f));  // the counts of the range summary line, not others
    EXPECT_EQ(m.counts.missingCycles, 5);
    EXPECT_EQ(m.longestCycleRun, 4);
    EXPECT_EQ(m.wholeChannels, 1);  // channel 9 at 06:00; 07:00 lost two segments only
    EXPECT_EQ(m.counts.segments, 8 + 2);
    // The missing cycles expect nothing that could be counted missing apart from them.
    EXPECT_EQ(m.expectedSegments, 91 * kImagerSegments);
    EXPECT_DOUBLE_EQ(m.MissingSegmentsPercent(), 0.1);  // 10 of 10374, to two decimals
}

TEST(DayMeasures, CyclesNotYetDueAreNeitherMissingNorExpected) {
    // Judged up to 12:00, 00:00..12:00 are due (49 cycles); the run of missing cycles
    // 11:45..12:30 counts as far as it is due.
    const Findings f = SimulatedDay(ScanMode::Prime, {"cycle@2024-03-01T11:45:4"}, ImagerOnly(),
                                    MinuteTime{kDay} + minutes{12 * 60});
    const DayMeasures m = MeasureDay(f);
    EXPECT_EQ(m.counts.missingCycles, 2);
    EXPECT_EQ(m.longestCycleRun, 2);
    EXPECT_EQ(m.expectedSegments, 47 * kImagerSegments);
}

TEST(DayMeasures, ARunFollowsTheCyclesOfTheService) {
    // Rapid scan: every 5 minutes; two runs of three broken by one cycle that arrived.
    const Findings rapid = SimulatedDay(
        ScanMode::RapidScan, {"cycle@2024-03-01T10:00:3", "cycle@2024-03-01T10:20:3"}, ImagerOnly());
    EXPECT_EQ(rapid.missingCycles.size(), 6u);
    EXPECT_EQ(MeasureDay(rapid).longestCycleRun, 3);

    // LRIT only: a cycle can be missing at :15 and :45 only, so those follow each other.
    Findings lritOnly;
    lritOnly.options.met8LritOnly = true;
    lritOnly.missingCycles = {15, 45, 75, 135};
    EXPECT_EQ(MeasureDay(lritOnly).longestCycleRun, 3);
    lritOnly.options.met8LritOnly = false;
    EXPECT_EQ(MeasureDay(lritOnly).longestCycleRun, 1);
}

TEST(DayMeasures, WholeChannelsAreThoseLostWholeOutsideMissingCycles) {
    Findings f;
    const auto item = [](ItemKind kind, bool all, Within within) {
        return FoundItem{600, kind, 9, "", all, {1, 2}, within};
    };
    f.missing = {item(ItemKind::Hrit, true, Within::Nothing),
                 item(ItemKind::Fsd, true, Within::AbsentAllDay),
                 item(ItemKind::Epilog, true, Within::Nothing),
                 item(ItemKind::Hrit, false, Within::Nothing),         // incomplete only
                 item(ItemKind::Hrit, true, Within::MissingCycle),     // counted as its cycle
                 item(ItemKind::Product, true, Within::Nothing)};      // counted as a product
    const DayMeasures m = MeasureDay(f);
    EXPECT_EQ(m.wholeChannels, 3);
    EXPECT_EQ(m.counts.channels, 4);
    EXPECT_EQ(m.counts.products, 1);
}

TEST(DayMeasures, DueCyclesAndSegmentsCountMissingCyclesToo) {
    const Findings past = SimulatedDay(ScanMode::Prime, {"cycle@2024-03-01T12:00:2"}, ImagerOnly());
    DayMeasures m = MeasureDay(past);
    EXPECT_EQ(m.dueCycles, 96);
    EXPECT_EQ(m.dueSegments, 96 * kImagerSegments);
    EXPECT_EQ(m.expectedSegments, 94 * kImagerSegments);
    // At 12:00: 00:00..12:00 are due.
    m = MeasureDay(SimulatedDay(ScanMode::RapidScan, {}, ImagerOnly(), MinuteTime{kDay} + minutes{12 * 60}));
    EXPECT_EQ(m.dueCycles, 12 * 12 + 1);
}

TEST(DayMeasures, LostChannelsAreNamedWithTheirLongestRun) {
    // IR108 lost at 09:00 and 09:15, the whole 09:30 cycle lost, IR108 lost at 09:45: one
    // run of four. WV062 lost once at 10:00; the LRIT channel of IR108 at 11:00.
    ReportOptions options = ImagerOnly();
    options.includeLrit = true;
    const Findings f = SimulatedDay(
        ScanMode::Prime,
        {"channel@2024-03-01T09:00:9", "channel@2024-03-01T09:15:9", "cycle@2024-03-01T09:30:1",
         "channel@2024-03-01T09:45:9", "channel@2024-03-01T10:00:5", "channel@2024-03-01T11:15:17"},
        options);
    const DayMeasures m = MeasureDay(f);
    ASSERT_EQ(m.lostChannels.size(), 3u);
    EXPECT_EQ(m.lostChannels[0], (LostChannel{ItemKind::Hrit, 9, "IR108", 3, 540, 585, 4, false}));
    EXPECT_EQ(m.lostChannels[1], (LostChannel{ItemKind::Hrit, 5, "WV062", 1, 600, 600, 1, false}));
    EXPECT_EQ(m.lostChannels[2], (LostChannel{ItemKind::Lrit, 17, "LRIT IR108", 1, 675, 675, 1, false}));
    EXPECT_EQ(m.longestChannelRun, 4);
    EXPECT_EQ(m.wholeChannels, 5);

    // The current day at 12:00: IR108 lost from 11:30 on, so far.
    const Findings today = SimulatedDay(
        ScanMode::Prime,
        {"channel@2024-03-01T11:30:9", "channel@2024-03-01T11:45:9", "channel@2024-03-01T12:00:9",
         "channel@2024-03-01T12:15:9"},
        ImagerOnly(), MinuteTime{kDay} + minutes{12 * 60});
    EXPECT_EQ(MeasureDay(today).lostChannels,
              (std::vector<LostChannel>{{ItemKind::Hrit, 9, "IR108", 3, 690, 720, 3, true}}));
}

TEST(DayMeasures, ARunOfAChannelFollowsItsOwnCyclesAndEndsAtItsOwnLosses) {
    // An hourly channel lost at 01:00 and 02:00 is lost in a row; missing cycles before
    // its first loss and after its last do not lengthen the run, but leave it going on.
    Findings f;
    for (int minute : {0, 60, 120, 180, 240}) f.expected.push_back({minute, ItemKind::Fsd, 20, 1, 7});
    const auto item = [](int minute, Within within) {
        return FoundItem{minute, ItemKind::Fsd, 20, "GOES-W VIS", true, {}, within};
    };
    f.missing = {item(0, Within::MissingCycle), item(60, Within::Nothing), item(120, Within::Nothing),
                 item(180, Within::MissingCycle), item(240, Within::MissingCycle)};
    f.missingCycles = {0, 180, 240};
    EXPECT_EQ(MeasureDay(f).lostChannels,
              (std::vector<LostChannel>{{ItemKind::Fsd, 20, "GOES-W VIS", 2, 60, 120, 2, true}}));
}

TEST(DayMeasures, TheShareIsRoundedToTwoDecimals) {
    DayMeasures m;
    m.counts.segments = 1;
    m.expectedSegments = 3;
    EXPECT_DOUBLE_EQ(m.MissingSegmentsPercent(), 33.33);
    m.expectedSegments = 0;  // nothing due yet
    EXPECT_EQ(m.MissingSegmentsPercent(), 0);
    m.counts.segments = 199;
    m.expectedSegments = 20000;
    EXPECT_DOUBLE_EQ(m.MissingSegmentsPercent(), 1.0);  // 0.995 is shown and judged as 1%
}

}  // namespace
}  // namespace gapscope
