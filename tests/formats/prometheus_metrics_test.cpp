// The metrics text and the file that holds it. promtool and the node exporter read real
// output in monitoring_tools_test.sh.
#include "files/replace_file.h"
#include "formats/prometheus_metrics.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
constexpr Day kDay = test::Date(2024, 3, 1);  // 1709251200 s

Findings SomeFindings() {
    Findings f;
    f.day = kDay;
    f.service = ScanMode::RapidScan;
    f.sequences = {SequenceFinding{0, "DCP", 10, 7, {3, 4, 5}, {}},
                   SequenceFinding{1, "MDD", 5, 4, {2}, {1}}};
    return f;
}

// The sample lines of one metric.
std::vector<std::string> Samples(const std::string& text, const std::string& name) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while ((at = text.find("\n" + name + "{", at)) != std::string::npos) {
        ++at;
        lines.push_back(text.substr(at, text.find('\n', at) - at));
    }
    return lines;
}

TEST(PrometheusMetrics, TheDaysCountsAsGaugesWithTheDayAsAValue) {
    Findings f = SomeFindings();
    f.missingCycles = {600, 615, 700};
    DayMeasures m;
    m.counts = DaySummary{3, 5, 40, 2, 1, 4};
    m.longestCycleRun = 2;
    m.wholeChannels = 3;
    m.expectedSegments = 9000;
    m.dueCycles = 140;
    m.dueSegments = 9500;
    m.lostChannels = {LostChannel{ItemKind::Hrit, 9, "IR108", 2, 600, 605, 2, true},
                      LostChannel{ItemKind::Lrit, 17, "LRIT IR108", 1, 300, 300, 1, false}};
    m.longestChannelRun = 2;
    const std::string text =
        PrometheusMetrics(MetricsInput{"North", f, m, MinuteTime{kDay} + 11h + 50min, "3.1.23",
                                       std::chrono::sys_seconds{kDay} + 12h + 5min});
    // The service's label is one no scrape sets (a scrape's own `service` would rename it).
    const std::string labels = "{station=\"North\",gapscope_service=\"rapid\"}";
    const std::pair<const char*, const char*> values[] = {
        {"gapscope_metrics_written_timestamp_seconds", "1709294700"},
        {"gapscope_report_day_timestamp_seconds", "1709251200"},
        {"gapscope_due_cycles", "140"},
        {"gapscope_missing_cycles", "3"},
        {"gapscope_consecutive_missing_cycles", "2"},
        {"gapscope_last_missing_cycle_timestamp_seconds", "1709293200"},  // 11:40
        {"gapscope_missing_channels", "5"},
        {"gapscope_missing_whole_channels", "3"},
        {"gapscope_consecutive_missing_whole_channel", "2"},
        {"gapscope_missing_segments", "40"},
        {"gapscope_expected_segments", "9000"},
        {"gapscope_due_segments", "9500"},
        {"gapscope_late_segments", "2"},
        {"gapscope_missing_products", "1"},
        {"gapscope_last_record_timestamp_seconds", "1709293800"},
    };
    for (const auto& [name, value] : values) {
        EXPECT_EQ(Samples("\n" + text, name), std::vector<std::string>{name + labels + " " + value});
        EXPECT_NE(text.find("# HELP " + std::string(name) + " "), std::string::npos) << name;
        EXPECT_NE(text.find("# TYPE " + std::string(name) + " gauge\n"), std::string::npos) << name;
    }
    EXPECT_EQ(Samples("\n" + text, "gapscope_info"),
              std::vector<std::string>{
                  "gapscope_info{station=\"North\",gapscope_service=\"rapid\",version=\"3.1.23\"} 1"});
    // By message kind; the kinds add up to the day's count. By lost channel, as the check
    // names them.
    EXPECT_EQ(Samples(text, "gapscope_missing_sequence_numbers"),
              (std::vector<std::string>{
                  "gapscope_missing_sequence_numbers{station=\"North\",gapscope_service=\"rapid\",kind=\"dcp\"} 3",
                  "gapscope_missing_sequence_numbers{station=\"North\",gapscope_service=\"rapid\",kind=\"gts\"} 1"}));
    EXPECT_EQ(Samples(text, "gapscope_whole_channel_missing_cycles"),
              (std::vector<std::string>{
                  "gapscope_whole_channel_missing_cycles{station=\"North\",gapscope_service=\"rapid\",channel=\"IR108\"} 2",
                  "gapscope_whole_channel_missing_cycles{station=\"North\",gapscope_service=\"rapid\",channel=\"LRIT IR108\"} 1"}));
    EXPECT_EQ(text.find("2024"), std::string::npos);  // never the day as a label
    EXPECT_EQ(text.find("_total"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\n"));
}

TEST(PrometheusMetrics, WhatIsNotThereIsLeftOutOrZeroAndLabelsAreEscaped) {
    Findings f = SomeFindings();
    f.sequences.clear();
    const std::string text =
        PrometheusMetrics(MetricsInput{"a\"b\\c\nd\x1b\xE9", f, DayMeasures{}, std::nullopt, "", {}});
    EXPECT_EQ(text.find("gapscope_missing_sequence_numbers"), std::string::npos);
    EXPECT_EQ(text.find("gapscope_whole_channel_missing_cycles"), std::string::npos);
    // A name from outside: control characters '?', bytes that are not UTF-8 U+FFFD.
    const std::string labels = "{station=\"a\\\"b\\\\c?d?\xEF\xBF\xBD\",gapscope_service=\"rapid\"}";
    EXPECT_NE(text.find("\ngapscope_missing_cycles" + labels + " 0\n"), std::string::npos) << text;
    // Without a lost cycle, or any record at all: 0, as long ago as can be.
    EXPECT_NE(text.find("\ngapscope_last_missing_cycle_timestamp_seconds" + labels + " 0\n"),
              std::string::npos);
    EXPECT_NE(text.find("\ngapscope_last_record_timestamp_seconds" + labels + " 0\n"), std::string::npos);
}

TEST(PrometheusMetrics, AMessageKindFallenSilentIsZeroOnceTheDayIsOver) {
    Findings f = SomeFindings();  // DCP and MDD recorded
    const auto samples = [&] {
        return Samples(PrometheusMetrics(MetricsInput{"North", f, DayMeasures{}, std::nullopt, "", {}}),
                       "gapscope_messages_recorded");
    };
    const std::string series = "gapscope_messages_recorded{station=\"North\",gapscope_service=\"rapid\"";
    // The current day: the kinds come so far, nothing of the others.
    EXPECT_EQ(samples(), (std::vector<std::string>{series + ",kind=\"dcp\"} 1",
                                                   series + ",kind=\"gts\"} 1"}));
    f.noMessageRecorded = {{4, 7}};  // MDD_4 (ACMAD) and DCP/IODC, recorded days before
    EXPECT_EQ(samples(), (std::vector<std::string>{
                             series + ",kind=\"acmad-4\"} 0", series + ",kind=\"dcp\"} 1",
                             series + ",kind=\"dcp-iodc\"} 0", series + ",kind=\"gts\"} 1"}));
    // A station that receives none: no series.
    f.sequences.clear();
    f.noMessageRecorded = std::vector<SequenceKind>{};
    EXPECT_TRUE(samples().empty());
}

TEST(MetricsFile, ReplacesTheFileWholeAndLeavesNothingElse) {
    const test::TempDir dir("gapscope-metrics-");
    const fs::path file = dir.path() / "gapscope.prom";
    ASSERT_EQ(WriteFileInPlaceOf(file, "old\n"), std::nullopt);
    ASSERT_EQ(WriteFileInPlaceOf(file, "new\n"), std::nullopt);
    EXPECT_EQ(test::ReadFile(file), "new\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
}

TEST(MetricsFile, AFailureSaysWhyAndKeepsTheOldFile) {
    const test::TempDir dir("gapscope-metrics-");
    const auto missing = WriteFileInPlaceOf(dir.path() / "gone" / "gapscope.prom", "x\n");
    ASSERT_TRUE(missing);
    // The cause in the system's own words.
    EXPECT_EQ(missing->rfind("cannot create a file in " + (dir.path() / "gone").string() + ": ", 0), 0u)
        << *missing;

    // A folder in the file's place cannot be replaced; what was there stays.
    const fs::path file = dir.path() / "gapscope.prom";
    fs::create_directories(file / "in-the-way");
    const auto blocked = WriteFileInPlaceOf(file, "x\n");
    ASSERT_TRUE(blocked);
    EXPECT_EQ(*blocked, "cannot replace " + file.string() + ": it is a folder, not a regular file");
    EXPECT_TRUE(fs::is_directory(file / "in-the-way"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
}

}  // namespace
}  // namespace gapscope
