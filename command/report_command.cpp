#include "command/report_command.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <system_error>

#include "command/report_command_line.h"
#include "files/replace_file.h"
#include "formats/findings_json.h"
#include "formats/monitoring_check.h"
#include "formats/prometheus_metrics.h"
#include "measures/day_measures.h"
#include "measures/range_summary.h"
#include "report/day_range.h"
#include "report/day_report.h"
#include "report/report_file.h"
#include "startup/safe_name.h"
#include "startup/system_text.h"
#include "command/report_picture.h"
#include "pictures/picture_format.h"

namespace gapscope {
namespace {

const char* const kName = "gapscope-report: ";
const char* const kOutOfMemory = "not enough memory to make the report";
// How every metrics file this program writes begins: the first metric's help line.
constexpr std::string_view kMetricsFileStart = "# HELP gapscope_";

// A line of standard output or error as it is printed: names of folders and files, and text
// from the logs, hold no control character that could end it or reach a terminal as an
// escape sequence. Their bytes are the system's: a folder's name need not be UTF-8.
std::string Shown(std::string_view line) { return SafeName(line, NotUtf8::Keep); }

// Thrown to end a range whose output can no longer be written: its other days would be lost.
struct OutputStopped {};

// Sees each day a mode reports, as it reports it (--picture draws them).
using DayObserver = std::function<void(const StartupState&, Day, const DayReportResult&)>;

// One run of the command: what was asked, the surroundings and the two output streams.
struct Run {
    const ReportRequest& request;
    const CommandEnvironment& env;
    std::ostream& out;
    std::ostream& err;
    DayObserver observe = {};
    std::optional<DayRange> range = {};  // the days of --from and --to, once checked
};

StartupLoad LoadStation(const Run& run, const RetryPolicy& retry) {
    // The data directory goes first, where the window expects it.
    StartupInputs inputs;
    if (run.request.dataDirectory) inputs.arguments.push_back(*run.request.dataDirectory);
    inputs.arguments.insert(inputs.arguments.end(), run.request.switches.begin(),
                            run.request.switches.end());
    inputs.programDirectory = run.env.programDirectory;
    inputs.computerName = run.env.computerName;
    inputs.retry = retry;
    inputs.readLog = run.env.readLog;
    inputs.now = std::chrono::floor<std::chrono::minutes>(run.env.now);
    return LoadStartupState(inputs);
}

Day Yesterday(const Run& run) {
    return std::chrono::floor<std::chrono::days>(run.env.now) - std::chrono::days{1};
}

Day ReportDay(const Run& run) { return run.request.day.value_or(Yesterday(run)); }

// The current minute, for the findings of the current day.
MinuteTime Now(const Run& run) { return std::chrono::floor<std::chrono::minutes>(run.env.now); }

std::chrono::minutes Grace(const Run& run) {
    return run.request.grace ? std::chrono::minutes{*run.request.grace} : kDefaultGrace;
}

// What every report run of the command takes besides the day: the current minute and grace.
RunInputs Inputs(const Run& run) {
    return RunInputs{Now(run), nullptr, Grace(run)};
}

ReportOptions Options(const Run& run) {
    ReportOptions options;
    if (!run.request.defaults && run.env.storedOptions) options = run.env.storedOptions();
    options.decontaminating = false;
    for (const auto& [field, value] : run.request.settings) options.*(field.member) = value;
    return options;
}

// A bad mask, said on standard error with where it is.
void TellFailure(const Run& run, const DayReportResult& result) {
    run.err << kName << Shown(*result.error) << "\n";
    if (result.errorPlace) run.err << kName << Shown(*result.errorPlace) << "\n";
}

BannerInfo Banner(const Run& run, const StartupLoad& station) {
    return BannerInfo{run.env.versionText, station.state.ComputerName, run.env.now};
}

DocumentFacts Facts(const Run& run, const StartupLoad& station) {
    return DocumentFacts{run.env.versionText, station.state.ComputerName};
}

// The day's report; a bad mask that stopped it is said on standard error, with where the
// mask is. Only a day that was reported is observed.
DayReportResult BuildDay(const Run& run, const StartupLoad& station) {
    DayReportResult result =
        BuildDayReportWith(station.state, Options(run), ReportDay(run), Inputs(run));
    if (result.error) {
        TellFailure(run, result);
    } else if (run.observe) {
        run.observe(station.state, ReportDay(run), result);
    }
    return result;
}

// The report's lines, or nothing when a bad mask stopped the run.
std::optional<Lines> MakeReport(const Run& run, const StartupLoad& station) {
    DayReportResult result = BuildDay(run, station);
    if (result.error) return std::nullopt;
    return BuildReportText(result.lists, station.state, Banner(run, station));
}

// The days of a range, or the reason they make none.
std::optional<DayRange> RangeDays(const Run& run, std::string& error) {
    const DayRange range{*run.request.from, run.request.to.value_or(Yesterday(run)), Now(run),
                         Grace(run)};
    if (range.from > range.to) {
        error = "--from " + IsoDate(range.from) + " is after " +
                (run.request.to ? "--to " : "yesterday, ") + IsoDate(range.to);
        return std::nullopt;
    }
    return range;
}

int BadUsage(std::ostream& err, const std::string& problem) {
    err << kName << Shown(problem) << "\n"
        << ReportUsage() << "Try 'gapscope-report --help' for the options and exit statuses.\n";
    return kExitBadUsage;
}

// The station; nothing when its data cannot be read, and then `problem` says why in the same
// words in every mode: a report built from nothing is never reported. A run that writes
// without a person watching waits for a busy log; a printed one tries each log once.
std::optional<StartupLoad> LoadData(const Run& run, const RetryPolicy& retry,
                                    std::string& problem) {
    StartupLoad station = LoadStation(run, retry);
    if (auto unreadable = UnattendedDataProblem(run.request.dataDirectory, station)) {
        problem = std::move(*unreadable);
        return std::nullopt;
    }
    return station;
}

// The modes. Each one is a function of the run (and of the station, loaded as its row in the
// mode table says) that returns the exit status.

// A person (or a pipe) reads the report.
int PrintReport(const Run& run, const StartupLoad& station) {
    if (run.request.json) {
        const DayReportResult result = BuildDay(run, station);
        run.out << JsonLine(RunDocument(result, Facts(run, station))) << '\n';
        return result.error ? kExitReportFailed : kExitDone;
    }
    const auto text = MakeReport(run, station);
    if (!text) return kExitReportFailed;
    for (const std::string& line : *text) run.out << line << '\n';
    return kExitDone;
}

// Each day of a range: a summary line each and the totals, or one JSON document per line.
// Each day leaves as soon as it is made, so that a long range needs no more memory than a day.
int PrintRange(const Run& run, const StartupLoad& station) {
    const DocumentFacts facts = Facts(run, station);
    if (!run.request.json) run.out << RangeSummaryHeading() << '\n';
    const auto each = [&](Day day, DayReportResult& r) {
        if (run.observe) run.observe(station.state, day, r);
        if (run.request.json) {
            run.out << JsonLine(RunDocument(r, facts)) << '\n';
        } else if (r.error) {
            run.out << Shown(RangeErrorLine(day, *r.error, r.errorPlace.value_or(""))) << '\n';
        } else {
            run.out << RangeDayLine(r.findings) << '\n';
        }
        if (!run.out.flush()) throw OutputStopped{};
    };
    RangeOutcome outcome;
    try {
        outcome = RunDayRange(station.state, Options(run), *run.range, each);
    } catch (const OutputStopped&) {
        return kExitSaveFailed;
    }
    if (!run.request.json) run.out << RangeTotalsLine(outcome.totals, outcome.failed) << '\n';
    return outcome.failed > 0 ? kExitReportFailed : kExitDone;
}

// Nobody may be watching: a report of a day not begun, or of a day before the logs begin, is
// not saved at all.
int SaveReport(const Run& run, const StartupLoad& station) {
    if (const auto refused = RefuseSave(std::nullopt, station.state, ReportDay(run), Now(run))) {
        run.err << kName << Shown(refused->line) << "\n";
        return refused->status;
    }
    const auto text = MakeReport(run, station);
    if (!text) return kExitReportFailed;
    const auto path = ReportFilePath(station.state, run.env.programDirectory, ReportDay(run));
    const WriteOutcome written = WriteReportFile(path, *text, run.env.saveRetry);
    if (written.failure) {
        run.err << kName << "the report could not be saved: " << Shown(*written.failure) << "\n";
        return kExitSaveFailed;
    }
    if (written.warning) run.err << kName << "warning: " << Shown(*written.warning) << "\n";
    if (!run.request.quiet) run.out << "Report saved to: " << Shown(TextOfPath(path)) << "\n";
    return kExitDone;
}

// The report files of the days of a range that have none, as single-day saves write them;
// the current day has none yet. The first failure gives the status; the range goes on.
int SaveRange(const Run& run, const StartupLoad& station) {
    int status = kExitDone;
    BackfillReports(station.state, Options(run), run.range->from, run.range->to, Banner(run, station),
                    run.env.programDirectory, run.request.overwrite, [&](const BackfillDay& d) {
        if (d.reportError) {
            run.err << kName << IsoDate(d.day) << ": " << Shown(*d.reportError) << "\n";
            if (d.reportErrorPlace) run.err << kName << Shown(*d.reportErrorPlace) << "\n";
            if (status == kExitDone) status = kExitReportFailed;
        } else if (d.saveError) {
            run.err << kName << "the report could not be saved: " << Shown(*d.saveError) << "\n";
            if (status == kExitDone) status = kExitSaveFailed;
        } else {
            if (d.saveWarning) run.err << kName << "warning: " << Shown(*d.saveWarning) << "\n";
            if (run.request.quiet) return;
            switch (d.step) {
                case BackfillStep::Write:
                    run.out << "Report saved to: " << Shown(TextOfPath(d.path)) << "\n";
                    break;
                case BackfillStep::KeepExisting:
                    run.out << "Report kept: " << Shown(TextOfPath(d.path)) << " (--overwrite writes over it)\n";
                    break;
                case BackfillStep::SkipCurrentDay:
                    run.out << "No report yet: " << IsoDate(d.day) << " is not over\n";
                    break;
                case BackfillStep::BeforeLogsBegin:
                    run.out << "No report: " << IsoDate(d.day) << " is before the logs begin\n";
                    break;
            }
        }
    });
    return status;
}

// A mode of the command. Most need the station's data readable: the command loads it for
// them, printed runs trying each log once and unattended ones waiting for a busy log. The
// check says every problem on its one line, so it loads the station itself.
enum class Reading { Printed, Unattended, ByTheMode };
struct Mode {
    ModeOptions options;
    Reading reading;
    int (*run)(const Run&, const StartupLoad&) = nullptr;
    int (*runAlone)(const Run&) = nullptr;  // Reading::ByTheMode
};

// A range that ends before it begins is bad usage, said before any log is read. Data that
// cannot be read ends every mode that loads through here with status 4, in the same words.
int RunMode(const Mode& mode, Run run) {
    if (mode.reading == Reading::ByTheMode) return mode.runAlone(run);
    std::string problem;
    if (run.request.from) {
        run.range = RangeDays(run, problem);
        if (!run.range) return BadUsage(run.err, problem);
    }
    const RetryPolicy retry = mode.reading == Reading::Unattended ? run.env.busyRetry : RetryPolicy{};
    const auto station = LoadData(run, retry, problem);
    if (!station) {
        run.err << kName << Shown(problem) << "\n";
        return kExitDataUnreadable;
    }
    return mode.run(run, *station);
}

// --picture: the print or range mode as it is, then the picture of the days it reported
// (the timeline of the day, the heat map of the range). No picture of a run that reported
// nothing (bad usage, a day whose report failed).
int WithPicture(const Run& run, const Mode& mode) {
    RunPicture picture(run.request.from.has_value(), run.env.versionText);
    const Run observed{run.request, run.env, run.out, run.err,
                       [&](const StartupState& station, Day day, const DayReportResult& result) {
                           picture.Add(station, day, result);
                       }};
    const int status = RunMode(mode, observed);
    if (picture.Empty()) return status;
    if (const auto problem = picture.Write(*run.request.picture, run.env.pictureProgram)) {
        run.err << kName << "cannot write the picture: " << Shown(*problem) << "\n";
        return status == kExitDone ? kExitSaveFailed : status;
    }
    return status;
}

// ---- Monitoring ----------------------------------------------------------------------------

// Watching live, the cycles are judged up to now less the grace even across midnight, so that
// the last cycles of the day before are not called missing while still on their way.
RunInputs MonitoredInputs(const Run& run) {
    if (!run.request.today) return Inputs(run);
    return RunInputs{Now(run) - Grace(run), nullptr, std::chrono::minutes{0}};
}

// Watching live (--day today), the day is the UTC day of the grace period and an hour before
// now: a cycle lost just before midnight stays counted for an hour after it is due, long
// enough for a monitoring system to reach a hard state, before the new day takes over.
Day MonitoredDay(const Run& run) {
    if (!run.request.today) return ReportDay(run);
    return std::chrono::floor<std::chrono::days>(Now(run) - Grace(run) - std::chrono::hours{1});
}

int TellCheck(std::ostream& out, const CheckResult& result) {
    out << result.line << '\n';
    return static_cast<int>(result.state);
}

// A monitoring system reads one line and the status: every problem is said there, as UNKNOWN.
int CheckDay(const Run& run) {
    Thresholds thresholds = DefaultThresholds();
    auto bad = SetThresholds(run.request.warning, false, thresholds);
    if (!bad) bad = SetThresholds(run.request.critical, true, thresholds);
    if (bad) return TellCheck(run.out, UnknownCheck("bad usage: " + *bad));
    std::string unreadable;
    const auto station = LoadData(run, run.env.busyRetry, unreadable);
    if (!station) return TellCheck(run.out, UnknownCheck(unreadable));
    const Day day = MonitoredDay(run);
    const DayReportResult result =
        BuildDayReportWith(station->state, Options(run), day, MonitoredInputs(run));
    if (result.error) {
        std::string reason = IsoDate(day) + ": " + *result.error;
        if (result.errorPlace) reason += " (" + *result.errorPlace + ")";
        return TellCheck(run.out, UnknownCheck(reason));
    }
    const DayCheck check = CheckOf(result.findings, run.request.today,
                                   NewestSegRecord(*station), run.env.now);
    return TellCheck(run.out, JudgeDay(check, thresholds));
}

// The day's counts for Prometheus. Like a save, it refuses data that cannot be read rather
// than hand on counts in which everything is missing.
int WriteMetrics(const Run& run, const StartupLoad& station) {
    const DayReportResult result =
        BuildDayReportWith(station.state, Options(run), MonitoredDay(run), MonitoredInputs(run));
    if (result.error) {
        TellFailure(run, result);
        return kExitReportFailed;
    }
    const DayMeasures measures = MeasureDay(result.findings);
    const std::string text = PrometheusMetrics(
        MetricsInput{run.request.station.value_or(station.state.ComputerName), result.findings,
                     measures, NewestSegRecord(station), run.env.versionText,
                     run.env.now});
    if (!run.request.metricsFile) {
        run.out << text;
        return kExitDone;
    }
    // The temporary file is hidden and lacks the .prom ending, so the collector never reads it.
    // A file in the place is replaced only if it holds metrics as these begin.
    const WriteOutcome written =
        WriteFile(PathFromText(*run.request.metricsFile), text, WriteRules{{}, kMetricsFileStart});
    if (written.failure) {
        run.err << kName << "the metrics could not be written: " << Shown(*written.failure) << "\n";
        return kExitSaveFailed;
    }
    if (written.warning) run.err << kName << "warning: " << Shown(*written.warning) << "\n";
    return kExitDone;
}

// Which options go together: a mode is asked for by its options (printing by none) and
// takes the options listed beside it; any other option with it is bad usage. DATA_DIR and
// the switches go with every mode. The --help text shows this table.
const Mode kModes[] = {
    {{"print", {}, {"--day", "--set", "--defaults", "--format", "--now", "--grace", "--picture"}},
     Reading::Printed, PrintReport},
    {{"save", {"--save"}, {"--day", "--set", "--defaults", "--quiet", "--now", "--grace"}},
     Reading::Unattended, SaveReport},
    {{"range",
      {"--from"},
      {"--to", "--set", "--defaults", "--format", "--now", "--grace", "--picture"}},
     Reading::Printed, PrintRange},
    {{"back-fill",
      {"--from", "--save"},
      {"--to", "--set", "--defaults", "--quiet", "--overwrite", "--now", "--grace"}},
     Reading::Unattended, SaveRange},
    {{"check",
      {"--check"},
      {"--day", "--set", "--defaults", "--grace", "--warning", "--critical", "--now"}},
     Reading::ByTheMode, nullptr, CheckDay},
    {{"metrics",
      {"--format prometheus"},
      {"--day", "--set", "--defaults", "--grace", "--station", "--metrics-file", "--now"}},
     Reading::Unattended, WriteMetrics},
};

bool Has(const std::vector<std::string_view>& options, std::string_view option) {
    return std::find(options.begin(), options.end(), option) != options.end();
}

bool Takes(const Mode& mode, std::string_view option) {
    return Has(mode.options.askedBy, option) || Has(mode.options.takes, option);
}

// Whether the option asks for some mode.
bool AsksForAMode(std::string_view option) {
    for (const Mode& mode : kModes) {
        if (Has(mode.options.askedBy, option)) return true;
    }
    return false;
}

// The mode as usage errors name it.
std::string ModeName(const Mode& mode) {
    if (mode.options.askedBy.empty()) return "the printed report";
    return JoinedOptions(mode.options.askedBy);
}

const Mode* ChooseMode(const ReportRequest& request, std::string& error) {
    std::vector<std::string_view> asked;
    for (const std::string& option : request.given) {
        if (AsksForAMode(option)) asked.push_back(option);
    }
    const Mode* chosen = nullptr;
    for (const Mode& mode : kModes) {
        const std::vector<std::string_view>& askedBy = mode.options.askedBy;
        const bool same = askedBy.size() == asked.size() &&
                          std::all_of(asked.begin(), asked.end(),
                                      [&](std::string_view o) { return Has(askedBy, o); });
        if (same) chosen = &mode;
    }
    if (!chosen) {
        error.clear();
        for (std::string_view option : asked) {
            if (!error.empty()) error += " and ";
            error += option;
        }
        error += " do not go together";
        return nullptr;
    }
    for (const std::string& option : request.given) {
        if (Takes(*chosen, option)) continue;
        std::vector<std::string> with;
        for (const Mode& mode : kModes) {
            if (Takes(mode, option)) with.push_back(ModeName(mode));
        }
        // "A or B", "A, B or C".
        error = option + " only goes with ";
        for (std::size_t i = 0; i < with.size(); ++i) {
            error += i == 0 ? "" : i + 1 == with.size() ? " or " : ", ";
            error += with[i];
        }
        return nullptr;
    }
    return chosen;
}

// A check's usage errors are UNKNOWN, on its one line, for the monitoring system to show.
bool AsksForACheck(const std::vector<std::string>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const std::string& a) {
        return a == "--check" || a.starts_with("--check=");
    });
}

