// End to end: stations written by the simulator, loaded as the program loads a data
// directory, reported on by the day report.
#include <gtest/gtest.h>

#include <set>

#include "report/day_report.h"
#include "startup/startup_state.h"
#include "tests/tools/sim_test_support.h"
#include "tools/simulator/simulator.h"

namespace gapscope::sim {
namespace {

using testing::CleanConfig;
using testing::D;
using testing::Inject;
using testing::TempDir;

struct Station {
    TempDir dir;
    SimulationSummary summary;

    explicit Station(const SimulationConfig& config) {
        DirectoryResult result = SimulateToDirectory(config, dir.path(), false);
        EXPECT_TRUE(result.summary) << (result.errors.empty() ? "" : result.errors.front());
        if (result.summary) summary = *result.summary;
    }

    DayReport Report(Day day, const ReportOptions& options,
                     std::vector<std::string> switches = {}) const {
        StartupInputs inputs;
        inputs.arguments = {dir.path().string()};
        inputs.arguments.insert(inputs.arguments.end(), switches.begin(), switches.end());
        inputs.programDirectory = dir.path();
        const StartupLoad startup = LoadStartupState(inputs);
        EXPECT_TRUE(startup.logsLoaded);
        const DayReportResult result = BuildDayReport(startup.state, options, day);
        EXPECT_FALSE(result.error) << *result.error;
        return result.lists;
    }
};

Station CleanStation(ScanMode service, Day day, const std::vector<std::string>& injections = {}) {
    SimulationConfig config = CleanConfig(service, day - std::chrono::days(1), day);
    for (const std::string& text : injections) config.injections.push_back(Inject(text));
    return Station(config);
}

// The cycle headings and item lines from line `from` on (by default after the three header
// lines), up to the first line of another kind.
Lines Body(const Lines& list, std::size_t from = 3) {
    Lines body;
    for (std::size_t i = from; i < list.size(); ++i) {
        if (list[i].rfind("Cycle", 0) != 0 && list[i].rfind("   ", 0) != 0) break;
        body.push_back(list[i]);
    }
    return body;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void ExpectNothingMissing(const DayReport& r, const std::string& what) {
    for (const Lines* list : {&r.missingSegs, &r.lateSegs, &r.missingSlots}) {
        ASSERT_EQ(list->size(), 4u) << what << "\n" << ::testing::PrintToString(*list);
        EXPECT_EQ(list->back(), "  (none)") << what;
    }
    ASSERT_GE(r.missingProduct.size(), 4u) << what;
    EXPECT_EQ(r.missingProduct[3], "  (none)") << what << "\n"
                                               << ::testing::PrintToString(r.missingProduct);
}

TEST(SimulatedStation, CleanDaysReportNothingMissing) {
    ReportOptions receivesAll;
    receivesAll.includeLrit = true;
    receivesAll.hourlyFy2e = true;
    receivesAll.himawari30min = true;
    ReportOptions threeHourlyFsd = receivesAll;
    threeHourlyFsd.hourlyFsd = false;
    ReportOptions fillInCheck;
    fillInCheck.disableMsg1Mpef = true;

    const std::pair<ScanMode, Day> days[] = {
        {ScanMode::Prime, D(2010, 6, 8)},      {ScanMode::Prime, D(2012, 4, 15)},
        {ScanMode::Prime, D(2015, 12, 3)},     {ScanMode::Prime, D(2017, 10, 10)},
        {ScanMode::Prime, D(2021, 6, 30)},     {ScanMode::Prime, D(2024, 3, 1)},
        {ScanMode::RapidScan, D(2011, 3, 24)}, {ScanMode::RapidScan, D(2022, 10, 5)},
        {ScanMode::RapidScan, D(2024, 3, 1)},  {ScanMode::Iodc, D(2016, 10, 21)},
        {ScanMode::Iodc, D(2024, 3, 1)},
    };
    for (const auto& [service, day] : days) {
        const Station station = CleanStation(service, day);
        const std::string what =
            IsoDate(day) + " service " + std::to_string(static_cast<int>(service));
        ExpectNothingMissing(station.Report(day, ReportOptions{}), what + " defaults");
        ExpectNothingMissing(station.Report(day, receivesAll), what + " LRIT, FY-2E, Himawari");
        ExpectNothingMissing(station.Report(day, threeHourlyFsd), what + " three-hourly FSD");
        ExpectNothingMissing(station.Report(day, fillInCheck), what + " fill-in check");
        ExpectNothingMissing(station.Report(day, receivesAll, {"-HIM"}), what + " Himawari report");
    }
}

struct FaultCase {
    ScanMode service;
    std::vector<std::string> injections;
    Lines segs, products, late, slots;
    std::string sequenceLine;
};

TEST(SimulatedStation, EachInjectedFaultShowsAsItsLineUnderItsCycle) {
    const Lines key = {" ", "Channel key:", " 01=VIS006  02=VIS008  03=IR016  04=IR039",
                       " 05=WV062  06=WV073  07=IR087  08=IR097",
                       " 09=IR108  10=IR120  11=IR134  12=HRV"};
    const FaultCase cases[] = {
        {ScanMode::Prime,
         {"segments@2024-06-01T12:15:9/3,4", "product@2024-06-01T06:00:mpe",
          "cycle@2024-06-01T03:00", "late@2024-06-01T10:30:12/23,24",
          "seq-gap@2024-06-01T10:00:dcp"},
         {"Cycle: 1215", "   HRIT ch 09,  seg: 3 4 "},
         {"Cycle: 0600", "   MPE   missing"},
         {"Cycle: 1030", "   HRIT ch 12,  seg: 23 24 "},
         {" 0300"},
         "  600 DCP sequence nos. found, 1 missing, seq. 251"},
        {ScanMode::RapidScan,
         {"segments@2024-06-01T12:05:9/7", "product@2024-06-01T06:05:mpe", "cycle@2024-06-01T03:05",
          "late@2024-06-01T10:35:12/24", "seq-gap@2024-06-01T10:00:dcp"},
         {"Cycle: 1205", "   HRIT ch 09,  seg: 7 "},
         {"Cycle: 0605", "   MPE   missing"},
         {"Cycle: 1035", "   HRIT ch 12,  seg: 24 "},
         {" 0305"},
         "  600 DCP sequence nos. found, 1 missing, seq. 251"},
        {ScanMode::Iodc,
         {"segments@2024-06-01T12:15:9/3,4", "product@2024-06-01T09:00:crm",
          "cycle@2024-06-01T03:00", "late@2024-06-01T10:30:12/23,24",
          "seq-gap@2024-06-01T10:00:dcp-iodc"},
         {"Cycle: 1215", "   HRIT ch 09,  seg: 3 4 "},
         {"Cycle: 0900", "   CRM   missing"},
         {"Cycle: 1030", "   HRIT ch 12,  seg: 23 24 "},
         {" 0300"},
         "  400 DCP/IODC sequence nos. found, 1 missing, seq. 167"},
    };
    const Day day = D(2024, 6, 1);
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.service));
        const Station station = CleanStation(c.service, day, c.injections);
        const DayReport r = station.Report(day, ReportOptions{});
        EXPECT_EQ(Body(r.missingSegs), c.segs);
        EXPECT_EQ(Lines(r.missingSegs.end() - 5, r.missingSegs.end()), key);
        EXPECT_EQ(Body(r.missingProduct), c.products);
        EXPECT_EQ(Body(r.lateSegs), c.late);
        EXPECT_EQ(Lines(r.missingSlots.begin() + 3, r.missingSlots.end()), c.slots);
        EXPECT_TRUE(Has(r.missingProduct, c.sequenceLine))
            << ::testing::PrintToString(r.missingProduct);

