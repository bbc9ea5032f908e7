#include "window_model/window_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "command/report_command.h"
#include "startup/system_text.h"
#include "tests/support/test_support.h"
#include "tools/simulator/simulator.h"
#include "unattended/unattended_run.h"

namespace gapscope {

void PrintTo(const WindowMessage& message, std::ostream* out) {
    *out << static_cast<int>(message.kind) << " \"" << message.text << '"';
}

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Kind = WindowMessage::Kind;

// 2024-01-06 06:10:30 UTC: yesterday is 2024-01-05.
const std::chrono::sys_seconds kNow =
    std::chrono::sys_days{std::chrono::year{2024} / 1 / 6} + 6h + 10min + 30s;
constexpr Day kYesterday = test::Date(2024, 1, 5);

struct ReportCall {
    ReportOptions options;
    Day day;
    std::string dataDirectory;
    bool rapidScan;
    std::optional<MinuteTime> now;
};

class WindowModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(data_);
        fs::create_directories(program_);
        Write(data_ / "SegHistory.log", "202401052345=P=1,E=1,1=FF\r\n");
        inputs_.programDirectory = program_;
        inputs_.computerName = "GROUNDSTATION";
        inputs_.versionText = "3.1.23.1366";
        inputs_.now = [] { return kNow; };
        inputs_.keepFolder = [this](const fs::path& folder) { kept_.push_back(folder); };
        inputs_.unattendedRetry = {
            3, 1500ms, [this](std::chrono::milliseconds pause) { waits_.push_back(pause); }};
    }

    static void Write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    // The report engine replaced by a stand-in whose lines name the run.
    void RecordRuns() {
        inputs_.runReport = [this](const StartupState& startup, const ReportOptions& options,
                                   Day day, const RunInputs& run) {
            calls_.push_back({options, day, startup.DataDirectory, startup.IsRapidScan(), run.now});
            const std::string name = "run " + std::to_string(calls_.size());
            DayReportResult result;
            result.lists = {{"Date: segs", name},
                            {"Date: products", name},
                            {"Date: late", name},
                            {"Date: slots", name}};
            result.error = std::exchange(nextError_, std::nullopt);
            result.errorPlace = std::exchange(nextPlace_, std::nullopt);
            return result;
        };
    }

    WindowModel& Show(std::vector<std::string> arguments) {
        inputs_.arguments = std::move(arguments);
        model_.emplace(inputs_);
        model_->FormShow();
        return *model_;
    }

    // The automatic run as the timer gives it.
    WindowModel& AutoRun(std::vector<std::string> arguments) {
        WindowModel& model = Show(std::move(arguments));
        EXPECT_TRUE(model.AutoRunTimerArmed());
        model.TimerAutoRunTimer();
        EXPECT_FALSE(model.AutoRunTimerArmed());
        EXPECT_TRUE(model.CloseRequested());
        return model;
    }

    std::string Folder(const fs::path& path) const { return TextOfPath(path / ""); }
    fs::path ReportFile() const { return data_ / "2024-01-05-missing-segments.txt"; }

    test::TempDir temp_{"gapscope-window-model-"};
    const fs::path data_ = temp_.path() / "station";
    const fs::path program_ = temp_.path() / "program";
    WindowInputs inputs_;
    std::optional<WindowModel> model_;
    std::vector<ReportCall> calls_;
    std::optional<std::string> nextError_, nextPlace_;
    std::vector<fs::path> kept_;
    std::vector<std::chrono::milliseconds> waits_;
};

TEST_F(WindowModelTest, ShowStepReadsTheLogsAndReportsYesterdayOnce) {
    Write(data_ / "SegHistory.log", "202401050000=RP=1,RE=1,R1=FF\r\n");
    RecordRuns();
    inputs_.arguments = {TextOfPath(data_)};
    WindowModel model(inputs_);
    EXPECT_TRUE(calls_.empty());  // creating the window runs no report
    ASSERT_TRUE(model.FormShow());

    EXPECT_EQ(model.Caption(), "Gapscope from Orbitrue Software - V3.1.23.1366 - PC Groundstation");
    EXPECT_EQ(model.Source().lead + model.Source().folder, "Data from: " + Folder(data_));
    EXPECT_TRUE(model.Startup().IsRapidScan());
    EXPECT_EQ(model.PickerDay(), kYesterday);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].day, kYesterday);
    EXPECT_EQ(calls_[0].options, ReportOptions{});
    // The current minute makes the current day's later cycles not yet due in the findings.
    EXPECT_EQ(calls_[0].now, std::chrono::floor<std::chrono::minutes>(kNow));
    EXPECT_EQ(model.Lists().missingSlots, (Lines{"Date: slots", "run 1"}));
    EXPECT_FALSE(model.AutoRunTimerArmed());
    EXPECT_TRUE(model.TakeMessages().empty());

    EXPECT_FALSE(model.FormShow());  // showing again is not a new start
    EXPECT_EQ(calls_.size(), 1u);

    inputs_.computerName.reset();
    EXPECT_TRUE(Show({}).Caption().ends_with(" - PC "));
}

