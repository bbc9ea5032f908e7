// Replays the fuzzers' seeds and every input a fuzzer once found through the same checks
// the fuzz targets make, so that a finding stays fixed in ordinary builds too.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_support.h"

#include "fuzz/fuzz_inputs.h"

namespace gapscope::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path kRegressions = fs::path(GAPSCOPE_TEST_DATA_DIR) / "fuzz-regressions";
const fs::path kSeeds = fs::path(GAPSCOPE_TEST_DATA_DIR) / ".." / ".." / "fuzz" / "seeds";

// Every input kept for a target, seeds and findings alike; at least the seeds must be there.
std::vector<fs::path> Inputs(const std::string& target) {
    std::vector<fs::path> inputs;
    for (const fs::path& dir : {kSeeds / target, kRegressions / target}) {
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file()) inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

TEST(FuzzRegressions, HistoryLogInputs) {
    const auto inputs = Inputs("history_log");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        EXPECT_EQ(CheckHistoryLogInput(test::ReadFile(input)), std::nullopt) << input;
    }
}

TEST(FuzzRegressions, RecordInputs) {
    const auto inputs = Inputs("record");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        EXPECT_EQ(CheckRecordInput(test::ReadFile(input)), std::nullopt) << input;
    }
}

TEST(FuzzRegressions, CommandLineInputs) {
    const auto inputs = Inputs("command_line");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        EXPECT_EQ(CheckCommandLineInput(test::ReadFile(input)), std::nullopt) << input;
    }
}

TEST(FuzzRegressions, DayReportInputs) {
    const test::TempDir temp("gapscope_fuzz_regressions_");
    const fs::path& scratch = temp.path();
    const auto inputs = Inputs("day_report");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        EXPECT_EQ(CheckDayReportInput(test::ReadFile(input), scratch), std::nullopt) << input;
    }
}

TEST(FuzzRegressions, DayReportInputLayoutReadsBackWhatWasWritten) {
    DayReportInput input;
    input.options.includeLrit = true;
    input.options.decontaminating = true;
    input.options.includeMpef = false;
    input.switches.parallel = true;
    input.switches.noHimawari = true;
    input.day = Day{std::chrono::year{2019} / 3 / 20};
    input.segHistory = "201903201215=P=1,9=F3\r\n2019-03-20 is kept\r\n";
    input.lateSegHistory = "";
    input.fileHistory = "20190320-dcp=x_x";
    input.processLog = "2019-03-20 08 save 201903200240-fir\n";

    const std::string bytes = EncodeDayReportInput(input);
    // The day is written as placeholders, so a mutated day keeps its records.
    EXPECT_EQ(bytes.find("20190320"), std::string::npos);
    const DayReportInput read = DecodeDayReportInput(bytes);
    EXPECT_EQ(read.options, input.options);
    EXPECT_EQ(read.switches.parallel, true);
    EXPECT_EQ(read.switches.noHimawari, true);
    EXPECT_EQ(read.switches.neat, false);
    EXPECT_EQ(read.day, input.day);
    EXPECT_EQ(read.segHistory, input.segHistory);
    EXPECT_EQ(read.lateSegHistory, input.lateSegHistory);
    EXPECT_EQ(read.fileHistory, input.fileHistory);
    EXPECT_EQ(read.processLog, input.processLog);

    // Without its process.log part the input has no process.log at all.
    input.processLog.reset();
    EXPECT_EQ(DecodeDayReportInput(EncodeDayReportInput(input)).processLog, std::nullopt);
    // Anything at all decodes, down to nothing.
    EXPECT_EQ(DecodeDayReportInput("").segHistory, "");
}

}  // namespace
}  // namespace gapscope::fuzz
