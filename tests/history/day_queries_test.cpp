#include "history/day_queries.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>
#include <string>

#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

constexpr Day kDay = sys_days{2024y / January / 15};
constexpr Day kDay2016 = sys_days{2016y / June / 1};

TEST(ChannelsSeenOnDay, LooksOnlyAtMinutesOnTheStep) {
    const HistoryLog seg = HistoryLog::FromBytes(
        "202401150030=67=FF\n"  // minute 30: seen with step 30 only
        "202401150100=9=FF\n"
        "202401141200=71=FF\n"  // the day before
        "202401151300=R71=FF,x71=1\n");
    EXPECT_TRUE(ChannelsSeenOnDay(seg, kDay, ChannelSet{67}, 30));
    EXPECT_FALSE(ChannelsSeenOnDay(seg, kDay, ChannelSet{67}, 60));
    EXPECT_TRUE(ChannelsSeenOnDay(seg, kDay, ChannelSet{67, 9}, 60));
    // Plain channel numbers only: a prefixed key does not count.
    EXPECT_FALSE(ChannelsSeenOnDay(seg, kDay, ChannelSet{71}, 30));
    EXPECT_FALSE(ChannelsSeenOnDay(seg, kDay, ChannelSet{}, 30));
    EXPECT_FALSE(ChannelsSeenOnDay(seg, kDay, ChannelSet{67}, 0));
}

TEST(ChannelsSeenOnDay, EmptyItemValueIsNotSeen) {
    const HistoryLog seg = HistoryLog::FromBytes("202401152300=67=,71=$0\n");
    EXPECT_FALSE(ChannelsSeenOnDay(seg, kDay, ChannelSet{67}, 60));
    EXPECT_TRUE(ChannelsSeenOnDay(seg, kDay, ChannelSet{71}, 60));
}

TEST(DayInSegHistory, FindsTheDayAnywhere) {
    const HistoryLog seg = HistoryLog::FromBytes("note 20240115 copied\n202401162359=9=FF\n");
    EXPECT_TRUE(DayInSegHistory(seg, kDay));
    EXPECT_TRUE(DayInSegHistory(seg, sys_days{2024y / January / 16}));
    EXPECT_FALSE(DayInSegHistory(seg, sys_days{2024y / January / 14}));
}

bool Partial(std::vector<std::string_view> lines, Day day = kDay) {
    return ProcessLogDays::FromLines(lines).IsPartialScanDay(day);
}

// The fill-in rule read literally for one day, each line searched for that day's texts: the
// yardstick for the index, which reads every day out of each line at once.
bool PartialByTheRule(const std::vector<std::string_view>& lines, Day day) {
    const std::set<std::string> morningTails = {"0240-fir", "0310-fir", "0320-mpe",
                                                 "0450-mpe", "0410-rii", "0510-rii"};
    const std::set<std::string> middayTails = {"1140-fir", "1210-fir", "1220-mpe",
                                                "1350-mpe", "1310-rii", "1410-rii"};
    const int year = static_cast<int>(year_month_day{day}.year());
    const std::string_view marker =
        year < 2018 ? "H-000-MSG1__-MSG1_RSS" : "H-000-MSG2__-MSG2_RSS";
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        if ((lines[i].starts_with(IsoDate(day) + " 08") ||
             lines[i].starts_with(IsoDate(day) + " 10")) &&
            lines[i].find(marker) != std::string_view::npos) {
            return true;
        }
    }
    const std::string note = "save " + CompactDate(day);
    bool morning = false;
    bool midday = false;
    for (const std::string_view line : lines) {
        for (std::size_t at = line.find(note); at != std::string_view::npos;
             at = line.find(note, at + 1)) {
            const std::string tail(line.substr(at + note.size(), 8));
            morning = morning || morningTails.contains(tail);
            midday = midday || middayTails.contains(tail);
        }
    }
    return !(morning && midday);
}

constexpr std::string_view kRss2 = "2024-01-15 08:12:01 got H-000-MSG2__-MSG2_RSS-x";
constexpr std::string_view kRss2At10 = "2024-01-15 10:59:59 H-000-MSG2__-MSG2_RSS";
constexpr std::string_view kMorning = "12:00 save 202401150240-fir done";
constexpr std::string_view kMidday = "save 202401151220-mpe";

