#include "report/post_passes.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace gapscope {
namespace {

Lines Header() {
    return {"Date: 2024-Jan-05", "", "Missing Rapid Scan products report"};
}

Lines WithHeader(const Lines& body) {
    Lines lines = Header();
    lines.insert(lines.end(), body.begin(), body.end());
    return lines;
}

std::string Hhnn(int hour, int minute) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%.2d%.2d", hour, minute);
    return buffer;
}

const std::vector<std::string> kHimawariBands = {"VIS", "IR1", "IR2", "IR3", "IR4", "B04",
                                                 "B05", "B10", "B11", "B14", "B16", "B09",
                                                 "B06", "B12", "B01", "B02"};

Lines HimawariAllMissing(const std::string& prefix, std::size_t bands) {
    Lines lines;
    for (std::size_t i = 0; i < bands; ++i) {
        lines.push_back("   " + prefix + "-" + kHimawariBands[i] + "   all missing");
    }
    return lines;
}

// Heading and "   RII   all missing" for each 5-minute cycle of the hour.
Lines RiiHour(int hour) {
    Lines lines;
    for (int minute = 0; minute < 60; minute += 5) {
        lines.push_back("Cycle: " + Hhnn(hour, minute));
        lines.push_back("   RII   all missing");
    }
    return lines;
}

Lines MpeCycles(int fromMinuteOfDay, int count) {
    Lines lines;
    for (int i = 0; i < count; ++i) {
        const int m = fromMinuteOfDay + 5 * i;
        lines.push_back("Cycle: " + Hhnn(m / 60, m % 60));
        lines.push_back("   MPE   missing");
    }
    return lines;
}

void Append(Lines& to, const Lines& more) {
    to.insert(to.end(), more.begin(), more.end());
}

TEST(CycleNumber, ParsesTrimmedHoursAndMinutesPerMode) {
    EXPECT_EQ(CycleNumber(" 0945", ScanMode::Prime), 39);
    EXPECT_EQ(CycleNumber(" 0945", ScanMode::Iodc), 39);
    EXPECT_EQ(CycleNumber(" 0945", ScanMode::RapidScan), 117);
    EXPECT_EQ(CycleNumber("2355\t", ScanMode::RapidScan), 287);
    EXPECT_EQ(CycleNumber("09", ScanMode::Prime), -1);
    EXPECT_EQ(CycleNumber("", ScanMode::Prime), -1);
    EXPECT_EQ(CycleNumber("  (none)", ScanMode::Prime), -1);
    EXPECT_EQ(CycleNumber("09x5", ScanMode::Prime), -1);
}

TEST(CycleText, InvertsCycleNumberForEveryCycleOfTheDay) {
    EXPECT_EQ(CycleText(123, ScanMode::RapidScan), "1015");
    EXPECT_EQ(CycleText(41, ScanMode::Prime), "1015");
    for (ScanMode mode : {ScanMode::Prime, ScanMode::RapidScan}) {
        const int cycles = mode == ScanMode::RapidScan ? 288 : 96;
        for (int n = 0; n < cycles; ++n) {
            EXPECT_EQ(CycleNumber(CycleText(n, mode), mode), n);
        }
    }
}

TEST(CollapseMissingCycles, CollapsesOnlyTheRunStartingWithTheFirstCycle) {
    Lines lines = WithHeader({" 0300", " 0315", " 0330", " 1200", " 1215"});
    CollapseMissingCycles(lines, ScanMode::Prime);
    EXPECT_EQ(lines, WithHeader({" 0300.. 0330", " 1200", " 1215"}));

    lines = WithHeader({" 0300", " 0315", " 1200"});
    CollapseMissingCycles(lines, ScanMode::Prime);
    EXPECT_EQ(lines, WithHeader({" 0300.. 0315", " 1200"}));

    const Lines gapFirst = WithHeader({" 0300", " 0330", " 0345"});
    lines = gapFirst;
    CollapseMissingCycles(lines, ScanMode::Prime);
    EXPECT_EQ(lines, gapFirst);
}

TEST(CollapseMissingCycles, LeavesShortListsAlone) {
    for (const Lines& body : {Lines{" 1200"}, Lines{"  (none)"}}) {
        Lines lines = WithHeader(body);
        CollapseMissingCycles(lines, ScanMode::Prime);
        EXPECT_EQ(lines, WithHeader(body));
    }
}

