#include "report/day_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/test_support.h"

namespace gapscope {
namespace {

using std::chrono::year;

Day D(int y, unsigned m, unsigned d) {
    return Day{year{y} / std::chrono::month{m} / std::chrono::day{d}};
}

StartupState Station(std::string seg, ScanMode mode = ScanMode::Prime, std::string late = "",
                     std::string files = "") {
    StartupState s;
    s.SegHistory = HistoryLog::FromBytes(seg);
    s.LateSegHistory = HistoryLog::FromBytes(late);
    s.FileHistory = HistoryLog::FromBytes(files);
    s.Mode = mode;
    return s;
}

Lines Header(const std::string& date, const std::string& title) { return {date, "", title}; }

Lines Concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const Lines kChannelKey = {" ", "Channel key:", " 01=VIS006  02=VIS008  03=IR016  04=IR039",
                           " 05=WV062  06=WV073  07=IR087  08=IR097",
                           " 09=IR108  10=IR120  11=IR134  12=HRV"};

TEST(DayReport, EmptyHistoryListsEveryCycleAndNothingElse) {
    const auto r = BuildDayReport(Station(""), ReportOptions{}, D(2024, 1, 5));
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.lists.missingSlots,
              Concat(Header("Date: 2024-Jan-05, day 005", "Missing cycles report"), {" 0000.. 2345"}));
    EXPECT_EQ(r.lists.missingSegs,
              Concat(Header("Date: 2024-Jan-05", "Missing HRIT segments report"), {"  (none)"}));
    EXPECT_EQ(r.lists.lateSegs, Concat(Header("Date: 2024-Jan-05", "Late segments report"), {"  (none)"}));
    EXPECT_EQ(r.lists.missingProduct,
              Concat(Header("Date: 2024-Jan-05", "Missing rebroadcast & derived products report"),
                     {"  (none)"}));