TEST(IsPartialScanDay, MarkerLineAtEightOrTenOClock) {
    EXPECT_TRUE(Partial({kRss2, kMorning, kMidday}));
    EXPECT_TRUE(Partial({kRss2At10, kMorning, kMidday}));
    EXPECT_FALSE(Partial({"2024-01-15 09:00 H-000-MSG2__-MSG2_RSS", kMorning, kMidday}));
    EXPECT_FALSE(Partial({"x 2024-01-15 08 H-000-MSG2__-MSG2_RSS", kMorning, kMidday}));
    // Before 2018 the marker names the first satellite.
    EXPECT_FALSE(Partial(
        {"2016-06-01 08 H-000-MSG2__-MSG2_RSS", "save 201606010310-fir", "save 201606011410-rii"},
        kDay2016));
    EXPECT_TRUE(Partial(
        {"2016-06-01 08 H-000-MSG1__-MSG1_RSS", "save 201606010310-fir", "save 201606011410-rii"},
        kDay2016));
}

TEST(IsPartialScanDay, LastTwoLinesAreNotSearchedForTheMarker) {
    EXPECT_FALSE(Partial({kMorning, kRss2, kMidday}));
    EXPECT_FALSE(Partial({kRss2, "save 202401150240-fir save 202401151220-mpe"}));
    EXPECT_TRUE(Partial({kRss2, "", ""}));
}

TEST(IsPartialScanDay, SaveNotesOfMorningAndMiddayBothNeeded) {
    EXPECT_TRUE(Partial({}));
    EXPECT_TRUE(Partial({kMorning}));
    EXPECT_TRUE(Partial({kMidday}));
    EXPECT_FALSE(Partial({kMidday, "x", kMorning}));
    EXPECT_FALSE(Partial({"save 202401150510-rii and save 202401151140-fir"}));
    // Notes of another day, of a time not in either group, or without "save ".
    EXPECT_TRUE(Partial({"save 202401160240-fir", kMidday}));
    EXPECT_TRUE(Partial({"save 202401150250-fir", kMidday}));
    EXPECT_TRUE(Partial({"saved 202401150240-fir", kMidday}));
}

TEST(NewestRecord, LatestRealMinuteKeyWhereverItStands) {
    using namespace std::chrono;
    const HistoryLog log = HistoryLog::FromBytes(
        "202401152345=9=FF\n202401160005=9=FF\n202401151200=9=FF\n"
        // Keys that are no minute: too long, a 13th month, a 24th hour, no "=".
        "2024011600050=1\n202413010000=1\n202401162400=1\n202401170000\n20240116-dcp=x\n");
    EXPECT_EQ(NewestRecord(log), sys_days{2024y / 1 / 16} + 5min);
    EXPECT_EQ(NewestRecord(HistoryLog{}), std::nullopt);
    EXPECT_EQ(NewestRecord(HistoryLog::FromBytes("20240116-dcp=x\n")), std::nullopt);
}

TEST(EarliestRecord, EarliestRealMinuteKeyNotAfterNow) {
    using namespace std::chrono;
    const HistoryLog log = HistoryLog::FromBytes(
        "202401152345=9=FF\n203001010000=9=FF\n202401151200=\n202313010000=1\n20231231-dcp=x\n");
    EXPECT_EQ(EarliestRecord(log), sys_days{2024y / 1 / 15} + 12h);
    // A key stamped after the current time (a clock set wrong) does not begin the logs.
    const HistoryLog future = HistoryLog::FromBytes("203001010000=9=FF\n");
    EXPECT_EQ(EarliestRecord(future, sys_days{2024y / 1 / 16} + 0min), std::nullopt);
    EXPECT_EQ(EarliestRecord(future), sys_days{2030y / 1 / 1} + 0min);
    EXPECT_EQ(EarliestRecord(HistoryLog{}), std::nullopt);
}

class IsPartialScanDayFile : public ::testing::Test {
protected:
    void Write(std::string_view text) {
        std::ofstream(dir_ / "process.log", std::ios::binary) << text;
    }
    test::TempDir temp_{"gapscope_process_log_"};
    const fs::path dir_ = temp_.path();
};

