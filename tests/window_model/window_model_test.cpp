#include "window_model/window_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "command/report_command.h"
#include "history/day_queries.h"
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
        inputs_.now = [this] { return clock_; };
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

    // A clean prime station of 2024-01-05 and of 2024-01-06 up to `until`, with the repeat
    // cycles `lost` (of 2024-01-06) lost: SegHistory.log and LateSegHistory.log grow by what
    // was written since, as the station appends it; FileHistory.log is written anew in place.
    void StationUntil(const std::string& until, const std::vector<std::string>& lost = {}) {
        sim::SimulationConfig config;
        config.first = test::Date(2024, 1, 5);
        config.last = test::Date(2024, 1, 6);
        config.until = *ParseIsoMinute("2024-01-06T" + until);
        config.rates = sim::FindScenario("clean")->rates;
        for (const std::string& cycle : lost) {
            // A cycle is in the logs, or lost, once its quarter of an hour is over.
            if (*ParseIsoMinute("2024-01-06T" + cycle) + 15min > *config.until) continue;
            std::string error;
            config.injections.push_back(*sim::ParseInjection("cycle@2024-01-06T" + cycle, error));
        }
        const fs::path scratch = temp_.path() / "simulated";
        ASSERT_TRUE(sim::SimulateToDirectory(config, scratch, true).summary);
        for (const char* name : {"SegHistory.log", "LateSegHistory.log"}) {
            const std::string now = test::ReadFile(scratch / name);
            const std::string before = fs::exists(data_ / name) ? test::ReadFile(data_ / name) : "";
            ASSERT_TRUE(now.starts_with(before)) << name;
            std::ofstream(data_ / name, std::ios::binary | std::ios::app) << now.substr(before.size());
        }
        std::ofstream(data_ / "FileHistory.log", std::ios::binary | std::ios::in | std::ios::out |
                                                     std::ios::trunc)
            << test::ReadFile(scratch / "FileHistory.log");
    }
    static std::chrono::sys_seconds At(const std::string& time) {
        return std::chrono::sys_seconds{*ParseIsoMinute("2024-01-06T" + time)} + 30s;
    }
    // What a window started afresh at this moment on today would show; but for a note of
    // logs found shorter, which only a window that read them before can make.
    void ExpectAsStartedAfresh(const WindowModel& model, bool noted = false) {
        WindowModel fresh(inputs_);
        fresh.FormShow();
        fresh.ButtonTodayClick();
        EXPECT_EQ(model.Lists(), fresh.Lists());
        EXPECT_EQ(model.Counts(), fresh.Counts());
        if (!noted) {
            EXPECT_EQ(model.Source(), fresh.Source());
        }
        EXPECT_EQ(model.Source().state, fresh.Source().state);
        EXPECT_EQ(model.Startup().FirstRecord, fresh.Startup().FirstRecord);
    }

    test::TempDir temp_{"gapscope-window-model-"};
    std::chrono::sys_seconds clock_ = kNow;
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

    // A folder named relative to the working folder: the file is said with its whole path.
    const fs::path working = fs::current_path();
    fs::current_path(temp_.path());
    Show({data_.filename().string()}).ButtonSaveClick();
    fs::current_path(working);
    EXPECT_EQ(model_->TakeMessages(),
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
    EXPECT_EQ(model.Lists().lateSegs,
              (Lines{"Date: late", "run 1", "  (the report stopped here)"}));

    // Each list the run fills ends saying where it stopped; the counts say nothing was counted.
    inputs_.runReport = nullptr;
    Write(data_ / "SegHistory.log", "202401051145=P=1,E=1,1=FF\r\n202401051200=P=1,E=1,1=ZZ\r\n");
    WindowModel& real = Show({TextOfPath(data_)});
    for (const Lines* list : {&real.Lists().missingSegs, &real.Lists().missingProduct,
                              &real.Lists().lateSegs, &real.Lists().missingSlots}) {
        EXPECT_EQ(list->back(), "  (stopped at cycle 1200: bad segment mask in SegHistory.log)");
    }
    EXPECT_TRUE(real.Counts().text.starts_with("Nothing counted: the report run stopped: "));
}

