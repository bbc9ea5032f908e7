#include "startup/startup_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

constexpr char kSep = static_cast<char>(fs::path::preferred_separator);

TEST(Switches, PrefixAndCaseRules) {
    const Switches a = ParseSwitches({"-P", "-nomPE", "/neat", "-him"});
    EXPECT_TRUE(a.parallel);
    EXPECT_TRUE(a.noMpe);
    EXPECT_TRUE(a.neat);
    EXPECT_TRUE(a.himawari);
    EXPECT_FALSE(a.autoRun);
    EXPECT_FALSE(a.noHimawari);
    EXPECT_FALSE(a.noFy2c);

    // '/' serves only "s" and "neat"; extra characters or no prefix match nothing.
    const Switches b = ParseSwitches({"/P", "/NOMPE", "-save", "s", "", "-", "--s", "-NOFY2C "});
    EXPECT_EQ(b.parallel || b.noMpe || b.autoRun || b.noFy2c, false);

    for (const char* autoRun : {"-s", "/S", "-S"}) {
        EXPECT_TRUE(ParseSwitches({autoRun}).autoRun) << autoRun;
        EXPECT_TRUE(IsSwitch(autoRun)) << autoRun;
    }
    EXPECT_TRUE(ParseSwitches({"C:\\data", "-NoHim", "-nofy2c"}).noHimawari);
    EXPECT_TRUE(ParseSwitches({"-s", "-NOFY2C"}).noFy2c);
    EXPECT_FALSE(IsSwitch("/P"));
    EXPECT_FALSE(IsSwitch("-save"));
}

TEST(Switches, AWordThatIsNotASwitchIsToldWhy) {
    EXPECT_EQ(WhyNotASwitch("/HIM"), "'/HIM' is not a switch (HIM takes '-' only)");
    EXPECT_EQ(WhyNotASwitch("/nompe"), "'/nompe' is not a switch (NOMPE takes '-' only)");
    // Switches, folders and other words have nothing to be told.
    for (const char* word : {"-HIM", "/s", "/neat", "/srv/station", "-save", "HIM", "", "/"}) {
        EXPECT_EQ(WhyNotASwitch(word), std::nullopt) << word;
    }
}

TEST(ComputerName, LowersLettersThenRaisesTheFirst) {
    EXPECT_EQ(NormaliseComputerName("STATION7"), "Station7");
    EXPECT_EQ(NormaliseComputerName("rx-PC"), "Rx-pc");
    EXPECT_EQ(NormaliseComputerName("MY-STATION"), "My-station");
    EXPECT_EQ(NormaliseComputerName("7UP-\xC3\x89T\xC3\x89"), "7up-\xC3\x89t\xC3\x89");
    EXPECT_EQ(NormaliseComputerName(""), "");
}

class StartupDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir_ / "prog");
        fs::create_directories(dir_ / "data");
    }
    void Write(const std::string& name, std::string_view text) {
        std::ofstream(dir_ / "data" / name, std::ios::binary) << text;
    }
    StartupLoad Load(std::vector<std::string> extra = {}, StartupInputs inputs = {}) {
        inputs.arguments = {(dir_ / "data").string()};
        inputs.arguments.insert(inputs.arguments.end(), extra.begin(), extra.end());
        inputs.programDirectory = dir_ / "prog";
        return LoadStartupState(inputs);
    }
    test::TempDir temp_{"gapscope_startup_"};
    const fs::path dir_ = temp_.path();
};

TEST_F(StartupDirTest, DataDirectoryFromFirstArgumentOnly) {
    const std::string data = (dir_ / "data").string();
    const std::string prog = (dir_ / "prog").string() + kSep;
    EXPECT_EQ(ResolveDataDirectory({data}, dir_ / "prog"), data + kSep);
    EXPECT_EQ(ResolveDataDirectory({data + kSep, "-s"}, dir_ / "prog"), data + kSep);
    EXPECT_EQ(ResolveDataDirectory({"-s", data}, dir_ / "prog"), prog);
    EXPECT_EQ(ResolveDataDirectory({(dir_ / "none").string()}, dir_ / "prog"), prog);
    EXPECT_EQ(ResolveDataDirectory({}, dir_ / "prog"), prog);
    Write("SegHistory.log", "");
    EXPECT_EQ(ResolveDataDirectory({(dir_ / "data" / "SegHistory.log").string()}, dir_ / "prog"),
              prog);
}

