// gapscope-report --check and --format prometheus on simulated stations with faults injected
// at known times, the clock set as --now sets it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "command/report_command.h"
#include "settings/version.h"
#include "tests/support/test_support.h"
#include "tests/tools/sim_test_support.h"
#include "tools/simulator/simulator.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A UTC minute of March 2024.
sim::Instant March(unsigned day, int hour, int minute) {
    return sim::Instant{test::Date(2024, 3, day)} + std::chrono::minutes{hour * 60 + minute};
}

class MonitoringCommand : public ::testing::Test {
  protected:
    MonitoringCommand() : dir_("gapscope-monitoring-") {
        env_.programDirectory = dir_.path() / "program";
        env_.computerName = "GROUNDSTATION";
        env_.now = std::chrono::sys_seconds{test::Date(2024, 3, 2)} + 6h + 10min;
        env_.versionText = kVersionText;
    }

    // A clean history of 2024-03-01 (from `first` on), up to `until` when given, with
    // the faults given in the simulator's --inject form.
    fs::path Station(const std::vector<std::string>& faults,
                     std::optional<sim::Instant> until = std::nullopt,
                     Day first = test::Date(2024, 3, 1), const std::string& name = "station") {
        sim::SimulationConfig config =
            sim::testing::CleanConfig(ScanMode::Prime, first, test::Date(2024, 3, 1));
        for (const std::string& text : faults)
            config.injections.push_back(sim::testing::Inject(text));
        if (until) {
            config.until = until;
            config.last = std::chrono::floor<std::chrono::days>(*until);
        }
        const fs::path dir = dir_.path() / name;
        const sim::DirectoryResult result = sim::SimulateToDirectory(config, dir, true);
        EXPECT_TRUE(result.errors.empty()) << result.errors.front();
        return dir;
    }

    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RunReportCommand(args, env_, out_, err_);
    }

    // The one line of a check, without its performance data.
    std::string Summary() const {
        const std::string line = out_.str();
        return line.substr(0, line.find(" | "));
    }

    // A check prints one line on standard output, nothing on standard error.
    void ExpectOneLine() const {
        EXPECT_EQ(out_.str().find('\n'), out_.str().size() - 1) << out_.str();
        EXPECT_EQ(err_.str(), "");
    }

    test::TempDir dir_;
    CommandEnvironment env_;
    std::ostringstream out_, err_;
};

TEST_F(MonitoringCommand, FaultsOfYesterdayGiveTheirStates) {
    struct Case {
        std::vector<std::string> faults;
        int status;
        const char* summary;
    };
    const Case cases[] = {
        {{}, 0, "GAPSCOPE OK - 2024-03-01: nothing missing"},
        // Stray segments, as every station loses some.
        {{"segments@2024-03-01T07:00:9/3,4"}, 0,
         "GAPSCOPE OK - 2024-03-01: 1 channel incomplete or missing, 2 missing segments"},
        {{"channel@2024-03-01T12:00:9"}, 1, "GAPSCOPE WARNING - 2024-03-01: IR108 missing at 12:00"},
        // A channel lost in four cycles in a row is as critical as four cycles.
        {{"channel@2024-03-01T12:00:9", "channel@2024-03-01T12:15:9", "channel@2024-03-01T12:30:9",
          "channel@2024-03-01T12:45:9"},
         2,
         "GAPSCOPE CRITICAL - 2024-03-01: IR108 missing from 12:00 to 12:45 (4 cycles)"},
        {{"product@2024-03-01T12:00:clm"}, 1, "GAPSCOPE WARNING - 2024-03-01: 1 missing product"},
        // Lost cycles by time, a run in one.
        {{"cycle@2024-03-01T12:00:3"}, 1,
         "GAPSCOPE WARNING - 2024-03-01: cycles missing: 12:00 to 12:30 (3)"},
        {{"cycle@2024-03-01T12:00:4", "cycle@2024-03-01T15:00:1"}, 2,
         "GAPSCOPE CRITICAL - 2024-03-01: cycles missing: 12:00 to 12:45 (4), 15:00"},
    };
    for (const Case& c : cases) {
        const fs::path station = Station(c.faults);
        EXPECT_EQ(Run({station.string(), "--check", "--defaults"}), c.status) << c.summary;
        EXPECT_EQ(Summary(), c.summary);
        ExpectOneLine();
        fs::remove_all(station);
    }
}

