#include "command/report_command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>

#include "formats/monitoring_check.h"
#include "pictures/picture_format.h"
#include "startup/startup_state.h"

namespace gapscope {
namespace {

const char* const kSynopsis =
    "Usage: gapscope-report [DATA_DIR] [SWITCH ...] [--day YYYY-MM-DD] [--set NAME=0|1 ...]\n"
    "                       [--defaults] [--format text|json | --save [-q]]\n"
    "       gapscope-report [DATA_DIR] [SWITCH ...] --from YYYY-MM-DD [--to YYYY-MM-DD]\n"
    "                       [--set NAME=0|1 ...] [--defaults]\n"
    "                       [--format text|json | --save [--overwrite] [-q]]\n"
    "       gapscope-report [DATA_DIR] [SWITCH ...] --check [--day YYYY-MM-DD|today]\n"
    "                       [--grace MINUTES] [--warning NAME=RANGE ...]\n"
    "                       [--critical NAME=RANGE ...] [--set NAME=0|1 ...] [--defaults]\n"
    "       gapscope-report [DATA_DIR] [SWITCH ...] --format prometheus\n"
    "                       [--day YYYY-MM-DD|today] [--grace MINUTES] [--station NAME]\n"
    "                       [--metrics-file PATH] [--set NAME=0|1 ...] [--defaults]\n"
    "       gapscope-report --help | --version\n";

const char* const kDescriptionAndOptions =
    "\n"
    "Prints the missing-data report of one UTC day for the station whose history logs\n"
    "(SegHistory.log, LateSegHistory.log, FileHistory.log) are in DATA_DIR (default: the\n"
    "program's own directory). DATA_DIR may stand anywhere, after a switch too (the window\n"
    "takes it from the first argument only).\n"
    "\n"
    "  --day YYYY-MM-DD   the report day (default: yesterday, UTC); --day today: the\n"
    "                     current day, so far (with --check and --format prometheus: the\n"
    "                     day of the time less the grace and an hour, watched live);\n"
    "                     --day yesterday; a later day is bad usage\n"
    "  --set NAME=0|1     set one report option for this run (NAME below, letter case\n"
    "                     ignored)\n"
    "  --defaults         start from the design defaults, not this user's stored options\n"
    "  --format text|json the report as text (the default), or its findings as one JSON\n"
    "                     document per day (docs/report.schema.json)\n"
    "  --save             write the dated report file into DATA_DIR instead of printing\n"
    "                     it; a day before the first record of the logs ends the run\n"
    "                     (status 4) instead of saving a report of nothing\n"
    "  -q, --quiet        with --save: print nothing on standard output when all is well\n"
    "  --from YYYY-MM-DD  report each day from this one to --to: one summary line per day\n"
    "                     and the totals, or one JSON document per line; with --save, the\n"
    "                     report file of each day that has none (never of the current day,\n"
    "                     nor of a day before the logs begin)\n"
    "  --to YYYY-MM-DD    the last day of the range (default: yesterday, UTC)\n"
    "                     (today and yesterday, in any letter case, stand for those\n"
    "                     days in --day, --from and --to)\n"
    "  --overwrite        with --from and --save: write the files that exist over\n"
    "  --check            judge the day for a monitoring system (see Check below): one\n"
    "                     line of output, status 0 OK to 3 UNKNOWN\n"
    "  --warning NAME=RANGE, --critical NAME=RANGE\n"
    "                     with --check: the threshold of one measure (see Check below)\n"
    "  --grace MINUTES    on the current day the cycles that start in the last MINUTES\n"
    "                     are not yet due, and no list names them (default 30)\n"
    "  --format prometheus\n"
    "                     the day's counts as Prometheus metrics (text exposition format)\n"
    "  --station NAME     with --format prometheus: the station label (default: the\n"
    "                     computer name)\n"
    "  --metrics-file PATH\n"
    "                     with --format prometheus: write the metrics to PATH (a name\n"
    "                     ending in .prom), replacing it in one step, instead of printing\n"
    "                     them; a file there is replaced only if it holds such metrics\n"
    "  --now YYYY-MM-DDThh:mm\n"
    "                     take this UTC minute as the current time (tests, replays)\n"
    "  -h, --help         print this help\n"
    "  --version          print the version\n"
    "\n";

const char* const kSwitches =
    "Switches as for the window: -neat, -P (parallel scan), -NOFY2C, -NOMPE, -HIM (Himawari\n"
    "report), -NOHIM; -s is accepted and ignored. Only -s and -neat may also start with '/'.\n"
    "\n";

#ifdef _WIN32
const char* const kPictureHelp =
    "Pictures:\n"
    "  --picture FILE     also draw the day as a timeline (with --from, the days as a\n"
    "                     heat map) into FILE, PNG or SVG by its extension; what is\n"
    "                     printed stays the same (status 3 if FILE cannot be written)\n"
    "\n";
#else
const char* const kPictureHelp =
    "Pictures:\n"
    "  --picture FILE     also draw the day as a timeline (with --from, the days as a\n"
    "                     heat map) into FILE, PNG or SVG by its extension; what is\n"
    "                     printed stays the same (status 3 if FILE cannot be written);\n"
    "                     SVG is written by this command, PNG by the window's package\n"
    "                     (gapscope): without that package a PNG ends the run at\n"
    "                     once, saying so (status 2)\n"
    "\n";
#endif

const char* const kExitStatuses =
    "Exit status:\n"
    "  0  done: the report or range was printed, the report saved, the days of a\n"
    "     back-fill saved that had to be (none for a day not over or before the logs\n"
    "     begin), the metrics printed or written\n"
    "  1  the report run failed: a segment mask of the report day is not a hexadecimal\n"
    "     number (standard error names the day, minute key and item); nothing is saved;\n"
    "     in a range, the other days are reported all the same; or not enough memory\n"
    "  2  bad usage, or a --day or --to after the current day; nothing is read\n"
    "  3  the report file (or --metrics-file, --picture) could not be written (also a\n"
    "     read-only report, or a folder, device or FIFO in its place); an earlier report\n"
    "     of that day stays whole; or standard output could not be written\n"
    "  4  in every mode: no such folder, none of the three logs in it, or a log that\n"
    "     cannot be read (a run that saves or writes metrics tries a log held busy again\n"
    "     for about half a minute); nothing is printed or saved. With --save also a day\n"
    "     wholly before the first record of the logs\n"
    "With --check, the monitoring plugins' statuses instead:\n"
    "  0  OK    1  WARNING    2  CRITICAL\n"
    "  3  UNKNOWN: bad usage, no such folder, none of the three logs in it, a log that\n"
    "     cannot be read, or a bad mask (the reason is on the one line of output)\n";

constexpr Day kFirstDay = kFirstGivenDay;
constexpr Day kLastDay = kLastGivenDay;

std::optional<std::string> OutOfRange(const char* option, Day day, const std::string& text) {
    if (day >= kFirstDay && day <= kLastDay) return std::nullopt;
    return std::string(option) + " " + text + " is out of range (" + IsoDate(kFirstDay) + " to " +
           IsoDate(kLastDay) + ")";
}

// A day option's value, or the reason it is none; a word ("today") is left to the command,
// which knows the current time (`word`).
std::optional<Day> DayValue(const CLI::App& app, const char* option, const std::string& text,
                            std::optional<DayWord>& word, std::string& error, bool& bad) {
    if (app.count(option) == 0) return std::nullopt;
    word = DayWordOf(text);
    if (word) return std::nullopt;
    const std::optional<Day> day = ParseIsoDate(text);
    if (!day) {
        error = "not a valid day: '" + text + "' (expected YYYY-MM-DD)";
        bad = true;
    } else if (auto outside = OutOfRange(option, *day, text)) {
        error = *outside;
        bad = true;
        return std::nullopt;
    }
    return day;
}

std::string OptionNames() {
    std::string names;
    for (const OptionField& field : OptionFields()) {
        names += (names.empty() ? "" : ", ") + std::string(field.storedName);
    }
    return names;
}

// One --set NAME=0|1, or the reason it is none.
std::optional<std::pair<OptionField, bool>> ParseSetting(const std::string& text,
                                                         std::string& error) {
    const std::size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const auto field = FindOptionField(name);
    if (!field) {
        error = "unknown option name: '" + name + "' (one of " + OptionNames() + ")";
        return std::nullopt;
    }
    const std::string value = eq == std::string::npos ? "" : text.substr(eq + 1);
    if (value != "0" && value != "1") {
        error = "--set " + name + " needs the value 0 or 1";
        return std::nullopt;
    }
    return std::pair{*field, value == "1"};
}

// CLI11's words for a flag given a value, in the words of the other messages.
std::string Reworded(const CLI::ParseError& e) {
    const std::string text = e.what();
    const std::string_view override = " was given a disallowed flag override";
    if (text.ends_with(override)) {
        const std::string name = text.substr(0, text.size() - override.size());
        return (name.size() == 1 ? "-" : "--") + name + " takes no value";
    }
    return text;
}

// An option's box as the window shows it, and what sets it apart.
std::string BoxCaption(const OptionField& field) {
    std::string caption(field.caption);
    if (!field.stored) caption += " (never stored)";
    if (!field.offered) caption += " (not shown)";
    return caption;
}

// The modes as --help shows them: name, what asks for each, and the options it goes with,
// wrapped at 80 columns under their heading.
std::string ModesTable(const std::vector<ModeOptions>& modes) {
    constexpr std::size_t kAskedColumn = 14, kTakesColumn = 31, kWidth = 80;
    std::string text =
        "Modes (any other combination of options is bad usage, status 2):\n"
        "  mode        asked for by     goes with\n";
    for (const ModeOptions& mode : modes) {
        std::string line = "  " + std::string(mode.name);
        line.resize(kAskedColumn, ' ');
        line += mode.askedBy.empty() ? "(nothing)" : JoinedOptions(mode.askedBy);
        // What asks for the mode may reach into the next column: its options start below.
        if (line.size() >= kTakesColumn) {
            text += line + "\n";
            line.clear();
        }
        line.resize(kTakesColumn, ' ');
        for (std::string_view option : mode.takes) {
            if (line.size() > kTakesColumn && line.size() + 1 + option.size() > kWidth) {
                text += line + "\n";
                line.assign(kTakesColumn, ' ');
            }
            if (line.size() > kTakesColumn) line += ' ';
            line += option;
        }
        text += line + "\n";
    }
    return text + "DATA_DIR and the switches go with every mode.\n\n";
}

// The boxes the window shows, as it lists them (by caption), then those it keeps but no
// longer shows.
std::vector<OptionField> OptionsAsListed() {
    std::vector<OptionField> fields(OptionFields().begin(), OptionFields().end());
    const auto key = [](const OptionField& field) {
        std::string text(field.caption);
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return std::pair(!field.offered, text);
    };
    std::stable_sort(fields.begin(), fields.end(),
                     [&](const OptionField& a, const OptionField& b) { return key(a) < key(b); });
    return fields;
}

}  // namespace

std::optional<DayWord> DayWordOf(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "today") return DayWord::Today;
    if (lower == "yesterday") return DayWord::Yesterday;
    return std::nullopt;
}

