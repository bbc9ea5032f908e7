#include "tools/simulator/cli.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "settings/version.h"
#include "tests/tools/sim_test_support.h"

namespace gapscope::sim {
namespace {

using testing::At;
using testing::D;
using testing::TempDir;

const Instant kNow = At(D(2024, 3, 10), 14, 37);

std::optional<CommandLine> Parse(std::vector<std::string> args, std::string* error = nullptr) {
    std::string e;
    args.insert(args.begin(), "station");
    auto cl = ParseCommandLine(args, kNow, e);
    if (error) *error = e;
    return cl;
}

TEST(CommandLine, DayRangeFromTheOptions) {
    struct Case {
        std::vector<std::string> args;
        Day first, last;
        std::optional<Instant> until;
    };
    const Case cases[] = {
        {{}, D(2024, 3, 9), D(2024, 3, 9), std::nullopt},
        {{"--days", "7"}, D(2024, 3, 3), D(2024, 3, 9), std::nullopt},
        {{"--from", "2024-01-30", "--days", "3"}, D(2024, 1, 30), D(2024, 2, 1), std::nullopt},
        {{"--to=2024-02-01", "--days=2"}, D(2024, 1, 31), D(2024, 2, 1), std::nullopt},
        {{"--from", "2024-03-01", "--to", "2024-03-02"},
         D(2024, 3, 1),
         D(2024, 3, 2),
         std::nullopt},
        // Up to now: whole days before today, then today as far as it has gone.
        {{"--days", "7", "--until-now"}, D(2024, 3, 3), D(2024, 3, 10), kNow},
        {{"--until", "2024-03-05T00:00", "--days", "2"},
         D(2024, 3, 3),
         D(2024, 3, 4),
         At(D(2024, 3, 5), 0, 0)},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto cl = Parse(c.args, &error);
        ASSERT_TRUE(cl) << error;
        EXPECT_EQ(cl->config.first, c.first) << ::testing::PrintToString(c.args);
        EXPECT_EQ(cl->config.last, c.last) << ::testing::PrintToString(c.args);
        EXPECT_EQ(cl->config.until, c.until) << ::testing::PrintToString(c.args);
    }
}

TEST(CommandLine, OptionsReachTheConfiguration) {
    const auto cl = Parse({"--service", "rapid", "--scenario", "bad-day", "--seed", "42", "--rate",
                           "late=0.5", "--no-feed", "himawari,lrit", "--inject",
                           "cycle@2024-03-09T12:05:3", "--replace", "--list-faults"});
    ASSERT_TRUE(cl);
    EXPECT_EQ(cl->directory, "station");
    EXPECT_EQ(cl->config.service, ScanMode::RapidScan);
    EXPECT_EQ(cl->config.seed, 42u);
    EXPECT_EQ(cl->config.rates[FaultKind::Late], 0.5);
    EXPECT_EQ(cl->config.rates[FaultKind::Cycle], FindScenario("bad-day")->rates[FaultKind::Cycle]);
    EXPECT_FALSE(cl->config.feeds.himawari);
    EXPECT_FALSE(cl->config.feeds.lrit);
    EXPECT_TRUE(cl->config.feeds.fy2g);
    ASSERT_EQ(cl->config.injections.size(), 1u);
    EXPECT_EQ(cl->config.injections[0].count, 3);
    EXPECT_TRUE(cl->replace && cl->listFaults);
}

TEST(CommandLine, BadArgumentsAreRefusedWithAReason) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--service", "polar"},
             {"--from", "2024-02-30"},
             {"--days", "0"},
             {"--from", "2024-03-01", "--to", "2024-03-02", "--days", "2"},
             {"--scenario", "worst"},
             {"--seed", "-1"},
             {"--rate", "segments=2"},
             {"--rate", "nothing=0.1"},
             {"--inject", "cycle@2024-03-01"},
             {"--inject", "segments@2024-03-01T12:15:200"},
             {"--inject", "fsd@2024-03-01T12:00:goes-x"},
             {"--no-feed", "radio"},
             {"--replace=1"},
             {"--days"},
             {"other-dir"},
             {"--verbose"},
         }) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error)) << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    EXPECT_FALSE(ParseCommandLine({"--days", "2"}, kNow, error));
    EXPECT_EQ(error, "no directory given");
}

