#include "report/calendar.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

namespace gapscope {

// Readable failure messages: the members, not the bit pattern.
void PrintTo(const ChannelSet& set, std::ostream* os) {
    *os << "{";
    for (ChannelNumber n = 0; n < ChannelSet::kCapacity; ++n) {
        if (set.Contains(n)) *os << " " << n;
    }
    *os << " }";
}

namespace {

constexpr Day D(int y, unsigned m, unsigned d) {
    return Day{std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d}};
}

SlotTime At(Day day, int hh, int nn) {
    return SlotTime{day} + std::chrono::hours{hh} + std::chrono::minutes{nn};
}

const ChannelSet kGoesWest{18, 19, 20, 56};
const ChannelSet kGoesEast{21, 22, 23, 57};
const ChannelSet kMtsat{24, 25, 26, 58, 84};
const ChannelSet kFy2g = ChannelSet::Range(67, 72);
const ChannelSet kFy2e = ChannelSet::Range(77, 82);

bool ContainsAll(const ChannelSet& set, const ChannelSet& wanted) {
    return (set & wanted) == wanted;
}
bool ContainsNone(const ChannelSet& set, const ChannelSet& unwanted) {
    return (set & unwanted).Empty();
}

// ---- Day flags and reportable channels -----------------------------------------------------

TEST(DayRules, ChangeoversOnBothSides) {
    const DayRules before = ComputeDayRules(D(2017, 12, 13), ScanMode::Prime);
    EXPECT_FALSE(before.goesEastGone);
    EXPECT_TRUE(ComputeDayRules(D(2017, 12, 14), ScanMode::Prime).goesEastGone);

    EXPECT_FALSE(ComputeDayRules(D(2018, 12, 31), ScanMode::Prime).goesWestGone);
    EXPECT_TRUE(ComputeDayRules(D(2019, 1, 1), ScanMode::Prime).goesWestGone);

    EXPECT_TRUE(ComputeDayRules(D(2019, 7, 9), ScanMode::Prime).mpeMarkerEra);
    EXPECT_FALSE(ComputeDayRules(D(2019, 7, 10), ScanMode::Prime).mpeMarkerEra);

    EXPECT_TRUE(ComputeDayRules(D(2022, 10, 4), ScanMode::Prime).csrInService);
    EXPECT_FALSE(ComputeDayRules(D(2022, 10, 5), ScanMode::Prime).csrInService);

    EXPECT_FALSE(ComputeDayRules(D(2022, 10, 19), ScanMode::Prime).singleSegmentProducts);
    EXPECT_TRUE(ComputeDayRules(D(2022, 10, 20), ScanMode::Prime).singleSegmentProducts);
}

TEST(DayRules, NoonCycleDependsOnTheService) {
    EXPECT_EQ(ComputeDayRules(D(2020, 1, 1), ScanMode::Prime).noonCycle, 720);
    EXPECT_EQ(ComputeDayRules(D(2020, 1, 1), ScanMode::RapidScan).noonCycle, 720);
    EXPECT_EQ(ComputeDayRules(D(2020, 1, 1), ScanMode::Iodc).noonCycle, 540);
}

TEST(ReportableChannels, RetiredProductsLeaveFullDiskButNotRapidScan) {
    const ChannelSet retired{34, 35, 41, 55, 76, 83};
    const ChannelSet before = ReportableChannels(D(2020, 10, 20), ScanMode::Prime);
    EXPECT_EQ(before, ChannelSet::Range(1, 146));
    EXPECT_FALSE(before.Contains(0));
    EXPECT_FALSE(before.Contains(147));

    const ChannelSet prime = ReportableChannels(D(2020, 10, 21), ScanMode::Prime);
    EXPECT_EQ(prime, ChannelSet::Range(1, 146) - retired);
    EXPECT_EQ(ReportableChannels(D(2020, 10, 21), ScanMode::Iodc), prime);
    EXPECT_EQ(ReportableChannels(D(2024, 1, 1), ScanMode::RapidScan), ChannelSet::Range(1, 146));
}

TEST(ReportableChannels, ThreeHourlySetIsNamedButNothingOfItIsReportable) {
    ReportRunState run;
    ResetMinuteProducts(run, At(D(2020, 10, 21), 2, 45));
    ASSERT_EQ(run.threeHourlyProducts, (ChannelSet{34, 35, 41}));
    EXPECT_TRUE(
        (run.threeHourlyProducts & ReportableChannels(D(2020, 10, 21), ScanMode::Prime)).Empty());
    EXPECT_EQ(run.threeHourlyProducts & ReportableChannels(D(2020, 10, 21), ScanMode::RapidScan),
              run.threeHourlyProducts);
}

// ---- Himawari ------------------------------------------------------------------------------

TEST(HimawariChannels, EachEraOnBothSidesOfItsStart) {
    const ChannelSet b01b02{123, 124};
    EXPECT_EQ(HimawariChannelsForDay(D(2016, 8, 3)), ChannelSet::Range(93, 104) | b01b02);
    EXPECT_EQ(HimawariChannelsForDay(D(2016, 8, 4)), ChannelSet::Range(93, 105));
    EXPECT_EQ(HimawariChannelsForDay(D(2017, 3, 12)), ChannelSet::Range(93, 105));
    EXPECT_EQ(HimawariChannelsForDay(D(2017, 3, 13)), ChannelSet::Range(93, 106));
    EXPECT_EQ(HimawariChannelsForDay(D(2018, 9, 30)), ChannelSet::Range(93, 106));
    EXPECT_EQ(HimawariChannelsForDay(D(2018, 10, 1)), ChannelSet::Range(93, 106) | b01b02);
    EXPECT_EQ(HimawariChannelsForDay(D(2030, 1, 1)), ChannelSet::Range(93, 106) | b01b02);
}

// ---- Per-minute product sets -----------------------------------------------------------------

TEST(MinuteProducts, ResetReplacesWhateverThePreviousMinuteLeft) {
    ReportRunState run;
    run.quarterToProducts = ChannelSet{99, 38};
    run.threeHourlyProducts = ChannelSet{1};
    ResetMinuteProducts(run, At(D(2015, 5, 5), 10, 0));
    EXPECT_EQ(run.hourlyProducts, ChannelSet{86});
    EXPECT_EQ(run.halfPastProducts, ChannelSet{30});
    EXPECT_EQ(run.quarterToProducts, (ChannelSet{42, 55, 65, 38}));
    EXPECT_EQ(run.threeHourlyProducts, (ChannelSet{34, 35, 41}));
}

TEST(MinuteProducts, TozEndsAtMidnightSlot) {
    ReportRunState run;
    ResetMinuteProducts(run, At(D(2021, 6, 29), 23, 59));
    EXPECT_TRUE(run.quarterToProducts.Contains(42));
    ResetMinuteProducts(run, At(D(2021, 6, 30), 0, 0));
    EXPECT_FALSE(run.quarterToProducts.Contains(42));
    EXPECT_TRUE(ContainsAll(run.quarterToProducts, ChannelSet{55, 65}));
}

TEST(MinuteProducts, CthMovesFromThreeHourlyToQuarterToAtTheSlot) {
    ReportRunState run;
    ResetMinuteProducts(run, At(D(2010, 6, 8), 5, 45));
    EXPECT_TRUE(run.threeHourlyProducts.Contains(38));
    EXPECT_FALSE(run.quarterToProducts.Contains(38));
    ResetMinuteProducts(run, At(D(2010, 6, 8), 8, 39));
    EXPECT_TRUE(run.threeHourlyProducts.Contains(38));
    ResetMinuteProducts(run, At(D(2010, 6, 8), 8, 40));
    EXPECT_FALSE(run.threeHourlyProducts.Contains(38));
    EXPECT_TRUE(run.quarterToProducts.Contains(38));
}

// ---- Foreign-satellite sets --------------------------------------------------------------------

class FsdSetsTest : public ::testing::Test {
  protected:
    FsdSets Build(Day day, int minute) const {
        return BuildFsdSets(day, minute, options, startup, ComputeDayRules(day, startup.Mode),
                            dayLong);
    }
    // Hourly cadence unless a test asks for the three-hourly one.
    ReportOptions options{};
    StartupState startup{};
    DayLongChannels dayLong{};
};

TEST_F(FsdSetsTest, HourlyCadenceOnAQuietDay) {
    const FsdSets sets = Build(D(2013, 6, 1), 600);
    EXPECT_EQ(sets.hourly, (ChannelSet::Range(18, 26) | ChannelSet{56, 57, 58, 84}));
    EXPECT_TRUE(sets.halfHourly.Empty());
    EXPECT_TRUE(sets.threeHourly.Empty());
}

TEST_F(FsdSetsTest, ThreeHourlyCadenceKeepsTheSameChannels) {
    options.hourlyFsd = false;
    const FsdSets sets = Build(D(2013, 6, 1), 540);
    EXPECT_TRUE(sets.hourly.Empty());
    EXPECT_EQ(sets.threeHourly, (ChannelSet::Range(18, 26) | ChannelSet{56, 57, 58, 84}));
}

TEST_F(FsdSetsTest, MtsatAdditionsAndRemoval) {
    EXPECT_FALSE(Build(D(2008, 3, 3), 0).hourly.Contains(58));
    EXPECT_TRUE(Build(D(2008, 3, 4), 0).hourly.Contains(58));
    EXPECT_FALSE(Build(D(2012, 1, 24), 0).hourly.Contains(84));
    EXPECT_TRUE(Build(D(2012, 1, 25), 0).hourly.Contains(84));
    EXPECT_TRUE(ContainsAll(Build(D(2015, 12, 3), 0).hourly, kMtsat));
    EXPECT_TRUE(ContainsNone(Build(D(2015, 12, 4), 0).hourly, kMtsat));
    options.hourlyFsd = false;
    EXPECT_TRUE(ContainsNone(Build(D(2015, 12, 4), 0).threeHourly, kMtsat));
}

TEST_F(FsdSetsTest, GoesRetirementsEmptyEveryCadence) {
    EXPECT_TRUE(ContainsAll(Build(D(2017, 12, 13), 0).hourly, kGoesEast));
    EXPECT_TRUE(ContainsNone(Build(D(2017, 12, 14), 0).hourly, kGoesEast));
    EXPECT_TRUE(ContainsAll(Build(D(2018, 12, 31), 0).hourly, kGoesWest));
    EXPECT_EQ(Build(D(2019, 1, 1), 0).hourly, ChannelSet{});
    options.hourlyFsd = false;
    EXPECT_TRUE(ContainsNone(Build(D(2017, 12, 14), 0).threeHourly, kGoesEast));
    EXPECT_TRUE(ContainsNone(Build(D(2019, 1, 1), 0).threeHourly, kGoesWest));
}

TEST_F(FsdSetsTest, GoesEastSpringEclipseIncludesBothEnds) {
    for (Day day : {D(2015, 2, 24), D(2015, 4, 15)}) {
        EXPECT_TRUE(ContainsNone(Build(day, 300).hourly, kGoesEast));
        EXPECT_TRUE(ContainsNone(Build(day, 360).hourly, kGoesEast));
        EXPECT_TRUE(ContainsAll(Build(day, 420).hourly, kGoesEast));
        EXPECT_TRUE(ContainsAll(Build(day, 300).hourly, kGoesWest));
    }
    for (Day day : {D(2015, 2, 23), D(2015, 4, 16)}) {
        EXPECT_TRUE(ContainsAll(Build(day, 300).hourly, kGoesEast));
        EXPECT_TRUE(ContainsAll(Build(day, 360).hourly, kGoesEast));
    }
}

TEST_F(FsdSetsTest, GoesEastAutumnEclipseOnlyAtFive) {
    for (Day day : {D(2015, 8, 27), D(2015, 9, 1)}) {
        EXPECT_TRUE(ContainsNone(Build(day, 300).hourly, kGoesEast));
        EXPECT_TRUE(ContainsAll(Build(day, 360).hourly, kGoesEast));
    }
    EXPECT_TRUE(ContainsAll(Build(D(2015, 8, 26), 300).hourly, kGoesEast));
    EXPECT_TRUE(ContainsAll(Build(D(2015, 9, 2), 300).hourly, kGoesEast));
}

TEST_F(FsdSetsTest, ThreeHourlyCadenceLosesGoesEastOnlyAtSix) {
    options.hourlyFsd = false;
    const Day spring = D(2016, 3, 10);
    EXPECT_TRUE(ContainsNone(Build(spring, 360).threeHourly, kGoesEast));
    EXPECT_TRUE(ContainsAll(Build(spring, 180).threeHourly, kGoesEast));
    // Minute 300 only trims the hourly set.
    EXPECT_TRUE(ContainsAll(Build(spring, 300).threeHourly, kGoesEast));
}

TEST_F(FsdSetsTest, GoesWestEclipse) {
    for (Day day : {D(2016, 2, 10), D(2016, 4, 27)}) {
        EXPECT_TRUE(ContainsNone(Build(day, 480).hourly, kGoesWest));
        EXPECT_TRUE(ContainsNone(Build(day, 540).hourly, kGoesWest));
    }
    EXPECT_TRUE(ContainsAll(Build(D(2016, 4, 28), 480).hourly, kGoesWest));
    EXPECT_TRUE(ContainsAll(Build(D(2016, 4, 28), 540).hourly, kGoesWest));
    EXPECT_TRUE(ContainsAll(Build(D(2016, 2, 9), 540).hourly, kGoesWest));

    const Day autumnEnd = D(2016, 10, 10);
    EXPECT_TRUE(ContainsNone(Build(autumnEnd, 540).hourly, kGoesWest));
    EXPECT_TRUE(ContainsAll(Build(autumnEnd, 480).hourly, kGoesWest));
    EXPECT_TRUE(ContainsNone(Build(D(2016, 8, 25), 540).hourly, kGoesWest));
    EXPECT_TRUE(ContainsAll(Build(D(2016, 10, 11), 540).hourly, kGoesWest));
    EXPECT_TRUE(ContainsAll(Build(D(2016, 8, 24), 540).hourly, kGoesWest));
}

TEST_F(FsdSetsTest, MtsatEclipseAtFifteen) {
    EXPECT_TRUE(ContainsNone(Build(D(2013, 2, 14), 900).hourly, kMtsat));
    EXPECT_TRUE(ContainsNone(Build(D(2013, 10, 12), 900).hourly, kMtsat));
    EXPECT_TRUE(ContainsAll(Build(D(2013, 10, 13), 900).hourly, kMtsat));
    EXPECT_TRUE(ContainsAll(Build(D(2013, 4, 27), 900).hourly, kMtsat));
    EXPECT_TRUE(ContainsAll(Build(D(2013, 4, 1), 960).hourly, kMtsat));
}

TEST_F(FsdSetsTest, Fy2SetsNeedFy2SeenAtStartup) {
    dayLong.fy2gChannels = kFy2g;
    dayLong.fy2eChannels = kFy2e;
    dayLong.fy2gAbsent = false;
    EXPECT_TRUE(ContainsNone(Build(D(2016, 6, 1), 0).hourly, kFy2g));
    EXPECT_TRUE(Build(D(2016, 6, 1), 30).halfHourly.Empty());

    startup.Fy2cSeen = true;
    EXPECT_TRUE(ContainsAll(Build(D(2016, 6, 1), 0).hourly, kFy2g));
    EXPECT_EQ(Build(D(2016, 6, 1), 30).halfHourly, kFy2e);
    // The half-hourly FY-2E set ignores the FSD cadence.
    options.hourlyFsd = false;
    EXPECT_EQ(Build(D(2016, 6, 1), 30).halfHourly, kFy2e);
    EXPECT_TRUE(ContainsAll(Build(D(2016, 6, 1), 0).threeHourly, kFy2g));
}

TEST_F(FsdSetsTest, Fy2EclipseWindows) {
    startup.Fy2cSeen = true;
    dayLong.fy2gChannels = kFy2g;
    dayLong.fy2eChannels = kFy2e;
    dayLong.fy2gAbsent = false;
    for (int minute : {960, 1020, 1080, 1140}) {
        EXPECT_TRUE(ContainsNone(Build(D(2016, 10, 25), minute).hourly, kFy2g)) << minute;
        EXPECT_TRUE(ContainsAll(Build(D(2016, 10, 26), minute).hourly, kFy2g)) << minute;
    }
    EXPECT_TRUE(ContainsAll(Build(D(2016, 10, 25), 900).hourly, kFy2g));
    EXPECT_TRUE(ContainsAll(Build(D(2016, 10, 25), 1200).hourly, kFy2g));

    EXPECT_TRUE(Build(D(2016, 4, 14), 1050).halfHourly.Empty());
    EXPECT_TRUE(Build(D(2016, 8, 18), 1110).halfHourly.Empty());
    EXPECT_EQ(Build(D(2016, 4, 14), 1170).halfHourly, kFy2e);
    EXPECT_EQ(Build(D(2016, 4, 15), 1050).halfHourly, kFy2e);
}

TEST_F(FsdSetsTest, AbsentFy2DataIsNotAskedForPerCycle) {
    startup.Fy2cSeen = true;
    dayLong = {kFy2g, kFy2e, true, true};
    EXPECT_TRUE(ContainsNone(Build(D(2016, 6, 1), 0).hourly, kFy2g));
    EXPECT_TRUE(Build(D(2016, 6, 1), 30).halfHourly.Empty());
    options.hourlyFsd = false;
    EXPECT_TRUE(ContainsNone(Build(D(2016, 6, 1), 0).threeHourly, kFy2g));
}

TEST_F(FsdSetsTest, ServicesWithoutForeignDataEmptyAllSets) {
    startup.Fy2cSeen = true;
    dayLong = {kFy2g, kFy2e, false, false};
    auto expectEmpty = [&](const char* why) {
        for (int minute : {0, 30}) {
            const FsdSets sets = Build(D(2014, 6, 1), minute);
            EXPECT_TRUE(sets.hourly.Empty() && sets.halfHourly.Empty() && sets.threeHourly.Empty())
                << why << " at " << minute;
        }
    };
    ASSERT_FALSE(Build(D(2014, 6, 1), 30).halfHourly.Empty());

    startup.switches.parallel = true;
    expectEmpty("parallel");
    startup.switches.parallel = false;
    startup.Mode = ScanMode::Iodc;
    expectEmpty("IODC");
    startup.Mode = ScanMode::Prime;
    startup.switches.himawari = true;
    expectEmpty("Himawari");
    startup.switches.himawari = false;
    options.includeFsd = false;
    expectEmpty("FSD excluded");
}

TEST_F(FsdSetsTest, MidIrOption) {
    options.includeGoesMir = false;
    const ChannelSet midIr{56, 57, 58};
    EXPECT_EQ(Build(D(2013, 6, 1), 0).hourly, ChannelSet::Range(18, 26) | ChannelSet{84});
    options.hourlyFsd = false;
    EXPECT_TRUE(ContainsNone(Build(D(2013, 6, 1), 0).threeHourly, midIr));
}

TEST_F(FsdSetsTest, Goes12BypassTrimsOnlyTheHourlySet) {
    options.goes12Bypass = true;
    EXPECT_TRUE(ContainsNone(Build(D(2012, 6, 1), 0).hourly, kGoesEast));
    EXPECT_TRUE(ContainsAll(Build(D(2012, 6, 1), 0).hourly, kGoesWest));
    options.hourlyFsd = false;
    EXPECT_TRUE(ContainsAll(Build(D(2012, 6, 1), 0).threeHourly, kGoesEast));
}

// ---- MPEF product sets
// ---------------------------------------------------------------------------

ReportRunState RunOn(Day day, int minute) {
    ReportRunState run;
    run.reportDay = day;
    ResetMinuteProducts(run, SlotTime{day} + std::chrono::minutes{minute});
    return run;
}

TEST(QuarterHourlyProducts, BeforeTheLineupChangeMpeOptionsAreIgnored) {
    ReportOptions options;
    options.includeMpe = false;
    const Day day = D(2011, 3, 23);
    const DayRules rules = ComputeDayRules(day, ScanMode::Prime);
    ReportRunState run = RunOn(day, 15);
    BuildQuarterHourlyProducts(run, 15, options, ScanMode::Prime, true, rules);
    EXPECT_EQ(run.quarterHourlyProducts, (ChannelSet{36, 39, 52, 53, 54, 66}));
    options.includeRii = false;
    BuildQuarterHourlyProducts(run, 15, options, ScanMode::Prime, true, rules);
    EXPECT_EQ(run.quarterHourlyProducts, (ChannelSet{36, 39, 52, 53, 54}));
}

TEST(QuarterHourlyProducts, MpeByOptionNoMpeAndService) {
    const Day day = D(2011, 3, 24);
    ReportOptions options;
    ReportRunState run = RunOn(day, 15);
    auto build = [&](ScanMode mode, bool noMpe) {
        BuildQuarterHourlyProducts(run, 15, options, mode, noMpe, ComputeDayRules(day, mode));
        return run.quarterHourlyProducts;
    };
    EXPECT_EQ(build(ScanMode::Prime, false), (ChannelSet{36, 39, 52, 53}));
    EXPECT_FALSE(build(ScanMode::Prime, true).Contains(53));
    options.includeMpe = false;
    EXPECT_EQ(build(ScanMode::Prime, false), (ChannelSet{36, 39, 52}));
    EXPECT_TRUE(build(ScanMode::Iodc, true).Contains(53));
}

TEST(QuarterHourlyProducts, CthBecomesQuarterHourlyFromJune2011) {
    const ReportOptions options;
    ReportRunState before = RunOn(D(2011, 6, 15), 45);
    BuildQuarterHourlyProducts(before, 45, options, ScanMode::Prime, false,
                               ComputeDayRules(before.reportDay, ScanMode::Prime));
    EXPECT_FALSE(before.quarterHourlyProducts.Contains(38));
    EXPECT_TRUE(before.quarterToProducts.Contains(38));

    ReportRunState after = RunOn(D(2011, 6, 16), 45);
    BuildQuarterHourlyProducts(after, 45, options, ScanMode::Prime, false,
                               ComputeDayRules(after.reportDay, ScanMode::Prime));
    EXPECT_TRUE(after.quarterHourlyProducts.Contains(38));
    EXPECT_FALSE(after.quarterToProducts.Contains(38));
    EXPECT_TRUE(ContainsAll(after.quarterToProducts, ChannelSet{42, 55, 65}));
}

TEST(QuarterHourlyProducts, CrmOnlyAtTheNoonCycle) {
    const ReportOptions options;
    const Day day = D(2018, 5, 5);
    auto crmAt = [&](ScanMode mode, int minute) {
        ReportRunState run = RunOn(day, minute);
        BuildQuarterHourlyProducts(run, minute, options, mode, false, ComputeDayRules(day, mode));
        return run.quarterHourlyProducts.Contains(37);
    };
    EXPECT_TRUE(crmAt(ScanMode::Prime, 720));
    EXPECT_FALSE(crmAt(ScanMode::Prime, 735));
    EXPECT_FALSE(crmAt(ScanMode::Prime, 540));
    EXPECT_TRUE(crmAt(ScanMode::Iodc, 540));
    EXPECT_FALSE(crmAt(ScanMode::Iodc, 720));
}

TEST(RapidScanProducts, LineupAndNoMpe) {
    ReportRunState run;
    run.reportDay = D(2011, 3, 23);
    run.csrInService = true;
    BuildRapidScanProducts(run, false);
    EXPECT_EQ(run.rapidScanProducts, (ChannelSet{39, 52, 53, 54}));
    EXPECT_EQ(run.quarterHourlyProducts, ChannelSet{59});
    EXPECT_EQ(run.rapidScanAmvProducts, ChannelSet{30});

    run.reportDay = D(2011, 3, 24);
    BuildRapidScanProducts(run, false);
    EXPECT_EQ(run.rapidScanProducts, (ChannelSet{52, 53, 66}));
    BuildRapidScanProducts(run, true);
    EXPECT_EQ(run.rapidScanProducts, (ChannelSet{52, 66}));
}

TEST(RapidScanProducts, NothingQuarterHourlyOnceCsrIsRetired) {
    const std::pair<Day, bool> cases[] = {{D(2022, 10, 4), true}, {D(2022, 10, 5), false}};
    for (const auto& [day, csr] : cases) {
        ReportRunState run;
        run.reportDay = day;
        run.csrInService = ComputeDayRules(day, ScanMode::RapidScan).csrInService;
        run.quarterHourlyProducts = ChannelSet{36};
        BuildRapidScanProducts(run, false);
        EXPECT_EQ(run.quarterHourlyProducts.Contains(59), csr);
        EXPECT_EQ(run.quarterHourlyProducts.Empty(), !csr);
    }
}

}  // namespace
}  // namespace gapscope