TEST_F(StartupDirTest, LoadsAllThreeLogsAndReadsOnly) {
    Write("FileHistory.log", "20240115-dcp=ab_\n");
    Write("LateSegHistory.log", "202401151215=9=0C\n");
    Write("SegHistory.log", "202401151215=P=1,E=1,9=F3\n");
    const auto before = std::distance(fs::directory_iterator(dir_ / "data"), {});
    const StartupLoad r = Load({"-s"});
    EXPECT_TRUE(r.logsLoaded);
    EXPECT_TRUE(r.anyLogFound);
    EXPECT_TRUE(r.state.switches.autoRun);
    EXPECT_EQ(r.state.DataDirectory, (dir_ / "data").string() + kSep);
    EXPECT_EQ(r.state.FileHistory.ValueOf("20240115-DCP"), "ab_");
    EXPECT_EQ(r.state.LateSegHistory.ValueOf("202401151215"), "9=0C");
    EXPECT_EQ(r.state.SegHistory.ValueOf("202401151215"), "P=1,E=1,9=F3");
    EXPECT_EQ(r.state.Mode, ScanMode::Prime);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "data"), {}), before);
}

TEST_F(StartupDirTest, TheComputerNameIsNormalisedAndNoNameIsAnEmptyOne) {
    StartupInputs named;
    named.computerName = "GROUNDSTATION";
    EXPECT_EQ(Load({}, named).state.ComputerName, "Groundstation");
    EXPECT_EQ(Load().state.ComputerName, "");
}

TEST_F(StartupDirTest, MissingLogsAreEmptyButDoNotStopTheLoad) {
    Write("SegHistory.log", "202401151205=RP=1,R9=FF\n");
    const StartupLoad r = Load();
    EXPECT_TRUE(r.logsLoaded);
    EXPECT_TRUE(r.state.FileHistory.Empty());
    EXPECT_TRUE(r.state.IsRapidScan());
}

TEST_F(StartupDirTest, UnreadableLogStopsItAndTheLaterOnes) {
    Write("FileHistory.log", "20240115-dcp=ab_\n");
    fs::create_directory(dir_ / "data" / "LateSegHistory.log");
    Write("SegHistory.log", "202401151205=RP=1,R9=FF,71=F\n");
    StartupLoad r = Load();
    EXPECT_FALSE(r.logsLoaded);
    EXPECT_EQ(r.unreadableLog, "LateSegHistory.log");
    EXPECT_EQ(r.unreadableStatus, LogReadStatus::Unreadable);
    EXPECT_FALSE(r.unreadableReason.empty());
    EXPECT_EQ(r.state.FileHistory.ValueOf("20240115-dcp"), "ab_");
    EXPECT_TRUE(r.state.SegHistory.Empty());
    // The flags still follow, from the empty segment history.
    EXPECT_EQ(r.state.Mode, ScanMode::Prime);
    EXPECT_FALSE(r.state.Fy2cSeen);

    fs::remove(dir_ / "data" / "LateSegHistory.log");
    fs::rename(dir_ / "data" / "FileHistory.log", dir_ / "data" / "keep");
    fs::create_directory(dir_ / "data" / "FileHistory.log");
    Write("LateSegHistory.log", "202401151215=9=0C\n");
    r = Load();
    EXPECT_FALSE(r.logsLoaded);
    EXPECT_TRUE(r.state.LateSegHistory.Empty());
    EXPECT_TRUE(r.state.SegHistory.Empty());
}

