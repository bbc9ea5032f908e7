// The check's ranges, thresholds and line, on measures given by hand.
#include "formats/monitoring_check.h"

#include <gtest/gtest.h>

#include <limits>
#include <regex>
#include <sstream>

#include "tests/support/test_support.h"

namespace gapscope {
namespace {

using namespace std::chrono_literals;
constexpr Day kDay = test::Date(2024, 3, 1);
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(AlertRange, TheGuidelinesExamplesAlertWhereTheySay) {
    struct Case {
        const char* range;
        std::vector<double> alert, quiet;
    };
    const Case cases[] = {
        {"10", {-1, 10.5, 11, kInf}, {0, 5, 10}},
        {"10:", {-kInf, 9.99, 0}, {10, 11, kInf}},
        {"~:10", {10.01, 11, kInf}, {-kInf, -5, 0, 10}},
        {"10:20", {9, 21}, {10, 15, 20}},
        {"@10:20", {10, 15, 20}, {9.99, 20.01}},
        {"@1:", {1, 50, kInf}, {0, 0.99}},
        {"0", {1, 0.5}, {0}},
        {"-5:5.5", {-6, 5.6}, {-5, 0, 5.5}},
        {"+3", {4}, {3}},
    };
    for (const Case& c : cases) {
        const auto range = ParseAlertRange(c.range);
        ASSERT_TRUE(range) << c.range;
        EXPECT_EQ(range->text, c.range);
        for (double v : c.alert) EXPECT_TRUE(range->Alerts(v)) << c.range << " at " << v;
        for (double v : c.quiet) EXPECT_FALSE(range->Alerts(v)) << c.range << " at " << v;
    }
}

TEST(AlertRange, WhatIsNoRangeIsRefused) {
    const std::string huge(400, '9');
    for (const char* text : {"", "@", ":", ":10", "10:~", "~", "20:10", "-5", "abc", "1e3", "inf",
                             "nan", "10:20:30", "1.2.3", "--5", "@@1", " 10", "10 ",
                             "1000000000000001", "~:-1000000000000001", huge.c_str()}) {
        EXPECT_FALSE(ParseAlertRange(text)) << "'" << text << "'";
    }
}

TEST(Thresholds, DefaultsAndSettingsPerMeasure) {
    Thresholds t = DefaultThresholds();
    const auto at = [](Measure m) { return static_cast<std::size_t>(m); };
    EXPECT_EQ(t.warning[at(Measure::MissingCycles)]->text, "0");
    EXPECT_EQ(t.critical[at(Measure::ConsecutiveMissingCycles)]->text, "3");
    // Plain numbers, which every graph writer keeps: "1" is more than 1%.
    EXPECT_EQ(t.warning[at(Measure::MissingSegmentsPercent)]->text, "1");
    EXPECT_EQ(t.critical[at(Measure::ConsecutiveMissingWholeChannel)]->text, "3");
    EXPECT_EQ(t.critical[at(Measure::LastRecordAge)]->text, "3600");
    EXPECT_FALSE(t.warning[at(Measure::MissingSequenceNumbers)]);

    EXPECT_EQ(SetThresholds({"missing_segments=50", "missing_cycles="}, false, t), std::nullopt);
    EXPECT_EQ(SetThresholds({"missing_cycles=3"}, true, t), std::nullopt);
    EXPECT_EQ(t.warning[at(Measure::MissingSegments)]->text, "50");
    EXPECT_FALSE(t.warning[at(Measure::MissingCycles)]);  // taken away
    EXPECT_EQ(t.critical[at(Measure::MissingCycles)]->text, "3");

    const Thresholds before = t;
    const auto error = SetThresholds({"missing_cycle=1"}, true, t);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->rfind("--critical: no measure named 'missing_cycle' (one of missing_cycles, ", 0), 0u)
        << *error;
    EXPECT_EQ(SetThresholds({"missing_cycles"}, false, t),
              "--warning takes NAME=RANGE, not 'missing_cycles'");
    EXPECT_EQ(SetThresholds({"late_segments=5:1"}, false, t),
              "--warning late_segments: '5:1' is no range (10, 10:, ~:10, 10:20 or @10:20)");
    EXPECT_EQ(SetThresholds({"late_segments=@1:99999999999999999999"}, false, t),
              "--warning late_segments: '@1:99999999999999999999' holds a number too large (at "
              "most 1000000000000000 either way)");
    EXPECT_EQ(t.critical[at(Measure::MissingCycles)]->text, before.critical[at(Measure::MissingCycles)]->text);
}

DayCheck PastDay() {
    DayCheck check;
    check.day = kDay;
    check.dueUntil = MinuteTime{kDay} + 24h;
    check.now = std::chrono::sys_seconds{kDay} + 30h;
    check.measures.expectedSegments = 10000;
    return check;
}

TEST(JudgeDay, AQuietDayIsOkAndSaysWhatItLost) {
    DayCheck check = PastDay();
    CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")), "GAPSCOPE OK - 2024-03-01: nothing missing");

    check.measures.counts.segments = 12;
    check.measures.counts.channels = 3;
    check.measures.counts.sequenceNumbers = 1;
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE OK - 2024-03-01: 3 channels incomplete or missing, 12 missing segments, "
              "1 missing sequence number");
}