TEST_F(WindowModelTest, AutomaticRunSavesSilentlyAndCloses) {
    WindowModel& model = AutoRun({TextOfPath(data_), "-s"});
    EXPECT_TRUE(fs::exists(ReportFile()));
    EXPECT_TRUE(model.TakeMessages().empty());
    EXPECT_EQ(model.ExitStatus(), kExitDone);
    EXPECT_TRUE(model.AutoRunning());
    EXPECT_FALSE(model.LabelSourceClick());  // no dialog may wait for a person
}

// Settings that cannot be read, a bad GAPSCOPE_BUSY_WAIT: said once, in a box or for the log,
// and the run goes on. Names from outside hold no control character in the title or a box.
TEST_F(WindowModelTest, WarningsAreSaidOnceAndNamesCannotBreakALine) {
    inputs_.warnings = {"the settings file /home/op/x.conf is a FIFO, not a regular file"};
    inputs_.computerName = "north\nPC\xe9";
    WindowModel& model = Show({TextOfPath(data_)});
    EXPECT_EQ(model.Caption(), "Gapscope from Orbitrue Software - V3.1.23.1366 - PC North?pc\xef\xbf\xbd");
    EXPECT_EQ(model.TakeMessages(),
              (std::vector<WindowMessage>{{Kind::Information,
                                           "The settings file /home/op/x.conf is a FIFO, not a "
                                           "regular file."}}));
    model.DateChanged();
    EXPECT_TRUE(model.TakeMessages().empty());

    WindowModel& automatic = AutoRun({TextOfPath(data_), "-s"});
    EXPECT_EQ(automatic.ExitStatus(), kExitDone);
    EXPECT_EQ(automatic.TakeMessages(),
              (std::vector<WindowMessage>{{Kind::Unattended,
                                           "gapscope: warning: the settings file /home/op/x.conf "
                                           "is a FIFO, not a regular file"}}));
    EXPECT_TRUE(fs::exists(ReportFile()));
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
        std::vector<WindowMessage> said = model.TakeMessages();
        if (arguments.front() == "-s" && arguments.size() > 1) {
            // The folder after the switch is said to be ignored, before the failure.
            ASSERT_FALSE(said.empty());
            EXPECT_EQ(said[0],
                      (WindowMessage{Kind::Unattended,
                                     "gapscope: the folder must come before the switches: " +
                                         TextOfPath(data_) + " is ignored (gapscope " +
                                         TextOfPath(data_) + " -s)"}));
            said.erase(said.begin());
        }
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
    // Nothing read, nothing judged: no report runs on it.
    EXPECT_EQ(model->Lists().missingSlots.back(),
              "  (nothing to judge: no history log in " + Folder(program_) +
                  " (none of SegHistory.log, LateSegHistory.log, FileHistory.log))");

    Write(data_ / "SegHistory.log", "202401051200=RP=1,RE=1,R1=FF\r\n");
    model->PickDay(test::Date(2024, 1, 3));
    model->FolderChosen(data_);
    ASSERT_EQ(calls_.size(), 1u);
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

// The current day followed: a look a minute reads what the logs gained and shows what a
// window started afresh would; a past day is left alone, but Reload reads any day afresh.
TEST_F(WindowModelTest, FollowingShowsTheCurrentDayAsAFreshStartWould) {
    fs::remove(data_ / "SegHistory.log");
    StationUntil("05:44");
    clock_ = At("06:10");
    WindowModel& model = Show({TextOfPath(data_)});
    EXPECT_FALSE(model.Following());  // yesterday is over
    model.ButtonTodayClick();
    EXPECT_TRUE(model.Following());
    EXPECT_FALSE(model.ListsKeepPlace());
    EXPECT_EQ(model.Source().detail, " (read 06:10, newest 05:20 UTC)");

    int revision = model.ListsRevision();
    model.TimerFollowTimer();  // nothing new: the screen is left alone
    EXPECT_EQ(model.ListsRevision(), revision);

    StationUntil("06:40");
    clock_ = At("06:41");
    model.TimerFollowTimer();
    EXPECT_NE(model.ListsRevision(), revision);
    EXPECT_TRUE(model.ListsKeepPlace());
    EXPECT_EQ(model.Source().detail, " (read 06:41, newest 06:20 UTC)");
    ExpectAsStartedAfresh(model);

    // A look reads only what grew: an old line changed in place is not read again.
    const std::string first(model.Startup().SegHistory.Line(0));
    std::fstream(data_ / "SegHistory.log", std::ios::binary | std::ios::in | std::ios::out)
        .put('1');
    std::ofstream(data_ / "SegHistory.log", std::ios::binary | std::ios::app)
        << "202401060630=P=1\r\n";
    model.TimerFollowTimer();
    EXPECT_EQ(model.Startup().SegHistory.Line(0), first);
    EXPECT_EQ(model.Source().detail, " (read 06:41, newest 06:30 UTC)");

    // Rotated (a new, shorter file) or cut shorter in place: read whole.
    const std::string seg = test::ReadFile(data_ / "SegHistory.log");
    const std::string tail = seg.substr(seg.find("202401060600"));
    std::ofstream(data_ / "rotated.log", std::ios::binary) << tail;
    fs::rename(data_ / "rotated.log", data_ / "SegHistory.log");
    model.TimerFollowTimer();
    EXPECT_EQ(model.Startup().FirstRecord, ParseIsoMinute("2024-01-06T06:00"));
    ExpectAsStartedAfresh(model, true);
    std::ofstream(data_ / "SegHistory.log", std::ios::binary | std::ios::in | std::ios::out |
                                                std::ios::trunc)
        << tail.substr(0, tail.find("202401060615"));
    model.TimerFollowTimer();
    ExpectAsStartedAfresh(model, true);

    // The day before is followed until its last minute is due (00:29 less the grace), then
    // no more; Reload reads the logs afresh for any day.
    clock_ = std::chrono::sys_days{std::chrono::year{2024} / 1 / 7} + 28min + 59s;
    EXPECT_TRUE(model.Following());
    clock_ += 1s;
    EXPECT_FALSE(model.Following());
    fs::remove(data_ / "SegHistory.log");
    revision = model.ListsRevision();
    model.TimerFollowTimer();
    EXPECT_EQ(model.ListsRevision(), revision);
    EXPECT_EQ(model.Source().state, DataState::Read);
    model.Reload();
    EXPECT_TRUE(model.ListsKeepPlace());
    EXPECT_EQ(model.Source().state, DataState::Read);  // the two other logs are there
    EXPECT_TRUE(model.Startup().SegHistory.Empty());
    EXPECT_EQ(model.Lists().missingSlots.back(),
              "  (before the logs begin: no record in the segment history)");
}

// A loss is announced once, by the look that first finds it, never while its cycle is not
// yet due, and not at all while the switch is off.
TEST_F(WindowModelTest, ANewLossIsAnnouncedOnce) {
    fs::remove(data_ / "SegHistory.log");
    const std::vector<std::string> lost = {"06:00", "06:15"};
    StationUntil("05:44", lost);
    clock_ = At("06:10");
    std::vector<bool> kept;
    inputs_.keepAnnounceLosses = [&kept](bool on) { kept.push_back(on); };
    WindowModel& model = Show({TextOfPath(data_)});
    model.ButtonTodayClick();
    const std::string caption = model.Caption();

    // The 05:45 cycle is not in the logs yet: no word of it until it is due at 06:15.
    clock_ = At("06:14");
    model.TimerFollowTimer();
    EXPECT_TRUE(model.TakeAnnouncements().empty());
    EXPECT_FALSE(model.Alerting());
    clock_ = At("06:15");
    model.TimerFollowTimer();
    EXPECT_EQ(model.TakeAnnouncements(),
              (std::vector<Announcement>{{"New loss on 2024-01-06", "cycle 05:45 lost"}}));
    EXPECT_EQ(model.Title(), "cycle 05:45 lost - " + caption);
    clock_ = At("06:16");
    model.TimerFollowTimer();
    EXPECT_TRUE(model.TakeAnnouncements().empty());
    EXPECT_TRUE(model.Alerting());

    // It arrives late, then 06:00 is lost; the 05:45 cycle is not announced again.
    StationUntil("06:20", lost);
    clock_ = At("06:31");
    model.TimerFollowTimer();
    EXPECT_EQ(model.TakeAnnouncements(),
              (std::vector<Announcement>{{"New loss on 2024-01-06", "cycle 06:00 lost"}}));
    EXPECT_EQ(model.Title(), "cycle 05:45 lost and 1 more - " + caption);
    model.WindowUsed();  // a click, a key or the focus in the window, or the window in front
    EXPECT_FALSE(model.Alerting());
    EXPECT_EQ(model.Title(), caption);
    EXPECT_TRUE(model.Counts().text.starts_with("Missing so far: 1 cycle, ")) << model.Counts().text;

    // Switched off (and kept): 06:15 is lost in silence, and not announced once on again.
    model.AnnounceLossesClick(false);
    EXPECT_FALSE(model.AnnounceLosses());
    StationUntil("06:40", lost);
    clock_ = At("06:46");
    model.TimerFollowTimer();
    EXPECT_TRUE(model.TakeAnnouncements().empty());
    EXPECT_FALSE(model.Alerting());
    model.AnnounceLossesClick(true);
    clock_ = At("06:47");
    model.TimerFollowTimer();
    EXPECT_TRUE(model.TakeAnnouncements().empty());
    EXPECT_EQ(kept, (std::vector<bool>{false, true}));
    const Lines& slots = model.Lists().missingSlots;
    EXPECT_EQ(Lines(slots.end() - 2, slots.end()),
              (Lines{" 0600.. 0615", "  (judged up to 06:17 UTC; later cycles are not yet due)"}));
}

// The picker offers the days up to the current UTC day, and the next one from 00:00 UTC; a
// later day, reached any other way, is judged by no list and counted by nothing until it
// begins.
TEST_F(WindowModelTest, ADayNotBegunIsNeverJudged) {
    clock_ = std::chrono::sys_days{std::chrono::year{2024} / 1 / 6} + 23h + 59min + 59s;
    WindowModel& model = Show({TextOfPath(data_)});
    EXPECT_EQ(model.LastPickableDay(), test::Date(2024, 1, 6));
    EXPECT_EQ(model.UntilNextDay(), 1s);
    clock_ += 1s;
    EXPECT_EQ(model.LastPickableDay(), test::Date(2024, 1, 7));
    EXPECT_EQ(model.UntilNextDay(), 24h);

    model.PickDay(test::Date(2024, 1, 8));
    for (const Lines* list : {&model.Lists().missingSegs, &model.Lists().missingProduct,
                              &model.Lists().lateSegs, &model.Lists().missingSlots}) {
        ASSERT_EQ(list->size(), 4u);
        EXPECT_EQ(list->back(), "  (not yet judged: the day has not begun)");
    }
    EXPECT_EQ(model.Counts().text, "Nothing counted: the day has not begun");
    EXPECT_EQ(model.LastPickableDay(), test::Date(2024, 1, 8));  // as shown
    // Once it has begun, the look at the logs judges it.
    clock_ = std::chrono::sys_days{std::chrono::year{2024} / 1 / 8} + 1min;
    model.TimerFollowTimer();
    EXPECT_EQ(model.Lists().missingSlots.back(),
              "  (not yet judged: no cycle of the day is due yet)");
    EXPECT_TRUE(model.Counts().text.starts_with("Missing so far: 0 cycles")) << model.Counts().text;
}

// A log found shorter while followed (cut in place, or another shorter file in its place)
// is read whole and said in the data line until a look finds no change; the cycles it took
// away are shown missing, never announced.
TEST_F(WindowModelTest, ALogFoundShorterIsSaidInTheDataLineAndAnnouncesNothing) {
    fs::remove(data_ / "SegHistory.log");
    StationUntil("06:40");
    clock_ = At("06:41");
    WindowModel& model = Show({TextOfPath(data_)});
    model.ButtonTodayClick();
    const std::string seg = test::ReadFile(data_ / "SegHistory.log");

    // Cut before 05:45: that cycle and 06:00, judged as received, are missing now.
    std::ofstream(data_ / "SegHistory.log",
                  std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc)
        << seg.substr(0, seg.find("202401060545"));
    clock_ = At("06:42");
    model.TimerFollowTimer();
    EXPECT_TRUE(model.TakeAnnouncements().empty());
    EXPECT_FALSE(model.Alerting());
    EXPECT_TRUE(model.Counts().text.starts_with("Missing so far: 2 cycles")) << model.Counts().text;
    const std::string newest = ClockTime(*NewestRecord(model.Startup().SegHistory));
    EXPECT_EQ(model.Source().lead + model.Source().folder + model.Source().detail,
              "SegHistory.log was cut shorter at 06:42: it now ends " + newest);
    EXPECT_TRUE(model.Source().tooltip.find("\nData from: " + Folder(data_)) != std::string::npos);
    ExpectAsStartedAfresh(model, true);
    clock_ = At("06:43");
    model.TimerFollowTimer();  // nothing changed: the note goes
    EXPECT_TRUE(model.Source().detail.starts_with(" (read 06:43, ")) << model.Source().detail;

    // Another, shorter file in its place: the note stays while the looks find it growing.
    std::ofstream(data_ / "new.log", std::ios::binary) << seg.substr(seg.find("202401060600"));
    fs::rename(data_ / "new.log", data_ / "SegHistory.log");
    clock_ = At("06:44");
    model.TimerFollowTimer();
    const std::string replaced = "SegHistory.log was replaced at 06:44: it now begins 06:00";
    EXPECT_EQ(model.Source().detail, replaced);
    ExpectAsStartedAfresh(model, true);
    std::ofstream(data_ / "SegHistory.log", std::ios::binary | std::ios::app)
        << "202401060645=P=1\r\n";
    clock_ = At("06:45");
    model.TimerFollowTimer();
    EXPECT_EQ(model.Source().detail, replaced);
    EXPECT_TRUE(model.TakeAnnouncements().empty());
}

// Each loss in words that say what: a channel with the first cycle of the run in which
// nothing of it came, a missing cycle among them.
TEST(Losses, CyclesWholeChannelsAndProductsAreAnnouncedAFewLinesAtATime) {
    Findings findings;
    findings.day = test::Date(2024, 1, 6);
    findings.missingCycles = {375};  // 06:15
    findings.missing = {
        {345, ItemKind::Hrit, 9, "IR108", true, {}, Within::Nothing},
        {375, ItemKind::Hrit, 9, "IR108", true, {}, Within::MissingCycle},  // said with its cycle
        {390, ItemKind::Hrit, 9, "IR108", true, {}, Within::Nothing},
        {390, ItemKind::Hrit, 12, "HRV", false, {3, 4}, Within::Nothing},  // partly arrived
        {405, ItemKind::Product, 36, "CLM", true, {}, Within::Nothing},
    };
    // IR108 arrived at 06:00 (360), after a loss at 05:45.
    for (const int minute : {345, 360, 375, 390})
        findings.expected.push_back({minute, ItemKind::Hrit, 9, 1, 8});
    findings.expected.push_back({405, ItemKind::Product, 36, 1, 1});
    const std::vector<Loss> losses = LossesOf(findings);
    ASSERT_EQ(losses.size(), 4u);
    Announcement said = AnnounceNewLosses(findings, {losses[0], losses[2], losses[3]});
    EXPECT_EQ(said.title, "New losses on 2024-01-06");
    EXPECT_EQ(said.text, "cycle 06:15 lost\nIR108 missing since 06:15\nCLM missing since 06:45");
    const std::vector<Loss> many(7, losses[0]);
    said = AnnounceNewLosses(findings, many);
    EXPECT_TRUE(said.text.ends_with("\ncycle 06:15 lost\nand 2 more")) << said.text;
}

// What gapscope-report --save refuses, the window's Save refuses in a message with the
// same reason, and the lists and the counts say there is nothing to judge.
TEST_F(WindowModelTest, SaveRefusesWhatTheCommandRefusesAndSaysWhy) {
    const std::string typo = TextOfPath(temp_.path() / "statoin");
    const fs::path empty = temp_.path() / "empty";
    fs::create_directories(empty);
    const fs::path late = temp_.path() / "new-station";
    Write(late / "SegHistory.log", "202401060000=P=1\r\n");
    const fs::path unreadable = temp_.path() / "unreadable";
    Write(unreadable / "SegHistory.log", "202401050000=P=1\r\n");
    fs::create_directory(unreadable / "FileHistory.log");
    for (const std::string& folder :
         {typo, TextOfPath(empty), TextOfPath(late), TextOfPath(unreadable)}) {
        WindowModel& model = Show({folder});
        model.TakeMessages();
        model.ButtonSaveClick();
        const std::vector<WindowMessage> said = model.TakeMessages();
        ASSERT_EQ(said.size(), 1u);
        EXPECT_EQ(said[0].kind, Kind::Error);

        CommandEnvironment env;
        env.programDirectory = program_;
        env.now = kNow;
        env.storedOptions = [] { return ReportOptions{}; };
        std::ostringstream out, err;
        EXPECT_EQ(RunReportCommand({folder, "--save"}, env, out, err), kExitDataUnreadable);
        std::string line = err.str().substr(std::string("gapscope-report: ").size());
        line.pop_back();
        line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
        EXPECT_EQ(said[0].text, line + ".\nThe report was not saved.");
        if (folder != TextOfPath(late)) {
            EXPECT_NE(model.Source().state, DataState::Read);
            EXPECT_TRUE(model.Lists().missingSegs.back().starts_with("  (nothing to judge: "));
            EXPECT_TRUE(model.Counts().text.starts_with("Nothing counted: ")) << folder;
        }
    }
    EXPECT_EQ(model_->Source().lead, "Cannot read: ");
    EXPECT_EQ(Show({typo}).Source().lead + model_->Source().folder, "Folder not found: " + typo);
    for (const fs::path& folder : {empty, late, unreadable, program_}) {
        EXPECT_TRUE(fs::is_empty(folder) || !fs::exists(folder / "2024-01-05-missing-segments.txt"));
    }

    // A save that fails says so, and where.
    fs::create_directory(ReportFile());
    WindowModel& model = Show({TextOfPath(data_)});
    model.ButtonSaveClick();
    const std::vector<WindowMessage> said = model.TakeMessages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].kind, Kind::Error);
    EXPECT_TRUE(said[0].text.starts_with("The report could not be saved to " +
                                         TextOfPath(ReportFile()) + ":\n"))
        << said[0].text;
}

TEST(ListPlace, TheSameLineNearestTheOldRowIsSelectedAgain) {
    const Lines before = {"Date", "", "Cycle: 0600", "  IR108 missing", "Cycle: 0615",
                          "  IR108 missing"};
    Lines after = before;
    after.insert(after.begin() + 2, {"Cycle: 0545", "  IR108 missing"});
    EXPECT_EQ(RowAfterRefill(before, 5, after), 7u);
    EXPECT_EQ(RowAfterRefill(before, 3, after), 5u);  // not the same text nearer, under 0545
    EXPECT_EQ(RowAfterRefill(before, 2, after), 4u);
    EXPECT_EQ(RowAfterRefill(before, 2, {"Date"}), std::nullopt);
    EXPECT_EQ(RowAfterRefill(before, std::nullopt, after), std::nullopt);
}

}  // namespace
}  // namespace gapscope