    ReportOptions noMpef;
    noMpef.includeMpef = false;
    noMpef.includeLrit = true;
    const auto n = BuildDayReport(Station(""), noMpef, D(2024, 1, 5));
    EXPECT_EQ(n.lists.missingProduct.back(), "  (not checked)");
    EXPECT_EQ(n.lists.missingSegs[2], "Missing HRIT & LRIT segments report");
}

TEST(DayReport, RapidScanWholeDayMissingIsOneLine) {
    const auto r = BuildDayReport(Station("", ScanMode::RapidScan), ReportOptions{}, D(2024, 1, 5));
    EXPECT_EQ(r.lists.missingSlots,
              Concat(Header("Date: 2024-Jan-05, day 005", "Missing Rapid Scan cycles report"),
                     {" 0000..2355"}));
    EXPECT_EQ(r.lists.missingSegs[2], "Missing HRIT Rapid Scan segments report");
    EXPECT_EQ(r.lists.missingProduct[2], "Missing Rapid Scan products report");
    EXPECT_EQ(r.lists.lateSegs[2], "Late Rapid Scan segments report");
}

TEST(DayReport, OneCycleWithIncompleteChannelProductsLateSegmentsAndSequences) {
    const std::string seg =
        "202401051215=P=1,E=1,1=FF,2=FF,3=FF,4=FF,5=FF,6=FF,7=FF,8=FF,9=F3,10=FF,11=FF,"
        "12=FFFFFF\r\n";
    const std::string late = "202401051215=9=0C,12=C00000\r\n";
    std::string dcp(120, 'x');
    dcp[16] = '_';
    const std::string files = "20240105-dcp=" + dcp + "\r\n";
    const StartupState s = Station(seg, ScanMode::Prime, late, files);
    const auto r = BuildDayReport(s, ReportOptions{}, D(2024, 1, 5));
    ASSERT_FALSE(r.error);

    EXPECT_EQ(r.lists.missingSegs,
              Concat(Concat(Header("Date: 2024-Jan-05", "Missing HRIT segments report"),
                            {"Cycle: 1215", "   HRIT ch 09,  seg: 3 4 "}),
                     kChannelKey));
    EXPECT_EQ(r.lists.lateSegs,
              Concat(Header("Date: 2024-Jan-05", "Late segments report"),
                     {"Cycle: 1215", "   HRIT ch 09,  seg: 3 4 ", "   HRIT ch 12,  seg: 23 24 "}));

    Lines slots = Concat(Header("Date: 2024-Jan-05, day 005", "Missing cycles report"),
                         {" 0000.. 1200"});
    for (int m = 12 * 60 + 30; m < 1440; m += 15) {
        char hhnn[8];
        std::snprintf(hhnn, sizeof hhnn, " %02d%02d", m / 60, m % 60);
        slots.push_back(hhnn);
    }
    EXPECT_EQ(r.lists.missingSlots, slots);

    // The prolog/epilog entries make the other part non-empty, so the quarter-hourly
    // products are due; FY-2G was never seen on a day the history covers.
    EXPECT_EQ(r.lists.missingProduct,
              Concat(Header("Date: 2024-Jan-05", "Missing rebroadcast & derived products report"),
                     {"", "Cycle: 0000..2300", "   FY-2G missing", "Cycle: 1215", "   CLM   missing",
                      "   CTH   missing", "   GII   missing", "   FIRG   missing", "   MPE   missing",
                      " ", "Key:  FY-2x, GOES-nn & HIMn = FSD", " ", "_______________________",
                      "DCP report", "  120 DCP sequence nos. found, 1 missing, seq. 17"}));

    // A run depends only on its inputs.
    EXPECT_EQ(BuildDayReport(s, ReportOptions{}, D(2024, 1, 5)).lists, r.lists);
}

// The same station on its first day, its logs beginning at 12:15, reported at 13:45: the
// cycles before 12:15 and after 13:15 are named nowhere, the day-long line names the
// cycles judged, and the closing notes say so.
TEST(DayReport, TheFirstAndCurrentDayNamesOnlyTheCyclesJudged) {
    std::string full = "P=1,E=1";
    for (int n = 1; n <= 11; ++n) full += "," + std::to_string(n) + "=FF";
    full += ",12=FFFFFF";
    StartupState s = Station("202401051215=" + full + "\r\n202401051300=" + full + "\r\n",
                             ScanMode::Prime, "202401051330=9=0C\r\n");
    DeriveStartupFlags(s);
    RunInputs now;
    now.now = MinuteTime{D(2024, 1, 5)} + std::chrono::minutes{13 * 60 + 45};
    const auto r = BuildDayReportWith(s, ReportOptions{}, D(2024, 1, 5), now);
    EXPECT_EQ(r.lists.missingSlots,
              Concat(Header("Date: 2024-Jan-05, day 005", "Missing cycles report"),
                     {" 1230.. 1245", " 1315",
                      "  (before the logs begin: first record 2024-01-05 12:15 UTC)",
                      "  (judged up to 13:15 UTC; later cycles are not yet due)"}));
    EXPECT_EQ(r.lists.lateSegs,
              Concat(Header("Date: 2024-Jan-05", "Late segments report"), {"  (none)"}));
    EXPECT_TRUE(Has(r.lists.missingProduct, "Cycle: 1300..1300"));
    EXPECT_EQ(r.findings.absentAllDay.front().cycles, "1300..1300");
    EXPECT_EQ(r.findings.beforeLogsBegin.size(), 49u);  // 00:00 to 12:00
}

// LateSegHistory.log reaches back further than the segment history, which begins on the
// 5th at 12:15: the late list stands, on a day wholly before and before 12:15 on the 5th,
// and a bad mask there is told as on any day.
TEST(DayReport, TheLateListStandsBeforeTheLogsBegin) {
    StartupState s = Station("202401051215=P=1,E=1\r\n", ScanMode::Prime,
                             "202401040900=9=03\r\n202401051000=12=C00000\r\n"
                             "202401051230=1=80\r\n202401030600=2=Q\r\n");
    DeriveStartupFlags(s);
    const auto before = BuildDayReport(s, ReportOptions{}, D(2024, 1, 4));
    ASSERT_FALSE(before.error);
    EXPECT_EQ(before.lists.lateSegs, Concat(Header("Date: 2024-Jan-04", "Late segments report"),
                                            {"Cycle: 0900", "   HRIT ch 09,  seg: 1 2 "}));
    EXPECT_EQ(before.lists.missingSegs.back(),
              "  (before the logs begin: first record 2024-01-05 12:15 UTC)");
    ASSERT_EQ(before.findings.late.size(), 1u);
    EXPECT_EQ(before.findings.late[0].minute, 9 * 60);
    EXPECT_TRUE(before.findings.missing.empty());

    const auto first = BuildDayReport(s, ReportOptions{}, D(2024, 1, 5));
    EXPECT_EQ(first.lists.lateSegs,
              Concat(Header("Date: 2024-Jan-05", "Late segments report"),
                     {"Cycle: 1000", "   HRIT ch 12,  seg: 23 24 ", "Cycle: 1230",
                      "   HRIT ch 01,  seg: 8 "}));
    EXPECT_EQ(first.findings.late.size(), 2u);

    const auto bad = BuildDayReport(s, ReportOptions{}, D(2024, 1, 3));
    ASSERT_TRUE(bad.error);
    EXPECT_EQ(bad.errorPlace,
              "in LateSegHistory.log, minute key 202401030600 (2024-01-03 06:00 UTC), item 2");
}

// The file history: DCP last on the 3rd (seven days before the 10th), MDD on the 2nd (eight
// days before), DCP/WMO on the 9th and 10th, MDD_4 (ACMAD) on the 8th.
TEST(DayReport, AMessageKindFallenSilentIsToldOnceTheDayIsOver) {
    const StartupState s =
        Station("", ScanMode::Prime, "",
                "20240103-dcp=ab\r\n20240102-gts=ab\r\n20240109-wmo=a\r\n20240110-wmo=a_\r\n"
                "20240108-acmad-4=a\r\n");
    const Day day = D(2024, 1, 10);
    const auto over = BuildDayReport(s, ReportOptions{}, day);
    EXPECT_EQ(over.findings.noMessageRecorded, (std::vector<SequenceKind>{0, 4}));
    // The text tells only the blocks of what was recorded.
    const Lines& product = over.lists.missingProduct;
    EXPECT_FALSE(Has(product, "DCP report"));
    EXPECT_TRUE(Has(product, "DCP/WMO report"));

    RunInputs now;
    now.now = MinuteTime{day} + std::chrono::minutes{23 * 60 + 59};
    const auto current = BuildDayReportWith(s, ReportOptions{}, day, now);
    EXPECT_FALSE(current.findings.noMessageRecorded);
    EXPECT_EQ(current.lists.missingProduct, product);
    now.now = MinuteTime{day + std::chrono::days{1}};
    EXPECT_EQ(BuildDayReportWith(s, ReportOptions{}, day, now).findings.noMessageRecorded,
              over.findings.noMessageRecorded);

    // No sequence numbers are looked at with "MSG FTP LRIT only".
    ReportOptions lritOnly;
    lritOnly.met8LritOnly = true;
    EXPECT_FALSE(BuildDayReport(s, lritOnly, day).findings.noMessageRecorded);
}

TEST(DayReport, DataThatCannotBeReadGivesListsThatJudgeNothing) {
    StartupState s = Station("", ScanMode::Iodc);
    const DayReport lists =
        NothingToJudge(s, ReportOptions{}, D(2024, 1, 5), "cannot read X: Permission denied");
    const std::string line = "  (nothing to judge: cannot read X: Permission denied)";
    EXPECT_EQ(lists.missingSlots,
              Concat(Header("Date: 2024-Jan-05, day 005", "Missing IODC cycles report"), {line}));
    EXPECT_EQ(lists.missingSegs,
              Concat(Header("Date: 2024-Jan-05", "Missing HRIT IODC segments report"), {line}));
    EXPECT_EQ(lists.missingProduct.back(), line);
    EXPECT_EQ(lists.lateSegs.back(), line);
}

TEST(DayReport, LritIsScannedOnlyAtQuarterPastAndQuarterTo) {
    std::string hrit = "P=3,E=3";
    for (int n = 1; n <= 11; ++n) hrit += "," + std::to_string(n) + "=FF";
    hrit += ",12=FFFFFF";
    const StartupState s =
        Station("202401051200=" + hrit + "\n202401051215=" + hrit + "\n", ScanMode::Prime);
    ReportOptions o;
    o.includeLrit = true;
    const auto r = BuildDayReport(s, o, D(2024, 1, 5));
    EXPECT_EQ(r.lists.missingSegs,
              Concat(Concat(Header("Date: 2024-Jan-05", "Missing HRIT & LRIT segments report"),
                            {"Cycle: 1215", "   LRIT ch 01   all missing", "   LRIT ch 03   all missing",
                             "   LRIT ch 04   all missing", "   LRIT ch 05   all missing",
                             "   LRIT ch 09   all missing"}),
                     kChannelKey));
}

TEST(DayReport, LritOnlyStationListsQuarterCyclesAndNoProductsOrSequences) {
    const StartupState s = Station("", ScanMode::Prime, "", "20240105-dcp=xx_x\r\n");
    ReportOptions o;
    o.met8LritOnly = true;
    const auto r = BuildDayReport(s, o, D(2024, 1, 5));
    ASSERT_EQ(r.lists.missingSlots.size(), 3u + 48u);
    EXPECT_EQ(r.lists.missingSlots[3], " 0015");
    EXPECT_EQ(r.lists.missingSlots[4], " 0045");
    EXPECT_EQ(r.lists.missingSlots.back(), " 2345");
    EXPECT_EQ(r.lists.missingProduct,
              Concat(Header("Date: 2024-Jan-05", "Missing rebroadcast & derived products report"),
                     {"  (none)"}));
}

TEST(DayReport, HimawariReportChecksItsOwnCadenceOnly) {
    StartupState s = Station("202401050000=93=3FF\r\n");
    s.switches.himawari = true;
    ReportOptions o;
    o.himawari30min = true;
    const auto r = BuildDayReport(s, o, D(2024, 1, 5));
    const Lines& p = r.lists.missingProduct;
    EXPECT_EQ(p[0], "Date: 2024-Jan-05, day 005");
    EXPECT_EQ(p[2], "Missing Himawari report");
    EXPECT_EQ(p[3], "Cycle: 0000");
    EXPECT_EQ(p[4], "   HIM9-IR1   all missing");
    EXPECT_TRUE(Has(p, "Cycle: 0010"));
    EXPECT_TRUE(Has(p, "   HIM9 all 16 channels missing"));
    EXPECT_FALSE(Has(p, "Cycle: 0240"));
    EXPECT_FALSE(Has(p, "Cycle: 1440"));
    EXPECT_FALSE(Has(p, "Cycle: 0015"));
    EXPECT_EQ(r.lists.missingSlots.back(), "  (none)");
    EXPECT_EQ(r.lists.missingSegs.back(), "  (none)");
}

TEST(DayReport, BadMaskStopsTheRunWithItsMessage) {
    const auto r = BuildDayReport(Station("202401050000=P=1,E=1,9=ZZ\r\n"), ReportOptions{},
                                  D(2024, 1, 5));
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "''$ZZ'' is not a valid integer value");
    EXPECT_EQ(r.errorPlace,
              "in SegHistory.log, minute key 202401050000 (2024-01-05 00:00 UTC), item 9");
    EXPECT_EQ(r.lists.missingSegs.size(), 3u);

