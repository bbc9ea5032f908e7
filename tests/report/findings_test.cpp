// The findings of a report run on small hand-made histories: what the text says in one
// line, the findings say item by item; what the text cleared, they keep with the reason.
#include "report/findings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "report/day_report.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

using std::chrono::minutes;

constexpr auto D = test::Date;

StartupState Station(std::string seg, ScanMode mode = ScanMode::Prime, std::string files = "") {
    StartupState s;
    s.SegHistory = HistoryLog::FromBytes(std::move(seg));
    s.FileHistory = HistoryLog::FromBytes(std::move(files));
    s.Mode = mode;
    return s;
}

// A cycle in which every HRIT channel and both files arrived.
std::string FullHrit(const std::string& key) {
    std::string record = key + "=P=1,E=1";
    for (int n = 1; n <= 11; ++n) record += "," + std::to_string(n) + "=FF";
    return record + ",12=FFFFFF\n";
}

std::vector<int> Minutes(const std::vector<FoundItem>& items) {
    std::vector<int> minutes;
    for (const FoundItem& item : items) minutes.push_back(item.minute);
    return minutes;
}

std::vector<ExpectedChannel> ExpectedAt(const Findings& f, int minute) {
    std::vector<ExpectedChannel> at;
    for (const ExpectedChannel& c : f.expected) {
        if (c.minute == minute) at.push_back(c);
    }
    return at;
}

ReportOptions NoProducts() {
    ReportOptions o;
    o.includeMpef = false;
    o.includeFsd = false;
    o.hourlyFy2g = false;
    return o;
}

TEST(Findings, MissingCycleListsWhatItStandsFor) {
    // 12:00 arrived in full; 12:15 lost whole; the rest of the day has no record either.
    const Findings f =
        BuildDayReport(Station(FullHrit("202401051200")), NoProducts(), D(2024, 1, 5)).findings;
    ASSERT_EQ(f.missingCycles.size(), 95u);
    EXPECT_EQ(f.missingCycles[48], 12 * 60 + 15);

    std::vector<FoundItem> at1215;
    std::copy_if(f.missing.begin(), f.missing.end(), std::back_inserter(at1215),
                 [](const FoundItem& i) { return i.minute == 735; });
    ASSERT_EQ(at1215.size(), 14u);  // both files, then the twelve channels
    EXPECT_EQ(at1215[0], (FoundItem{735, ItemKind::Prolog, 1, "HRIT prolog", true, {1},
                                    Within::MissingCycle}));
    EXPECT_EQ(at1215[1].kind, ItemKind::Epilog);
    EXPECT_EQ(at1215[13], (FoundItem{735, ItemKind::Hrit, 12, "HRIT ch 12", true,
                                     {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                      13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24},
                                     Within::MissingCycle}));
    // The cycle that arrived is expected and has nothing missing.
    EXPECT_EQ(ExpectedAt(f, 720).size(), 14u);
    const std::vector<int> minutes = Minutes(f.missing);
    EXPECT_EQ(std::count(minutes.begin(), minutes.end(), 720), 0);
    EXPECT_EQ(Summarise(f).missingCycles, 95);
    EXPECT_EQ(Summarise(f).channels, 0);  // a missing cycle counts once, as a cycle
}