        // The day before, without faults, is still clean.
        ExpectNothingMissing(station.Report(day - std::chrono::days(1), ReportOptions{}),
                             "day before");
    }
}

TEST(SimulatedStation, ForeignSatelliteOutagesShowAsTheirSatellite) {
    const Day day = D(2024, 6, 1);
    const Station station = CleanStation(ScanMode::Prime, day,
                                         {"fsd-day@2024-06-01:fy2g", "fsd@2024-06-01T12:10:fy2e/1",
                                          "fsd@2024-06-01T14:00:himawari/1"});
    ReportOptions options;
    options.hourlyFy2e = true;
    options.himawari30min = true;
    const Lines& p = station.Report(day, options).missingProduct;
    ASSERT_GE(p.size(), 6u);
    EXPECT_EQ(Lines(p.begin() + 3, p.begin() + 6),
              (Lines{"", "Cycle: 0000..2300", "   FY-2G missing"}));
    Lines expected = {"Cycle: 1230"};
    for (const char* band : {"IR1", "IR2", "IR3", "IR4", "VIS", "VIS1KM"}) {
        expected.push_back("   FY-2E-" + std::string(band) + "   missing");
    }
    for (const char* cycle : {"1400", "1410", "1420", "1430", "1450"}) {  // none is sent at 14:40
        expected.push_back("Cycle: " + std::string(cycle));
        expected.push_back("   HIM9 all 16 channels missing");
    }
    EXPECT_EQ(Body(p, 6), expected);

    // The same station with FY-2E and Himawari not asked for shows only the FY-2G day.
    const Lines& plain = station.Report(day, ReportOptions{}).missingProduct;
    EXPECT_EQ(plain[6], " ");
    EXPECT_EQ(plain[7], "Key:  FY-2x, GOES-nn & HIMn = FSD");
}

