#include "unattended/unattended_run.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "report/judged_minutes.h"
#include "startup/system_text.h"

namespace gapscope {

namespace {

constexpr int kBusyTries = 7;
constexpr std::chrono::milliseconds kBusyPause{5000};
constexpr int kSaveTries = 10;
constexpr std::chrono::milliseconds kSavePause{500};

std::chrono::milliseconds BusyPause(std::chrono::milliseconds fallback = kBusyPause) {
    const char* text = std::getenv("GAPSCOPE_BUSY_WAIT");
    if (text == nullptr) return fallback;
    const std::string_view value(text);
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc{} || end != value.data() + value.size() || seconds < 0) return fallback;
    return std::chrono::milliseconds{static_cast<long long>(seconds * 1000)};
}

}  // namespace

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
        if (status.type() == std::filesystem::file_type::not_found) {
            return "no such folder: " + *firstArgument;
        }
        if (!std::filesystem::is_directory(status)) return "not a folder: " + *firstArgument;
    }
    const std::string& folder = load.state.DataDirectory;
    // A folder that cannot be searched hides its logs: the log that failed says why.
    if (!load.logsLoaded) {
        return "cannot read " + folder + load.unreadableLog + ": " + load.unreadableReason;
    }
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
        const std::string log = state.DataDirectory + "SegHistory.log";
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