TEST(Findings, CurrentDayCyclesNotYetDueAreInNoListAndNeverMissing) {
    const StartupState s = Station(FullHrit("202401051200"));
    // 12:37 less the grace of 30 minutes: due up to 12:07.
    const RunInputs at1237{MinuteTime{D(2024, 1, 5)} + minutes{12 * 60 + 37}, nullptr};
    const DayReportResult now = BuildDayReportWith(s, NoProducts(), D(2024, 1, 5), at1237);
    EXPECT_EQ(now.lists.missingSlots.back(),
              "  (judged up to 12:07 UTC; later cycles are not yet due)");
    EXPECT_EQ(now.lists.missingSlots[3], " 0000.. 1145");
    EXPECT_EQ(now.lists.missingSlots.size(), 5u);

    const Findings& f = now.findings;
    ASSERT_EQ(f.missingCycles.size(), 48u);  // 00:00 to 11:45
    EXPECT_EQ(f.missingCycles.back(), 11 * 60 + 45);
    ASSERT_EQ(f.notYetDue.size(), 47u);  // 12:15 to 23:45
    EXPECT_EQ(f.notYetDue.front(), 12 * 60 + 15);
    EXPECT_TRUE(std::all_of(f.missing.begin(), f.missing.end(),
                            [](const FoundItem& i) { return i.minute <= 12 * 60 + 7; }));
    // Still expected, so that a share received can be given later.
    EXPECT_EQ(ExpectedAt(f, 23 * 60 + 45).size(), 14u);

    // The day before is over, whatever the grace; the next day has not begun.
    const RunInputs at0010{MinuteTime{D(2024, 1, 5)} + minutes{10}, nullptr};
    const DayReportResult before = BuildDayReportWith(s, NoProducts(), D(2024, 1, 4), at0010);
    EXPECT_EQ(before.findings.missingCycles.size(), 96u);
    EXPECT_TRUE(before.findings.notYetDue.empty());
    EXPECT_EQ(before.lists, BuildDayReport(s, NoProducts(), D(2024, 1, 4)).lists);
    const Findings after = BuildDayReportWith(s, NoProducts(), D(2024, 1, 6), at1237).findings;
    EXPECT_TRUE(after.missingCycles.empty());
    EXPECT_EQ(after.notYetDue.size(), 96u);
}

TEST(Findings, SatelliteAbsentAllDayIsMissingAtEachOfItsHours) {
    ReportOptions o = NoProducts();
    o.includeFsd = true;
    o.hourlyFy2g = true;
    const Findings f = BuildDayReport(Station(FullHrit("202401051200")), o, D(2024, 1, 5)).findings;
    ASSERT_EQ(f.absentAllDay.size(), 1u);
    EXPECT_EQ(f.absentAllDay[0],
              (AbsentAllDay{"FY-2G", "0000..2300", {67, 68, 69, 70, 71, 72}}));
    std::vector<FoundItem> fy2g;
    std::copy_if(f.missing.begin(), f.missing.end(), std::back_inserter(fy2g),
                 [](const FoundItem& i) { return i.within == Within::AbsentAllDay; });
    ASSERT_EQ(fy2g.size(), 24u * 6u);
    EXPECT_EQ(fy2g[0], (FoundItem{0, ItemKind::Fsd, 67, "FY-2G-IR1", true, {1}, Within::AbsentAllDay}));
    EXPECT_EQ(fy2g.back().minute, 23 * 60);
    EXPECT_EQ(Summarise(f).channels, 24 * 6);
}

TEST(Findings, HimawariMinuteWithoutRecordListsTheDaysBands) {
    // 2017: thirteen... fourteen bands (93..106), though the line says 16.
    StartupState s = Station("201706010000=93=3FF\r\n");
    s.switches.himawari = true;
    ReportOptions o;
    o.himawari30min = true;
    const DayReportResult r = BuildDayReport(s, o, D(2017, 6, 1));
    ASSERT_TRUE(std::find(r.lists.missingProduct.begin(), r.lists.missingProduct.end(),
                          "   HIM9 all 16 channels missing") != r.lists.missingProduct.end());
    std::vector<ChannelNumber> at0030;
    for (const FoundItem& i : r.findings.missing) {
        if (i.minute == 30) at0030.push_back(i.channel);
    }
    EXPECT_EQ(at0030, (std::vector<ChannelNumber>{93, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103,
                                                  104, 105, 106}));
    EXPECT_EQ(r.findings.missing[0].label, "HIM8-IR1");  // the label of the day, as named
}