TEST_F(IsPartialScanDayFile, ReadsProcessLogAnewEachCall) {
    EXPECT_TRUE(IsPartialScanDay(dir_, kDay));
    Write("save 202401150240-fir\r\nsave 202401151220-mpe");
    EXPECT_FALSE(IsPartialScanDay(dir_, kDay));
    Write(
        "2024-01-15 08:00 H-000-MSG2__-MSG2_RSS\rsave 202401150240-fir\r"
        "save 202401151220-mpe\r");
    EXPECT_TRUE(IsPartialScanDay(dir_, kDay));
}

TEST_F(IsPartialScanDayFile, UnreadableProcessLogMeansNoLines) {
    fs::create_directory(dir_ / "process.log");
    EXPECT_TRUE(IsPartialScanDay(dir_, kDay));
}


// Process logs made of the pieces the answer depends on, mixed at random: for every day the
// index read once answers as reading the lines for that day.
TEST(ProcessLogDays, AnswersAsTheLinesDoForEveryDay) {
    const std::vector<Day> days = {sys_days{2017y / December / 31}, sys_days{2018y / January / 1},
                                   kDay, sys_days{2024y / February / 29}};
    const std::vector<std::string> dates = {"2017-12-31", "2018-01-01", "2024-01-15",
                                            "2024-02-29", "2024-02-30", "2024-1-15"};
    const std::vector<std::string> compact = {"20171231", "20180101", "20240115",
                                              "20240229", "20240230", "2024011"};
    const std::vector<std::string> tails = {"0240-fir", "0310-fir", "0320-mpe", "0450-mpe",
                                            "0410-rii", "0510-rii", "1140-fir", "1210-fir",
                                            "1220-mpe", "1350-mpe", "1310-rii", "1410-rii",
                                            "0241-fir", "1220-mp"};
    const std::vector<std::string> hours = {" 08", " 10", " 09", "08", " 8"};
    const std::vector<std::string> markers = {"H-000-MSG1__-MSG1_RSS", "H-000-MSG2__-MSG2_RSS",
                                              "H-000-MSG3__-MSG3_RSS", ""};
    std::mt19937 rng(15);
    const auto pick = [&rng](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
    };
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<std::string> text;
        const int lineCount = std::uniform_int_distribution<int>(0, 7)(rng);
        for (int i = 0; i < lineCount; ++i) {
            std::string line;
            switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
                case 0:
                    line = pick(dates) + pick(hours) + ":00 got " + pick(markers);
                    break;
                case 1:
                    line = "x save " + pick(compact) + pick(tails) + " and save " + pick(compact) +
                           pick(tails);
                    break;
                case 2:
                    line = "save save " + pick(compact) + pick(tails);
                    break;
                default:
                    line = pick(dates) + pick(hours) + " save " + pick(compact) + pick(tails) +
                           " " + pick(markers);
            }
            text.push_back(line);
        }
        const std::vector<std::string_view> lines(text.begin(), text.end());
        const ProcessLogDays index = ProcessLogDays::FromLines(lines);
        for (const Day day : days) {
            ASSERT_EQ(index.IsPartialScanDay(day), PartialByTheRule(lines, day))
                << IsoDate(day) << "\n" << ::testing::PrintToString(text);
        }
    }
}

TEST_F(IsPartialScanDayFile, ReadOnceTheDaysKeepWhatTheFileSaidThen) {
    Write("save 202401150240-fir\r\nsave 202401151220-mpe\r\n");
    const ProcessLogDays index = ProcessLogDays::Read(dir_);
    Write("");
    EXPECT_FALSE(index.IsPartialScanDay(kDay));
    EXPECT_TRUE(index.IsPartialScanDay(kDay + days{1}));
    EXPECT_TRUE(ProcessLogDays::Read(dir_).IsPartialScanDay(kDay));
    fs::remove(dir_ / "process.log");
    EXPECT_TRUE(ProcessLogDays::Read(dir_).IsPartialScanDay(kDay));
}

}  // namespace
}  // namespace gapscope
