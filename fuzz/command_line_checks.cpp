// The command-line target: the options of gapscope-report and the numbers it takes from its
// surroundings. Whatever the arguments, the parser returns a request or a reason; a request
// holds only days, times, minutes and thresholds within their ranges; the check judges any
// --now without overflowing; GAPSCOPE_BUSY_WAIT gives a pause of at most a minute.
#include <cmath>
#include <exception>
#include <string>
#include <vector>

#include "command/report_command_line.h"
#include "formats/monitoring_check.h"
#include "fuzz/fuzz_inputs.h"
#include "unattended/unattended_run.h"

namespace gapscope::fuzz {
namespace {

constexpr std::size_t kMaxArguments = 24;
constexpr Day kFirstDay = Day{std::chrono::year{1970} / 1 / 1};
constexpr Day kLastDay = Day{std::chrono::year{9999} / 12 / 31};

bool InRange(const std::optional<Day>& day) {
    return !day || (*day >= kFirstDay && *day <= kLastDay);
}

Finding CheckRanges(const Thresholds& thresholds) {
    for (const auto* side : {&thresholds.warning, &thresholds.critical}) {
        for (const std::optional<AlertRange>& range : *side) {
            if (!range) continue;
            if (!(range->start <= range->end)) return "a threshold starts after its end";
            for (const double end : {range->start, range->end}) {
                if (std::isnan(end) || (std::isfinite(end) && std::fabs(end) > 1e15))
                    return "a threshold's end is out of range";
            }
            range->Alerts(0);
            range->Alerts(-1e300);
        }
    }
    return std::nullopt;
}

Finding CheckRequest(const ReportRequest& request) {
    for (const auto& day : {request.day, request.from, request.to}) {
        if (!InRange(day)) return "a day out of range was taken";
    }
    if (request.now && !InRange(std::chrono::floor<std::chrono::days>(*request.now)))
        return "a --now out of range was taken";
    if (request.grace && (*request.grace < 0 || *request.grace > 1440))
        return "a --grace out of range was taken";
    Thresholds thresholds = DefaultThresholds();
    SetThresholds(request.warning, false, thresholds);
    SetThresholds(request.critical, true, thresholds);
    if (auto broken = CheckRanges(thresholds)) return broken;
    if (request.now) {
        // The oldest record there can be, judged at that minute.
        DayCheck check;
        check.day = std::chrono::floor<std::chrono::days>(*request.now);
        check.live = true;
        check.now = std::chrono::sys_seconds{*request.now};
        check.dueUntil = *request.now - std::chrono::minutes{request.grace.value_or(30)};
        check.newestRecord = MinuteTime{Day{std::chrono::year{0} / 1 / 1}};
        const std::string line = JudgeDay(check, thresholds).line;
        if (line.find("newest segment record -") != std::string::npos)
            return "the age of the newest record came out negative";
    }
    return std::nullopt;
}

}  // namespace

Finding CheckCommandLineInput(std::string_view bytes) {
    if (const auto pause = ParseBusyWait(bytes)) {
        if (pause->count() < 0 || pause->count() > 60000) return "GAPSCOPE_BUSY_WAIT out of range";
    }
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start <= bytes.size() && arguments.size() < kMaxArguments;) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        arguments.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string& argument : arguments) {
        Thresholds thresholds;
        if (auto range = ParseAlertRange(argument)) thresholds.warning[0] = range;
        if (auto broken = CheckRanges(thresholds)) return broken;
    }
    std::string error;
    std::optional<ReportRequest> request;
    try {
        request = ParseReportCommandLine(arguments, error);
    } catch (const std::exception& e) {
        return std::string("the parser threw: ") + e.what();
    }
    if (!request) return error.empty() ? Finding("refused without a reason") : std::nullopt;
    return CheckRequest(*request);
}

}  // namespace gapscope::fuzz
