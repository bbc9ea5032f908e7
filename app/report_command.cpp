#include "app/report_command.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "app/report_command_line.h"
#include "report/day_report.h"
#include "report/report_file.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

const char* const kName = "gapscope-report: ";

// One run of the command: what was asked, the surroundings and the two output streams.
struct Run {
    const ReportRequest& request;
    const CommandEnvironment& env;
    std::ostream& out;
    std::ostream& err;
};

StartupLoad LoadStation(const Run& run, const RetryPolicy& retry) {
    // The data directory goes first, where the window expects it.
    StartupInputs inputs;
    if (run.request.dataDirectory) inputs.arguments.push_back(*run.request.dataDirectory);
    inputs.arguments.insert(inputs.arguments.end(), run.request.switches.begin(),
                            run.request.switches.end());
    inputs.programDirectory = run.env.programDirectory;
    inputs.retry = retry;
    inputs.readLog = run.env.readLog;
    StartupLoad station = LoadStartupState(inputs);
    station.state.ComputerName =
        NormaliseComputerName(run.env.computerName.value_or(std::string{}));
    return station;
}

Day ReportDay(const Run& run) {
    return run.request.day.value_or(std::chrono::floor<std::chrono::days>(run.env.now) -
                                    std::chrono::days{1});
}

// The report's lines, or nothing when a bad mask stopped the run (said on standard error,
// with where the mask is).
std::optional<Lines> MakeReport(const Run& run, const StartupLoad& station) {
    ReportOptions options;
    if (!run.request.defaults && run.env.storedOptions) options = run.env.storedOptions();
    options.decontaminating = false;
    for (const auto& [field, value] : run.request.settings) options.*(field.member) = value;

    DayReportResult result = BuildDayReport(station.state, options, ReportDay(run));
    if (result.error) {
        run.err << kName << *result.error << "\n";
        if (result.errorPlace) run.err << kName << *result.errorPlace << "\n";
        return std::nullopt;
    }
    return BuildReportText(
        result.lists, station.state,
        BannerInfo{run.env.versionText, station.state.ComputerName, run.env.now});
}

// The modes. Each one is a function of the run that returns the exit status.

// A person (or a pipe) reads the report: data that cannot be read is warned about, and
// the report of what could be read is printed all the same.
int PrintReport(const Run& run) {
    std::error_code error;
    const auto& folder = run.request.dataDirectory;
    if (folder && !std::filesystem::is_directory(PathFromText(*folder), error)) {
        run.err << kName << "not a directory: " << *folder << "\n";
        return kExitBadUsage;
    }
    const StartupLoad station = LoadStation(run, RetryPolicy{});
    if (!station.logsLoaded) {
        run.err << kName << "warning: a history log in " << station.state.DataDirectory
                << " could not be read; it and the logs after it are taken as empty\n";
    } else if (const auto problem = UnattendedDataProblem(folder, station)) {
        run.err << kName << "warning: " << *problem << "\n";
    }
    const auto text = MakeReport(run, station);
    if (!text) return kExitReportFailed;
    for (const std::string& line : *text) run.out << line << '\n';
    return kExitDone;
}

// Nobody may be watching: a report of data that could not be read is not saved at all.
int SaveReport(const Run& run) {
    const StartupLoad station = LoadStation(run, run.env.busyRetry);
    if (const auto problem = UnattendedDataProblem(run.request.dataDirectory, station)) {
        run.err << kName << *problem << "\n";
        return kExitDataUnreadable;
    }
    const auto text = MakeReport(run, station);
    if (!text) return kExitReportFailed;
    const auto path = ReportFilePath(station.state, run.env.programDirectory, ReportDay(run));
    if (const auto problem = WriteReportFile(path, *text, run.env.saveRetry)) {
        run.err << kName << "the report could not be saved: " << *problem << "\n";
        return kExitSaveFailed;
    }
    if (!run.request.quiet) run.out << "Report saved to: " << TextOfPath(path) << "\n";
    return kExitDone;
}

// Which options go together: a mode is asked for by its option (printing by none) and
// takes the options listed beside it; any other option with it is bad usage. DATA_DIR and
// the switches go with every mode.
struct Mode {
    std::string_view askedBy;
    std::vector<std::string_view> takes;
    int (*run)(const Run&);
};

const Mode kModes[] = {
    {"", {"--day", "--set", "--defaults"}, PrintReport},
    {"--save", {"--day", "--set", "--defaults", "--quiet"}, SaveReport},
};

bool Takes(const Mode& mode, std::string_view option) {
    return option == mode.askedBy ||
           std::find(mode.takes.begin(), mode.takes.end(), option) != mode.takes.end();
}

const Mode* ChooseMode(const ReportRequest& request, std::string& error) {
    const Mode* chosen = &kModes[0];
    for (const Mode& mode : kModes) {
        if (mode.askedBy.empty() || !request.Has(mode.askedBy)) continue;
        if (!chosen->askedBy.empty()) {
            error = std::string(chosen->askedBy) + " and " + std::string(mode.askedBy) +
                    " do not go together";
            return nullptr;
        }
        chosen = &mode;
    }
    for (const std::string& option : request.given) {
        if (Takes(*chosen, option)) continue;
        std::string with;
        for (const Mode& mode : kModes) {
            if (!Takes(mode, option)) continue;
            with += with.empty() ? "" : " or ";
            with += mode.askedBy.empty() ? "the printed report" : mode.askedBy;
        }
        error = option + " only goes with " + with;
        return nullptr;
    }
    return chosen;
}

int BadUsage(std::ostream& err, const std::string& problem) {
    err << kName << problem << "\n"
        << ReportUsage() << "Try 'gapscope-report --help' for the options and exit statuses.\n";
    return kExitBadUsage;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& arguments, const CommandEnvironment& env,
                     std::ostream& out, std::ostream& err) {
    std::string problem;
    const auto request = ParseReportCommandLine(arguments, problem);
    if (!request) return BadUsage(err, problem);
    if (request->help) {
        out << ReportHelpText();
        return kExitDone;
    }
    if (request->version) {
        out << "gapscope-report " << env.versionText << "\n";
        return kExitDone;
    }
    const Mode* mode = ChooseMode(*request, problem);
    if (!mode) return BadUsage(err, problem);
    return mode->run(Run{*request, env, out, err});
}

}  // namespace gapscope