TEST(SimulatedStation, FillInDayIsAPartialScanOnlyWhenAskedToDetectIt) {
    const Day day = D(2024, 6, 1);
    const Station station = CleanStation(ScanMode::RapidScan, day,
                                         {"fill-in@2024-06-01", "product@2024-06-01T12:00:fir"});
    ReportOptions detect;
    detect.disableMsg1Mpef = true;
    const Lines& partial = station.Report(day, detect).missingProduct;
    EXPECT_EQ(partial[3], "  (not checked, partial scan)");
    EXPECT_EQ(Body(station.Report(day, ReportOptions{}).missingProduct),
              (Lines{"Cycle: 1200", "   FIRG   missing"}));
    // The day before carries its save notes, so it is no fill-in day.
    ExpectNothingMissing(station.Report(day - std::chrono::days(1), detect), "day before");
}

// Cycles of a collapsed missing-cycles list: " 0300.. 0330", " 0000..2355" or " 1200".
std::set<int> MissingCycles(const Lines& slots, int step) {
    std::set<int> cycles;
    auto minute = [](const std::string& hhnn) {
        return std::stoi(hhnn.substr(0, 2)) * 60 + std::stoi(hhnn.substr(2, 2));
    };
    for (std::size_t i = 3; i < slots.size() && slots[i] != "  (none)"; ++i) {
        const std::string& line = slots[i];
        const std::size_t dots = line.find("..");
        const int from = minute(line.substr(1, 4));
        const int to = dots == std::string::npos
                           ? from
                           : minute(line.substr(line.find_first_not_of(' ', dots + 2), 4));
        for (int m = from; m <= to; m += step) cycles.insert(m);
    }
    return cycles;
}

TEST(SimulatedStation, BadDayReportsEveryLostCycleAndLateSegment) {
    for (const ScanMode service : {ScanMode::Prime, ScanMode::RapidScan, ScanMode::Iodc}) {
        SCOPED_TRACE(static_cast<int>(service));
        const Day day = D(2024, 6, 2);
        SimulationConfig config =
            CleanConfig(service, day - std::chrono::days(1), day + std::chrono::days(1));
        config.rates = FindScenario("bad-day")->rates;
        config.seed = 3;
        const Station station(config);
        const DayReport r = station.Report(day, ReportOptions{});

        const int step = service == ScanMode::RapidScan ? 5 : 15;
        std::set<int> lost, late;
        for (const AppliedFault& f : station.summary.faults) {
            if (f.day != day) continue;
            if (f.kind == FaultKind::Cycle) {
                for (int i = 0; i < f.count; ++i) lost.insert(f.minute + i * step);
            }
            if (f.kind == FaultKind::Late) late.insert(f.minute);
        }
        EXPECT_FALSE(lost.empty());
        EXPECT_EQ(MissingCycles(r.missingSlots, step), lost);

        std::set<int> lateCycles;
        for (const std::string& line : r.lateSegs) {
            if (line.rfind("Cycle: ", 0) == 0)
                lateCycles.insert(std::stoi(line.substr(7, 2)) * 60 + std::stoi(line.substr(9, 2)));
        }
        EXPECT_EQ(lateCycles, late);
    }
}

}  // namespace
}  // namespace gapscope::sim