TEST_F(MonitoringCommand, ThresholdsFromTheCommandLine) {
    const std::string station = Station({"segments@2024-03-01T07:00:9/3,4"}).string();
    EXPECT_EQ(Run({station, "--check", "--defaults", "--warning", "missing_segments=1"}), 1);
    EXPECT_EQ(Summary(), "GAPSCOPE WARNING - 2024-03-01: 2 missing segments");
    EXPECT_NE(out_.str().find(" missing_segments=2;1;;0 "), std::string::npos) << out_.str();
    EXPECT_EQ(Run({station, "--check", "--defaults", "--warning=missing_segments=1",
                   "--critical", "missing_channels=0"}),
              2);
    EXPECT_EQ(Summary(), "GAPSCOPE CRITICAL - 2024-03-01: 1 channel incomplete or missing, 2 missing segments");
    // Of two ranges for one measure the last counts.
    EXPECT_EQ(Run({station, "--check", "--defaults", "--warning", "missing_segments=1", "--warning",
                   "missing_segments=5"}),
              0);
    EXPECT_EQ(Run({station, "--check", "--defaults", "--warning", "missing_segments=5", "--warning",
                   "missing_segments=1"}),
              1);
}

TEST_F(MonitoringCommand, WhatCannotBeJudgedIsUnknown) {
    const fs::path empty = dir_.path() / "empty";
    fs::create_directories(empty);
    EXPECT_EQ(Run({empty.string(), "--check"}), 3);
    EXPECT_EQ(out_.str(), "GAPSCOPE UNKNOWN - no history log in " + (empty / "").string() +
                              " (none of SegHistory.log, LateSegHistory.log, FileHistory.log)\n");
    ExpectOneLine();
    EXPECT_EQ(Run({(dir_.path() / "absent").string(), "--check"}), 3);
    EXPECT_EQ(out_.str(), "GAPSCOPE UNKNOWN - no such folder: " + (dir_.path() / "absent").string() + "\n");

    std::ofstream(empty / "SegHistory.log") << "202403010000=P=1,E=1,1=FF,2=$G1\r\n";
    EXPECT_EQ(Run({empty.string(), "--check"}), 3);
    EXPECT_EQ(out_.str(),
              "GAPSCOPE UNKNOWN - 2024-03-01: ''$G1'' is not a valid integer value (in "
              "SegHistory.log, minute key 202403010000 (2024-03-01 00:00 UTC), item 2)\n");
    ExpectOneLine();
}

TEST_F(MonitoringCommand, BadUsageOfACheckIsUnknownOnItsOneLine) {
    const std::string station = dir_.path().string();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{station, "--check", "--save"}, "--save and --check do not go together"},
        {{station, "--check", "--format", "json"}, "--format only goes with the printed report or --from"},
        {{station, "--check", "--station", "x"}, "--station only goes with --format prometheus"},
        {{station, "--check", "--frobnicate"}, "unknown option: '--frobnicate'"},
        {{station, "--check=1"}, "--check takes no value"},
        {{station, "--check", "--grace", "-5"}, "--grace takes whole minutes from 0 to 1440, not '-5'"},
        {{station, "--check", "--day", "today", "--warning", "missing=1"},
         "--warning: no measure named 'missing' (one of missing_cycles, consecutive_missing_cycles, "
         "missing_channels, missing_whole_channels, consecutive_missing_whole_channel, "
         "missing_segments, missing_segments_percent, late_segments, missing_products, "
         "missing_sequence_numbers, last_record_age, records_after_now)"},
        {{station, "--check", "--critical", "missing_cycles=3:1"},
         "--critical missing_cycles: '3:1' is no range (10, 10:, ~:10, 10:20 or @10:20)"},
    };
    for (const auto& [args, problem] : cases) {
        EXPECT_EQ(Run(args), 3) << problem;
        EXPECT_EQ(out_.str(), "GAPSCOPE UNKNOWN - bad usage: " + problem + "\n");
        ExpectOneLine();
    }
    // Elsewhere bad usage keeps its status and its place.
    EXPECT_EQ(Run({station, "--station", "north"}), kExitBadUsage);
    EXPECT_EQ(
        err_.str().rfind("gapscope-report: --station only goes with --format prometheus\n", 0), 0u)
        << err_.str();
    EXPECT_EQ(out_.str(), "");
}