TEST_F(StartupDirTest, AFolderWithoutLogsIsToldApart) {
    const StartupLoad none = Load();
    EXPECT_TRUE(none.logsLoaded);
    EXPECT_FALSE(none.anyLogFound);
    Write("LateSegHistory.log", "");
    EXPECT_TRUE(Load().anyLogFound);
}

// A log that another program holds is tried again after a wait, as often as allowed; a log
// that cannot be read for any other reason is not.
TEST_F(StartupDirTest, BusyLogIsTriedAgainAfterAWait) {
    Write("FileHistory.log", "20240115-dcp=ab_\n");
    Write("SegHistory.log", "202401151205=RP=1,R9=FF\n");
    int busyReads = 2;
    std::vector<std::chrono::milliseconds> waits;
    StartupInputs inputs;
    inputs.retry = {3, std::chrono::milliseconds{5000},
                    [&waits](std::chrono::milliseconds pause) { waits.push_back(pause); }};
    inputs.readLog = [&busyReads](const fs::path& path) -> LogReadResult {
        if (path.filename() == "LateSegHistory.log" && busyReads > 0) {
            --busyReads;
            return {LogReadStatus::Busy, "in use by another program", {}};
        }
        return ReadHistoryLog(path);
    };
    const StartupLoad r = Load({}, inputs);
    EXPECT_TRUE(r.logsLoaded);
    EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>(2, std::chrono::milliseconds{5000})));
    EXPECT_TRUE(r.state.IsRapidScan());

    // Busy for longer than the tries allow: it and the later logs stay empty.
    busyReads = 5;
    waits.clear();
    const StartupLoad stillBusy = Load({}, inputs);
    EXPECT_FALSE(stillBusy.logsLoaded);
    EXPECT_EQ(stillBusy.unreadableLog, "LateSegHistory.log");
    EXPECT_EQ(stillBusy.unreadableStatus, LogReadStatus::Busy);
    EXPECT_EQ(waits.size(), 2u);
    EXPECT_TRUE(stillBusy.state.SegHistory.Empty());

    // Unreadable for good: no wait at all.
    waits.clear();
    inputs.readLog = [](const fs::path&) -> LogReadResult {
        return {LogReadStatus::Unreadable, "permission denied", {}};
    };
    const StartupLoad denied = Load({}, inputs);
    EXPECT_EQ(denied.unreadableLog, "FileHistory.log");
    EXPECT_EQ(denied.unreadableReason, "permission denied");
    EXPECT_TRUE(waits.empty());
}

