#include "report/day_range.h"

namespace gapscope {

namespace {

void Count(RangeOutcome& outcome, const DayReportResult& result) {
    if (result.error) {
        ++outcome.failed;
    } else {
        ++outcome.days;
        outcome.totals += Summarise(result.findings);
    }
}

}  // namespace

RangeOutcome RunDayRange(const StartupState& startup, const ReportOptions& options,
                         const DayRange& range,
                         const std::function<void(Day, DayReportResult&)>& each) {
    const std::optional<ProcessLogDays> processLog = ProcessLogFor(startup, options);
    RunInputs inputs;
    inputs.now = range.now;
    inputs.grace = range.grace;
    inputs.processLog = processLog ? &*processLog : nullptr;
    RangeOutcome outcome;
    for (Day day = range.from; day <= range.to; day += std::chrono::days{1}) {
        DayReportResult result = BuildDayReportWith(startup, options, day, inputs);
        Count(outcome, result);
        each(day, result);
    }
    return outcome;
}

BackfillStep DecideBackfill(Day day, Day today, bool beforeLogsBegin, bool reportKept,
                            bool overwrite) {
    if (day >= today) return BackfillStep::SkipCurrentDay;
    if (beforeLogsBegin) return BackfillStep::BeforeLogsBegin;
    if (reportKept && !overwrite) return BackfillStep::KeepExisting;
    return BackfillStep::Write;
}

RangeOutcome BackfillReports(const StartupState& startup, const ReportOptions& options,
                             Day from, Day to, const BannerInfo& banner,
                             const std::filesystem::path& programDirectory, bool overwrite,
                             const std::function<void(const BackfillDay&)>& each) {
    const std::optional<ProcessLogDays> processLog = ProcessLogFor(startup, options);
    RunInputs inputs;
    inputs.now = std::chrono::floor<std::chrono::minutes>(banner.savedAt);
    inputs.processLog = processLog ? &*processLog : nullptr;
    const Day today = std::chrono::floor<std::chrono::days>(banner.savedAt);

    RangeOutcome outcome;
    for (Day day = from; day <= to; day += std::chrono::days{1}) {
        BackfillDay done;
        done.day = day;
        done.path = ReportFilePath(startup, programDirectory, day);
        done.step = DecideBackfill(day, today, DayBeforeLogsBegin(day, startup.FirstRecord),
                                   IsKeptReport(done.path), overwrite);
        if (done.step == BackfillStep::Write) {
            DayReportResult result = BuildDayReportWith(startup, options, day, inputs);
            Count(outcome, result);
            if (result.error) {
                done.reportError = result.error;
                done.reportErrorPlace = result.errorPlace;
            } else {
                WriteOutcome written =
                    WriteReportFile(done.path, BuildReportText(result.lists, startup, banner));
                done.saveError = std::move(written.failure);
                done.saveWarning = std::move(written.warning);
            }
        }
        each(done);
    }
    return outcome;
}

}  // namespace gapscope
