#include "unattended/unattended_run.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "report/judged_minutes.h"
#include "startup/safe_name.h"
#include "startup/system_text.h"

namespace gapscope {

namespace {

constexpr int kBusyTries = 7;
constexpr std::chrono::milliseconds kBusyPause{5000};
constexpr int kSaveTries = 10;
constexpr std::chrono::milliseconds kSavePause{500};

constexpr double kLongestBusyWait = 60;  // seconds

const char* BusyWaitText() {
    return std::getenv("GAPSCOPE_BUSY_WAIT");
}

std::chrono::milliseconds BusyPause(std::chrono::milliseconds fallback = kBusyPause) {
    const char* text = BusyWaitText();
    if (text == nullptr) return fallback;
    return ParseBusyWait(text).value_or(fallback);
}

}  // namespace

std::optional<std::chrono::milliseconds> ParseBusyWait(std::string_view text) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    // Also false for NaN; only then is the number made whole milliseconds.
    if (!(seconds >= 0 && seconds <= kLongestBusyWait)) return std::nullopt;
    return std::chrono::milliseconds{std::llround(seconds * 1000)};
}

std::optional<std::string> BusyWaitProblem() {
    const char* text = BusyWaitText();
    if (text == nullptr || ParseBusyWait(text)) return std::nullopt;
    return "GAPSCOPE_BUSY_WAIT takes seconds from 0 to 60, not '" + std::string(text) +
           "'; the usual pauses are used";
}

RetryPolicy UnattendedRetryPolicy() {
    return {kBusyTries, BusyPause(),
            [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }};
}

RetryPolicy SaveRetryPolicy() {
    return {kSaveTries, BusyPause(kSavePause),
            [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }};
}

std::optional<std::string> UnattendedDataProblem(const std::optional<std::string>& firstArgument,
                                                 const StartupLoad& load) {
    if (firstArgument && !IsSwitch(*firstArgument)) {
        std::error_code error;
        const auto status = std::filesystem::status(PathFromText(*firstArgument), error);
        const std::string named = SafeName(*firstArgument, NotUtf8::Keep);
        if (status.type() == std::filesystem::file_type::not_found) return "no such folder: " + named;
        if (!std::filesystem::is_directory(status)) return "not a folder: " + named;
    }
    // Before the logs found: a folder that cannot be searched hides its logs. One line: a
    // folder's name holds no line end nor escape sequence.
    if (!load.logsLoaded) {
        return SafeName("cannot read " + UnreadableName(load) + ": " + load.unreadableReason,
                        NotUtf8::Keep);
    }
    const std::string folder = SafeName(load.state.DataDirectory, NotUtf8::Keep);
    if (!load.anyLogFound) {
        return "no history log in " + folder +
               " (none of SegHistory.log, LateSegHistory.log, FileHistory.log)";
    }
    return std::nullopt;
}

}  // namespace gapscope

namespace gapscope {

std::optional<SaveRefusal> RefuseSave(const std::optional<std::string>& dataProblem,
                                      const StartupState& state, Day day, MinuteTime now) {
    if (dataProblem) return SaveRefusal{kExitDataUnreadable, *dataProblem};
    const std::string noReport = "no report for " + IsoDate(day) + ": ";
    if (DayNotBegun(day, now)) {
        return SaveRefusal{kExitBadUsage,
                           noReport + "the day has not begun (it is " + UtcTimeText(now) + ")"};
    }
    if (DayBeforeLogsBegin(day, state.FirstRecord)) {
        const std::string log = SafeName(state.DataDirectory, NotUtf8::Keep) + "SegHistory.log";
        return SaveRefusal{kExitDataUnreadable,
                           noReport + "it is before the logs begin (" +
                               (state.FirstRecord ? "the first record of " + log + " is of " +
                                                        UtcTimeText(*state.FirstRecord)
                                                  : log + " holds no record") +
                               ")"};
    }
    return std::nullopt;
}

}  // namespace gapscope