Day DayOfWord(DayWord word, Day today) {
    return word == DayWord::Today ? today : today - std::chrono::days{1};
}

std::string JoinedOptions(const std::vector<std::string_view>& options) {
    std::string text;
    for (std::string_view option : options) {
        if (!text.empty()) text += ' ';
        text += option;
    }
    return text;
}

std::string ReportUsage() {
    return kSynopsis;
}

std::string ReportHelpText(const std::vector<ModeOptions>& modes) {
    std::string text = std::string(kSynopsis) + kDescriptionAndOptions + ModesTable(modes) +
                       kSwitches + kPictureHelp;
    text += "NAME for --set, the window's box it stands for, and its design default:\n";
    for (const OptionField& field : OptionsAsListed()) {
        std::string line = "  " + std::string(field.storedName);
        line.resize(27, ' ');
        line += BoxCaption(field);
        line.resize(61, ' ');
        text += line + (field.designDefault ? "1" : "0") + "\n";
    }
    return text + "\n" + CheckHelpText() + "\n" + kExitStatuses;
}

std::optional<ReportRequest> ParseReportCommandLine(const std::vector<std::string>& arguments,
                                                    std::string& error) {
    ReportRequest request;
    std::vector<std::string> rest;
    for (const std::string& argument : arguments) {
        if (IsSwitch(argument)) {
            request.switches.push_back(argument);
        } else if (const auto why = WhyNotASwitch(argument)) {
            error = *why;
            return std::nullopt;
        } else {
            rest.push_back(argument);
        }
    }

    std::string folder, day, from, to, now, format, picture;
    std::vector<std::string> settings;
    std::string grace, station, metricsFile;
    CLI::App app{"", "gapscope-report"};
    app.set_help_flag();
    app.allow_extras();
    app.allow_windows_style_options(false);
    // As with most commands, the last --day counts; a flag takes no value (--save=0 is a
    // mistake, not a way to switch saving off).
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.option_defaults()->disable_flag_override();
    app.add_option("DATA_DIR", folder);
    app.add_option("--day", day)->type_name("YYYY-MM-DD");
    app.add_option("--from", from)->type_name("YYYY-MM-DD");
    app.add_option("--to", to)->type_name("YYYY-MM-DD");
    app.add_option("--now", now)->type_name("YYYY-MM-DDThh:mm");
    app.add_option("--format", format)->type_name("text|json");
    app.add_flag("--overwrite", request.overwrite);
    app.add_option("--set", settings)->type_name("NAME=0|1");
    app.add_flag("--defaults", request.defaults);
    app.add_flag("--save");
    app.add_flag("-q,--quiet", request.quiet);
    app.add_flag("--check");
    app.add_option("--grace", grace)->type_name("MINUTES");
    app.add_option("--warning", request.warning)->type_name("NAME=RANGE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--critical", request.critical)->type_name("NAME=RANGE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--station", station)->type_name("NAME");
    app.add_option("--metrics-file", metricsFile)->type_name("PATH");
    app.add_flag("-h,--help", request.help);
    app.add_flag("--version", request.version);
    app.add_option("--picture", picture)->type_name("FILE");
    try {
        std::reverse(rest.begin(), rest.end());  // CLI11 takes the arguments last first
        app.parse(rest);
    } catch (const CLI::ParseError& e) {
        error = Reworded(e);
        return std::nullopt;
    }
    for (const std::string& extra : app.remaining()) {
        error = extra.starts_with('-') ? "unknown option: '" + extra + "'"
                                       : "more than one data directory: '" + extra + "'";
        return std::nullopt;
    }
    if (app.count("DATA_DIR") > 0) request.dataDirectory = folder;
    for (const CLI::Option* option : app.get_options()) {
        if (option->count() > 0 && option->nonpositional())
            request.given.push_back(option->get_name());
    }
    if (request.help || request.version) return request;

    bool bad = false;
    request.day = DayValue(app, "--day", day, request.dayWord, error, bad);
    request.today = request.dayWord == DayWord::Today;
    if (!bad) request.from = DayValue(app, "--from", from, request.fromWord, error, bad);
    if (!bad) request.to = DayValue(app, "--to", to, request.toWord, error, bad);
    if (bad) return std::nullopt;
    if (app.count("--now") > 0) {
        request.now = ParseIsoMinute(now);
        if (!request.now) {
            error = "not a valid time: '" + now + "' (expected YYYY-MM-DDThh:mm, UTC)";
            return std::nullopt;
        }
        if (auto outside = OutOfRange("--now", std::chrono::floor<std::chrono::days>(*request.now), now)) {
            error = *outside;
            return std::nullopt;
        }
    }
    if (app.count("--format") > 0) {
        if (format != "text" && format != "json" && format != "prometheus") {
            error = "--format takes text, json or prometheus, not '" + format + "'";
            return std::nullopt;
        }
        request.json = format == "json";
        // Metrics are a mode of their own, asked for by this value of --format.
        if (format == "prometheus") {
            std::replace(request.given.begin(), request.given.end(), std::string("--format"),
                         std::string("--format prometheus"));
        }
    }
    if (app.count("--grace") > 0) {
        int minutes = -1;
        const auto [end, ec] = std::from_chars(grace.data(), grace.data() + grace.size(), minutes);
        if (ec != std::errc{} || end != grace.data() + grace.size() || minutes < 0 || minutes > 1440) {
            error = "--grace takes whole minutes from 0 to 1440, not '" + grace + "'";
            return std::nullopt;
        }
        request.grace = minutes;
    }
    if (app.count("--station") > 0) request.station = station;
    if (app.count("--metrics-file") > 0) {
        if (metricsFile.empty()) {
            error = "--metrics-file needs a path";
            return std::nullopt;
        }
        // The node exporter reads no other, and no file of another program is taken for one.
        if (!metricsFile.ends_with(".prom") || metricsFile.ends_with("/.prom")) {
            error = "--metrics-file takes a file name ending in .prom, not '" + metricsFile + "'";
            return std::nullopt;
        }
        request.metricsFile = metricsFile;
    }
    if (app.count("--picture") > 0) {
        if (!pictures::PictureFormatOf(picture)) {
            error = "--picture takes a file name ending in .png or .svg, not '" + picture + "'";
            return std::nullopt;
        }
        request.picture = picture;
    }
    for (const std::string& text : settings) {
        const auto setting = ParseSetting(text, error);
        if (!setting) return std::nullopt;
        request.settings.push_back(*setting);
    }
    return request;
}

}  // namespace gapscope
