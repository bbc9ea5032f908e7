// Ranges of days: each day as a single-day run reports it, process.log read once, a failed
// day passed on; back-filled report files as a single-day save writes them.
#include "report/day_range.h"

#include <gtest/gtest.h>

#include <fstream>

#include "measures/range_summary.h"
#include "settings/version.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using std::chrono::days;
using std::chrono::hours;

constexpr auto D = test::Date;

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A rapid-scan station over three days whose noon cycle brings one product; the second day
// holds a bad mask.
StartupState RapidStation(const fs::path& dir) {
    std::string rec = "RP=1,RE=1";
    for (int n = 1; n <= 11; ++n) rec += ",R" + std::to_string(n) + "=E0";
    rec += ",R12=FF8000,R52=1";
    StartupState s;
    s.DataDirectory = dir.string() + "/";
    s.ComputerName = "Groundstation";
    s.Mode = ScanMode::RapidScan;
    s.SegHistory = HistoryLog::FromBytes("202401041200=" + rec + "\n202401051200=R9=ZZ," + rec +
                                         "\n202401061200=" + rec + "\n");
    s.FileHistory = HistoryLog::FromBytes("20240106-dcp=xx_x\n");
    return s;
}

// Save notes of a day that was no fill-in day.
std::string FullDisk(const std::string& yyyymmdd) {
    return "save " + yyyymmdd + "0240-fir\nsave " + yyyymmdd + "1220-mpe\n";
}

class DayRangeTest : public ::testing::Test {
  protected:
    test::TempDir dir_{"gapscope-range-"};
};

TEST_F(DayRangeTest, EachDayAsASingleDayRunAndProcessLogReadOnce) {
    Write(dir_.path() / "process.log", FullDisk("20240104") + FullDisk("20240106") + "\n\n");
    const StartupState s = RapidStation(dir_.path());
    ReportOptions detect;
    detect.disableMsg1Mpef = true;

    // Single-day runs, each reading process.log as it stands.
    std::vector<DayReportResult> single;
    for (Day day = D(2024, 1, 4); day <= D(2024, 1, 6); day += days{1}) {
        single.push_back(BuildDayReport(s, detect, day));
    }
    ASSERT_TRUE(single[1].error);
    EXPECT_EQ(single[0].lists.missingProduct[3], "Cycle: 1200");
    EXPECT_EQ(single[2].lists.missingProduct[3], "Cycle: 1200");

    std::vector<Day> seen;
    const RangeOutcome outcome = RunDayRange(s, detect, DayRange{D(2024, 1, 4), D(2024, 1, 6), std::nullopt},
                                             [&](Day day, DayReportResult& r) {
        const std::size_t i = seen.size();
        seen.push_back(day);
        EXPECT_EQ(r.lists, single[i].lists);
        EXPECT_EQ(r.findings, single[i].findings);
        EXPECT_EQ(r.error, single[i].error);
        // Read once: the file changing under the range does not change the later days.
        Write(dir_.path() / "process.log", "");
    });
    EXPECT_EQ(seen, (std::vector<Day>{D(2024, 1, 4), D(2024, 1, 5), D(2024, 1, 6)}));
    EXPECT_EQ(outcome.days, 2);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(outcome.totals, Summarise(single[0].findings) += Summarise(single[2].findings));
    EXPECT_EQ(outcome.totals.sequenceNumbers, 1);
    // A single-day run now sees the emptied file: a fill-in day.
    EXPECT_EQ(BuildDayReport(s, detect, D(2024, 1, 6)).lists.missingProduct[3],
              "  (not checked, partial scan)");
}

TEST_F(DayRangeTest, CurrentDayOfARangeCountsUpToNow) {
    const StartupState s = RapidStation(dir_.path());
    const MinuteTime now = MinuteTime{D(2024, 1, 6)} + hours{12};
    std::vector<std::size_t> notYetDue;
    RunDayRange(s, ReportOptions{}, DayRange{D(2024, 1, 6), D(2024, 1, 6), now},
                [&](Day, DayReportResult& r) { notYetDue.push_back(r.findings.notYetDue.size()); });
    EXPECT_EQ(notYetDue, (std::vector<std::size_t>{149}));  // 12:00 less the grace: 11:35 to 23:55
}

TEST(Backfill, DecisionPerDay) {
    const Day today = D(2024, 1, 7);
    EXPECT_EQ(DecideBackfill(D(2024, 1, 6), today, false, false, false), BackfillStep::Write);
    EXPECT_EQ(DecideBackfill(D(2024, 1, 6), today, false, true, false), BackfillStep::KeepExisting);
    EXPECT_EQ(DecideBackfill(D(2024, 1, 6), today, false, true, true), BackfillStep::Write);
    EXPECT_EQ(DecideBackfill(today, today, false, false, true), BackfillStep::SkipCurrentDay);
    EXPECT_EQ(DecideBackfill(D(2024, 1, 8), today, false, false, true),
              BackfillStep::SkipCurrentDay);
    // An old report of a day the logs no longer reach is neither written over nor kept by name.
    EXPECT_EQ(DecideBackfill(D(2024, 1, 6), today, true, true, true),
              BackfillStep::BeforeLogsBegin);
}