TEST(CommandLine, ValuesInEitherFormRepeatedOptionsAddUpAndTheLastValueCounts) {
    const auto cl = Parse({"--seed=7", "--no-feed", "lrit", "--no-feed=fsd,mpef", "--days", "3",
                           "--days=2", "--inject", "cycle@2024-03-09T12:00", "--inject",
                           "late@2024-03-09T10:00:9/2", "--quiet"});
    ASSERT_TRUE(cl);
    EXPECT_EQ(cl->config.seed, 7u);
    EXPECT_FALSE(cl->config.feeds.lrit || cl->config.feeds.fsd || cl->config.feeds.mpef);
    EXPECT_TRUE(cl->config.feeds.messages);
    EXPECT_EQ(cl->config.first, D(2024, 3, 8));
    EXPECT_EQ(cl->config.injections.size(), 2u);
    EXPECT_TRUE(cl->quiet);
    // The directory may stand after the options.
    std::string error;
    const auto last = ParseCommandLine({"--service", "iodc", "station"}, kNow, error);
    ASSERT_TRUE(last) << error;
    EXPECT_EQ(last->directory, "station");
    EXPECT_EQ(last->config.service, ScanMode::Iodc);
}

TEST(CommandLine, EachRefusalSaysWhatWasWrong) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--service", "polar"}, "unknown service 'polar' (prime, rapid or iodc)"},
        {{"--from", "2024-02-30"}, "--from: '2024-02-30' is not a date YYYY-MM-DD"},
        {{"--days", "two"}, "--days: 'two' is not a number"},
        {{"--scenario", "worst"}, "unknown scenario 'worst' (clean, typical or bad-day)"},
        {{"--until", "2024-03-01"}, "--until: '2024-03-01' is not a time YYYY-MM-DDThh:nn"},
        {{"--rate", "segments=2"}, "--rate segments is a chance, at most 1"},
        {{"--no-feed", "lrit,radio"}, "--no-feed: unknown feed 'radio'"},
        {{"--verbose"}, "unknown option --verbose"},
        {{"other-dir"}, "only one directory may be given ('other-dir')"},
    };
    for (const auto& [args, message] : cases) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error));
        EXPECT_EQ(error, message);
    }
}

TEST(CommandLine, HelpNamesEveryOptionAndFaultKind) {
    const std::string help = HelpText();
    for (const char* option :
         {"--service", "--from", "--to", "--days", "--until-now", "--until", "--scenario", "--seed",
          "--rate", "--inject", "--no-feed", "--replace", "--list-faults", "--quiet", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
        // Every documented option is one the parser knows.
        std::string error;
        Parse({option, "x"}, &error);
        EXPECT_EQ(error.find("unknown option"), std::string::npos) << option;
    }
    for (int k = 0; k < kFaultKindCount; ++k) {
        EXPECT_TRUE(std::regex_search(
            help, std::regex("\\n +" + std::string(FaultKindName(static_cast<FaultKind>(k))) +
                             " +[A-Za-z]")))
            << FaultKindName(static_cast<FaultKind>(k));
    }
    for (const Scenario& s : Scenarios())
        EXPECT_NE(help.find(std::string(s.name) + ": "), std::string::npos);
}

TEST(CommandLine, RunWritesOnceAndRefusesToOverwrite) {
    TempDir dir;
    const std::vector<std::string> args = {dir.path().string(),
                                           "--from",
                                           "2024-03-01",
                                           "--scenario",
                                           "clean",
                                           "--inject",
                                           "late@2024-03-01T10:00:9/2",
                                           "--list-faults"};
    std::ostringstream out, err;
    EXPECT_EQ(RunSimulateCommand(args, kNow, out, err), 0) << err.str();
    EXPECT_EQ(out.str().rfind("late@2024-03-01T10:00:9/2\n", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("faults: late 1"), std::string::npos);

    std::ostringstream out2, err2;
    EXPECT_EQ(RunSimulateCommand(args, kNow, out2, err2), 1);
    EXPECT_NE(err2.str().find("already holds history logs"), std::string::npos);

    std::ostringstream out3, err3;
    EXPECT_EQ(RunSimulateCommand({dir.path().string(), "--inject", "cycle@2023-01-01T00:00"}, kNow,
                                 out3, err3),
              1);
    EXPECT_NE(err3.str().find("outside the simulated days"), std::string::npos) << err3.str();
    EXPECT_EQ(RunSimulateCommand({"--help"}, kNow, out3, err3), 0);
    EXPECT_EQ(RunSimulateCommand({"--bogus"}, kNow, out3, err3), 2);
    std::ostringstream version, noError;
    EXPECT_EQ(RunSimulateCommand({"--version"}, kNow, version, noError, kVersionText), 0);
    EXPECT_EQ(version.str(), "gapscope-simulate " + std::string(kVersionText) + "\n");
    EXPECT_EQ(noError.str(), "");
}

}  // namespace
}  // namespace gapscope::sim
