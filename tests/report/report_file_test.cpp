#include "report/report_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "settings/version.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const Day kDay = Day{std::chrono::year{2024} / 1 / 5};

DayReport Lists() {
    return DayReport{{"Date: S", "", "segs title", "  (none)"},
                     {"Date: P", "", "product title", "   MPE   missing"},
                     {"Date: L", "", "late title", "  (none)"},
                     {"Date: C, day 005", "", "cycles title", " 0000.. 2345"}};
}

const BannerInfo kBanner{kVersionText, "Groundstation",
                         std::chrono::sys_days{kDay} + 6h + 10min + 42s};

TEST(ReportText, UsualFormHasSeparatorsAndBanner) {
    StartupState s;
    DayReport lists = Lists();
    const Lines expected = {"__________________________", "Date: C, day 005", "", "cycles title",
                            " 0000.. 2345", "", "_______________________", "Date: L", "",
                            "late title", "  (none)", "", "_______________________", "Date: S", "",
                            "segs title", "  (none)", "", "_______________________", "Date: P", "",
                            "product title", "   MPE   missing", "", "",
                            "[Gapscope V" + std::string(kVersionText) + " on PC Groundstation at 06:10 UTC]", ""};
    EXPECT_EQ(BuildReportText(lists, s, kBanner), expected);
    EXPECT_EQ(lists, Lists());
}

TEST(ReportText, NeatFormKeepsOnlyTheFirstDateLine) {
    StartupState s;
    s.switches.neat = true;
    DayReport lists = Lists();
    const Lines expected = {"Date: C, day 005", "", "cycles title", " 0000.. 2345", "", "late title",
                            "  (none)", "", "segs title", "  (none)", "", "product title",
                            "   MPE   missing", "", "[From: Gapscope V" + std::string(kVersionText) + "]", ""};
    EXPECT_EQ(BuildReportText(lists, s, BannerInfo{kVersionText, "", kBanner.savedAt}), expected);
}

TEST(ReportText, NeatHimawariReportHoldsOnlyTheProductsList) {
    StartupState s;
    s.switches.neat = true;
    s.switches.himawari = true;
    DayReport lists = Lists();
    const Lines expected = {"Date: P", "", "product title", "   MPE   missing", "",
                            "[Gapscope V" + std::string(kVersionText) + " on PC Groundstation at 06:10 UTC]", ""};
    EXPECT_EQ(BuildReportText(lists, s, kBanner), expected);
    EXPECT_TRUE(lists.missingSlots.empty());
    EXPECT_TRUE(lists.lateSegs.empty());
    EXPECT_TRUE(lists.missingSegs.empty());
}

TEST(ReportFileName, SuffixFollowsTheFirstMatchingRule) {
    auto name = [](ScanMode mode, bool parallel, bool himawari) {
        StartupState s;
        s.DataDirectory = "/data/";
        s.Mode = mode;
        s.switches.parallel = parallel;
        s.switches.himawari = himawari;
        return ReportFilePath(s, "/prog", kDay).string();
    };
    EXPECT_EQ(name(ScanMode::Prime, false, false), "/data/2024-01-05-missing-segments.txt");
    EXPECT_EQ(name(ScanMode::RapidScan, true, false), "/data/2024-01-05-PAR-RSS-missing-segments.txt");
    EXPECT_EQ(name(ScanMode::Iodc, true, false), "/data/2024-01-05-PAR-missing-segments.txt");
    EXPECT_EQ(name(ScanMode::RapidScan, false, true), "/data/2024-01-05-RSS-missing-segments.txt");
    EXPECT_EQ(name(ScanMode::Iodc, false, true), "/data/2024-01-05-IODC-missing-segments.txt");
    EXPECT_EQ(name(ScanMode::Prime, false, true), "/data/2024-01-05-Himawari-missing-segments.txt");

    StartupState noDirectory;
    EXPECT_EQ(ReportFilePath(noDirectory, "/prog", kDay),
              fs::path("/prog") / "2024-01-05-missing-segments.txt");
}

class ReportFileWrite : public ::testing::Test {
protected:
    test::TempDir temp_{"gapscope-report-file-"};
    const fs::path dir_ = temp_.path();
};

TEST_F(ReportFileWrite, EveryLineEndsInCrLfAndAnOlderFileIsReplaced) {
    const fs::path path = dir_ / "2024-01-05-missing-segments.txt";
    std::ofstream(path) << "an older, longer report that must disappear entirely\n";
    ASSERT_FALSE(WriteReportFile(path, {"Date: x", "", "caf\xe9"}).failure);
    EXPECT_EQ(test::ReadFile(path), "Date: x\r\n\r\ncaf\xe9\r\n");
    // Nothing but the report is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

TEST_F(ReportFileWrite, AFailedSaveLeavesTheOldReportIntact) {
    const fs::path path = dir_ / "report.txt";
    std::ofstream(path) << "good";
    // A directory in the way of the temporary file's rename target makes the replace fail.
    const fs::path blocked = dir_ / "blocked.txt";
    fs::create_directories(blocked / "inside");
    EXPECT_TRUE(WriteReportFile(blocked, {"new"}).failure);
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_TRUE(WriteReportFile(dir_ / "no-such-dir" / "r.txt", {"new"}).failure);
    EXPECT_EQ(test::ReadFile(path), "good");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 2);
}

// A computer name with a line end once split the banner, and back-fill never took the file
// for a kept report. Only control characters change: a Latin-1 name is the code page's.
TEST_F(ReportFileWrite, TheBannerStaysOneLineWhateverTheComputerIsCalled) {
    StartupState s;
    DayReport lists = Lists();
    const Lines text =
        BuildReportText(lists, s, BannerInfo{kVersionText, "North\r\n[x]\x1b[2J Esta\xe7\xe3o", kBanner.savedAt});
    EXPECT_EQ(text[text.size() - 2],
              "[Gapscope V" + std::string(kVersionText) + " on PC North??[x]?[2J Esta\xe7\xe3o at 06:10 UTC]");
    const fs::path path = dir_ / "2024-01-05-missing-segments.txt";
    ASSERT_FALSE(WriteReportFile(path, text).failure);
    EXPECT_TRUE(IsKeptReport(path));
}

}  // namespace
}  // namespace gapscope