TEST(JudgeDay, TheLineFollowsThePluginGuidelines) {
    DayCheck check = PastDay();
    check.measures.counts = DaySummary{2, 7, 130, 4, 1, 9};
    check.measures.cycleRuns = {CycleRun{600, 615, 2}};
    check.measures.longestCycleRun = 2;
    check.measures.wholeChannels = 1;
    check.measures.longestChannelRun = 1;
    check.measures.lostChannels = {LostChannel{ItemKind::Hrit, 9, "IR108", 1, 600, 600, 1, false}};
    const CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Warning);
    EXPECT_EQ(r.line.find('\n'), std::string::npos);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE WARNING - 2024-03-01: cycles missing: 10:00 to 10:15 (2), IR108 missing at "
              "10:00, 1.3% of the segments missing, 1 missing product");
    // Every measure but the record's age (judged live only), as
    // label=value[unit];[warn];[crit];[min];[max], the thresholds in their range syntax.
    EXPECT_EQ(r.line.substr(r.line.find(" | ") + 3),
              "missing_cycles=2;0;;0 consecutive_missing_cycles=2;;3;0 missing_channels=7;;;0 "
              "missing_whole_channels=1;0;;0 consecutive_missing_whole_channel=1;;3;0 "
              "missing_segments=130;;;0 missing_segments_percent=1.3%;1;;0;100 late_segments=4;;;0 "
              "missing_products=1;0;;0 missing_sequence_numbers=9;;;0");
    const std::regex item(R"([a-z_]+=[0-9.]+(%|s)?;[^; ]*;[^; ]*;0(;100)?)");
    const std::string data = r.line.substr(r.line.find(" | ") + 3);
    std::istringstream words(data);
    for (std::string word; words >> word;) EXPECT_TRUE(std::regex_match(word, item)) << word;
}

TEST(JudgeDay, CriticalComesFirstAndOutranksWarning) {
    DayCheck check = PastDay();
    check.measures.counts.missingCycles = 5;
    check.measures.cycleRuns = {CycleRun{60, 105, 4}, CycleRun{600, 600, 1}};
    check.measures.longestCycleRun = 4;
    CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Critical);
    // Both measures of the missing cycles alert; the cycles are named once.
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE CRITICAL - 2024-03-01: cycles missing: 01:00 to 01:45 (4), 10:00");
    check.measures.longestCycleRun = 3;
    EXPECT_EQ(JudgeDay(check, DefaultThresholds()).state, CheckState::Warning);

    // A measure's own critical range, and a warning range taken away.
    Thresholds t = DefaultThresholds();
    ASSERT_EQ(SetThresholds({"missing_cycles=4"}, true, t), std::nullopt);
    EXPECT_EQ(JudgeDay(check, t).state, CheckState::Critical);
    ASSERT_EQ(SetThresholds({"missing_cycles=", "missing_cycles="}, false, t), std::nullopt);
    ASSERT_EQ(SetThresholds({"missing_cycles="}, true, t), std::nullopt);
    r = JudgeDay(check, t);
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_NE(r.line.find(" missing_cycles=5;;;0 "), std::string::npos) << r.line;
}

