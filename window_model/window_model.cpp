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

void WindowModel::LoadLogs(StartupInputs inputs) {
    // A record stamped later than the current minute does not begin the logs.
    inputs.now = NowMinute();
    load_ = LoadStartupState(inputs);
    loadInputs_ = std::move(inputs);
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
    RefreshStartupLoad(load_, loadInputs_);
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
}

void WindowModel::DateChanged() {
    RunReport(Run::Asked);
}

void WindowModel::RunReport(Run run) {
    DayReport lists;
    Findings findings;
    std::optional<std::string> error;
    std::optional<std::string> place;
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
        } catch (const std::exception& e) {
            error = e.what();
        }
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
    if (run == Run::Asked) knownLosses_.reset();
    // What could not be judged neither announces nor forgets anything.
    if (dataProblem_ || reportError_) return;
    const std::vector<Loss> losses = LossesOf(findings_);
    std::vector<Loss> fresh;
    if (knownLosses_) {
        std::set_difference(losses.begin(), losses.end(), knownLosses_->begin(),
                            knownLosses_->end(), std::back_inserter(fresh));
    }
    if (run == Run::Followed && !fresh.empty() && announceLosses_) {
        announcements_.push_back(AnnounceNewLosses(reportDay_, fresh));
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
    std::optional<std::string> failure;
    try {
        path = ReportFilePath(load_.state, inputs_.programDirectory, reportDay_);
        failure = inputs_.writeReport ? inputs_.writeReport(path, text)
                                      : WriteReportFile(path, text, inputs_.saveRetry);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (failure) {
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
    if (!autoRunning_)
        Say(WindowMessage::Kind::Information, "Report saved to: " + TextOfPath(path));
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

void WindowModel::WindowActivated() {
    OperatorActs();
}

void WindowModel::OperatorActs() {
    alertCount_ = 0;
}

std::string WindowModel::Title() const {
    if (alertCount_ == 0) return caption_;
    return std::to_string(alertCount_) + (alertCount_ == 1 ? " new loss - " : " new losses - ") +
           caption_;
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
