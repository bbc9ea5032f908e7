#include "report/sequence_report.h"

#include <gtest/gtest.h>

namespace gapscope {
namespace {

using namespace std::chrono_literals;

constexpr SequenceKind kDcp = 0;
constexpr SequenceKind kWmoIodc = 8;
const std::string kDuplicates = "  Multiple files with same sequence number";

std::string WithCharsAt(std::size_t length, char c, std::initializer_list<std::size_t> positions) {
    std::string s(length, 'x');
    for (std::size_t p : positions) s[p - 1] = c;
    return s;
}

TEST(SequenceReportBlock, OneMissingNumberIsNamed) {
    const Lines block = SequenceReportBlock(kDcp, WithCharsAt(120, '_', {17}), false);
    EXPECT_EQ(block, (Lines{" ", "_______________________", "DCP report",
                            "  120 DCP sequence nos. found, 1 missing, seq. 17"}));
}

TEST(SequenceReportBlock, SeveralMissingNumbersAreOnlyCounted) {
    const Lines block = SequenceReportBlock(kWmoIodc, WithCharsAt(50, '_', {3, 40}), false);
    ASSERT_EQ(block.size(), 4u);
    EXPECT_EQ(block[2], "DCP/WMO/IODC report");
    EXPECT_EQ(block[3], "  50 DCP/WMO/IODC sequence nos. found, 2 missing");

    const Lines none = SequenceReportBlock(kDcp, std::string(7, '_'), false);
    EXPECT_EQ(none.back(), "  7 DCP sequence nos. found, 7 missing");
}

TEST(SequenceReportBlock, EveryKindHasItsTitleAndCountLine) {
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"DCP report", "  3 DCP sequence nos. found, 0 missing"},
        {"MDD report", "  3 GTS sequence nos. found, 0 missing"},
        {"MDD_3 report", "  3 GTS (MDD_3) sequence nos. found, 0 missing"},
        {"MDD (ACMAD) report", "  3 GTS/ACMAD sequence nos. found, 0 missing"},
        {"MDD_4 (ACMAD) report", "  3 GTS/ACMAD (MDD_4) sequence nos. found, 0 missing"},
        {"MDD_5 (LAM) report", "  3 GTS/LAM (MDD_5) sequence nos. found, 0 missing"},
        {"DCP/WMO report", "  3 DCP/WMO sequence nos. found, 0 missing"},
        {"DCP/IODC report", "  3 DCP/IODC sequence nos. found, 0 missing"},
        {"DCP/WMO/IODC report", "  3 DCP/WMO/IODC sequence nos. found, 0 missing"},
    };
    for (SequenceKind kind = 0; kind < 9; ++kind) {
        const Lines block = SequenceReportBlock(kind, "abc", true);
        EXPECT_EQ(block, (Lines{" ", expected[kind].first, expected[kind].second}));
    }
    EXPECT_TRUE(SequenceReportBlock(9, "abc", false).empty());
}

TEST(SequenceReportBlock, DuplicatesNamedOnlyForOneEarlyRun) {
    const auto duplicateLine = [](const std::string& s) {
        const Lines block = SequenceReportBlock(kDcp, s, false);
        return block.size() == 5 ? block[4] : std::string("(no duplicate line)");
    };
    EXPECT_EQ(duplicateLine(WithCharsAt(40, '#', {2})), kDuplicates + ", seq. 2");
    EXPECT_EQ(duplicateLine(WithCharsAt(40, '#', {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})),
              kDuplicates + ", files 1-12");
    EXPECT_EQ(duplicateLine(WithCharsAt(40, '#', {3, 4})), kDuplicates + ", files 3-4");
    EXPECT_EQ(duplicateLine(WithCharsAt(40, '#', {1, 5})), kDuplicates);
    EXPECT_EQ(duplicateLine(WithCharsAt(40, '#', {4})), kDuplicates);
    EXPECT_EQ(duplicateLine(WithCharsAt(40, '_', {4})), "(no duplicate line)");

    // A later duplicate is looked for only in the 9999 numbers after the first run.
    EXPECT_EQ(duplicateLine(WithCharsAt(10002, '#', {1, 10000})), kDuplicates);
    EXPECT_EQ(duplicateLine(WithCharsAt(10002, '#', {1, 10001})), kDuplicates + ", seq. 1");
}

TEST(AddSequenceReport, LooksUpTheDayAndKindIgnoringCase) {
    const HistoryLog log = HistoryLog::FromBytes(
        "20240104-dcp=___\r\n"
        "20240105-DCP=ab_d\r\n"
        "20240105-dcp=zzzz\r\n"
        "20240105-gts=\r\n");
    const Day day{2024y / 1 / 5};
    Lines list = {"existing"};
    AddSequenceReport(log, day, kDcp, true, list);
    AddSequenceReport(log, day, 1, true, list);  // empty value
    AddSequenceReport(log, day, 7, true, list);  // no line
    EXPECT_EQ(list, (Lines{"existing", " ", "DCP report",
                           "  4 DCP sequence nos. found, 1 missing, seq. 3"}));
}

}  // namespace
}  // namespace gapscope