TEST(JudgeDay, LostChannelsAreNamedWorstFirstAndFourInARowAreCritical) {
    DayCheck check = PastDay();
    const auto lost = [](const char* name, int cycles, int first, int last, int run, bool ongoing) {
        return LostChannel{ItemKind::Hrit, 1, name, cycles, first, last, run, ongoing};
    };
    check.measures.lostChannels = {lost("IR108", 17, 540, 780, 17, true),
                                   lost("WV062", 5, 60, 105, 4, false),
                                   lost("HRIT prolog", 2, 1425, 1425, 1, false)};
    check.measures.wholeChannels = 24;
    check.measures.longestChannelRun = 17;
    CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Critical);
    // Both measures of the lost channels alert; the names are said once.
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE CRITICAL - 2024-03-01: IR108 missing since 09:00 (17 cycles), WV062 "
              "missing from 01:00 to 01:45 (4 cycles, 5 in all), HRIT prolog missing at 23:45 "
              "(1 cycle, 2 in all)");

    // Three in a row warn; beyond three names, a count.
    check.measures.lostChannels[0] = lost("IR108", 3, 540, 570, 3, false);
    check.measures.lostChannels[1].runCycles = 3;
    check.measures.lostChannels.push_back(lost("VIS006", 1, 0, 0, 1, false));
    check.measures.lostChannels.push_back(lost("HRV", 1, 15, 15, 1, true));
    check.measures.longestChannelRun = 3;
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Warning);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE WARNING - 2024-03-01: IR108 missing from 09:00 to 09:30 (3 cycles), WV062 "
              "missing from 01:00 to 01:45 (3 cycles, 5 in all), HRIT prolog missing at 23:45 "
              "(1 cycle, 2 in all), 2 more channels missing whole");
}

TEST(JudgeDay, MissingCyclesAreNamedByTimeInRunsTheFirstFive) {
    DayCheck check = PastDay();
    const auto summary = [&] {
        const std::string line = JudgeDay(check, DefaultThresholds()).line;
        return line.substr(0, line.find(" | "));
    };
    check.measures.cycleRuns = {CycleRun{705, 705, 1}};
    check.measures.counts.missingCycles = 1;
    EXPECT_EQ(summary(), "GAPSCOPE WARNING - 2024-03-01: cycle missing: 11:45");
    check.measures.cycleRuns = {CycleRun{60, 60, 1},    CycleRun{180, 225, 4}, CycleRun{300, 300, 1},
                                CycleRun{420, 420, 1},  CycleRun{540, 555, 2}, CycleRun{660, 660, 1},
                                CycleRun{780, 810, 3}};
    check.measures.counts.missingCycles = 13;
    check.measures.longestCycleRun = 4;
    EXPECT_EQ(summary(), "GAPSCOPE CRITICAL - 2024-03-01: cycles missing: 01:00, 03:00 to 03:45 (4), "
                         "05:00, 07:00, 09:00 to 09:15 (2), and 4 more");

    // The worst day there is stays within the line's bound, every phrase whole: every other
    // cycle missing, the cycles in between without a channel, watched live.
    check.live = true;
    check.newestRecord = MinuteTime{kDay} - 48h;
    check.measures.cycleRuns.clear();
    for (int m = 0; m < 1440; m += 30) check.measures.cycleRuns.push_back(CycleRun{m, m, 1});
    const auto lost = [](const char* name, int first) {
        return LostChannel{ItemKind::Fsd, 20, name, 48, first, first + 1410, 48, true};
    };
    check.measures.lostChannels = {lost("GOES-15-IR10.7", 15), lost("GOES-15-WV6.5", 15),
                                   lost("LRIT IR108", 15), lost("HRV", 15), lost("CLM", 15)};
    check.measures.counts = DaySummary{48, 960, 9000, 40, 300, 100};
    check.measures.longestCycleRun = 1;
    check.measures.wholeChannels = 960;
    check.measures.longestChannelRun = 48;
    check.measures.expectedSegments = 9000;
    const CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_LE(r.line.size() + 1, 999u);
    EXPECT_EQ(r.line.find("..."), std::string::npos) << r.line;
    EXPECT_NE(r.line.find("cycles missing: 00:00, 00:30, 01:00, 01:30, 02:00, and 43 more, "),
              std::string::npos)
        << r.line;
    EXPECT_TRUE(r.line.ends_with(" last_record_age=280800s;;3600;0 records_after_now=0;0;;0"))
        << r.line;
}

