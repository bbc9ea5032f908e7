#include "app/report_command.h"

#include <charconv>
#include <system_error>

#include "report/day_report.h"
#include "report/report_file.h"
#include "startup/startup_state.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

const char* const kUsage =
    "Usage: gapscope-report [DATA_DIR] [SWITCH ...] [--day YYYY-MM-DD] [--set NAME=0|1 ...]\n"
    "                       [--defaults] [--save]\n"
    "\n"
    "Prints the missing-data report of one UTC day for the station whose history logs\n"
    "(SegHistory.log, LateSegHistory.log, FileHistory.log) are in DATA_DIR (default: the\n"
    "program's own directory).\n"
    "\n"
    "  --day YYYY-MM-DD   the report day (default: yesterday, UTC)\n"
    "  --set NAME=0|1     set one report option for this run; NAME is a stored option name\n"
    "                     (ReportIncludeLRIT, ReportIncludeFSD, ...) or Decontaminating\n"
    "  --defaults         start from the design defaults, not this user's stored options\n"
    "  --save             write the dated report file into DATA_DIR instead of printing it\n"
    "  --help, --version\n"
    "\n"
    "Switches as for the window: -neat, -P (parallel scan), -NOFY2C, -NOMPE, -HIM (Himawari\n"
    "report), -NOHIM; -s is accepted and ignored.\n"
    "\n"
    "Exit status: 0 done, 1 the report run failed (bad segment mask), 2 bad usage,\n"
    "3 the report file could not be written.\n";

struct Request {
    std::optional<std::string> dataDirectory;
    std::vector<std::string> switches;
    std::optional<Day> day;
    std::vector<std::pair<OptionField, bool>> settings;
    bool defaults = false;
    bool save = false;
    bool help = false;
    bool version = false;
};

std::optional<Day> ParseDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    int y = 0;
    unsigned m = 0, d = 0;
    auto number = [&](std::size_t at, std::size_t len, auto& value) {
        const char* first = text.data() + at;
        const auto [end, ec] = std::from_chars(first, first + len, value);
        return ec == std::errc{} && end == first + len;
    };
    if (!number(0, 4, y) || !number(5, 2, m) || !number(8, 2, d)) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{m},
                                          std::chrono::day{d}};
    if (!ymd.ok()) return std::nullopt;
    return Day{ymd};
}

// Returns an error text, or nothing when the arguments are good.
std::optional<std::string> ParseRequest(const std::vector<std::string>& args, Request& r) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string_view option) -> std::optional<std::string> {
            const std::string prefix = std::string(option) + "=";
            if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        auto is = [&](std::string_view option) {
            return a == option || a.rfind(std::string(option) + "=", 0) == 0;
        };
        if (a == "--help" || a == "-h") {
            r.help = true;
        } else if (a == "--version") {
            r.version = true;
        } else if (a == "--defaults") {
            r.defaults = true;
        } else if (a == "--save") {
            r.save = true;
        } else if (is("--day")) {
            const auto text = value("--day");
            if (!text) return "--day needs a date YYYY-MM-DD";
            r.day = ParseDay(*text);
            if (!r.day) return "not a valid day: '" + *text + "' (expected YYYY-MM-DD)";
        } else if (is("--set")) {
            const auto text = value("--set");
            if (!text) return "--set needs NAME=0 or NAME=1";
            const std::size_t eq = text->find('=');
            const std::string name = text->substr(0, eq);
            const auto field = FindOptionField(name);
            if (!field) return "unknown option name: '" + name + "'";
            const std::string v = eq == std::string::npos ? "" : text->substr(eq + 1);
            if (v != "0" && v != "1") return "--set " + name + " needs the value 0 or 1";
            r.settings.emplace_back(*field, v == "1");
        } else if (IsSwitch(a)) {
            r.switches.push_back(a);
        } else if (a.rfind("--", 0) == 0 || (a.size() > 1 && a[0] == '-')) {
            return "unknown option: '" + a + "'";
        } else if (!r.dataDirectory) {
            r.dataDirectory = a;
        } else {
            return "more than one data directory: '" + a + "'";
        }
    }
    return std::nullopt;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& arguments, const CommandEnvironment& env,
                     std::ostream& out, std::ostream& err) {
    Request request;
    if (const auto problem = ParseRequest(arguments, request)) {
        err << "gapscope-report: " << *problem << "\n" << kUsage;
        return kBadUsage;
    }
    if (request.help) {
        out << kUsage;
        return kDone;
    }
    if (request.version) {
        out << "gapscope-report " << env.versionText << "\n";
        return kDone;
    }
    std::error_code ec;
    if (request.dataDirectory &&
        !std::filesystem::is_directory(PathFromText(*request.dataDirectory), ec)) {
        err << "gapscope-report: not a directory: " << *request.dataDirectory << "\n";
        return kBadUsage;
    }

    // The data directory goes first, where the window expects it.
    StartupInputs inputs;
    if (request.dataDirectory) inputs.arguments.push_back(*request.dataDirectory);
    inputs.arguments.insert(inputs.arguments.end(), request.switches.begin(),
                            request.switches.end());
    inputs.programDirectory = env.programDirectory;
    inputs.computerName = env.computerName;
    StartupResult startup = LoadStartupState(inputs);
    if (!startup.logsLoaded) {
        err << "gapscope-report: warning: a history log in " << startup.state.DataDirectory
            << " could not be read; it and the logs after it are taken as empty\n";
    }

    ReportOptions options;
    if (!request.defaults && env.storedOptions) options = env.storedOptions();
    options.decontaminating = false;
    for (const auto& [field, value] : request.settings) options.*(field.member) = value;

    const Day day = request.day.value_or(
        std::chrono::floor<std::chrono::days>(env.now) - std::chrono::days{1});
    DayReportResult result = BuildDayReport(startup.state, options, day);
    if (result.error) {
        err << *result.error << "\n";
        return kReportFailed;
    }

    const Lines text = BuildReportText(result.lists, startup.state,
                                       BannerInfo{env.versionText, startup.state.ComputerName, env.now});
    if (!request.save) {
        for (const std::string& line : text) out << line << '\n';
        return kDone;
    }
    const std::filesystem::path path = ReportFilePath(startup.state, env.programDirectory, day);
    if (const auto problem = WriteReportFile(path, text, env.saveRetry)) {
        err << "gapscope-report: the report could not be saved: " << *problem << "\n";
        return kSaveFailed;
    }
    out << "Report saved to: " << TextOfPath(path) << "\n";
    return kDone;
}

}  // namespace gapscope
