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
#include "window_model/counts_line.h"
#include "window_model/data_label.h"
#include "window_model/list_place.h"
#include "window_model/losses.h"

namespace gapscope {

// The automatic run's one tick comes this long after the show step.
inline constexpr std::chrono::milliseconds kAutoRunDelay{250};
// How often the window looks at its logs while the day it shows is still arriving: the
// cycles fall due minute by minute, so a look a minute is what the report can tell apart.
inline constexpr std::chrono::seconds kFollowInterval{60};

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
    // How a save treats an old report that another program holds (SaveRetryPolicy()); not
    // used by a `writeReport` put in place.
    RetryPolicy saveRetry;
    // Whether a loss that following the logs finds is announced (stored per user, on unless
    // switched off), and where a change of the switch is kept.
    bool announceLosses = true;
    std::function<void(bool)> keepAnnounceLosses;
    // What is wrong in the surroundings (stored settings that cannot be read, a bad
    // GAPSCOPE_BUSY_WAIT), each said once when the window is first shown.
    std::vector<std::string> warnings;
};

// What the window says: to the operator in a message box, or one or more lines on standard
// error: the automatic run's log, where nobody watches, and a word on the command line. The
// names in it hold no control character; a box's text is UTF-8, the log's has a folder's own
// bytes.
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
    // The look at the logs, every kFollowInterval: while the shown day is still arriving
    // (DayStillArriving), what the logs gained is read and the day reported again, as a
    // window started afresh at that moment would show it; a loss no report of the day had
    // shown is announced. Any other day is left as it is.
    void TimerFollowTimer();
    // F5 and the lists' context menu: the logs read afresh, whole, for any day.
    void Reload();
    // The switch that announces new losses.
    void AnnounceLossesClick(bool on);
    // The window came to the front, or the operator clicked, typed or moved the focus in it:
    // what was announced has been seen.
    void WindowUsed();

    const std::string& Caption() const { return caption_; }
    Day PickerDay() const { return pickerDay_; }
    // The last day the date picker offers: the current UTC day by the clock, whatever the
    // local date, or the day shown when that is later (the clock was set back). It moves on
    // at 00:00 UTC, UntilNextDay() from now.
    Day LastPickableDay() const;
    std::chrono::seconds UntilNextDay() const;
    const ReportOptions& Options() const { return options_; }
    const DayReport& Lists() const { return report_; }
    // Changes whenever the lists (and the findings behind them) do.
    int ListsRevision() const { return listsRevision_; }
    const DataLabel& Source() const { return source_; }
    PictureRequest Picture() const;
    const StartupState& Startup() const { return load_.state; }
    bool AutoRun() const { return autoRun_; }
    // The automatic run's timer is to tick once, kAutoRunDelay after the show step.
    bool AutoRunTimerArmed() const { return timerArmed_; }
    bool AutoRunning() const { return autoRunning_; }
    bool CloseRequested() const { return closeRequested_; }
    // kExitDone unless an automatic run saved no report (the statuses of unattended_run.h).
    int ExitStatus() const { return exitStatus_; }
    // The messages since the last call, oldest first.
    std::vector<WindowMessage> TakeMessages();

    // Whether the shown day is followed: the follow timer's tick reads the logs.
    bool Following() const;
    // The lists changed by reading the logs again for the same day and boxes (a follow tick,
    // Reload): a front keeps each list's scroll position and selection (RowAfterRefill).
    bool ListsKeepPlace() const { return keepPlace_; }
    // The day's counts of the lists shown.
    const CountsLine& Counts() const { return counts_; }
    bool AnnounceLosses() const { return announceLosses_; }
    // New losses announced since the operator last looked: the title says what, and a front
    // highlights the counts line, until the window comes to the front or is used.
    bool Alerting() const { return alertCount_ > 0; }
    // The caption, led while Alerting() by the first new loss in words (LossWords) and how
    // many more: "cycle 11:45 lost and 2 more - ...".
    std::string Title() const;
    // The announcements since the last call, for a desktop notification where there is one.
    std::vector<Announcement> TakeAnnouncements();

  private:
    // Why the report run was made: asked for (the day, a box, a folder), or the logs read
    // again for the same day (Reload), or by the follow tick (which announces).
    enum class Run { Asked, Reloaded, Followed };

    void LoadLogs(StartupInputs inputs);
    void RefreshLogs();
    void DescribeData();
    void RunReport(Run run);
    void NoteLosses(Run run);
    void SayIgnoredFolder();
    void OperatorActs();
    void Say(WindowMessage::Kind kind, std::string text);
    void FailAutoRun(int status, const std::vector<std::string>& lines);
    std::chrono::sys_seconds Now() const;
    MinuteTime NowMinute() const;

    WindowInputs inputs_;
    std::string caption_;
    // The logs as read last, how far, and what read them: a refresh and Reload read them so
    // again.
    StartupLoad load_;
    StartupInputs loadInputs_;
    // The folder named on the command line when it is no folder.
    std::optional<std::string> typedFolder_;
    ReportOptions options_;
    Day pickerDay_{};
    DataLabel source_;
    DayReport report_;
    Findings findings_;
    Day reportDay_{};
    int listsRevision_ = 0;
    std::optional<std::string> reportError_;
    std::optional<std::string> reportErrorPlace_;
    // The report error last said, so that a follow tick does not say it every minute.
    std::optional<std::string> saidError_;
    // Why no report of the data may be made or saved: it could not be read
    // (UnattendedDataProblem); the lists then say there is nothing to judge.
    std::optional<std::string> dataProblem_;
    CountsLine counts_;
    // What the data line says of logs the last looks found holding fewer lines than were
    // read (LogLossNote), until a look finds no change; and whether the last look did.
    std::string logNote_;
    bool logsLost_ = false;
    bool keepPlace_ = false;
    bool announceLosses_ = true;
    // The losses the reports of the day shown have had since it was asked for; nullopt until
    // one was judged.
    std::optional<std::vector<Loss>> knownLosses_;
    // The minutes the last report of the day that judged anything judged.
    std::optional<JudgedMinutes> judgedBefore_;
    int alertCount_ = 0;
    std::string alertFirst_;  // the first loss announced since the operator last looked
    std::vector<Announcement> announcements_;
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