TEST_F(MonitoringCommand, TheCurrentDayIsJudgedUpToTheCyclesDue) {
    // The station's history ends at 12:05; the 11:45 cycle never came. At 12:05 it is due in
    // ten minutes (30 minutes of grace): not yet missing.
    const std::string station =
        Station({"cycle@2024-03-01T11:45:1"}, March(1, 12, 5)).string();
    EXPECT_EQ(Run({station, "--check", "--defaults", "--day", "today", "--now", "2024-03-01T12:05"}), 0);
    EXPECT_EQ(Summary(), "GAPSCOPE OK - 2024-03-01 up to 11:35: nothing missing, newest segment "
                         "record 15 min old (2024-03-01 11:50)");
    EXPECT_NE(out_.str().find(" last_record_age=900s;;3600;0"), std::string::npos) << out_.str();
    ExpectOneLine();
    EXPECT_EQ(Run({station, "--check", "--defaults", "--day", "today", "--now", "2024-03-01T12:20"}), 1);
    EXPECT_EQ(Summary(), "GAPSCOPE WARNING - 2024-03-01 up to 11:50: cycle missing: 11:45, newest "
                         "segment record 30 min old (2024-03-01 11:50)");
    // Without grace, the 12:00 cycle still on its way is missing too. The date of the day
    // makes it the current day, as "today" does, but not one watched live: the newest
    // record's age is not judged.
    EXPECT_EQ(Run({station, "--check", "--defaults", "--day", "2024-03-01", "--grace", "0",
                   "--now", "2024-03-01T12:05"}),
              1);
    EXPECT_EQ(Summary(), "GAPSCOPE WARNING - 2024-03-01 up to 12:05: cycles missing: 11:45 to 12:00 (2)");
}

TEST_F(MonitoringCommand, ADayBeforeTheLogsBeginIsJudgedAsSuchNotAsMissing) {
    const std::string station = Station({}).string();
    EXPECT_EQ(Run({station, "--check", "--defaults", "--day", "2024-02-28"}), 0);
    EXPECT_EQ(Summary(), "GAPSCOPE OK - 2024-02-28: before the logs begin");
    ExpectOneLine();
    ASSERT_EQ(Run({station, "--format", "prometheus", "--day", "2024-02-28"}), kExitDone);
    EXPECT_NE(out_.str().find(
                  "\ngapscope_missing_cycles{station=\"Groundstation\",gapscope_service=\"prime\"} 0\n"),
              std::string::npos)
        << out_.str();
}

TEST_F(MonitoringCommand, AStationSilentSinceTenInTheEveningIsCriticalAfterMidnight) {
    // The previous day is still judged: its cycles from 22:00 are missing too.
    const std::string silent = Station({}, March(1, 22, 0)).string();
    EXPECT_EQ(Run({silent, "--check", "--day", "today", "--now", "2024-03-02T00:10"}), 2);
    EXPECT_EQ(Summary(), "GAPSCOPE CRITICAL - 2024-03-01 up to 23:40: cycles missing: 22:00 to 23:30 "
                         "(7), newest segment record 145 min old (2024-03-01 21:45)");
    ExpectOneLine();
    // A station that goes on is OK at the same minute.
    const std::string alive = Station({}, March(2, 0, 10), test::Date(2024, 3, 1), "alive").string();
    EXPECT_EQ(Run({alive, "--check", "--day", "today", "--now", "2024-03-02T00:10"}), 0);
    EXPECT_EQ(Summary().rfind("GAPSCOPE OK - 2024-03-01 up to 23:40: nothing missing, newest segment record ", 0), 0u)
        << Summary();
}