TEST(CollapseMissingCycles, WholeDayOfMissingCycles) {
    Lines rapid = Header();
    for (int m = 0; m < 1440; m += 5) rapid.push_back(" " + Hhnn(m / 60, m % 60));
    CollapseMissingCycles(rapid, ScanMode::RapidScan);
    EXPECT_EQ(rapid, WithHeader({" 0000..2355"}));

    Lines prime = Header();
    for (int m = 0; m < 1440; m += 15) prime.push_back(" " + Hhnn(m / 60, m % 60));
    CollapseMissingCycles(prime, ScanMode::Prime);
    EXPECT_EQ(prime, WithHeader({" 0000.. 2345"}));
}

TEST(CompactProductList, ShortListOnlyRenamesHimawari) {
    const Lines fy2g = WithHeader({"   FY-2G-IR1   missing", "   FY-2G-IR2   missing",
                                   "   FY-2G-IR3   missing", "   FY-2G-IR4   missing",
                                   "   FY-2G-VIS   missing", "   FY-2G-VIS1KM   missing"});
    ASSERT_EQ(fy2g.size(), 9u);
    Lines lines = fy2g;
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines, fy2g);

    lines = WithHeader({"Cycle: 0000", "   HIM8-B04,  seg: 3 ", "   HIM8-VIS   all missing"});
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines,
              WithHeader({"Cycle: 0000", "   HIM9-B04,  seg: 3 ", "   HIM9-VIS   all missing"}));
}

TEST(CompactProductList, SummarisesHimawariGroupsLargestFirst) {
    Lines body = {"Cycle: 0000"};
    Append(body, HimawariAllMissing("HIM8", 16));
    body.push_back("Cycle: 0010");
    Append(body, HimawariAllMissing("HIM9", 13));
    body.push_back("   HIM9-B12,  seg: 4 5 ");
    body.push_back("   HIM9-B01   all missing");
    body.push_back("Cycle: 0020");
    Append(body, HimawariAllMissing("HIM9", 14));
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines, WithHeader({"Cycle: 0000", "   HIM9 all 16 channels missing", "Cycle: 0010",
                                 "   HIM9 all 13 channels missing", "   HIM9-B12,  seg: 4 5 ",
                                 "   HIM9-B01   all missing", "Cycle: 0020",
                                 "   HIM9 all 14 channels missing"}));
}

TEST(CompactProductList, SummarisesSatelliteGroups) {
    Lines lines = WithHeader(
        {"", "Cycle: 0000", "   FY-2G-IR1   missing", "   FY-2G-IR2   missing",
         "   FY-2G-IR3   missing", "   FY-2G-IR4   missing", "   FY-2G-VIS   missing",
         "   FY-2G-VIS1KM   missing", "   GOES-13-VIS   all missing", "   GOES-13-IR   all missing",
         "   GOES-13-WV   all missing", "   GOES-13-MIR   all missing", "Cycle: 0300",
         "   GOES-15-VIS   all missing", "   GOES-15-IR   all missing",
         "   GOES-15-WV   all missing", "   GOES-15-MIR,  seg: 2 "});
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines, WithHeader({"", "Cycle: 0000", "   FY-2G all 6 channels missing",
                                 "   GOES-13 all 4 channels missing", "Cycle: 0300",
                                 "   GOES-15-VIS   all missing", "   GOES-15-IR   all missing",
                                 "   GOES-15-WV   all missing", "   GOES-15-MIR,  seg: 2 "}));
}

// The groups are matched in the list's text: the first line of a group only has to end a
// line, and the last only has to begin one.
TEST(CompactProductList, GroupsMatchInTheJoinedText) {
    Lines lines =
        WithHeader({"Cycle: 0000", "Cycle: 0015   FY-2G-IR1   missing", "   FY-2G-IR2   missing",
                    "   FY-2G-IR3   missing", "   FY-2G-IR4   missing", "   FY-2G-VIS   missing",
                    "   FY-2G-VIS1KM   missing (late)", "   MPE   missing"});
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines, WithHeader({"Cycle: 0000", "Cycle: 0015   FY-2G all 6 channels missing (late)",
                                 "   MPE   missing"}));
}