    // A late mask is named in its own log; in rapid scan the item carries its prefix.
    const auto late = BuildDayReport(Station("", ScanMode::Prime, "202401051215=12=C0Q\r\n"),
                                     ReportOptions{}, D(2024, 1, 5));
    EXPECT_EQ(late.errorPlace,
              "in LateSegHistory.log, minute key 202401051215 (2024-01-05 12:15 UTC), item 12");
    const auto rapid = BuildDayReport(Station("202401052355=RP=1,RE=1,R1=E0,R2=-1\r\n",
                                              ScanMode::RapidScan),
                                      ReportOptions{}, D(2024, 1, 5));
    EXPECT_EQ(rapid.errorPlace,
              "in SegHistory.log, minute key 202401052355 (2024-01-05 23:55 UTC), item R2");
}

TEST(DayReport, IodcProductsBeforeTheServiceStartedAreNotChecked) {
    std::string rec = "IP=1,IE=1";
    for (int n = 1; n <= 11; ++n) rec += ",I" + std::to_string(n) + "=FF";
    rec += ",I12=FFFFFF";
    const auto before = BuildDayReport(Station("201601011200=" + rec + "\n", ScanMode::Iodc),
                                       ReportOptions{}, D(2016, 1, 1));
    EXPECT_EQ(before.lists.missingProduct,
              Concat(Header("Date: 2016-Jan-01", "Missing IODC products report"),
                     {"  (not checked, IODC MPEF not yet started)"}));
    const auto after = BuildDayReport(Station("201701011200=" + rec + "\n", ScanMode::Iodc),
                                      ReportOptions{}, D(2017, 1, 1));
    EXPECT_EQ(after.lists.missingProduct.back(), "   OCAE   missing");
    EXPECT_TRUE(Has(after.lists.missingProduct, "   MPE   missing"));
}