// Following the logs: a refresh reads what grew and derives the flags again, as a new
// start-up would find them; the marks of the start-up spare it a second whole reading.
TEST_F(StartupDirTest, ARefreshReadsWhatGrewAsANewStartWouldFindIt) {
    Write("FileHistory.log", "20240115-dcp=ab_\n");
    Write("SegHistory.log", "202401151145=P=1\n202401151200=P=1,E=1,9=FF\n");
    StartupInputs inputs;
    StartupLoad load = Load({}, inputs);
    inputs.arguments = {(dir_ / "data").string()};
    inputs.programDirectory = dir_ / "prog";
    const fs::path seg = dir_ / "data" / "SegHistory.log";
    const auto append = [&](const fs::path& path, std::string_view text) {
        std::ofstream(path, std::ios::binary | std::ios::app) << text;
    };
    const auto same = [&] {
        const StartupLoad fresh = LoadStartupState(inputs);
        for (const auto log : {&StartupState::FileHistory, &StartupState::LateSegHistory,
                               &StartupState::SegHistory}) {
            const HistoryLog& a = load.state.*log;
            const HistoryLog& b = fresh.state.*log;
            if (a.LineCount() != b.LineCount()) return false;
            for (std::size_t i = 0; i < a.LineCount(); ++i)
                if (a.Line(i) != b.Line(i)) return false;
        }
        return load.state.Mode == fresh.state.Mode && load.state.FirstRecord == fresh.state.FirstRecord &&
               load.state.Fy2cSeen == fresh.state.Fy2cSeen && load.logsLoaded == fresh.logsLoaded;
    };
    EXPECT_FALSE(RefreshStartupLoad(load, inputs).changed);

    // Grown: only the new lines are read; an old line changed in place is not read again.
    std::fstream(seg, std::ios::binary | std::ios::in | std::ios::out).seekp(0).put('1');
    append(seg, "202401151215=RP=1,71=FF\n2024011512");  // a rapid-scan record, a half line
    EXPECT_TRUE(RefreshStartupLoad(load, inputs).changed);
    EXPECT_EQ(load.state.SegHistory.ValueOf("202401151145"), "P=1");
    EXPECT_EQ(load.state.SegHistory.LineCount(), 3u);  // the half line waits
    EXPECT_TRUE(load.state.IsRapidScan());
    EXPECT_TRUE(load.state.Fy2cSeen);
    append(seg, "30=RP=1\n");
    EXPECT_TRUE(RefreshStartupLoad(load, inputs).changed);
    EXPECT_EQ(load.state.SegHistory.ValueOf("202401151230"), "RP=1");

    // Rewritten shorter: read whole, the flags with it, and the loss of lines told.
    Write("SegHistory.log", "202401160000=P=1\n");
    EXPECT_EQ(RefreshStartupLoad(load, inputs).lost,
              (std::vector<LogLoss>{{"SegHistory.log", LogLoss::How::CutShorter}}));
    EXPECT_TRUE(same());
    EXPECT_FALSE(load.state.IsRapidScan());

    // A log that cannot be read ends the reading as at start-up, until it can be read again.
    fs::remove(dir_ / "data" / "FileHistory.log");
    fs::create_directory(dir_ / "data" / "FileHistory.log");
    EXPECT_TRUE(RefreshStartupLoad(load, inputs).changed);
    EXPECT_FALSE(load.logsLoaded);
    EXPECT_EQ(load.unreadableLog, "FileHistory.log");
    EXPECT_TRUE(load.state.SegHistory.Empty());
    EXPECT_TRUE(same());
    fs::remove(dir_ / "data" / "FileHistory.log");
    EXPECT_TRUE(RefreshStartupLoad(load, inputs).changed);
    EXPECT_TRUE(load.logsLoaded);
    EXPECT_EQ(load.state.SegHistory.ValueOf("202401160000"), "P=1");
    EXPECT_TRUE(same());

    // A record stamped after the time of reading begins the logs once that time has come.
    const MinuteTime day{std::chrono::sys_days{std::chrono::year{2024} / 1 / 15}};
    inputs.now = day + std::chrono::hours{23};
    RefreshStartupLoad(load, inputs);
    EXPECT_EQ(load.state.FirstRecord, std::nullopt);
    append(seg, "202401152330=P=1\n");
    inputs.now = day + std::chrono::hours{24};
    RefreshStartupLoad(load, inputs);
    EXPECT_EQ(load.state.FirstRecord, day + std::chrono::minutes{23 * 60 + 30});
    EXPECT_TRUE(same());

    // Another file in its place, then none: told apart; an empty log stays no change.
    Write("LateSegHistory.log", "");
    RefreshStartupLoad(load, inputs);
    std::ofstream(dir_ / "data" / "new.log", std::ios::binary) << "202401160015=P=1\n";
    fs::rename(dir_ / "data" / "new.log", seg);
    StartupRefresh refresh = RefreshStartupLoad(load, inputs);
    EXPECT_EQ(refresh.lost, (std::vector<LogLoss>{{"SegHistory.log", LogLoss::How::Replaced}}));
    fs::remove(seg);
    EXPECT_EQ(RefreshStartupLoad(load, inputs).lost,
              (std::vector<LogLoss>{{"SegHistory.log", LogLoss::How::Removed}}));
    EXPECT_FALSE(RefreshStartupLoad(load, inputs).changed);
}

StartupState WithSegHistory(std::string_view text, const Switches& switches = {}) {
    StartupState state;
    state.SegHistory = HistoryLog::FromBytes(std::string(text));
    state.switches = switches;
    DeriveStartupFlags(state);
    return state;
}