TEST(CompactProductList, SummarisesWholeRiiHours) {
    Lines body = RiiHour(5);
    body.push_back("   MPE   missing");  // a further item of cycle 0555
    Append(body, RiiHour(6));
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines, WithHeader({"   RII all missing:  0500..0555", "   MPE   missing",
                                 "   RII all missing:  0600..0655"}));
}

TEST(CompactProductList, RiiHourWithAnotherItemInsideIsKept) {
    Lines body = RiiHour(7);
    body.insert(body.begin() + 10, "   MPE   missing");  // after the RII line of 0720
    const Lines lines0 = WithHeader(body);
    Lines lines = lines0;
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines, lines0);
}

TEST(CompactProductList, MpeTailRunIsSummarisedInRapidScan) {
    Lines body = {"Cycle: 2300", "   RII   all missing"};
    Append(body, MpeCycles(23 * 60 + 35, 5));
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::RapidScan);
    EXPECT_EQ(lines, WithHeader({"Cycle: 2300", "   RII   all missing", "Cycles 2335..2355",
                                 "   MPE   missing"}));

    // Prime mode never summarises the run.
    lines = WithHeader(body);
    CompactProductList(lines, ScanMode::Prime);
    EXPECT_EQ(lines, WithHeader(body));
}

TEST(CompactProductList, MpeTailRunOfFourIsKept) {
    Lines body = {"Cycle: 2300", "   RII   all missing"};
    Append(body, MpeCycles(23 * 60 + 40, 4));
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::RapidScan);
    EXPECT_EQ(lines, WithHeader(body));
}

TEST(CompactProductList, MpeTailRunStopsAtAGap) {
    Lines body = MpeCycles(10 * 60, 2);        // 1000, 1005
    Append(body, MpeCycles(10 * 60 + 15, 5));  // 1015 .. 1035
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::RapidScan);
    Lines expected = MpeCycles(10 * 60, 2);
    Append(expected, {"Cycles 1015..1035", "   MPE   missing"});
    EXPECT_EQ(lines, WithHeader(expected));
}

TEST(CompactProductList, LinesAfterTheMpeRunStay) {
    // IODC cycles are 15 minutes apart; a closing note follows the run.
    Lines body = {"Cycle: 0900", "   CRM   missing"};
    for (int m = 20 * 60; m < 24 * 60; m += 15) {
        body.push_back("Cycle: " + Hhnn(m / 60, m % 60));
        body.push_back("   MPE   missing");
    }
    body.push_back("  GOES-12 set as \"from GOES-10\"");
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::Iodc);
    EXPECT_EQ(lines, WithHeader({"Cycle: 0900", "   CRM   missing", "Cycles 2000..2345",
                                 "   MPE   missing", "  GOES-12 set as \"from GOES-10\""}));
}

TEST(CompactProductList, MpeRunWithoutReadableHeadingIsKept) {
    Lines body = {"Cycle: 0000", "   RII   all missing", "   CLM   missing"};
    Append(body, {"   MPE   missing", "   MPE   missing", "   MPE   missing", "   MPE   missing",
                  "   MPE   missing", "   MPE   missing"});
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::RapidScan);
    EXPECT_EQ(lines, WithHeader(body));
}

TEST(CompactProductList, MpeRunDownToMidnightCountsOnlyReadableHeadings) {
    // Cycles 0000..0015 follow an MPE line under the title: four cycles, not five.
    Lines body = {"   MPE   missing"};
    Append(body, MpeCycles(0, 4));
    Lines lines = WithHeader(body);
    CompactProductList(lines, ScanMode::RapidScan);
    EXPECT_EQ(lines, WithHeader(body));
}

TEST(CompactProductList, MpeRunAtTheTopOfTheListStaysInRange) {
    // The walk goes no higher than line 2, which real lists give to their title.
    Lines atTop = MpeCycles(0, 6);
    CompactProductList(atTop, ScanMode::RapidScan);
    EXPECT_EQ(atTop,
              (Lines{"Cycle: 0000", "   MPE   missing", "Cycles 0005..0025", "   MPE   missing"}));

    // The heading of the last MPE line is line 1: the walk has no line before line 0.
    Lines odd = {"   MPE   missing", "Cycle: 0005", "   MPE   missing"};
    for (int i = 0; i < 8; ++i) odd.push_back("   CLM   missing");
    const Lines before = odd;
    CompactProductList(odd, ScanMode::Iodc);
    EXPECT_EQ(odd, before);
}

}  // namespace
}  // namespace gapscope