TEST(DayReport, RapidScanProductEndings) {
    std::string rec = "RP=1,RE=1";
    for (int n = 1; n <= 11; ++n) rec += ",R" + std::to_string(n) + "=E0";
    rec += ",R12=FF8000";
    const std::string withFir = "202401051200=" + rec + ",R52=1\n";
    const std::string without = "202401051200=" + rec + "\n";
    const Lines header = Header("Date: 2024-Jan-05", "Missing Rapid Scan products report");

    const auto some = BuildDayReport(Station(withFir, ScanMode::RapidScan), ReportOptions{},
                                     D(2024, 1, 5));
    EXPECT_EQ(some.lists.missingProduct,
              Concat(header, {"Cycle: 1200", "   MPE   missing", "   RII   missing"}));

    const auto none = BuildDayReport(Station(without, ScanMode::RapidScan), ReportOptions{},
                                     D(2024, 1, 5));
    EXPECT_EQ(none.lists.missingProduct, Concat(header, {"  (no products found)"}));

    // No process.log in the data directory: the day counts as a fill-in day, even though
    // a product arrived.
    const test::TempDir temp("gapscope-day-report-partial-");
    const auto& dir = temp.path();
    StartupState s = Station(withFir, ScanMode::RapidScan);
    s.DataDirectory = dir.string() + "/";
    ReportOptions o;
    o.disableMsg1Mpef = true;
    const auto partial = BuildDayReport(s, o, D(2024, 1, 5));
    EXPECT_EQ(partial.lists.missingProduct, Concat(header, {"  (not checked, partial scan)"}));
}

