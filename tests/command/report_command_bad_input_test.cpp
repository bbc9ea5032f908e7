// gapscope-report on a station in trouble: logs it cannot read, a bad mask, and a data
// directory that cannot take the report. Whatever happens, the exit status says so and an
// earlier report file stays as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "command/report_command.h"
#include "settings/version.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// "Yesterday" is 2024-01-05.
const std::chrono::sys_seconds kNow =
    std::chrono::sys_days{std::chrono::year{2024} / 1 / 6} + 6h + 10min;
const char* const kReportName = "2024-01-05-missing-segments.txt";
const char* const kOldReport = "the report saved earlier\r\n";

class CommandOnBadStation : public ::testing::Test {
  public:
    const CommandEnvironment& Env() const { return env_; }

  protected:
    void SetUp() override {
        env_.programDirectory = dir_ / "program";
        env_.computerName = "Groundstation";
        env_.now = kNow;
        env_.versionText = kVersionText;
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) { return test::ReadFile(dir_ / name); }
    int Run(std::vector<std::string> extra = {}) {
        out_.str("");
        err_.str("");
        std::vector<std::string> args = {dir_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunReportCommand(args, env_, out_, err_);
    }
    std::size_t Entries() {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    const test::TempDir temp_{"gapscope_command_bad_input_"};
    const fs::path dir_ = temp_.path();
    CommandEnvironment env_;
    std::ostringstream out_, err_;
};

const std::string kCycle =
    "202401051215=P=1,E=1,1=FF,2=FF,3=FF,4=FF,5=FF,6=FF,7=FF,8=FF,9=F3,"
    "10=FF,11=FF,12=FFFFFF\r\n";

// Every mode, as the command line asks for it after the folder.
const std::vector<std::vector<std::string>> kModes = {
    {},
    {"--format", "json"},
    {"--from", "2024-01-04"},
    {"--save"},
    {"--from", "2024-01-04", "--save"},
    {"--format", "prometheus"},
};

// Data that cannot be read ends every mode in the same one line, status 4 (the check:
// UNKNOWN with the same words), and nothing is printed or written over a good file.
void ExpectRefusedEverywhere(CommandOnBadStation& t, const std::string& line,
                             const std::string& folder) {
    for (const auto& mode : kModes) {
        std::vector<std::string> args = {folder};
        args.insert(args.end(), mode.begin(), mode.end());
        std::ostringstream out, err;
        EXPECT_EQ(RunReportCommand(args, t.Env(), out, err), kExitDataUnreadable) << args.back();
        EXPECT_EQ(err.str(), "gapscope-report: " + line + "\n") << args.back();
        EXPECT_EQ(out.str(), "") << args.back();
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunReportCommand({folder, "--check"}, t.Env(), out, err), 3);
    EXPECT_EQ(out.str(), "GAPSCOPE UNKNOWN - " + line + "\n");
}

TEST_F(CommandOnBadStation, LogsThatCannotBeReadAreNeverReportedAsEmpty) {
    Write(kReportName, kOldReport);
    Write("FileHistory.log", "20240105-dcp=x_x\r\n");
    Write("SegHistory.log", kCycle);
    // A FIFO must not keep the command waiting for a writer.
    ASSERT_EQ(mkfifo((dir_ / "LateSegHistory.log").c_str(), 0600), 0);
    ExpectRefusedEverywhere(
        *this, "cannot read " + (dir_ / "LateSegHistory.log").string() + ": not a regular file",
        dir_.string());
    // The first log that cannot be read is the one named.
    fs::remove(dir_ / "FileHistory.log");
    fs::create_directory(dir_ / "FileHistory.log");
    std::ostringstream out, err;
    EXPECT_EQ(RunReportCommand({dir_.string()}, env_, out, err), kExitDataUnreadable);
    EXPECT_EQ(err.str().rfind(
                  "gapscope-report: cannot read " + (dir_ / "FileHistory.log").string() + ": ", 0),
              0u)
        << err.str();
    EXPECT_EQ(Read(kReportName), kOldReport);
}

TEST_F(CommandOnBadStation, BadMaskEndsTheRunWithItsMessageAndNothingElse) {
    Write(kReportName, kOldReport);
    Write("SegHistory.log", "202401050000=P=1,E=1,1=FF,\"2=F F\"\r\n" + kCycle);
    EXPECT_EQ(Run({"--save"}), kExitReportFailed);
    EXPECT_EQ(err_.str(),
              "gapscope-report: ''$F F'' is not a valid integer value\n"
              "gapscope-report: in SegHistory.log, minute key 202401050000 (2024-01-05 00:00 UTC), "
              "item 2\n");
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(Read(kReportName), kOldReport);
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(CommandOnBadStation, FullDiskIsStatusThreeAndKeepsTheOldReport) {
    Write(kReportName, kOldReport);
    Write("SegHistory.log", kCycle);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int status = Run({"--save"});
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(status, kExitSaveFailed);
    EXPECT_EQ(err_.str().rfind("gapscope-report: the report could not be saved: cannot write " +
                                   (dir_ / kReportName).string() + ": ",
                               0),
              0u)
        << err_.str();
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(Read(kReportName), kOldReport);
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(CommandOnBadStation, ReadOnlyDataDirectoryIsStatusThree) {
    Write(kReportName, kOldReport);
    Write("SegHistory.log", kCycle);
    if (!temp_.SetImmutable(true)) {
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        if (access(dir_.c_str(), W_OK) == 0)
            GTEST_SKIP() << "no way to make a directory read-only here";
    }
    const int status = Run({"--save"});
    temp_.SetImmutable(false);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(status, kExitSaveFailed);
    // The folder and the cause, not the temporary file that could not be made.
    EXPECT_EQ(err_.str().rfind("gapscope-report: the report could not be saved: cannot create a "
                               "file in " +
                                   dir_.string() + ": ",
                               0),
              0u)
        << err_.str();
    EXPECT_EQ(err_.str().find(".partial"), std::string::npos);
    EXPECT_EQ(Read(kReportName), kOldReport);
    EXPECT_EQ(Entries(), 2u);
}

// Only a regular file is replaced: whatever else stands in a file's place is refused in one
// line and left as it is, a link too; a read-only report, or a file of another program in
// the metrics file's place, stays.
TEST_F(CommandOnBadStation, OnlyRegularFilesAreReplaced) {
    Write("SegHistory.log", kCycle);
    const auto saidOnce = [&](const std::string& start) {
        const std::string said = err_.str();
        EXPECT_EQ(said.rfind(start, 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    };
    EXPECT_EQ(Run({"--format", "prometheus", "--metrics-file", "/dev/null"}), kExitBadUsage);
    EXPECT_EQ(err_.str().rfind("gapscope-report: --metrics-file takes a file name ending in .prom, "
                               "not '/dev/null'\n", 0), 0u);

    fs::create_directory(dir_ / "textfiles");
    Write("textfiles/gapscope.prom", "old\n");
    fs::create_symlink("textfiles/gapscope.prom", dir_ / "gapscope.prom");
    const std::string metrics = (dir_ / "gapscope.prom").string();
    EXPECT_EQ(Run({"--format", "prometheus", "--metrics-file", metrics}), kExitSaveFailed);
    saidOnce("gapscope-report: the metrics could not be written: " + metrics +
             " is a symbolic link; it is not followed\n");
    EXPECT_EQ(Read("textfiles/gapscope.prom"), "old\n");
    fs::remove(dir_ / "gapscope.prom");
    Write("gapscope.prom", "node_textfile_scrape_error 0\n");
    EXPECT_EQ(Run({"--format", "prometheus", "--metrics-file", metrics}), kExitSaveFailed);
    saidOnce("gapscope-report: the metrics could not be written: cannot replace " + metrics +
             ": it does not begin with \"# HELP gapscope_\"");
    EXPECT_EQ(Read("gapscope.prom"), "node_textfile_scrape_error 0\n");

    Write(kReportName, kOldReport);
    fs::permissions(dir_ / kReportName, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(Run({"--save"}), kExitSaveFailed);
    saidOnce("gapscope-report: the report could not be saved: cannot replace " +
             (dir_ / kReportName).string() + ": the file is read-only");
    EXPECT_EQ(Read(kReportName), kOldReport);

    // Back-fill: a FIFO in the place of a day's report fails that day; the others are made.
    fs::remove(dir_ / kReportName);
    Write("SegHistory.log", "202401030000=P=1\r\n" + kCycle);  // the logs begin on the 3rd
    ASSERT_EQ(mkfifo((dir_ / "2024-01-04-missing-segments.txt").c_str(), 0644), 0);
    EXPECT_EQ(Run({"--from", "2024-01-03", "--save", "-q"}), kExitSaveFailed);
    saidOnce("gapscope-report: the report could not be saved: cannot replace " +
             (dir_ / "2024-01-04-missing-segments.txt").string() + ": it is a FIFO");
    EXPECT_TRUE(fs::is_fifo(dir_ / "2024-01-04-missing-segments.txt"));
    EXPECT_TRUE(fs::is_regular_file(dir_ / "2024-01-03-missing-segments.txt"));
    EXPECT_TRUE(fs::is_regular_file(dir_ / kReportName));
}

// Linux names are bytes: a station folder whose name is no UTF-8 is read and written.
TEST_F(CommandOnBadStation, AFolderNamedInOtherBytesIsReadAndWritten) {
    const std::string station = (dir_ / "Estaci\xF3n").string();
    fs::create_directory(station);
    std::ofstream(station + "/SegHistory.log", std::ios::binary) << kCycle;
    EXPECT_EQ(RunReportCommand({station}, env_, out_, err_), kExitDone);
    EXPECT_NE(out_.str().find("HRIT ch 09"), std::string::npos) << err_.str();
    out_.str("");
    EXPECT_EQ(RunReportCommand({station, "--save"}, env_, out_, err_), kExitDone) << err_.str();
    EXPECT_EQ(out_.str(), "Report saved to: " + station + "/" + kReportName + "\n");
    EXPECT_NE(test::ReadFile(station + "/" + kReportName).find("HRIT ch 09"), std::string::npos);
    const std::string metrics = station + "/m\xE9trics.prom";
    EXPECT_EQ(RunReportCommand({station, "--format", "prometheus", "--metrics-file", metrics}, env_,
                               out_, err_),
              kExitDone);
    EXPECT_TRUE(fs::is_regular_file(metrics));
}

// A folder that is not there, or holds no log, gives no report in any mode.
TEST_F(CommandOnBadStation, AFolderThatIsNotThereOrHoldsNoLogIsSaidSoInEveryMode) {
    const std::string typo = (dir_ / "statoin").string();
    ExpectRefusedEverywhere(*this, "no such folder: " + typo, typo);
    // A name's control characters neither split the line nor reach a terminal.
    ExpectRefusedEverywhere(*this, "no such folder: " + (dir_ / "stat?[2Join?").string(),
                            (dir_ / "stat\x1b[2Join\n").string());
    EXPECT_FALSE(fs::exists(env_.programDirectory));
    EXPECT_EQ(Entries(), 0u);

    ExpectRefusedEverywhere(*this,
                            "no history log in " + (dir_ / "").string() +
                                " (none of SegHistory.log, LateSegHistory.log, FileHistory.log)",
                            dir_.string());
    EXPECT_EQ(Entries(), 0u);

    Write("notes.txt", "");
    ExpectRefusedEverywhere(*this, "not a folder: " + (dir_ / "notes.txt").string(),
                            (dir_ / "notes.txt").string());

    // With no folder named, the program's own folder is the one without logs.
    fs::create_directories(env_.programDirectory);
    EXPECT_EQ(RunReportCommand({"--save", "-neat"}, env_, out_, err_), kExitDataUnreadable);
}

TEST_F(CommandOnBadStation, SaveRefusesALogItCannotRead) {
    Write(kReportName, kOldReport);
    fs::create_directory(dir_ / "LateSegHistory.log");
    Write("SegHistory.log", kCycle);
    EXPECT_EQ(Run({"--save"}), kExitDataUnreadable);
    const std::string expected =
        "gapscope-report: cannot read " + (dir_ / "LateSegHistory.log").string() + ": ";
    const std::string said = err_.str();
    EXPECT_EQ(said.rfind(expected, 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(Read(kReportName), kOldReport);
}

// A log the station's software holds busy: a save tries it again as its policy says,
// waiting in between; a printed report tries once.
TEST_F(CommandOnBadStation, ABusyLogIsTriedAgainOnlyWhenSaving) {
    Write("SegHistory.log", kCycle);
    int busyTriesLeft = 0, reads = 0;
    env_.readLog = [&](const fs::path& path) -> LogReadResult {
        if (path.filename() == "SegHistory.log") {
            ++reads;
            if (busyTriesLeft > 0) {
                --busyTriesLeft;
                return {LogReadStatus::Busy, "held by another program", {}};
            }
        }
        return ReadHistoryLog(path);
    };
    std::vector<std::chrono::milliseconds> waits;
    env_.busyRetry = {3, std::chrono::milliseconds{5000},
                      [&](std::chrono::milliseconds pause) { waits.push_back(pause); }};

    busyTriesLeft = 2;
    EXPECT_EQ(Run({"--save", "-q"}), kExitDone) << err_.str();
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>(2, std::chrono::milliseconds{5000}));
    EXPECT_NE(Read(kReportName).find("HRIT ch 09,  seg: 3 4"), std::string::npos);

    fs::remove(dir_ / kReportName);
    busyTriesLeft = 100;
    reads = 0;
    waits.clear();
    EXPECT_EQ(Run({"--save"}), kExitDataUnreadable);
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(err_.str(), "gapscope-report: cannot read " + (dir_ / "SegHistory.log").string() +
                              ": held by another program\n");
    EXPECT_FALSE(fs::exists(dir_ / kReportName));

    reads = 0;
    waits.clear();
    EXPECT_EQ(Run(), kExitDataUnreadable);
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(err_.str(), "gapscope-report: cannot read " + (dir_ / "SegHistory.log").string() +
                              ": held by another program\n");
}

}  // namespace
}  // namespace gapscope