TEST(StartupFlags, ScanModeAndPrologCheckFromSegmentKeys) {
    const StartupState both = WithSegHistory("1=IE=1,I9=FF\n2=RE=1\n");
    EXPECT_EQ(both.Mode, ScanMode::RapidScan);
    EXPECT_TRUE(both.NoPrologCheck);

    const StartupState iodc = WithSegHistory("1=I9=FF,IP=1\n");
    EXPECT_EQ(iodc.Mode, ScanMode::Iodc);
    EXPECT_FALSE(iodc.NoPrologCheck);
    EXPECT_TRUE(WithSegHistory("1=IE=1,I9=FF\n").NoPrologCheck);

    const StartupState rapid = WithSegHistory("1=RP=1,R9=FF\n");
    EXPECT_EQ(rapid.Mode, ScanMode::RapidScan);
    EXPECT_FALSE(rapid.NoPrologCheck);

    // Case-sensitive: lower-case keys are not recognised.
    EXPECT_EQ(WithSegHistory("1=rp=1,r9=FF,ip=1\n").Mode, ScanMode::Prime);

    const StartupState empty = WithSegHistory("");
    EXPECT_EQ(empty.Mode, ScanMode::Prime);
    EXPECT_FALSE(empty.NoPrologCheck);
    EXPECT_FALSE(empty.Fy2cSeen);
}

TEST(StartupFlags, Fy2cAndSwitchFlags) {
    EXPECT_TRUE(WithSegHistory("1=67=FF\n").Fy2cSeen);
    EXPECT_TRUE(WithSegHistory("1=P=1,71=1\n").Fy2cSeen);
    EXPECT_FALSE(WithSegHistory("1=71=1\n", ParseSwitches({"-NOFY2C"})).Fy2cSeen);
    EXPECT_FALSE(WithSegHistory("1=7=1\n").Fy2cSeen);

    const StartupState s =
        WithSegHistory("", ParseSwitches({"-p", "-nompe", "-HIM", "-NOHIM", "/neat"}));
    EXPECT_TRUE(s.ParallelMode() && s.NoMpe() && s.HimawariMode() && s.NoHimawari() && s.NeatMode());
}

// A station clock set wrong: its records after now neither begin nor end the logs; those
// more than a quarter of an hour ahead are counted, until time catches up with them.
TEST(StartupFlags, RecordsStampedAfterNowAreCountedNotTakenAsFirstOrNewest) {
    using namespace std::chrono_literals;
    const MinuteTime now{std::chrono::sys_days{std::chrono::year{2024} / 3 / 1} + 12h};
    const MinuteTime far{std::chrono::sys_days{std::chrono::year{2099} / 12 / 31} + 23h + 45min};
    StartupLoad load;
    load.state.SegHistory = HistoryLog::FromBytes(
        "202403011200=P=1\n202403011205=P=1\n202403011215=P=1\n202403011220=P=1\n"
        "209912312345=P=1\n202403011100=P=1\n");
    DeriveStartupFlags(load.state, load.segScan, now);
    EXPECT_EQ(load.state.FirstRecord, now - 1h);
    EXPECT_EQ(NewestSegRecord(load), now);
    EXPECT_EQ(load.state.AfterNow, (RecordsAfterNow{2, far}));

    DeriveStartupFlags(load.state, load.segScan, now + 10min);
    EXPECT_EQ(NewestSegRecord(load), now + 5min);
    EXPECT_EQ(load.state.AfterNow, (RecordsAfterNow{1, far}));

    load.state.SegHistory = HistoryLog::FromBytes("209912312345=P=1\n");
    DeriveStartupFlags(load.state, load.segScan, now);
    EXPECT_EQ(NewestSegRecord(load), std::nullopt);
    EXPECT_EQ(load.state.FirstRecord, std::nullopt);
    EXPECT_EQ(load.state.AfterNow, (RecordsAfterNow{1, far}));
}

}  // namespace
}  // namespace gapscope
