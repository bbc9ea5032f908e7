#include "unattended/unattended_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/test_support.h"

#ifdef _WIN32
// setenv and unsetenv as POSIX has them, on the C runtime's environment.
int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

namespace gapscope {
namespace {

namespace fs = std::filesystem;

class UnattendedData : public ::testing::Test {
  protected:
    StartupLoad Load(const std::vector<std::string>& arguments) {
        StartupInputs inputs;
        inputs.arguments = arguments;
        inputs.programDirectory = program_;
        return LoadStartupState(inputs);
    }
    std::optional<std::string> Problem(const std::vector<std::string>& arguments) {
        const std::optional<std::string> first =
            arguments.empty() ? std::nullopt : std::optional<std::string>(arguments.front());
        return UnattendedDataProblem(first, Load(arguments));
    }
    const test::TempDir temp_{"gapscope_unattended_"};
    const fs::path data_ = temp_.path() / "station";
    const fs::path program_ = temp_.path() / "bin";
    void SetUp() override {
        fs::create_directories(data_);
        fs::create_directories(program_);
    }
};

TEST_F(UnattendedData, AStationWithLogsIsFine) {
    std::ofstream(data_ / "SegHistory.log") << "202401051200=P=1\n";
    EXPECT_EQ(Problem({data_.string(), "-s"}), std::nullopt);
    // A station with only some of the logs is a station all the same.
    std::ofstream(program_ / "FileHistory.log") << "20240105-dcp=x\n";
    EXPECT_EQ(Problem({"-s"}), std::nullopt);
}

TEST_F(UnattendedData, NamesTheFolderOrTheLogAndWhy) {
    const std::string typo = (temp_.path() / "statoin").string();
    EXPECT_EQ(Problem({typo, "-s"}), "no such folder: " + typo);
    std::ofstream(temp_.path() / "file") << "x";
    EXPECT_EQ(Problem({(temp_.path() / "file").string()}),
              "not a folder: " + (temp_.path() / "file").string());

    // No folder given and none of the logs beside the program (installed in /usr/bin).
    const std::optional<std::string> none = Problem({"-s"});
    ASSERT_TRUE(none);
    EXPECT_EQ(none->rfind("no history log in " + (program_ / "").string(), 0), 0u) << *none;
    EXPECT_TRUE(Problem({data_.string()})->starts_with("no history log in "));

    fs::create_directory(data_ / "LateSegHistory.log");
    const std::optional<std::string> unreadable = Problem({data_.string()});
    ASSERT_TRUE(unreadable);
    EXPECT_EQ(unreadable->rfind("cannot read " + (data_ / "LateSegHistory.log").string() + ": ", 0),
              0u)
        << *unreadable;
}

TEST(UnattendedRetry, BusyLogsAreTriedForAboutHalfAMinuteUnlessTheWaitIsSet) {
    ::unsetenv("GAPSCOPE_BUSY_WAIT");
    const RetryPolicy standard = UnattendedRetryPolicy();
    EXPECT_EQ((standard.tries - 1) * standard.pause, std::chrono::seconds{30});
    ::setenv("GAPSCOPE_BUSY_WAIT", "0", 1);
    EXPECT_EQ(UnattendedRetryPolicy().pause, std::chrono::milliseconds{0});
    ::setenv("GAPSCOPE_BUSY_WAIT", "0.25", 1);
    EXPECT_EQ(UnattendedRetryPolicy().pause, std::chrono::milliseconds{250});
    ::setenv("GAPSCOPE_BUSY_WAIT", "soon", 1);
    EXPECT_EQ(UnattendedRetryPolicy().pause, standard.pause);
    EXPECT_EQ(BusyWaitProblem(),
              "GAPSCOPE_BUSY_WAIT takes seconds from 0 to 60, not 'soon'; the usual pauses are used");
    ::unsetenv("GAPSCOPE_BUSY_WAIT");
    EXPECT_EQ(BusyWaitProblem(), std::nullopt);
}

TEST(UnattendedRetry, OnlyAPauseFromNoneToAMinuteIsTaken) {
    EXPECT_EQ(ParseBusyWait("60"), std::chrono::milliseconds{60000});
    EXPECT_EQ(ParseBusyWait("0.0004"), std::chrono::milliseconds{0});
    for (const char* odd : {"inf", "-inf", "nan", "1e300", "60.001", "-0.5", "", "5s", " 5", "0x10"}) {
        EXPECT_EQ(ParseBusyWait(odd), std::nullopt) << odd;
    }
}

TEST(UnattendedRetry, AHeldReportIsTriedForAFewSecondsUnlessTheWaitIsSet) {
    ::unsetenv("GAPSCOPE_BUSY_WAIT");
    const RetryPolicy standard = SaveRetryPolicy();
    EXPECT_EQ(standard.tries, 10);
    EXPECT_EQ((standard.tries - 1) * standard.pause, std::chrono::milliseconds{4500});
    ::setenv("GAPSCOPE_BUSY_WAIT", "0", 1);
    EXPECT_EQ(SaveRetryPolicy().pause, std::chrono::milliseconds{0});
    EXPECT_EQ(SaveRetryPolicy().tries, 10);
    ::unsetenv("GAPSCOPE_BUSY_WAIT");
}

// The window's Save and gapscope-report --save ask the same question.
TEST_F(UnattendedData, ADayIsSavedOnlyWhenThereIsSomethingToReport) {
    std::ofstream(data_ / "SegHistory.log") << "202401051347=P=1\n";
    StartupInputs inputs;
    inputs.arguments = {data_.string()};
    const StartupLoad load = LoadStartupState(inputs);
    const MinuteTime now = MinuteTime{test::Date(2024, 1, 6)} + std::chrono::minutes{20};
    const auto refuse = [&](Day day, std::optional<std::string> problem = std::nullopt) {
        return RefuseSave(problem, load.state, day, now);
    };
    EXPECT_FALSE(refuse(test::Date(2024, 1, 5)));  // the day of the first record
    EXPECT_FALSE(refuse(test::Date(2024, 1, 6)));  // the current day, judged so far
    const auto before = refuse(test::Date(2024, 1, 4));
    ASSERT_TRUE(before);
    EXPECT_EQ(before->status, kExitDataUnreadable);
    EXPECT_EQ(before->line,
              "no report for 2024-01-04: it is before the logs begin (the first record of " +
                  load.state.DataDirectory + "SegHistory.log is of 2024-01-05 13:47 UTC)");
    const auto toCome = refuse(test::Date(2024, 1, 7));
    ASSERT_TRUE(toCome);
    EXPECT_EQ(toCome->status, kExitBadUsage);
    EXPECT_EQ(toCome->line,
              "no report for 2024-01-07: the day has not begun (it is 2024-01-06 00:20 UTC)");
    // Data that cannot be read comes first, whatever the day.
    const auto unreadable = refuse(test::Date(2024, 1, 5), "cannot read X: Permission denied");
    ASSERT_TRUE(unreadable);
    EXPECT_EQ(unreadable->line, "cannot read X: Permission denied");
}

}  // namespace
}  // namespace gapscope