TEST(DayReport, MpeMarkerAndGoes12Lines) {
    StartupState s = Station("");
    s.switches.noMpe = true;
    const auto marked = BuildDayReport(s, ReportOptions{}, D(2018, 6, 1));
    EXPECT_EQ(marked.lists.missingProduct,
              Concat(Header("Date: 2018-Jun-01", "Missing rebroadcast & derived products report"),
                     {"  *** MPE (not checked) ***", " ", "Key:  FY-2x, GOES-nn & HIMn = FSD"}));
    // After the marker era, nothing is said about MPE.
    EXPECT_EQ(BuildDayReport(s, ReportOptions{}, D(2019, 7, 10)).lists.missingProduct.back(),
              "  (none)");

    ReportOptions bypass;
    bypass.goes12Bypass = true;
    EXPECT_EQ(BuildDayReport(Station(""), bypass, D(2018, 6, 1)).lists.missingProduct,
              Concat(Header("Date: 2018-Jun-01", "Missing rebroadcast & derived products report"),
                     {"  (none)", "  GOES-12 set as \"from GOES-10\""}));
    EXPECT_EQ(BuildDayReport(Station("", ScanMode::RapidScan), bypass, D(2018, 6, 1))
                  .lists.missingProduct.back(),
              "  (none)");
}

TEST(DayReport, DecontaminatingKeepsOnlyFourHritChannels) {
    const auto r = BuildDayReport(Station("202401051215=P=1,E=1,1=FF\n"), [] {
        ReportOptions o;
        o.decontaminating = true;
        return o;
    }(), D(2024, 1, 5));
    EXPECT_EQ(r.lists.missingSegs,
              Concat(Concat(Header("Date: 2024-Jan-05", "Missing HRIT segments report"),
                            {"Cycle: 1215", "   HRIT ch 02   all missing", "   HRIT ch 03   all missing",
                             "   HRIT ch 12   all missing"}),
                     kChannelKey));
}

TEST(DayReport, DayOfYearEnds) {
    EXPECT_EQ(BuildDayReport(Station(""), ReportOptions{}, D(2024, 12, 31)).lists.missingSlots[0],
              "Date: 2024-Dec-31, day 366");
    EXPECT_EQ(BuildDayReport(Station(""), ReportOptions{}, D(2023, 1, 1)).lists.missingSlots[0],
              "Date: 2023-Jan-01, day 001");
}

TEST(DayReport, Fy2eIsLookedForAtHalfPastTheHour) {
    ReportOptions o;
    o.hourlyFy2e = true;
    o.hourlyFy2g = false;
    const auto seen = BuildDayReport(Station("202401050030=77=1\n"), o, D(2024, 1, 5));
    EXPECT_FALSE(Has(seen.lists.missingProduct, "   FY-2E missing"));
    const auto absent = BuildDayReport(Station("202401050100=P=1\n"), o, D(2024, 1, 5));
    EXPECT_TRUE(Has(absent.lists.missingProduct, "Cycle: 0030..2330"));
    EXPECT_TRUE(Has(absent.lists.missingProduct, "   FY-2E missing"));
}

}  // namespace
}  // namespace gapscope