TEST_F(WindowModelTest, DayBoxesAndTodayRerunWithWhatTheyChanged) {
    RecordRuns();
    inputs_.storedOptions.includeLrit = true;
    inputs_.storedOptions.includeFsd = false;
    inputs_.storedOptions.decontaminating = true;  // never taken from the store
    WindowModel& model = Show({TextOfPath(data_)});
    EXPECT_TRUE(calls_.back().options.includeLrit);
    EXPECT_FALSE(calls_.back().options.includeFsd);
    EXPECT_FALSE(calls_.back().options.decontaminating);

    const int revision = model.ListsRevision();
    model.PickDay(test::Date(2023, 12, 31));
    EXPECT_EQ(calls_.back().day, test::Date(2023, 12, 31));
    EXPECT_EQ(model.Lists().missingSegs, (Lines{"Date: segs", "run 2"}));
    EXPECT_NE(model.ListsRevision(), revision);

    model.ClickBox(*FindOptionField("Decontaminating"), true);
    EXPECT_TRUE(calls_.back().options.decontaminating);
    EXPECT_EQ(calls_.back().day, test::Date(2023, 12, 31));
    EXPECT_TRUE(model.Options().decontaminating);

    model.ButtonTodayClick();
    EXPECT_EQ(model.PickerDay(), test::Date(2024, 1, 6));
    EXPECT_EQ(calls_.back().day, test::Date(2024, 1, 6));
    EXPECT_TRUE(calls_.back().options.decontaminating);
    EXPECT_EQ(calls_.size(), 4u);
}

TEST_F(WindowModelTest, SaveWritesTheListsAndConfirms) {
    RecordRuns();
    WindowModel& model = Show({TextOfPath(data_)});
    model.ButtonSaveClick();
    const std::string text = test::ReadFile(ReportFile());
    EXPECT_TRUE(text.starts_with("__________________________\r\nDate: slots\r\nrun 1\r\n")) << text;
    EXPECT_TRUE(text.ends_with("[Gapscope V3.1.23.1366 on PC Groundstation at 06:10 UTC]\r\n\r\n"));
    EXPECT_EQ(model.TakeMessages(),
              (std::vector<WindowMessage>{
                  {Kind::Information, "Report saved to: " + TextOfPath(ReportFile())}}));
}

// The window's Save and `gapscope-report --save` write the same bytes for the same station,
// day, stored options and switches.
TEST_F(WindowModelTest, SaveWritesWhatTheCommandSaves) {
    for (const ScanMode service : {ScanMode::Prime, ScanMode::RapidScan}) {
        sim::SimulationConfig config;
        config.service = service;
        config.first = test::Date(2024, 1, 4);
        config.last = test::Date(2024, 1, 6);
        config.until = std::chrono::floor<std::chrono::minutes>(kNow);
        config.rates = sim::FindScenario("bad-day")->rates;
        ASSERT_TRUE(sim::SimulateToDirectory(config, data_, true).summary);

        ReportOptions flipped;
        flipped.includeLrit = true;
        flipped.includeMpef = false;
        flipped.hourlyFy2g = false;
        const std::pair<std::vector<std::string>, ReportOptions> cases[] = {
            {{}, ReportOptions{}},
            {{"-neat", "-NOMPE"}, flipped},
            {{"-P"}, flipped},
            {{"/neat", "-HIM"}, ReportOptions{}}};
        for (const auto& [switches, options] : cases) {
            std::vector<std::string> arguments = {TextOfPath(data_)};
            arguments.insert(arguments.end(), switches.begin(), switches.end());
            inputs_.storedOptions = options;
            Show(arguments).ButtonSaveClick();
            const std::vector<WindowMessage> said = model_->TakeMessages();
            ASSERT_EQ(said.size(), 1u);
            const fs::path path = PathFromText(said[0].text.substr(said[0].text.find(": ") + 2));
            const std::string window = test::ReadFile(path);
            ASSERT_NE(window.find("Date: 2024-Jan-05"), std::string::npos) << path;
            ASSERT_TRUE(fs::remove(path));

            CommandEnvironment env;
            env.programDirectory = program_;
            env.computerName = inputs_.computerName;
            env.now = kNow;
            env.versionText = inputs_.versionText;
            env.storedOptions = [&] { return options; };
            arguments.insert(arguments.end(), {"--save", "-q"});
            std::ostringstream out, err;
            ASSERT_EQ(RunReportCommand(arguments, env, out, err), kExitDone) << err.str();
            EXPECT_EQ(test::ReadFile(path), window) << path;
        }
    }
}