TEST(JudgeDay, TheOutputStaysUnderTheLimitOfNrpe) {
    // Long names, and thresholds written at length, are cut; the line never breaks.
    DayCheck check = PastDay();
    const std::string longName(400, 'x');
    check.measures.lostChannels = {
        LostChannel{ItemKind::Fsd, 20, longName, 1, 0, 0, 1, false},
        LostChannel{ItemKind::Fsd, 21, longName + "\xc2\xb5m", 1, 0, 0, 1, false},
        LostChannel{ItemKind::Fsd, 22, longName, 1, 0, 0, 1, false}};
    check.measures.wholeChannels = 3;
    check.measures.longestChannelRun = 1;
    Thresholds t = DefaultThresholds();
    CheckResult r = JudgeDay(check, t);
    EXPECT_EQ(r.state, CheckState::Warning);
    EXPECT_LE(r.line.size() + 1, 999u);
    EXPECT_NE(r.line.find("... | missing_cycles=0;0;;0 "), std::string::npos) << r.line;
    EXPECT_TRUE(r.line.ends_with(" missing_sequence_numbers=0;;;0")) << r.line;

    // Performance data that leaves the summary no room is left out, never cut.
    ASSERT_EQ(SetThresholds({"late_segments=" + std::string(900, '0') + "5"}, false, t), std::nullopt);
    r = JudgeDay(check, t);
    EXPECT_LE(r.line.size() + 1, 999u);
    EXPECT_EQ(r.line.find('|'), std::string::npos) << r.line;
    EXPECT_EQ(r.line.rfind("GAPSCOPE WARNING - 2024-03-01: xxx", 0), 0u);

    // Not within a character of UTF-8.
    for (std::size_t pad = 0; pad < 4; ++pad) {
        const CheckResult u = UnknownCheck(std::string(990 + pad, 'a') + "\xc2\xb5\xc2\xb5\xc2\xb5");
        EXPECT_LE(u.line.size() + 1, 999u);
        const std::string beforeDots = u.line.substr(0, u.line.size() - 3);
        EXPECT_TRUE(u.line.ends_with("...")) << u.line;
        EXPECT_NE(static_cast<unsigned char>(beforeDots.back()), 0xc2) << pad;
    }
}

TEST(JudgeDay, TheCurrentDayIsJudgedUpToWhatIsDueAndByItsNewestRecord) {
    DayCheck check;
    check.day = kDay;
    check.live = true;
    check.now = std::chrono::sys_seconds{kDay} + 12h + 5min;
    check.dueUntil = MinuteTime{kDay} + 11h + 35min;
    check.newestRecord = MinuteTime{kDay} + 11h + 50min;
    CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE OK - 2024-03-01 up to 11:35: nothing missing, newest segment record "
              "15 min old (2024-03-01 11:50)");
    EXPECT_TRUE(r.line.ends_with(" last_record_age=900s;;3600;0 records_after_now=0;0;;0")) << r.line;

    // Silent since 22:00, watched ten minutes into the next day, which still judges the day
    // before: the record is more than an hour old.
    check.now = std::chrono::sys_seconds{kDay} + 24h + 10min;
    check.dueUntil = MinuteTime{kDay} + 24h - 20min;
    check.newestRecord = MinuteTime{kDay} + 22h;
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Critical);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE CRITICAL - 2024-03-01 up to 23:40: newest segment record 130 min old "
              "(2024-03-01 22:00)");
    EXPECT_TRUE(r.line.ends_with(" last_record_age=7800s;;3600;0 records_after_now=0;0;;0")) << r.line;

    // Exactly an hour is not older than an hour; a record ahead of the clock is new.
    check.newestRecord = MinuteTime{kDay} + 24h + 10min - 60min;
    EXPECT_EQ(JudgeDay(check, DefaultThresholds()).state, CheckState::Ok);
    check.newestRecord = MinuteTime{kDay} + 24h + 40min;
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_TRUE(r.line.ends_with(" last_record_age=0s;;3600;0 records_after_now=0;0;;0")) << r.line;

    // A clock set to the end of the year 9999: the age as it is, however large.
    check.now = std::chrono::sys_days{std::chrono::year{9999} / 12 / 31} + 23h + 59min;
    check.newestRecord = MinuteTime{kDay} + 22h;
    const long long minutes = std::chrono::floor<std::chrono::minutes>(check.now - *check.newestRecord).count();
    EXPECT_GT(minutes, std::numeric_limits<int>::max());
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_NE(r.line.find("newest segment record " + std::to_string(minutes) + " min old"),
              std::string::npos)
        << r.line;

    // A segment history without a record is as stale as can be.
    check.newestRecord.reset();
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Critical);
    EXPECT_NE(r.line.find(": no record in the segment history | "), std::string::npos) << r.line;
    EXPECT_TRUE(r.line.ends_with(" last_record_age=U;;3600;0 records_after_now=0;0;;0")) << r.line;

    // A day asked for by its date before any of it is due: not watched live.
    check.live = false;
    check.day = kDay + std::chrono::days{1};
    check.dueUntil = MinuteTime{check.day} - 20min;
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")), "GAPSCOPE OK - 2024-03-02: nothing due yet");
}