TEST_F(MonitoringCommand, CyclesLostJustBeforeMidnightAreJudgedForAnHourAfterTheyAreDue) {
    // 23:30 and 23:45 lost. Watched live, the day is that of the time less the grace and an
    // hour: the previous day until 01:30, then the new one.
    const std::string station =
        Station({"cycle@2024-03-01T23:30:2"}, March(2, 2, 0), test::Date(2024, 3, 1)).string();
    const std::pair<const char*, const char*> steps[] = {
        {"2024-03-01T23:45", "GAPSCOPE OK - 2024-03-01 up to 23:15: nothing missing"},
        {"2024-03-02T00:00", "GAPSCOPE WARNING - 2024-03-01 up to 23:30: cycle missing: 23:30"},
        {"2024-03-02T00:15",
         "GAPSCOPE WARNING - 2024-03-01 up to 23:45: cycles missing: 23:30 to 23:45 (2)"},
        {"2024-03-02T01:29", "GAPSCOPE WARNING - 2024-03-01: cycles missing: 23:30 to 23:45 (2)"},
        {"2024-03-02T01:30", "GAPSCOPE OK - 2024-03-02 up to 01:00: nothing missing"},
    };
    for (const auto& [now, summary] : steps) {
        // The history runs on to 02:00: records after each of these times, which the replay
        // leaves unjudged.
        Run({station, "--check", "--defaults", "--day", "today", "--now", now, "--warning",
             "records_after_now="});
        EXPECT_EQ(Summary().rfind(summary, 0), 0u) << now << ": " << Summary();
        // Watched live: the newest record's age is judged on either day.
        EXPECT_NE(out_.str().find(" last_record_age="), std::string::npos) << now;
    }
    // The metrics follow the same day, and hold the newest lost cycle's start.
    const std::string labels = "{station=\"Groundstation\",gapscope_service=\"prime\"}";
    ASSERT_EQ(Run({station, "--format", "prometheus", "--defaults", "--day", "today", "--now",
                   "2024-03-02T01:15"}),
              kExitDone);
    EXPECT_NE(out_.str().find("\ngapscope_report_day_timestamp_seconds" + labels + " 1709251200\n"),
              std::string::npos);
    EXPECT_NE(out_.str().find("\ngapscope_missing_cycles" + labels + " 2\n"), std::string::npos);
    EXPECT_NE(out_.str().find("\ngapscope_last_missing_cycle_timestamp_seconds" + labels + " 1709336700\n"),
              std::string::npos);
    EXPECT_NE(out_.str().find("\ngapscope_due_cycles" + labels + " 96\n"), std::string::npos);
    ASSERT_EQ(Run({station, "--format", "prometheus", "--defaults", "--day", "today", "--now",
                   "2024-03-02T01:30"}),
              kExitDone);
    EXPECT_NE(out_.str().find("\ngapscope_report_day_timestamp_seconds" + labels + " 1709337600\n"),
              std::string::npos);
    EXPECT_NE(out_.str().find("\ngapscope_due_cycles" + labels + " 5\n"), std::string::npos);
    // A day asked for by its date is what it says, and not watched live.
    EXPECT_EQ(Run({station, "--check", "--defaults", "--day", "2024-03-02", "--now", "2024-03-02T00:15"}), 0);
    EXPECT_EQ(Summary(), "GAPSCOPE OK - 2024-03-02: nothing due yet");
}

TEST_F(MonitoringCommand, TodayNamesTheCurrentDayInEveryMode) {
    const std::string station = Station({}, March(1, 12, 5)).string();
    ASSERT_EQ(Run({station, "--day", "2024-03-01", "--now", "2024-03-01T12:05"}), kExitDone);
    const std::string byDate = out_.str();
    ASSERT_EQ(Run({station, "--day", "today", "--now", "2024-03-01T12:05"}), kExitDone);
    EXPECT_EQ(out_.str(), byDate);
    ASSERT_EQ(Run({station, "--day", "today", "--now", "2024-03-01T12:05", "--format", "json"}), kExitDone);
    EXPECT_NE(out_.str().find("\"day\":\"2024-03-01\""), std::string::npos);
    // The JSON's cycles not yet due follow the same rule as the check: 12:05 less the grace.
    EXPECT_NE(out_.str().find("\"not_yet_due\":[\"1145\","), std::string::npos);
}