TEST_F(WindowModelTest, BadMaskShowsTheMessageAndWhereAndKeepsTheListsSoFar) {
    RecordRuns();
    nextError_ = "''ZZ'' is not a valid integer value";
    nextPlace_ = "in SegHistory.log, minute key 202401051200 (2024-01-05 12:00 UTC), item 9";
    WindowModel& model = Show({TextOfPath(data_)});
    EXPECT_EQ(model.TakeMessages(),
              (std::vector<WindowMessage>{
                  {Kind::Error,
                   "''ZZ'' is not a valid integer value\n"
                   "In SegHistory.log, minute key 202401051200 (2024-01-05 12:00 UTC), item 9"}}));
    EXPECT_EQ(model.Lists().lateSegs, (Lines{"Date: late", "run 1"}));
}

TEST_F(WindowModelTest, AutomaticRunSavesSilentlyAndCloses) {
    WindowModel& model = AutoRun({TextOfPath(data_), "-s"});
    EXPECT_TRUE(fs::exists(ReportFile()));
    EXPECT_TRUE(model.TakeMessages().empty());
    EXPECT_EQ(model.ExitStatus(), kExitDone);
    EXPECT_TRUE(model.AutoRunning());
    EXPECT_FALSE(model.LabelSourceClick());  // no dialog may wait for a person
}

TEST_F(WindowModelTest, AutomaticRunFailuresEndWithTheirStatusAndOneMessageForTheLog) {
    // A report cut short by a bad mask is not saved at all; the place follows the message.
    RecordRuns();
    nextError_ = "''ZZ'' is not a valid integer value";
    nextPlace_ = "in SegHistory.log, minute key 202401052345 (2024-01-05 23:45 UTC), item 1";
    WindowModel* model = &AutoRun({TextOfPath(data_), "/S"});
    EXPECT_EQ(model->ExitStatus(), kExitReportFailed);
    EXPECT_FALSE(fs::exists(ReportFile()));
    EXPECT_EQ(model->TakeMessages(),
              (std::vector<WindowMessage>{
                  {Kind::Unattended,
                   "gapscope: report for 2024-01-05 not saved: ''ZZ'' is not a valid integer "
                   "value\ngapscope: in SegHistory.log, minute key 202401052345 (2024-01-05 "
                   "23:45 UTC), item 1"}}));

    // A save that fails: a directory stands where the file should go.
    fs::create_directory(ReportFile());
    model = &AutoRun({TextOfPath(data_), "-s"});
    EXPECT_EQ(model->ExitStatus(), kExitSaveFailed);
    const std::vector<WindowMessage> said = model->TakeMessages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].kind, Kind::Unattended);
    EXPECT_TRUE(said[0].text.starts_with("gapscope: report not saved to " +
                                         TextOfPath(ReportFile()) + ": "))
        << said[0].text;
}

TEST_F(WindowModelTest, AutomaticRunOnDataThatCannotBeReadSavesNothing) {
    const std::string typo = TextOfPath(temp_.path() / "statoin");
    inputs_.storedFolder = data_;  // the unattended run keeps to its own folder
    fs::create_directory(data_ / "LateSegHistory.log");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{typo, "-s"}, "gapscope: no such folder: " + typo},
        // No folder given and no log beside the program (installed in /usr/bin).
        {{"-s"}, "gapscope: no history log in " + Folder(program_)},
        // A folder given after a switch is no folder argument.
        {{"-s", TextOfPath(data_)}, "gapscope: no history log in " + Folder(program_)},
        // A log that exists but cannot be read: a folder in its place.
        {{TextOfPath(data_), "-s"},
         "gapscope: cannot read " + Folder(data_) + "LateSegHistory.log: "},
    };
    for (const auto& [arguments, failure] : cases) {
        WindowModel& model = AutoRun(arguments);
        EXPECT_EQ(model.ExitStatus(), kExitDataUnreadable);
        const std::vector<WindowMessage> said = model.TakeMessages();
        ASSERT_EQ(said.size(), 1u);
        EXPECT_TRUE(said[0].text.starts_with(failure)) << said[0].text;
        EXPECT_EQ(said[0].text.find('\n'), std::string::npos);
    }
    EXPECT_TRUE(waits_.empty());  // waiting cannot help there
    EXPECT_TRUE(fs::is_empty(program_));
    EXPECT_FALSE(fs::exists(ReportFile()));
}

