#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/time_keys.h"
#include "pictures/timeline_model.h"
#include "report/day_report.h"
#include "report/findings.h"
#include "report/lines.h"
#include "report/report_options.h"
#include "startup/startup_state.h"
#include "window_model/data_label.h"

namespace gapscope {

// The automatic run's one tick comes this long after the show step.
inline constexpr std::chrono::milliseconds kAutoRunDelay{250};

// Everything the window takes from outside itself. The files it reads and writes go through
// the two functions at the end, which tests may replace; empty, they reach the disk.
struct WindowInputs {
    std::vector<std::string> arguments;  // the command line, program name excluded
    std::filesystem::path programDirectory;
    std::optional<std::string> computerName;  // as the system gives it; nullopt: none
    std::string versionText;
    std::function<std::chrono::sys_seconds()> now;  // the clock
    // This user's stored options ("Decontaminating" is never taken from them) and the station
    // folder chosen last time.
    ReportOptions storedOptions;
    std::optional<std::filesystem::path> storedFolder;
    // Keeps a folder the operator chose for the next start.
    std::function<void(const std::filesystem::path&)> keepFolder;
    // How the automatic run retries a log that another program holds; the window itself
    // reads each log once.
    RetryPolicy unattendedRetry;
    // The report run: a front wraps its busy cursor round it. Empty: BuildDayReportWith.
    std::function<DayReportResult(const StartupState&, const ReportOptions&, Day, const RunInputs&)>
        runReport;
    std::function<LogReadResult(const std::filesystem::path&)> readLog;
    // Returns why the report file could not be written.
    std::function<std::optional<std::string>(const std::filesystem::path&, const Lines&)>
        writeReport;
};

// What the window says: to the operator in a message box, or, in the automatic run where
// nobody watches, one or more lines for the log (standard error).
struct WindowMessage {
    enum class Kind { Information, Error, Unattended };
    Kind kind;
    std::string text;
    friend bool operator==(const WindowMessage&, const WindowMessage&) = default;
};

// What the picture of the day shows: the findings of the report on screen.
struct PictureRequest {
    const Findings& findings;
    pictures::PictureFacts facts;
    std::string folder;  // where saving the picture first looks
};

// The main window without a toolkit: every decision it makes, from the start-up to the
// automatic run. A front binds its controls to the events below and, after each, shows what
// the accessors say and the messages it takes.
class WindowModel {
  public:
    // The window created: nothing is read and no report is run yet.
    explicit WindowModel(WindowInputs inputs);

    // The show step, once (false when the window was shown before): reads the logs, arms
    // the automatic run and shows yesterday's report.
    bool FormShow();
    // The report run for the picked day and the boxes as they stand.
    void DateChanged();
    // The date picker, and a click on an option box: each sets its value and reruns.
    void PickDay(Day day);
    void ClickBox(const OptionField& box, bool checked);
    void ButtonSaveClick();
    void ButtonTodayClick();
    void ButtonCloseClick();
    void TimerAutoRunTimer();
    // A click on the data label: the folder the folder dialog starts in, or nullopt when
    // no dialog may open. The chosen folder is read as at start-up, kept, and reported on.
    std::optional<std::string> LabelSourceClick() const;
    void FolderChosen(const std::filesystem::path& folder);

    const std::string& Caption() const { return caption_; }
    Day PickerDay() const { return pickerDay_; }
    const ReportOptions& Options() const { return options_; }
    const DayReport& Lists() const { return report_; }
    // Changes whenever the lists (and the findings behind them) do.
    int ListsRevision() const { return listsRevision_; }
    const DataLabel& Source() const { return source_; }
    PictureRequest Picture() const;
    const StartupState& Startup() const { return startup_; }
    bool AutoRun() const { return autoRun_; }
    // The automatic run's timer is to tick once, kAutoRunDelay after the show step.
    bool AutoRunTimerArmed() const { return timerArmed_; }
    bool AutoRunning() const { return autoRunning_; }
    bool CloseRequested() const { return closeRequested_; }
    // kExitDone unless an automatic run saved no report (the statuses of unattended_run.h).
    int ExitStatus() const { return exitStatus_; }
    // The messages since the last call, oldest first.
    std::vector<WindowMessage> TakeMessages();

  private:
    void LoadLogs(StartupInputs inputs);
    void Say(WindowMessage::Kind kind, std::string text);
    void FailAutoRun(int status, const std::vector<std::string>& lines);
    std::chrono::sys_seconds Now() const;

    WindowInputs inputs_;
    std::string caption_;
    StartupState startup_;
    ReportOptions options_;
    Day pickerDay_{};
    DataLabel source_;
    DayReport report_;
    Findings findings_;
    Day reportDay_{};
    int listsRevision_ = 0;
    std::optional<std::string> reportError_;
    std::optional<std::string> reportErrorPlace_;
    // Why the automatic run must not save: the data it would report on could not be read.
    std::optional<std::string> dataProblem_;
    std::vector<WindowMessage> messages_;
    bool shown_ = false;
    bool autoRun_ = false;  // no dialog may wait for a person
    bool timerArmed_ = false;
    // Set by the automatic run just before it saves: the save then asks no one.
    bool autoRunning_ = false;
    bool closeRequested_ = false;
    int exitStatus_ = 0;
};

}  // namespace gapscope