TEST_F(MonitoringCommand, MetricsArePrintedOrWrittenToTheirFile) {
    const std::string station = Station({"cycle@2024-03-01T11:45:1"}, March(1, 12, 5)).string();
    ASSERT_EQ(Run({station, "--format", "prometheus", "--day", "today", "--now", "2024-03-01T12:20"}),
              kExitDone)
        << err_.str();
    const std::string printed = out_.str();
    const std::string labels = "{station=\"Groundstation\",gapscope_service=\"prime\"}";
    EXPECT_NE(printed.find("\ngapscope_missing_cycles" + labels + " 1\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("\ngapscope_info{station=\"Groundstation\",gapscope_service=\"prime\","
                           "version=\"" + std::string(kVersionText) + "\"} 1\n"),
              std::string::npos);
    EXPECT_NE(printed.find("\ngapscope_metrics_written_timestamp_seconds" + labels + " 1709295600\n"),
              std::string::npos);
    EXPECT_NE(printed.find("\ngapscope_report_day_timestamp_seconds" + labels + " 1709251200\n"),
              std::string::npos);
    EXPECT_NE(printed.find("\ngapscope_last_record_timestamp_seconds" + labels + " 1709293800\n"),
              std::string::npos);
    // The same minute with more grace: the missing cycle is not yet due.
    ASSERT_EQ(Run({station, "--format", "prometheus", "--day", "today", "--now", "2024-03-01T12:20",
                   "--grace", "60"}),
              kExitDone);
    EXPECT_NE(out_.str().find("\ngapscope_missing_cycles" + labels + " 0\n"), std::string::npos);

    const fs::path file = dir_.path() / "gapscope.prom";
    ASSERT_EQ(Run({station, "--format", "prometheus", "--day", "today", "--now", "2024-03-01T12:20",
                   "--metrics-file", file.string(), "--station", "North"}),
              kExitDone);
    EXPECT_EQ(out_.str(), "");
    std::string expected = printed;
    for (std::size_t at; (at = expected.find("Groundstation")) != std::string::npos;) {
        expected.replace(at, 13, "North");
    }
    EXPECT_EQ(test::ReadFile(file), expected);
}

TEST_F(MonitoringCommand, MetricsOfDataThatCannotBeReadAreNotWritten) {
    const fs::path empty = dir_.path() / "empty";
    fs::create_directories(empty);
    const fs::path file = dir_.path() / "gapscope.prom";
    EXPECT_EQ(Run({empty.string(), "--format", "prometheus", "--metrics-file", file.string()}),
              kExitDataUnreadable);
    EXPECT_EQ(err_.str(), "gapscope-report: no history log in " + (empty / "").string() +
                              " (none of SegHistory.log, LateSegHistory.log, FileHistory.log)\n");
    EXPECT_FALSE(fs::exists(file));

    std::ofstream(empty / "SegHistory.log") << "202403010000=P=1,E=1,1=FF,2=$G1\r\n";
    EXPECT_EQ(Run({empty.string(), "--format", "prometheus"}), kExitReportFailed);
    EXPECT_EQ(out_.str(), "");

    const std::string station = Station({}).string();
    EXPECT_EQ(Run({station, "--format", "prometheus", "--metrics-file",
                   (dir_.path() / "gone" / "x.prom").string()}),
              kExitSaveFailed);
    EXPECT_EQ(err_.str().rfind("gapscope-report: the metrics could not be written: cannot create a file in ", 0), 0u)
        << err_.str();
}

// A record stamped in 2099, or 20 minutes ahead, by a clock set wrong, hides no silence: the
// check names it and the metrics carry it; one 5 minutes ahead is a clock's drift.
TEST_F(MonitoringCommand, RecordsStampedAfterNowAreToldNotTakenAsTheNewest) {
    const fs::path station = Station({}, March(1, 12, 5));
    const std::string labels = "{station=\"Groundstation\",gapscope_service=\"prime\"}";
    const auto stamp = [&](const char* record) {
        std::ofstream(station / "SegHistory.log", std::ios::app) << record << "=P=1,E=1\r\n";
    };
    const std::vector<std::string> now = {"--defaults", "--day", "today", "--now", "2024-03-01T12:05"};
    const auto run = [&](std::vector<std::string> mode) {
        mode.insert(mode.begin(), station.string());
        mode.insert(mode.end(), now.begin(), now.end());
        return Run(mode);
    };

    stamp("202403011210");
    EXPECT_EQ(run({"--check"}), 0);
    EXPECT_EQ(Summary(), "GAPSCOPE OK - 2024-03-01 up to 11:35: nothing missing, newest segment "
                         "record 15 min old (2024-03-01 11:50)");
    EXPECT_TRUE(out_.str().ends_with(" records_after_now=0;0;;0\n")) << out_.str();
    ASSERT_EQ(run({"--format", "prometheus"}), kExitDone);
    EXPECT_NE(out_.str().find("\ngapscope_records_after_now" + labels + " 0\n"), std::string::npos);

    stamp("202403011225");
    stamp("209912312345");
    EXPECT_EQ(run({"--check"}), 1);
    EXPECT_EQ(Summary(), "GAPSCOPE WARNING - 2024-03-01 up to 11:35: 2 records stamped after now, "
                         "newest 2099-12-31 23:45: is the station's clock right?, newest segment "
                         "record 15 min old (2024-03-01 11:50)");
    EXPECT_TRUE(out_.str().ends_with(" last_record_age=900s;;3600;0 records_after_now=2;0;;0\n"))
        << out_.str();
    ExpectOneLine();
    ASSERT_EQ(run({"--format", "prometheus"}), kExitDone);
    EXPECT_NE(out_.str().find("\ngapscope_records_after_now" + labels + " 2\n"), std::string::npos);
    EXPECT_NE(out_.str().find("\ngapscope_last_record_timestamp_seconds" + labels + " 1709293800\n"),
              std::string::npos)
        << out_.str();
    ASSERT_EQ(run({"--format", "json"}), kExitDone);
    EXPECT_NE(out_.str().find("\"records_after_now\":{\"count\":2,\"newest\":\"2099-12-31T23:45Z\"}"),
              std::string::npos)
        << out_.str();
}

TEST_F(MonitoringCommand, MetricsOfAStationWithoutSegmentRecordsMakeItSilent) {
    // The other logs are there, the segment history holds nothing: the newest record is 0.
    const fs::path station = Station({});
    std::ofstream(station / "SegHistory.log", std::ios::trunc).close();
    ASSERT_EQ(Run({station.string(), "--format", "prometheus", "--defaults", "--day", "today"}), kExitDone)
        << err_.str();
    EXPECT_NE(out_.str().find("\ngapscope_last_record_timestamp_seconds{station=\"Groundstation\","
                              "gapscope_service=\"prime\"} 0\n"),
              std::string::npos)
        << out_.str();
}

TEST_F(MonitoringCommand, MetricsGoWithTheirOwnOptionsOnly) {
    const std::string station = dir_.path().string();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{station, "--format", "prometheus", "--from", "2024-03-01"},
         "--from and --format prometheus do not go together"},
        {{station, "--metrics-file", "x.prom"}, "--metrics-file only goes with --format prometheus"},
        {{station, "--format", "prometheus", "--save"}, "--format prometheus and --save do not go together"},
        {{station, "--format", "prometheus", "--warning", "missing_cycles=1"},
         "--warning only goes with --check"},
        {{station, "--format", "prometheus", "--metrics-file", ""}, "--metrics-file needs a path"},
    };
    for (const auto& [args, problem] : cases) {
        EXPECT_EQ(Run(args), kExitBadUsage) << problem;
        EXPECT_EQ(err_.str().rfind("gapscope-report: " + problem + "\n", 0), 0u) << err_.str();
    }
}

}  // namespace
}  // namespace gapscope
