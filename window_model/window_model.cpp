#include "window_model/window_model.h"

#include <cctype>
#include <exception>
#include <system_error>
#include <utility>

#include "report/report_file.h"
#include "startup/system_text.h"
#include "unattended/unattended_run.h"

namespace gapscope {
namespace {

// Only the first argument names the data folder, and only when it is no switch.
bool FolderArgumentGiven(const std::vector<std::string>& arguments) {
    return !arguments.empty() && !arguments.front().empty() && !IsSwitch(arguments.front());
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
    startup_.ComputerName = NormaliseComputerName(inputs_.computerName.value_or(std::string{}));
}

std::chrono::sys_seconds WindowModel::Now() const {
    return inputs_.now ? inputs_.now()
                       : std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

bool WindowModel::FormShow() {
    if (shown_) return false;
    shown_ = true;
    startup_.DataDirectory.clear();
    caption_ = "Gapscope from Orbitrue Software - V" + inputs_.versionText + " - PC " +
               startup_.ComputerName;

    StartupInputs load{inputs_.arguments, inputs_.programDirectory, inputs_.computerName, {},
                       inputs_.readLog, std::chrono::floor<std::chrono::minutes>(Now())};
    autoRun_ = ParseSwitches(inputs_.arguments).autoRun;
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
    StartupLoad loaded = LoadStartupState(inputs);
    std::error_code error;
    const bool folderExists =
        std::filesystem::is_directory(PathFromText(loaded.state.DataDirectory), error);
    source_ = DescribeSource(loaded, folderExists, Now());
    if (autoRun_) {
        const std::optional<std::string> first =
            inputs.arguments.empty() ? std::nullopt
                                     : std::optional<std::string>(inputs.arguments.front());
        dataProblem_ = UnattendedDataProblem(first, loaded);
    }
    startup_ = std::move(loaded.state);
}

void WindowModel::DateChanged() {
    const RunInputs run{std::chrono::floor<std::chrono::minutes>(Now()), nullptr};
    try {
        DayReportResult result = inputs_.runReport
                                     ? inputs_.runReport(startup_, options_, pickerDay_, run)
                                     : BuildDayReportWith(startup_, options_, pickerDay_, run);
        report_ = std::move(result.lists);
        findings_ = std::move(result.findings);
        reportError_ = std::move(result.error);
        reportErrorPlace_ = std::move(result.errorPlace);
    } catch (const std::exception& e) {
        reportError_ = e.what();
        reportErrorPlace_.reset();
    }
    reportDay_ = pickerDay_;
    ++listsRevision_;
    if (reportError_ && !autoRun_) {
        // The designed message, then where the damaged line is.
        std::string text = *reportError_;
        if (reportErrorPlace_) text += "\n" + Capitalised(*reportErrorPlace_);
        Say(WindowMessage::Kind::Error, std::move(text));
    }
}

void WindowModel::PickDay(Day day) {
    pickerDay_ = day;
    DateChanged();
}

void WindowModel::ClickBox(const OptionField& box, bool checked) {
    options_.*box.member = checked;
    DateChanged();
}

void WindowModel::ButtonSaveClick() {
    const BannerInfo banner{inputs_.versionText, startup_.ComputerName, Now()};
    // The neat Himawari report empties three lists on screen as well.
    const Lines text = BuildReportText(report_, startup_, banner);
    ++listsRevision_;

    std::filesystem::path path;
    std::optional<std::string> failure;
    try {
        path = ReportFilePath(startup_, inputs_.programDirectory, reportDay_);
        failure =
            inputs_.writeReport ? inputs_.writeReport(path, text) : WriteReportFile(path, text);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (failure) {
        // An interactive save fails without a word; only the automatic run must say so.
        if (autoRunning_) {
            FailAutoRun(kExitSaveFailed,
                        {"report not saved to " + TextOfPath(path) + ": " + *failure});
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
    if (dataProblem_) {
        // A report built from nothing would pass for a day without a gap: save nothing.
        FailAutoRun(kExitDataUnreadable, {*dataProblem_});
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
    return startup_.DataDirectory;
}

void WindowModel::FolderChosen(const std::filesystem::path& folder) {
    // Read as at start-up, with the same switches; the chosen folder stands in for the
    // folder argument.
    std::vector<std::string> arguments = inputs_.arguments;
    if (FolderArgumentGiven(arguments)) arguments.erase(arguments.begin());
    LoadLogs({std::move(arguments), folder, inputs_.computerName, {}, inputs_.readLog,
              std::chrono::floor<std::chrono::minutes>(Now())});
    if (inputs_.keepFolder) inputs_.keepFolder(folder);
    DateChanged();
}

PictureRequest WindowModel::Picture() const {
    return {findings_, {startup_.ComputerName, inputs_.versionText}, startup_.DataDirectory};
}

std::vector<WindowMessage> WindowModel::TakeMessages() {
    return std::exchange(messages_, {});
}

void WindowModel::Say(WindowMessage::Kind kind, std::string text) {
    messages_.push_back({kind, std::move(text)});
}

void WindowModel::FailAutoRun(int status, const std::vector<std::string>& lines) {
    exitStatus_ = status;
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + ("gapscope: " + line);
    Say(WindowMessage::Kind::Unattended, std::move(text));
}

}  // namespace gapscope