TEST_F(WindowModelTest, BusyLogsAreRetriedOnlyInTheAutomaticRun) {
    int busyLeft = 0;
    int reads = 0;
    inputs_.readLog = [&](const fs::path& path) {
        ++reads;
        if (path.filename() == "FileHistory.log" && busyLeft > 0) {
            --busyLeft;
            return LogReadResult{LogReadStatus::Busy, "in use by another program", {}};
        }
        return ReadHistoryLog(path);
    };
    // Busy twice, then free: the third and last try reads it, and the report is saved.
    busyLeft = 2;
    EXPECT_EQ(AutoRun({TextOfPath(data_), "-s"}).ExitStatus(), kExitDone);
    EXPECT_EQ(waits_, std::vector<std::chrono::milliseconds>(2, 1500ms));
    EXPECT_TRUE(fs::remove(ReportFile()));

    // Busy for longer than the tries: nothing saved, the log and why named.
    busyLeft = 100;
    WindowModel* model = &AutoRun({TextOfPath(data_), "-s"});
    EXPECT_EQ(model->ExitStatus(), kExitDataUnreadable);
    EXPECT_EQ(
        model->TakeMessages(),
        (std::vector<WindowMessage>{{Kind::Unattended, "gapscope: cannot read " + Folder(data_) +
                                                           "FileHistory.log: in use by another "
                                                           "program"}}));
    EXPECT_FALSE(fs::exists(ReportFile()));

    // The window reads each log once, as designed, and its data label says what failed.
    waits_.clear();
    reads = 0;
    model = &Show({TextOfPath(data_)});
    EXPECT_EQ(reads, 1);  // the reading stops at the first log that cannot be read
    EXPECT_TRUE(waits_.empty());
    EXPECT_EQ(model->Source().state, DataState::Unreadable);
    EXPECT_NE(model->Source().tooltip.find("in use by another program"), std::string::npos);
}

TEST_F(WindowModelTest, ChosenFolderIsReadReportedOnAndKeptForTheNextStart) {
    RecordRuns();
    WindowModel* model = &Show({"-P"});
    EXPECT_EQ(model->LabelSourceClick(), Folder(program_));
    EXPECT_EQ(model->Source().state, DataState::NoLog);

    Write(data_ / "SegHistory.log", "202401051200=RP=1,RE=1,R1=FF\r\n");
    model->PickDay(test::Date(2024, 1, 3));
    model->FolderChosen(data_);
    ASSERT_EQ(calls_.size(), 3u);
    EXPECT_EQ(calls_.back().dataDirectory, Folder(data_));
    EXPECT_TRUE(calls_.back().rapidScan);  // the service found anew from the logs
    EXPECT_EQ(calls_.back().day, test::Date(2024, 1, 3));
    EXPECT_TRUE(model->Startup().ParallelMode());  // the switches stay
    EXPECT_EQ(model->Source().lead + model->Source().folder, "Data from: " + Folder(data_));
    EXPECT_EQ(kept_, std::vector<fs::path>{data_});

    // The next start without a folder argument reads it; a folder argument still wins.
    inputs_.storedFolder = data_;
    EXPECT_EQ(Show({}).Startup().DataDirectory, Folder(data_));
    EXPECT_EQ(Show({TextOfPath(program_)}).Startup().DataDirectory, Folder(program_));
    // A stored folder that has gone is shown as not found, with nothing read.
    fs::remove_all(data_);
    model = &Show({});
    EXPECT_EQ(model->Source().lead + model->Source().folder, "Folder not found: " + Folder(data_));
    EXPECT_TRUE(model->Startup().SegHistory.Empty());
}

}  // namespace
}  // namespace gapscope
