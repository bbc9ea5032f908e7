#include "window_model/window_model.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <iterator>
#include <system_error>
#include <utility>

#include "report/judged_minutes.h"
#include "report/report_file.h"
#include "startup/safe_name.h"
#include "startup/system_text.h"
#include "unattended/unattended_run.h"
#include "window_model/log_note.h"

namespace gapscope {
namespace {

// Only the first argument names the data folder, and only when it is no switch.
bool FolderArgumentGiven(const std::vector<std::string>& arguments) {
    return !arguments.empty() && !arguments.front().empty() && !IsSwitch(arguments.front());
}

bool IsFolder(const std::string& text) {
    std::error_code error;
    return std::filesystem::is_directory(PathFromText(text), error);
}

std::string Capitalised(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

// A day after the current one: nothing of it is judged, in any list.
const char* const kNotBegunLine = "  (not yet judged: the day has not begun)";

// After a bad mask the lists hold what came before it: each says where the run stopped.
void CloseStoppedLists(DayReport& lists, const std::optional<RunStop>& stop) {
    const std::string line =
        stop ? "  (stopped at cycle " + CycleHhnn(stop->minute) + ": bad segment mask in " +
                   stop->log + ")"
             : "  (the report stopped here)";
    for (Lines* list :
         {&lists.missingSegs, &lists.missingProduct, &lists.lateSegs, &lists.missingSlots}) {
        list->push_back(line);
    }
}

// The path as the operator can find it again, whatever the working folder.
std::string AbsoluteText(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return TextOfPath(error ? path : absolute);
}

}  // namespace

WindowModel::WindowModel(WindowInputs inputs) : inputs_(std::move(inputs)) {
    options_ = inputs_.storedOptions;
    options_.decontaminating = false;
    announceLosses_ = inputs_.announceLosses;
    load_.state.ComputerName =
        NormaliseComputerName(inputs_.computerName.value_or(std::string{}));
}

std::chrono::sys_seconds WindowModel::Now() const {
    return inputs_.now ? inputs_.now()
                       : std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

MinuteTime WindowModel::NowMinute() const {
    return std::chrono::floor<std::chrono::minutes>(Now());
}

bool WindowModel::FormShow() {
    if (shown_) return false;
    shown_ = true;
    load_.state.DataDirectory.clear();
    caption_ = "Gapscope from Orbitrue Software - V" + inputs_.versionText + " - PC " +
               SafeName(load_.state.ComputerName);

    StartupInputs load;
    load.arguments = inputs_.arguments;
    load.programDirectory = inputs_.programDirectory;
    load.computerName = inputs_.computerName;
    load.readLog = inputs_.readLog;
    autoRun_ = ParseSwitches(inputs_.arguments).autoRun;
    SayIgnoredFolder();
    for (const std::string& warning : inputs_.warnings) {
        if (autoRun_) {
            Say(WindowMessage::Kind::Unattended, "gapscope: warning: " + warning);
        } else {
            Say(WindowMessage::Kind::Information, Capitalised(warning) + ".");
        }
    }
    if (autoRun_) {
        // Unattended, a log that another program holds is worth waiting for.
        load.retry = inputs_.unattendedRetry;
    } else if (!FolderArgumentGiven(inputs_.arguments) && inputs_.storedFolder) {
        // The folder the operator chose last time stands in for the program's own.
        load.programDirectory = *inputs_.storedFolder;
    }
    LoadLogs(std::move(load));
    timerArmed_ = autoRun_;

    pickerDay_ = std::chrono::floor<std::chrono::days>(Now()) - std::chrono::days{1};
    DateChanged();
    return true;
}

// Only the first argument names the folder, as designed; a folder given later is said to be
// ignored, so that `gapscope -s DIR` is not taken for a report of DIR.
void WindowModel::SayIgnoredFolder() {
    const std::vector<std::string>& arguments = inputs_.arguments;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& given = arguments[i];
        if (given.empty() || given.front() == '-' || IsSwitch(given) || WhyNotASwitch(given))
            continue;
        std::string line = "gapscope: ";
        if (FolderArgumentGiven(arguments)) {
            line += "only the first argument names the folder: " + given + " is ignored";
        } else {
            line += "the folder must come before the switches: " + given +
                    " is ignored (gapscope " + given;
            for (const std::string& other : arguments) {
                if (&other != &given) line += " " + other;
            }
            line += ")";
        }
        // One line whatever the arguments hold.
        Say(WindowMessage::Kind::Unattended, SafeName(line, NotUtf8::Keep));
        return;
    }
}

void WindowModel::LoadLogs(StartupInputs inputs) {
    // A record stamped later than the current minute does not begin the logs.
    inputs.now = NowMinute();
    load_ = LoadStartupState(inputs);
    loadInputs_ = std::move(inputs);
    logNote_.clear();
    logsLost_ = false;
    DescribeData();
}

void WindowModel::RefreshLogs() {
    loadInputs_.now = NowMinute();
    // A folder argument that has come or gone changes where a new start would look.
    if (ResolveDataDirectory(loadInputs_.arguments, loadInputs_.programDirectory) !=
        load_.state.DataDirectory) {
        LoadLogs(loadInputs_);
        return;
    }
    const StartupRefresh refresh = RefreshStartupLoad(load_, loadInputs_);
    logsLost_ = !refresh.lost.empty();
    if (logsLost_) {
        logNote_ = LogLossNote(refresh.lost, load_.state, NowMinute());
    } else if (!refresh.changed) {
        logNote_.clear();
    }
    DescribeData();
}

void WindowModel::DescribeData() {
    const std::vector<std::string>& arguments = loadInputs_.arguments;
    typedFolder_.reset();
    if (FolderArgumentGiven(arguments) && !IsFolder(arguments.front()))
        typedFolder_ = arguments.front();
    const std::optional<std::string> first =
        arguments.empty() ? std::nullopt : std::optional<std::string>(arguments.front());
    dataProblem_ = UnattendedDataProblem(first, load_);
    source_ = DescribeSource(load_, IsFolder(load_.state.DataDirectory), Now(), typedFolder_);
    if (source_.state == DataState::Read) AddLogLossNote(source_, logNote_);
}

void WindowModel::DateChanged() {
    RunReport(Run::Asked);
}

void WindowModel::RunReport(Run run) {
    DayReport lists;
    Findings findings;
    std::optional<std::string> error;
    std::optional<std::string> place;
    std::optional<RunStop> stop;
    if (dataProblem_) {
        // A day built from nothing would read as a day with everything missing.
        lists = NothingToJudge(load_.state, options_, pickerDay_, *dataProblem_);
        findings.day = pickerDay_;
    } else {
        const RunInputs inputs{NowMinute(), nullptr};
        try {
            DayReportResult result =
                inputs_.runReport ? inputs_.runReport(load_.state, options_, pickerDay_, inputs)
                                  : BuildDayReportWith(load_.state, options_, pickerDay_, inputs);
            lists = std::move(result.lists);
            findings = std::move(result.findings);
            error = std::move(result.error);
            place = std::move(result.errorPlace);
            stop = std::move(result.stop);
        } catch (const std::exception& e) {
            error = e.what();
        }
    }
    // The picture draws such a day as not yet due, from the findings; the lists say so.
    const bool notBegun = !dataProblem_ && DayNotBegun(pickerDay_, NowMinute());
    if (notBegun) {
        lists = ListsSaying(load_.state, options_, pickerDay_, kNotBegunLine);
        error.reset();
        place.reset();
    } else if (error) {
        CloseStoppedLists(lists, stop);
    }
    // Unchanged lists are not shown again, so that a follow tick that found nothing new
    // leaves the screen alone.
    const bool same = run != Run::Asked && reportDay_ == pickerDay_ && lists == report_ &&
                      findings == findings_ && error == reportError_ && place == reportErrorPlace_;
    report_ = std::move(lists);
    findings_ = std::move(findings);
    reportError_ = std::move(error);
    reportErrorPlace_ = std::move(place);
    reportDay_ = pickerDay_;
    keepPlace_ = run != Run::Asked;
    if (!same) ++listsRevision_;

    if (dataProblem_) {
        counts_ = NothingCounted(*dataProblem_);
    } else if (notBegun) {
        counts_ = NothingCounted("the day has not begun");
    } else if (reportError_) {
        counts_ = NothingCounted("the report run stopped: " + *reportError_);
    } else {
        counts_ = DescribeCounts(findings_);
    }

    std::optional<std::string> said;
    if (reportError_) {
        // The designed message, then where the damaged line is.
        said = *reportError_;
        if (reportErrorPlace_) *said += "\n" + Capitalised(*reportErrorPlace_);
    }
    if (said && !autoRun_ && (run == Run::Asked || said != saidError_))
        Say(WindowMessage::Kind::Error, *said);
    saidError_ = std::move(said);
    NoteLosses(run);
}

void WindowModel::NoteLosses(Run run) {
    if (run == Run::Asked) {
        knownLosses_.reset();
        judgedBefore_.reset();
    }
    // What could not be judged neither announces nor forgets anything.
    if (dataProblem_ || reportError_) return;
    const std::vector<Loss> losses = LossesOf(findings_);
    std::vector<Loss> fresh;
    if (knownLosses_) {
        std::set_difference(losses.begin(), losses.end(), knownLosses_->begin(),
                            knownLosses_->end(), std::back_inserter(fresh));
    }
    // Announced are cycles that became due without their records, never records that
    // vanished: a cycle judged before, or a look that found a log shorter, says nothing.
    std::erase_if(fresh, [&](const Loss& loss) {
        return judgedBefore_ && judgedBefore_->Judges(loss.minute);
    });
    judgedBefore_ = findings_.judged;
    if (run == Run::Followed && !fresh.empty() && announceLosses_ && !logsLost_) {
        std::stable_sort(fresh.begin(), fresh.end(),
                         [](const Loss& a, const Loss& b) { return a.minute < b.minute; });
        if (alertCount_ == 0) alertFirst_ = LossWords(fresh.front(), findings_);
        announcements_.push_back(AnnounceNewLosses(findings_, fresh));
        alertCount_ += static_cast<int>(fresh.size());
    }
    // Known once, a loss is never announced again that day, even after it was gone a while.
    std::vector<Loss> known;
    if (knownLosses_) {
        std::set_union(losses.begin(), losses.end(), knownLosses_->begin(), knownLosses_->end(),
                       std::back_inserter(known));
    } else {
        known = losses;
    }
    knownLosses_ = std::move(known);
}

void WindowModel::PickDay(Day day) {
    OperatorActs();
    pickerDay_ = day;
    DateChanged();
}

void WindowModel::ClickBox(const OptionField& box, bool checked) {
    OperatorActs();
    options_.*box.member = checked;
    DateChanged();
}

void WindowModel::ButtonSaveClick() {
    if (!autoRunning_) OperatorActs();
    if (const auto refused = RefuseSave(dataProblem_, load_.state, reportDay_, NowMinute())) {
        // As gapscope-report --save refuses it: a report built from nothing is never saved.
        if (autoRunning_) {
            FailAutoRun(refused->status, {refused->line});
        } else {
            Say(WindowMessage::Kind::Error,
                Capitalised(refused->line) + ".\nThe report was not saved.");
        }
        return;
    }
    if (reportError_ && !autoRunning_) {
        // A report cut short would pass for a complete one.
        Say(WindowMessage::Kind::Error, "The report of " + IsoDate(reportDay_) +
                                            " stopped at a damaged record: " + *reportError_ +
                                            ".\nThe report was not saved.");
        return;
    }
    const BannerInfo banner{inputs_.versionText, load_.state.ComputerName, Now()};
    // The neat Himawari report empties three lists on screen as well.
    const Lines text = BuildReportText(report_, load_.state, banner);
    ++listsRevision_;

    std::filesystem::path path;
    WriteOutcome written;
    try {
        path = ReportFilePath(load_.state, inputs_.programDirectory, reportDay_);
        if (inputs_.writeReport) {
            written.failure = inputs_.writeReport(path, text);
        } else {
            written = WriteReportFile(path, text, inputs_.saveRetry);
        }
    } catch (const std::exception& e) {
        written.failure = e.what();
    }
    if (const auto& failure = written.failure) {
        if (autoRunning_) {
            FailAutoRun(kExitSaveFailed,
                        {"report not saved to " + TextOfPath(path) + ": " + *failure});
        } else {
            // The file replaced only whole: an earlier report of the day is as it was.
            Say(WindowMessage::Kind::Error, "The report could not be saved to " +
                                                TextOfPath(path) + ":\n" + *failure);
        }
        return;
    }
    // Saved all the same: the run did what it was asked, and says what may yet be lost.
    if (autoRunning_) {
        if (written.warning) Say(WindowMessage::Kind::Unattended, "gapscope: warning: " + *written.warning);
        return;
    }
    Say(WindowMessage::Kind::Information,
        "Report saved to: " + AbsoluteText(path) +
            (written.warning ? "\n" + Capitalised(*written.warning) + "." : std::string()));
}

void WindowModel::ButtonTodayClick() {
    PickDay(std::chrono::floor<std::chrono::days>(Now()));
}

void WindowModel::ButtonCloseClick() {
    closeRequested_ = true;
}

void WindowModel::TimerAutoRunTimer() {
    timerArmed_ = false;
    autoRunning_ = true;
    if (const auto refused = RefuseSave(dataProblem_, load_.state, reportDay_, NowMinute())) {
        // A report built from nothing would pass for a day without a gap: save nothing.
        FailAutoRun(refused->status, {refused->line});
    } else if (reportError_) {
        // A report cut short would pass for a complete one: save nothing.
        std::vector<std::string> lines = {"report for " + IsoDate(reportDay_) +
                                          " not saved: " + *reportError_};
        if (reportErrorPlace_) lines.push_back(*reportErrorPlace_);
        FailAutoRun(kExitReportFailed, lines);
    } else {
        ButtonSaveClick();
    }
    closeRequested_ = true;
}

std::optional<std::string> WindowModel::LabelSourceClick() const {
    if (autoRun_) return std::nullopt;
    return load_.state.DataDirectory;
}

void WindowModel::FolderChosen(const std::filesystem::path& folder) {
    OperatorActs();
    // Read as at start-up, with the same switches; the chosen folder stands in for the
    // folder argument.
    std::vector<std::string> arguments = inputs_.arguments;
    if (FolderArgumentGiven(arguments)) arguments.erase(arguments.begin());
    StartupInputs load;
    load.arguments = std::move(arguments);
    load.programDirectory = folder;
    load.computerName = inputs_.computerName;
    load.readLog = inputs_.readLog;
    LoadLogs(std::move(load));
    if (inputs_.keepFolder) inputs_.keepFolder(folder);
    DateChanged();
}

bool WindowModel::Following() const {
    return shown_ && !autoRun_ && DayStillArriving(pickerDay_, NowMinute());
}

void WindowModel::TimerFollowTimer() {
    if (!Following()) return;
    RefreshLogs();
    RunReport(Run::Followed);
}

void WindowModel::Reload() {
    if (!shown_ || autoRun_) return;
    OperatorActs();
    LoadLogs(loadInputs_);
    RunReport(Run::Reloaded);
}

void WindowModel::AnnounceLossesClick(bool on) {
    OperatorActs();
    announceLosses_ = on;
    if (inputs_.keepAnnounceLosses) inputs_.keepAnnounceLosses(on);
}

void WindowModel::WindowUsed() {
    OperatorActs();
}

void WindowModel::OperatorActs() {
    alertCount_ = 0;
}

std::string WindowModel::Title() const {
    if (alertCount_ == 0) return caption_;
    const std::string more =
        alertCount_ > 1 ? " and " + std::to_string(alertCount_ - 1) + " more" : "";
    return alertFirst_ + more + " - " + caption_;
}

Day WindowModel::LastPickableDay() const {
    return std::max(std::chrono::floor<std::chrono::days>(Now()), pickerDay_);
}

std::chrono::seconds WindowModel::UntilNextDay() const {
    const Day today = std::chrono::floor<std::chrono::days>(Now());
    return std::chrono::sys_seconds{today + std::chrono::days{1}} - Now();
}

PictureRequest WindowModel::Picture() const {
    return {findings_, {load_.state.ComputerName, inputs_.versionText}, load_.state.DataDirectory};
}

std::vector<WindowMessage> WindowModel::TakeMessages() {
    return std::exchange(messages_, {});
}

std::vector<Announcement> WindowModel::TakeAnnouncements() {
    return std::exchange(announcements_, {});
}

void WindowModel::Say(WindowMessage::Kind kind, std::string text) {
    // Line by line, so that the lines the message is made of stay.
    const NotUtf8 notUtf8 = kind == WindowMessage::Kind::Unattended ? NotUtf8::Keep : NotUtf8::Replace;
    std::string said;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (start > 0) said += '\n';
        said += SafeName(std::string_view(text).substr(start, end - start), notUtf8);
        start = end + 1;
    }
    messages_.push_back({kind, std::move(said)});
}

void WindowModel::FailAutoRun(int status, const std::vector<std::string>& lines) {
    exitStatus_ = status;
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += '\n';
        text += "gapscope: ";
        text += line;
    }
    Say(WindowMessage::Kind::Unattended, std::move(text));
}

}  // namespace gapscope