TEST_F(DayRangeTest, BackfilledFilesAreWhatASingleDaySaveWrites) {
    StartupState s = RapidStation(dir_.path());
    DeriveStartupFlags(s);  // the logs begin on the 4th at 12:00
    const BannerInfo banner{kVersionText, "Groundstation",
                            std::chrono::sys_seconds{D(2024, 1, 6)} + hours{6}};
    // The file of the 4th as a single-day save writes it.
    DayReportResult day4 = BuildDayReport(s, ReportOptions{}, D(2024, 1, 4));
    const fs::path path4 = ReportFilePath(s, dir_.path(), D(2024, 1, 4));
    ASSERT_FALSE(WriteReportFile(path4, BuildReportText(day4.lists, s, banner)).failure);
    const std::string single = test::ReadFile(path4);
    fs::remove(path4);

    std::vector<BackfillDay> done;
    const auto run = [&](bool overwrite) {
        done.clear();
        return BackfillReports(s, ReportOptions{}, D(2024, 1, 3), D(2024, 1, 6), banner, dir_.path(),
                               overwrite, [&](const BackfillDay& d) { done.push_back(d); });
    };
    const RangeOutcome first = run(false);
    ASSERT_EQ(done.size(), 4u);
    EXPECT_EQ(done[0].step, BackfillStep::BeforeLogsBegin);
    EXPECT_FALSE(fs::exists(done[0].path));
    EXPECT_EQ(done[1].path, path4);
    EXPECT_EQ(test::ReadFile(path4), single);
    EXPECT_FALSE(done[1].saveError);
    EXPECT_EQ(done[2].reportError, "''$ZZ'' is not a valid integer value");
    EXPECT_FALSE(fs::exists(done[2].path));
    EXPECT_EQ(done[3].step, BackfillStep::SkipCurrentDay);
    EXPECT_FALSE(fs::exists(done[3].path));
    EXPECT_EQ(first.days, 1);
    EXPECT_EQ(first.failed, 1);

    // Reports are kept, and rewritten only when asked to.
    const std::string older = "older\r\n\r\n[From: Gapscope V3.1.22.1]\r\n\r\n";
    Write(path4, older);
    run(false);
    EXPECT_EQ(done[1].step, BackfillStep::KeepExisting);
    EXPECT_EQ(test::ReadFile(path4), older);
    run(true);
    EXPECT_EQ(done[1].step, BackfillStep::Write);
    EXPECT_EQ(test::ReadFile(path4), single);

    // What is no whole report of the day is rewritten: an empty file (a power cut's), one
    // without a banner, one saved while its day was still going on.
    const std::string banner4 =
        "\r\n[Gapscope V" + std::string(kVersionText) + " on PC Groundstation at 12:00 UTC]\r\n\r\n";
    for (const std::string& damaged :
         {std::string(), std::string("Date: 04-01-2024\r\n  (none)\r\n"),
          "Date: 04-01-2024\r\n  (judged up to 11:45 UTC; later cycles are not yet due)\r\n" + banner4}) {
        Write(path4, damaged);
        run(false);
        EXPECT_EQ(done[1].step, BackfillStep::Write) << damaged;
        EXPECT_EQ(test::ReadFile(path4), single) << damaged;
    }
    // A folder in its place cannot be: the day fails, naming it.
    fs::remove(path4);
    fs::create_directories(path4 / "inside");
    run(false);
    ASSERT_TRUE(done[1].saveError);
    EXPECT_EQ(*done[1].saveError,
              "cannot replace " + path4.string() + ": it is a folder, not a regular file");
    EXPECT_TRUE(fs::is_directory(path4 / "inside"));
}

TEST(RangeSummary, LinesUnderTheirTitles) {
    EXPECT_EQ(RangeSummaryHeading(),
              "day         missing cycles  channels  segments  late segments  products  sequence nos.");
    const DaySummary s{1, 3, 12, 2, 1, 4};
    EXPECT_EQ(RangeSummaryLine(D(2024, 6, 1), s),
              "2024-06-01               1         3        12              2         1              4");
    EXPECT_EQ(RangeSummaryLine(D(2024, 6, 1), s, true).substr(86), "  so far");
    EXPECT_EQ(RangeTotalsLine(s, 2),
              "total                    1         3        12              2         1              4"
              "  (2 days not reported)");
    EXPECT_EQ(RangeErrorLine(D(2024, 6, 2), "''$ZZ'' is not a valid integer value", "in SegHistory.log"),
              "2024-06-02  not reported: ''$ZZ'' is not a valid integer value (in SegHistory.log)");
    // Before the logs begin only what has logs of its own is counted.
    EXPECT_EQ(RangeBeforeLogsBeginLine(D(2024, 5, 31), s),
              "2024-05-31               -         -         -              2         -              4"
              "  before the logs begin");
}

}  // namespace
}  // namespace gapscope