int CheckBadUsage(std::ostream& out, const std::string& problem) {
    return TellCheck(out, UnknownCheck("bad usage: " + problem));
}

}  // namespace

std::vector<ModeOptions> ReportModes() {
    std::vector<ModeOptions> modes;
    for (const Mode& mode : kModes) modes.push_back(mode.options);
    return modes;
}

int RunReportCommand(const std::vector<std::string>& arguments, const CommandEnvironment& env,
                     std::ostream& out, std::ostream& err) {
    std::string problem;
    const auto request = ParseReportCommandLine(arguments, problem);
    const bool checking = AsksForACheck(arguments);
    if (!request) return checking ? CheckBadUsage(out, problem) : BadUsage(err, problem);
    if (request->help) {
        out << ReportHelpText(ReportModes());
        return kExitDone;
    }
    if (request->version) {
        out << "gapscope-report " << env.versionText << "\n";
        return kExitDone;
    }
    const Mode* mode = ChooseMode(*request, problem);
    if (!mode) return checking ? CheckBadUsage(out, problem) : BadUsage(err, problem);
    for (const std::string& warning : env.warnings) err << kName << "warning: " << Shown(warning) << "\n";
    // Said once, before any run reads the stored options.
    if (!request->defaults && env.settingsProblem) {
        if (const auto problem = env.settingsProblem())
            err << kName << "warning: " << Shown(*problem) << "\n";
    }
    // --now stands for the clock everywhere: the default days, the banner, the current day.
    CommandEnvironment at = env;
    if (request->now) at.now = std::chrono::sys_seconds{*request->now};
    ReportRequest resolved = *request;
    const Day today = std::chrono::floor<std::chrono::days>(at.now);
    for (const auto& [word, day] : {std::pair{resolved.dayWord, &resolved.day},
                                    std::pair{resolved.fromWord, &resolved.from},
                                    std::pair{resolved.toWord, &resolved.to}}) {
        if (word) *day = DayOfWord(*word, today);
    }
    // A day still to come has no report; nothing is read or written for it.
    for (const auto& [option, day] :
         {std::pair{"--day", resolved.day}, std::pair{"--to", resolved.to}}) {
        if (!day || *day <= today) continue;
        const std::string bad =
            std::string(option) + " " + IsoDate(*day) + " is after today, " + IsoDate(today);
        return checking ? CheckBadUsage(out, bad) : BadUsage(err, bad);
    }
    const Run run{resolved, at, out, err};
    try {
        if (resolved.picture) {
            // Said before the report runs: a run that cannot give the picture asked for is
            // bad usage.
            if (!CanDrawPicture(*resolved.picture, at.pictureProgram)) {
                err << kName << kPicturesNeedWindowPackage << "\n";
                return kExitBadUsage;
            }
            return WithPicture(run, *mode);
        }
        return RunMode(*mode, run);
    } catch (const std::bad_alloc&) {
        // What was written is whole lines and documents; the one being made is not written.
        if (checking) return TellCheck(out, UnknownCheck(kOutOfMemory));
        err << kName << kOutOfMemory << "\n";
        return kExitReportFailed;
    }
}

}  // namespace gapscope