TEST(Findings, ClearedProductsListKeepsItsItemsUnderTheReasonShown) {
    std::string rec = "RP=1,RE=1";
    for (int n = 1; n <= 11; ++n) rec += ",R" + std::to_string(n) + "=E0";
    rec += ",R12=FF8000";
    const StartupState s = Station("202401051200=" + rec + "\n", ScanMode::RapidScan);
    const DayReportResult none = BuildDayReport(s, ReportOptions{}, D(2024, 1, 5));
    EXPECT_EQ(none.lists.missingProduct.back(), "  (no products found)");
    ASSERT_EQ(none.findings.notChecked.size(), 1u);
    const NotChecked& cleared = none.findings.notChecked[0];
    EXPECT_EQ(cleared.reason, NotCheckedReason::NoProductsFound);
    EXPECT_EQ(cleared.text, "  (no products found)");
    // FIRG, MPE and RII of 12:00, and the products of every cycle lost whole.
    std::vector<std::string> at1200;
    for (const FoundItem& i : cleared.items) {
        if (i.within == Within::Nothing) at1200.push_back(CycleHhnn(i.minute) + " " + i.label);
        if (i.within != Within::Nothing) {
            EXPECT_EQ(i.within, Within::MissingCycle);
        }
    }
    EXPECT_EQ(at1200, (std::vector<std::string>{"1200 FIRG", "1200 MPE", "1200 RII"}));
    EXPECT_EQ(cleared.items.size(), 3u + 287u * 3u + 72u);  // AMV every 20 minutes
    EXPECT_TRUE(std::none_of(none.findings.missing.begin(), none.findings.missing.end(),
                             [](const FoundItem& i) { return i.kind == ItemKind::Product; }));
    EXPECT_TRUE(std::none_of(none.findings.expected.begin(), none.findings.expected.end(),
                             [](const ExpectedChannel& c) { return c.kind == ItemKind::Product; }));

    // A fill-in day besides: only the partial-scan line shows, and it holds the items.
    ProcessLogDays noLog;
    ReportOptions detect;
    detect.disableMsg1Mpef = true;
    const Findings both = BuildDayReportWith(s, detect, D(2024, 1, 5), RunInputs{std::nullopt, &noLog}).findings;
    ASSERT_EQ(both.notChecked.size(), 2u);
    EXPECT_EQ(both.notChecked[0].reason, NotCheckedReason::NoProductsFound);
    EXPECT_FALSE(both.notChecked[0].text);
    EXPECT_TRUE(both.notChecked[0].items.empty());
    EXPECT_EQ(both.notChecked[1].reason, NotCheckedReason::PartialScan);
    EXPECT_EQ(both.notChecked[1].text, "  (not checked, partial scan)");
    EXPECT_EQ(both.notChecked[1].items, cleared.items);
}

TEST(Findings, SkippedChecksSayWhy) {
    StartupState s = Station("");
    s.switches.noMpe = true;
    const Findings marked = BuildDayReport(s, ReportOptions{}, D(2018, 6, 1)).findings;
    ASSERT_EQ(marked.notChecked.size(), 1u);
    EXPECT_EQ(marked.notChecked[0].reason, NotCheckedReason::MpeNotChecked);
    EXPECT_EQ(marked.notChecked[0].text, "  *** MPE (not checked) ***");

    const Findings noMpef = BuildDayReport(Station(""), NoProducts(), D(2024, 1, 5)).findings;
    ASSERT_EQ(noMpef.notChecked.size(), 1u);
    EXPECT_EQ(noMpef.notChecked[0].reason, NotCheckedReason::MpefNotIncluded);
    EXPECT_EQ(noMpef.notChecked[0].text, "  (not checked)");

    ReportOptions lritOnly;
    lritOnly.met8LritOnly = true;
    const Findings lrit =
        BuildDayReport(Station("", ScanMode::Prime, "20240105-dcp=x_x\r\n"), lritOnly, D(2024, 1, 5))
            .findings;
    ASSERT_EQ(lrit.notChecked.size(), 1u);
    EXPECT_EQ(lrit.notChecked[0].reason, NotCheckedReason::LritOnly);
    EXPECT_TRUE(lrit.sequences.empty());
    EXPECT_EQ(lrit.missingCycles.size(), 48u);  // the quarter cycles only, as the text
}

TEST(Findings, ProductsOfACycleWithOnlyMsgDataWereNotLookedFor) {
    // No prolog or epilog entry: nothing but MSG channels reached the record.
    std::string rec;
    for (int n = 1; n <= 11; ++n) rec += std::to_string(n) + "=FF,";
    ReportOptions noFy2g;
    noFy2g.hourlyFy2g = false;
    const DayReportResult r =
        BuildDayReport(Station("202401051200=" + rec + "12=FFFFFF\n"), noFy2g, D(2024, 1, 5));
    const auto entry = std::find_if(r.findings.notChecked.begin(), r.findings.notChecked.end(),
                                    [](const NotChecked& n) { return n.reason == NotCheckedReason::NoProductRecord; });
    ASSERT_NE(entry, r.findings.notChecked.end());
    EXPECT_FALSE(entry->text);
    std::vector<std::string> labels;
    for (const FoundItem& i : entry->items) labels.push_back(i.label);
    // Noon: the foreign satellites of the hour, the quarter-hourly products, CRM and OCAE.
    EXPECT_TRUE(std::find(labels.begin(), labels.end(), "CRM") != labels.end());
    EXPECT_TRUE(std::find(labels.begin(), labels.end(), "OCAE") != labels.end());
    EXPECT_TRUE(std::find(labels.begin(), labels.end(), "GOES-15-IR") == labels.end());  // gone by 2024
    EXPECT_TRUE(std::none_of(r.findings.missing.begin(), r.findings.missing.end(), [](const FoundItem& i) {
        return i.minute == 720 && (i.kind == ItemKind::Product || i.kind == ItemKind::Fsd);
    }));
}