// A clock set wrong: the records after now are named, and warn from the first one.
TEST(JudgeDay, RecordsAfterNowAreNamedWhenWatchedLive) {
    DayCheck check;
    check.day = kDay;
    check.live = true;
    check.now = std::chrono::sys_seconds{kDay} + 12h + 5min;
    check.dueUntil = MinuteTime{kDay} + 11h + 35min;
    check.newestRecord = MinuteTime{kDay} + 12h;
    check.afterNow = {3, MinuteTime{std::chrono::sys_days{std::chrono::year{2099} / 12 / 31}} + 23h + 45min};
    CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Warning);
    EXPECT_EQ(r.line.substr(0, r.line.find(" | ")),
              "GAPSCOPE WARNING - 2024-03-01 up to 11:35: 3 records stamped after now, newest "
              "2099-12-31 23:45: is the station's clock right?, newest segment record 5 min old "
              "(2024-03-01 12:00)");
    EXPECT_TRUE(r.line.ends_with(" records_after_now=3;0;;0")) << r.line;

    check.afterNow = {1, MinuteTime{kDay} + 12h + 25min};
    Thresholds critical = DefaultThresholds();
    ASSERT_EQ(SetThresholds({"records_after_now=0"}, true, critical), std::nullopt);
    r = JudgeDay(check, critical);
    EXPECT_EQ(r.state, CheckState::Critical);
    EXPECT_NE(r.line.find(": 1 record stamped after now, 2024-03-01 12:25: is the station's clock right?, "),
              std::string::npos) << r.line;
    // Without a range it is performance data alone.
    ASSERT_EQ(SetThresholds({"records_after_now="}, false, critical), std::nullopt);
    ASSERT_EQ(SetThresholds({"records_after_now="}, true, critical), std::nullopt);
    r = JudgeDay(check, critical);
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_EQ(r.line.find("after now"), std::string::npos) << r.line;
    EXPECT_TRUE(r.line.ends_with(" records_after_now=1;;;0")) << r.line;

    // A day asked for by its date judges the day, not the station's clock now.
    check.live = false;
    r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_EQ(r.line.find("after now"), std::string::npos) << r.line;
}

TEST(JudgeDay, ThePastDayIgnoresTheRecordsAge) {
    DayCheck check = PastDay();
    check.newestRecord = MinuteTime{kDay} - 48h;
    const CheckResult r = JudgeDay(check, DefaultThresholds());
    EXPECT_EQ(r.state, CheckState::Ok);
    EXPECT_EQ(r.line.find("last_record_age"), std::string::npos);
    EXPECT_EQ(r.line.find("newest"), std::string::npos);
}

TEST(UnknownCheck, OneLineWithoutPerformanceData) {
    const CheckResult r = UnknownCheck("cannot read /logs/SegHistory.log: a|b\nc");
    EXPECT_EQ(r.state, CheckState::Unknown);
    EXPECT_EQ(r.line, "GAPSCOPE UNKNOWN - cannot read /logs/SegHistory.log: a b c");
    // A folder's escape sequence reaches no terminal; its Latin-1 letter is U+FFFD.
    EXPECT_EQ(UnknownCheck("no history log in /srv/\x1b[2J\xe9/").line,
              "GAPSCOPE UNKNOWN - no history log in /srv/?[2J\xEF\xBF\xBD/");
}

}  // namespace
}  // namespace gapscope
