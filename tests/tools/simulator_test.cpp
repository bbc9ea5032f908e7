#include "tools/simulator/simulator.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "history/items.h"
#include "history/mask.h"
#include "tests/tools/sim_test_support.h"
#include "tools/simulator/messages.h"

namespace gapscope::sim {
namespace {

using testing::At;
using testing::CleanConfig;
using testing::D;
using testing::Inject;
using testing::SplitKeyed;

MemorySink Generate(const SimulationConfig& config, SimulationSummary* summary = nullptr) {
    MemorySink sink;
    const SimulationSummary s = Simulate(config, sink);
    if (summary) *summary = s;
    return sink;
}

// The mask of one item of a record, as the report reads it; nullopt when absent.
std::optional<std::uint32_t> MaskIn(const std::string& record, const std::string& key) {
    const ItemList items = ParseItems(record);
    const std::string_view v = ValueOf(items, key);
    if (v.empty()) return std::nullopt;
    return ParseMask(v);
}

TEST(Simulator, SeedFixesEveryLogAndEachDayStandsAlone) {
    SimulationConfig config = CleanConfig(ScanMode::Prime, D(2024, 3, 1), D(2024, 3, 3));
    config.rates = FindScenario("bad-day")->rates;
    config.seed = 5;
    const MemorySink a = Generate(config);
    const MemorySink b = Generate(config);
    for (int f = 0; f < kLogFileCount; ++f) {
        EXPECT_EQ(a.Text(static_cast<LogFile>(f)), b.Text(static_cast<LogFile>(f))) << f;
    }
    config.seed = 6;
    EXPECT_NE(Generate(config).Text(LogFile::Seg), a.Text(LogFile::Seg));

    // A day's faults come from the seed and the day, not from where the range starts.
    config.seed = 5;
    config.first = config.last = D(2024, 3, 2);
    const auto whole = SplitKeyed(a.Text(LogFile::Seg)).values;
    for (const auto& [key, value] : SplitKeyed(Generate(config).Text(LogFile::Seg)).values) {
        EXPECT_EQ(whole.at(key), value) << key;
    }
}

TEST(Simulator, LinesAreTimeOrderedAndEveryCycleHasOne) {
    for (const ScanMode service : {ScanMode::Prime, ScanMode::RapidScan, ScanMode::Iodc}) {
        const MemorySink logs = Generate(CleanConfig(service, D(2024, 3, 1), D(2024, 3, 2)));
        const auto seg = SplitKeyed(logs.Text(LogFile::Seg));
        EXPECT_TRUE(seg.rising);
        const int step = service == ScanMode::RapidScan ? 5 : 15;
        for (int m = 0; m < kMinutesPerDay; m += step) {
            EXPECT_TRUE(seg.values.count(MinuteKey(D(2024, 3, 2), m))) << m;
        }
        EXPECT_TRUE(SplitKeyed(logs.Text(LogFile::File))
                        .values.count("20240302" +
                                      std::string(SequenceSuffix(MessageFeeds(service)[0].kind))));
        EXPECT_TRUE(logs.Text(LogFile::LateSeg).empty());
    }
}

TEST(Simulator, RecordsUseTheServiceKeysAndMasks) {
    const Day day = D(2024, 3, 1);
    const auto prime =
        SplitKeyed(Generate(CleanConfig(ScanMode::Prime, day, day)).Text(LogFile::Seg)).values;
    EXPECT_EQ(prime.at("202403011200").rfind("P=1,E=1,1=FF,2=FF,", 0), 0u);
    EXPECT_NE(prime.at("202403011200").find(",12=FFFFFF,"), std::string::npos);
    // LRIT rides on the quarter-past and quarter-to cycles, with its prolog bit.
    EXPECT_EQ(prime.at("202403011215").rfind("P=3,E=3,", 0), 0u);
    EXPECT_EQ(MaskIn(prime.at("202403011215"), "13"), 0xFFu);
    EXPECT_FALSE(MaskIn(prime.at("202403011230"), "13"));

    const auto rapid =
        SplitKeyed(Generate(CleanConfig(ScanMode::RapidScan, day, day)).Text(LogFile::Seg)).values;
    const std::string& r = rapid.at("202403011205");
    EXPECT_EQ(r.rfind("RP=1,RE=1,R1=E0,", 0), 0u);
    EXPECT_EQ(MaskIn(r, "R11"), 0xE0u);
    EXPECT_EQ(MaskIn(r, "R12"), 0xFF8000u);
    EXPECT_FALSE(MaskIn(r, "9"));

    const auto iodc =
        SplitKeyed(Generate(CleanConfig(ScanMode::Iodc, day, day)).Text(LogFile::Seg)).values;
    EXPECT_EQ(iodc.at("202403010900").rfind("IP=1,IE=1,I1=FF,", 0), 0u);
    EXPECT_TRUE(MaskIn(iodc.at("202403010900"), "I37"));  // CRM at the IODC noon cycle
    EXPECT_FALSE(MaskIn(iodc.at("202403011200"), "I37"));
}

TEST(Simulator, InjectedFaultsLandWhereAsked) {
    const Day day = D(2024, 6, 1);
    SimulationConfig config = CleanConfig(ScanMode::Prime, day, D(2024, 6, 2));
    for (const char* text : {"cycle@2024-06-01T03:00:2", "segments@2024-06-01T06:15:9/3,4",
                             "channel@2024-06-01T06:30:5", "product@2024-06-01T06:45:mpe",
                             "late@2024-06-01T07:00:12/23-24", "seq-gap@2024-06-01T10:00:dcp",
                             "seq-dup@2024-06-01T10:00:gts", "fsd-day@2024-06-01:fy2g",
                             "fsd@2024-06-01T12:00:himawari/2", "fill-in@2024-06-01"}) {
        config.injections.push_back(Inject(text));
    }
    ASSERT_TRUE(CheckConfig(config).empty());
    SimulationSummary summary;
    const MemorySink logs = Generate(config, &summary);
    const auto seg = SplitKeyed(logs.Text(LogFile::Seg)).values;

    EXPECT_FALSE(seg.count("202406010300"));
    EXPECT_FALSE(seg.count("202406010315"));
    EXPECT_TRUE(seg.count("202406010330"));
    EXPECT_EQ(MaskIn(seg.at("202406010615"), "9"), 0xF3u);
    EXPECT_FALSE(MaskIn(seg.at("202406010630"), "5"));
    EXPECT_TRUE(MaskIn(seg.at("202406010630"), "6"));
    EXPECT_FALSE(MaskIn(seg.at("202406010645"), "53"));
    EXPECT_EQ(SplitKeyed(logs.Text(LogFile::LateSeg)).values.at("202406010700"), "12=C00000");

    const auto files = SplitKeyed(logs.Text(LogFile::File)).values;
    EXPECT_EQ(files.at("20240601-dcp")[250], '_');  // number 251 of 600 comes at 10:00
    EXPECT_EQ(std::count(files.at("20240601-dcp").begin(), files.at("20240601-dcp").end(), '_'), 1);
    EXPECT_EQ(files.at("20240601-gts")[SequenceNumberAt(600, 900) - 1], '#');

    // FY-2G gone all day (on the next day, outside its eclipse season, it is back hourly); Himawari
    // out from 12:00 to 13:59.
    for (const auto& [key, record] : seg) {
        const bool first = key.rfind("20240601", 0) == 0;
        EXPECT_EQ(MaskIn(record, "67").has_value(), !first && key.ends_with("00")) << key;
        const bool outage = first && key >= "202406011200" && key < "202406011400";
        if (outage) {
            EXPECT_FALSE(MaskIn(record, "93")) << key;
        }
    }
    EXPECT_TRUE(MaskIn(seg.at("202406011400"), "93"));

    const std::string& process = logs.Text(LogFile::Process);
    EXPECT_NE(process.find("2024-06-01 08:03:12 Received H-000-MSG2__-MSG2_RSS"),
              std::string::npos);
    EXPECT_EQ(process.find("save 20240601"), std::string::npos);
    EXPECT_NE(process.find("save 202406020240-fir"), std::string::npos);

    // Every injection is reported back, and its description replays it.
    ASSERT_EQ(summary.faults.size(), config.injections.size());
    for (const AppliedFault& fault : summary.faults) {
        EXPECT_TRUE(fault.injected);
        std::string error;
        const auto again = ParseInjection(DescribeFault(fault), error);
        ASSERT_TRUE(again) << DescribeFault(fault) << ": " << error;
        EXPECT_EQ(again->kind, fault.kind);
        EXPECT_EQ(again->minute, fault.minute);
    }
}

TEST(Simulator, RateOfOneKindGivesOnlyThatKind) {
    SimulationConfig config = CleanConfig(ScanMode::RapidScan, D(2024, 3, 1), D(2024, 3, 1));
    config.rates[FaultKind::Segments] = 1.0;
    SimulationSummary summary;
    const auto seg = SplitKeyed(Generate(config, &summary).Text(LogFile::Seg)).values;
    EXPECT_EQ(summary.faultCount[static_cast<std::size_t>(FaultKind::Segments)], 288u);
    EXPECT_EQ(summary.faults.size(), 288u);
    for (const AppliedFault& fault : summary.faults) {
        // Rapid scan sends the top three segments only; one of them survives every fault.
        const std::string& record = seg.at(MinuteKey(fault.day, fault.minute));
        const auto left = MaskIn(record, "R" + std::to_string(fault.channel));
        ASSERT_TRUE(left) << record;
        EXPECT_EQ(*left & fault.segments, 0u);
        EXPECT_NE(*left, 0u);
    }
}

TEST(Simulator, HistoryEndsAtUntil) {
    SimulationConfig config = CleanConfig(ScanMode::Prime, D(2024, 3, 1), D(2024, 3, 2));
    config.until = At(D(2024, 3, 2), 6, 0);
    const MemorySink logs = Generate(config);
    const auto seg = SplitKeyed(logs.Text(LogFile::Seg)).values;
    EXPECT_EQ(seg.rbegin()->first, "202403020545");  // the 06:00 cycle is still arriving
    EXPECT_EQ(SplitKeyed(logs.Text(LogFile::File)).values.at("20240302-dcp").size(), 150u);
    const std::string& process = logs.Text(LogFile::Process);
    EXPECT_EQ(process.find("2024-03-02 06:"), std::string::npos);
    EXPECT_NE(process.find("2024-03-02 05:59:58"), std::string::npos);
}

TEST(Simulator, RefusesInjectionsThatCannotHappen) {
    SimulationConfig config = CleanConfig(ScanMode::RapidScan, D(2024, 3, 1), D(2024, 3, 1));
    for (const char* bad : {
             "cycle@2024-03-01T12:07",             // not a cycle start
             "cycle@2024-03-01T23:50:4",           // runs past midnight
             "segments@2024-03-01T12:05:9/1,2",    // rapid scan sends 6..8 only
             "segments@2024-03-01T12:05:9/6-8",    // every segment sent: that is channel@
             "late@2024-03-01T12:05:30",           // late segments are kept for 1..26
             "product@2024-03-01T12:05:9",         // not a product
             "channel@2024-03-01T12:05:13",        // no LRIT in rapid scan
             "fsd@2024-03-01T12:00:fy2g",          // no foreign data in rapid scan
             "seq-gap@2024-03-01T10:00:dcp-iodc",  // not received by this station
             "segments@2024-03-02T12:05:9/7",      // outside the days
         }) {
        config.injections = {Inject(bad)};
        EXPECT_EQ(CheckConfig(config).size(), 1u) << bad;
    }
    config.injections = {Inject("segments@2024-03-01T12:05:9/7"),
                         Inject("product@2024-03-01T12:05:mpe"),
                         Inject("late@2024-03-01T12:05:12/16-24")};
    EXPECT_TRUE(CheckConfig(config).empty());

    config.last = D(2023, 1, 1);
    EXPECT_FALSE(CheckConfig(config).empty());
}

TEST(Simulator, MaskTextPadsToWholeBytes) {
    EXPECT_EQ(MaskText(0xF3, 8), "F3");
    EXPECT_EQ(MaskText(0x0C, 8), "0C");
    EXPECT_EQ(MaskText(0xC00000, 24), "C00000");
    EXPECT_EQ(MaskText(0x3FF, 10), "03FF");
    EXPECT_EQ(MaskText(1, 1), "01");
}

}  // namespace
}  // namespace gapscope::sim