TEST(Findings, SequenceBlocksAndLateSegments) {
    const StartupState s = [] {
        StartupState st = Station("", ScanMode::Prime, "20240105-dcp=x_#x_##\r\n20240105-gts-5=xx\r\n");
        st.LateSegHistory = HistoryLog::FromBytes("202401050007=9=FF,12=C00000\r\n");
        return st;
    }();
    const Findings f = BuildDayReport(s, ReportOptions{}, D(2024, 1, 5)).findings;
    ASSERT_EQ(f.sequences.size(), 2u);
    EXPECT_EQ(f.sequences[0], (SequenceFinding{0, "DCP", 7, 5, {2, 5}, {3, 6, 7}}));
    EXPECT_EQ(f.sequences[1], (SequenceFinding{5, "MDD_5 (LAM)", 2, 2, {}, {}}));
    ASSERT_EQ(f.late.size(), 2u);
    EXPECT_EQ(f.late[0], (FoundItem{7, ItemKind::Hrit, 9, "HRIT ch 09", true, {1, 2, 3, 4, 5, 6, 7, 8},
                                    Within::Nothing}));
    EXPECT_EQ(f.late[1].segments, (std::vector<int>{23, 24}));
    const DaySummary sum = Summarise(f);
    EXPECT_EQ(sum.lateSegments, 10);
    EXPECT_EQ(sum.sequenceNumbers, 2);
}

TEST(Findings, SummaryCountsChannelsSegmentsAndProducts) {
    Findings f;
    f.missingCycles = {0, 15};
    f.missing = {
        {0, ItemKind::Hrit, 1, "HRIT ch 01", true, {1, 2, 3, 4, 5, 6, 7, 8}, Within::MissingCycle},
        {30, ItemKind::Hrit, 9, "HRIT ch 09", false, {3, 4}, Within::Nothing},
        {30, ItemKind::Prolog, 1, "HRIT prolog", true, {1}, Within::Nothing},
        {30, ItemKind::Product, 53, "MPE", true, {1}, Within::Nothing},
        {0, ItemKind::Product, 36, "CLM", true, {1}, Within::MissingCycle},
        {60, ItemKind::Fsd, 67, "FY-2G-IR1", true, {1}, Within::AbsentAllDay},
    };
    f.late = {{7, ItemKind::Hrit, 12, "HRIT ch 12", false, {23, 24}, Within::Nothing}};
    f.sequences = {{0, "DCP", 10, 7, {1, 2, 3}, {}}};
    const DaySummary expected{2, 3, 4, 2, 1, 3};
    EXPECT_EQ(Summarise(f), expected);
    DaySummary twice = expected;
    twice += expected;
    EXPECT_EQ(twice, (DaySummary{4, 6, 8, 4, 2, 6}));
}

TEST(Findings, ItemKindsByChannel) {
    EXPECT_EQ(KindOfChannel(12), ItemKind::Hrit);
    EXPECT_EQ(KindOfChannel(13), ItemKind::Lrit);
    EXPECT_EQ(KindOfChannel(21), ItemKind::Fsd);
    EXPECT_EQ(KindOfChannel(30), ItemKind::Product);
    EXPECT_EQ(KindOfChannel(66), ItemKind::Product);
    EXPECT_EQ(KindOfChannel(84), ItemKind::Fsd);
    EXPECT_EQ(KindOfChannel(86), ItemKind::Product);
    EXPECT_EQ(KindOfChannel(124), ItemKind::Himawari);
    EXPECT_EQ(KindOfChannel(146), ItemKind::Fsd);
    EXPECT_EQ(ItemLabel(ItemKind::Epilog, 13, D(2024, 1, 5)), "LRIT epilog");
    EXPECT_EQ(CycleHhnn(23 * 60 + 55), "2355");
}

}  // namespace
}  // namespace gapscope
