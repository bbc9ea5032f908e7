#include "tools/simulator/cli.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <ostream>

#include "history/items.h"
#include "tools/simulator/faults.h"

namespace gapscope::sim {

namespace {

using std::chrono::days;
using std::chrono::floor;
using std::chrono::minutes;

// --service takes the service's key ("rapid") or its name in messages ("rapid-scan").
std::optional<ScanMode> ServiceFromName(std::string_view name) {
    for (const ServiceNames& row : kServiceNames) {
        for (ServiceText form : {ServiceText::Key, ServiceText::Message}) {
            if (EqualsIgnoreCase(name, ServiceName(row.mode, form))) return row.mode;
        }
    }
    return std::nullopt;
}

bool SetFeed(Feeds& feeds, std::string_view name) {
    struct Row {
        std::string_view name;
        bool Feeds::*member;
    };
    static constexpr Row kRows[] = {
        {"lrit", &Feeds::lrit},         {"fsd", &Feeds::fsd},           {"fy2g", &Feeds::fy2g},
        {"fy2e", &Feeds::fy2e},         {"himawari", &Feeds::himawari}, {"mpef", &Feeds::mpef},
        {"messages", &Feeds::messages},
    };
    for (const Row& row : kRows) {
        if (EqualsIgnoreCase(row.name, name)) {
            feeds.*row.member = false;
            return true;
        }
    }
    return false;
}

// The value, or the end of the parse with the reason it is none.
template <typename T>
T Must(std::optional<T> value, const std::string& reason) {
    if (!value) throw CLI::ValidationError(reason);
    return *value;
}

struct Pending {
    std::optional<Day> from;
    std::optional<Day> to;
    std::optional<int> days;
    std::optional<Instant> until;
};

// Fixes the day range from --from, --to, --days and the end of the history.
bool ResolveDays(const Pending& p, Instant now, SimulationConfig& config, std::string& error) {
    if (p.from && p.to && p.days) {
        error = "give at most two of --from, --to and --days";
        return false;
    }
    if (p.days && (*p.days < 1 || *p.days > kMaxDays)) {
        error = "--days takes 1.." + std::to_string(kMaxDays);
        return false;
    }
    config.until = p.until;
    // The day the history ends in: today when it runs up to now, else yesterday.
    const Day endDay = p.until ? floor<days>(*p.until - minutes(1)) : floor<days>(now) - days(1);
    const int n = p.days.value_or(1);
    if (p.from && p.to) {
        config.first = *p.from;
        config.last = *p.to;
    } else if (p.from) {
        config.first = *p.from;
        config.last = p.days ? *p.from + days(n - 1) : std::max(endDay, *p.from);
    } else if (p.to) {
        config.last = *p.to;
        config.first = *p.to - days(n - 1);
    } else if (p.until) {
        // N whole days before the end, and the end day as far as it has gone.
        config.last = endDay;
        config.first = endDay - days(n);
        if (*p.until - Instant(endDay) == days(1)) config.first += days(1);
    } else {
        config.last = endDay;
        config.first = endDay - days(n - 1);
    }
    return true;
}

// The repeatable options --rate, --inject and --no-feed, on top of the scenario's rates.
bool ApplyFaultOptions(const std::vector<std::string>& rates,
                       const std::vector<std::string>& injections,
                       const std::vector<std::string>& feeds, CommandLine& cl, std::string& error) {
    cl.config.rates = FindScenario(cl.scenario)->rates;
    for (const std::string& text : rates) {
        const std::size_t eq = text.find('=');
        const auto kind = FaultKindFromName(text.substr(0, eq));
        const auto r = eq == std::string::npos
                           ? std::nullopt
                           : ParseNumber<double>(std::string_view(text).substr(eq + 1));
        if (!kind || !r || *r < 0 || *r > 100) {
            error =
                "--rate: expected KIND=R with a known kind and 0 <= R <= 100, not '" + text + "'";
            return false;
        }
        if (*r > 1 && !IsDayFault(*kind) && *kind != FaultKind::Fsd) {
            error = "--rate " + std::string(FaultKindName(*kind)) + " is a chance, at most 1";
            return false;
        }
        cl.config.rates[*kind] = *r;
    }
    for (const std::string& text : injections) {
        const auto injection = ParseInjection(text, error);
        if (!injection) {
            error = "--inject " + error;
            return false;
        }
        cl.config.injections.push_back(*injection);
    }
    for (const std::string& list : feeds) {
        std::string_view names = list;
        while (true) {
            const std::size_t comma = names.find(',');
            if (!SetFeed(cl.config.feeds, names.substr(0, comma))) {
                error = "--no-feed: unknown feed '" + std::string(names.substr(0, comma)) + "'";
                return false;
            }
            if (comma == std::string_view::npos) break;
            names.remove_prefix(comma + 1);
        }
    }
    return true;
}

// `text` broken into lines of at most 80 columns, each after `indent` blanks; the first
// line goes on after `lead`, which is padded to the indent.
std::string Wrapped(std::string lead, std::string_view text, std::size_t indent) {
    constexpr std::size_t kWidth = 80;
    lead.resize(std::max(lead.size(), indent), ' ');
    std::string out = lead;
    std::size_t column = lead.size();
    bool first = true;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        if (!first && column + 1 + word.size() > kWidth) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
        text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
    }
    return out + "\n";
}

}  // namespace

std::string HelpText() {
    std::string text =
        "Usage: gapscope-simulate DIR [OPTION ...]\n"
        "\n"
        "Writes the history logs of a simulated receiving station into DIR:\n"
        "SegHistory.log, LateSegHistory.log, FileHistory.log and process.log, day by\n"
        "day, as the station's data-management software would. What is disseminated\n"
        "follows the expected-products calendar of each day; faults are drawn at the\n"
        "scenario's rates from the seed, or injected at given times. The same options\n"
        "and seed always give the same logs.\n"
        "\n"
        "Options:\n"
        "  --service SERVICE     prime (default): full disk, plain keys; rapid: rapid\n"
        "                        scan of the northern segments, \"R\" keys; iodc: the\n"
        "                        Indian Ocean service, \"I\" keys\n"
        "  --from YYYY-MM-DD     first day\n"
        "  --to YYYY-MM-DD       last day (default: yesterday, UTC)\n"
        "  --days N              number of days (default 1); with --until-now or\n"
        "                        --until: N whole days before the end day, and the\n"
        "                        end day so far\n"
        "  --until-now           end the history at the current UTC minute\n"
        "  --until YYYY-MM-DDThh:nn\n"
        "                        end the history at that UTC minute\n"
        "  --scenario NAME       fault rates (default typical):\n";
    for (const Scenario& s : Scenarios()) {
        text +=
            Wrapped("                          " + std::string(s.name) + ": ", s.description, 28);
    }
    text +=
        "  --seed N              seed of the fault draws (default 1)\n"
        "  --rate KIND=R         override the scenario's rate of one fault kind\n"
        "  --inject KIND@YYYY-MM-DDThh:nn[:TARGET]\n"
        "                        add one fault at a given time (repeatable);\n"
        "                        day-long kinds take a date only,\n"
        "                        KIND@YYYY-MM-DD[:TARGET]. Without a target one is\n"
        "                        drawn from the seed. Kinds:\n";
    for (int k = 0; k < kFaultKindCount; ++k) {
        const auto kind = static_cast<FaultKind>(k);
        text += Wrapped("                          " + std::string(FaultKindName(kind)),
                        FaultKindHelp(kind), 36);
    }
    text +=
        "                        CHANNEL: a catalogue number (9, 53) or a short name\n"
        "                        (mpe); GROUP: goes-w, goes-e, mtsat, fy2g, fy2e or\n"
        "                        himawari; message kinds: dcp, gts, gts-3, acmad,\n"
        "                        acmad-4, gts-5, wmo, dcp-iodc, wmo-iodc, dcp-wmo-bufr.\n"
        "                        Examples: cycle@2024-03-01T12:15:4\n"
        "                          segments@2024-03-01T06:00:9/3,4\n"
        "                          product@2024-03-01T12:00:crm\n"
        "                          fsd-day@2024-03-01:himawari\n"
        "  --no-feed NAME        the station does not receive NAME: lrit, fsd, fy2g,\n"
        "                        fy2e, himawari, mpef or messages (repeatable, or a\n"
        "                        comma list; by default it receives all of them)\n"
        "  --replace             replace the history logs DIR already holds (without\n"
        "                        it such a DIR is refused); no other file is touched\n"
        "  --list-faults         print every fault written, in the --inject form\n"
        "  --quiet               print nothing else on success\n"
        "  -h, --help            show this help\n"
        "  --version             print the version\n"
        "\n"
        "Exit status: 0 done, 1 the logs or the output could not be written (or an\n"
        "injection cannot happen), 2 a bad command line.\n";
    return text;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, Instant now,
                                            std::string& error) {
    CommandLine cl;
    Pending pending;
    std::string directory;
    std::vector<std::string> rates, injections, feeds;

    CLI::App app{"", "gapscope-simulate"};
    app.set_help_flag();
    app.allow_extras();
    app.allow_windows_style_options(false);
    // The last of a repeated option counts; a flag takes no value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.option_defaults()->disable_flag_override();
    // Each option and what its value does; a bad value ends the parse with its reason.
    const auto option = [&app](const char* name, std::function<void(const std::string&)> use) {
        app.add_option_function<std::string>(name, std::move(use));
    };
    app.add_option("DIR", directory);
    app.add_flag("-h,--help", cl.help);
    app.add_flag("--version", cl.version);
    app.add_flag("--replace", cl.replace);
    app.add_flag("--list-faults", cl.listFaults);
    app.add_flag("--quiet", cl.quiet);
    app.add_flag_callback("--until-now", [&pending, now] { pending.until = now; });
    option("--service", [&cl](const std::string& v) {
        cl.config.service =
            Must(ServiceFromName(v), "unknown service '" + v + "' (prime, rapid or iodc)");
    });
    option("--from", [&pending](const std::string& v) {
        pending.from = Must(ParseIsoDate(v), "--from: '" + v + "' is not a date YYYY-MM-DD");
    });
    option("--to", [&pending](const std::string& v) {
        pending.to = Must(ParseIsoDate(v), "--to: '" + v + "' is not a date YYYY-MM-DD");
    });
    option("--days", [&pending](const std::string& v) {
        pending.days = Must(ParseNumber<int>(v), "--days: '" + v + "' is not a number");
    });
    option("--until", [&pending](const std::string& v) {
        pending.until =
            Must(ParseIsoMinute(v), "--until: '" + v + "' is not a time YYYY-MM-DDThh:nn");
    });
    option("--scenario", [&cl](const std::string& v) {
        Must(FindScenario(v), "unknown scenario '" + v + "' (clean, typical or bad-day)");
        cl.scenario = v;
    });
    option("--seed", [&cl](const std::string& v) {
        cl.config.seed =
            Must(ParseNumber<std::uint64_t>(v), "--seed: '" + v + "' is not a whole number");
    });
    app.add_option("--rate", rates);
    app.add_option("--inject", injections);
    app.add_option("--no-feed", feeds);
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);  // CLI11 takes the arguments last first
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return std::nullopt;
    }
    for (const std::string& extra : app.remaining()) {
        error = extra.starts_with('-') ? "unknown option " + extra
                                       : "only one directory may be given ('" + extra + "')";
        return std::nullopt;
    }
    if (cl.help || cl.version) return cl;
    if (app.count("DIR") == 0) {
        error = "no directory given";
        return std::nullopt;
    }
    cl.directory = directory;
    if (!ResolveDays(pending, now, cl.config, error)) return std::nullopt;
    return ApplyFaultOptions(rates, injections, feeds, cl, error) ? std::optional(cl)
                                                                  : std::nullopt;
}

int RunSimulateCommand(const std::vector<std::string>& arguments, Instant now, std::ostream& out,
                       std::ostream& err, std::string_view version) {
    std::string error;
    const auto cl = ParseCommandLine(arguments, now, error);
    if (!cl) {
        err << "gapscope-simulate: " << error << "\nTry gapscope-simulate --help.\n";
        return 2;
    }
    if (cl->help) {
        out << HelpText();
        return 0;
    }
    if (cl->version) {
        out << "gapscope-simulate " << version << "\n";
        return 0;
    }
    const DirectoryResult result = SimulateToDirectory(cl->config, cl->directory, cl->replace);
    if (!result.summary) {
        for (const std::string& e : result.errors) err << "gapscope-simulate: " << e << "\n";
        return 1;
    }
    const SimulationSummary& summary = *result.summary;
    if (cl->listFaults) {
        for (const AppliedFault& fault : summary.faults) out << DescribeFault(fault) << "\n";
    }
    if (cl->quiet) return 0;

    out << "Simulated a " << ServiceName(cl->config.service, ServiceText::Message) << " station, "
        << IsoDate(cl->config.first) << " to "
        << IsoDate(cl->config.first + std::chrono::days(summary.days > 0 ? summary.days - 1 : 0))
        << " (" << summary.days << (summary.days == 1 ? " day" : " days") << "), scenario "
        << cl->scenario << ", seed " << cl->config.seed << ", in " << cl->directory.string()
        << "\n";
    for (int f = 0; f < kLogFileCount; ++f) {
        std::string name(LogFileName(static_cast<LogFile>(f)));
        name.resize(20, ' ');
        out << "  " << name << summary.lines[static_cast<std::size_t>(f)] << " lines\n";
    }
    std::string faults;
    for (int k = 0; k < kFaultKindCount; ++k) {
        const std::size_t n = summary.faultCount[static_cast<std::size_t>(k)];
        if (n == 0) continue;
        faults += (faults.empty() ? "" : ", ") +
                  std::string(FaultKindName(static_cast<FaultKind>(k))) + " " + std::to_string(n);
    }
    out << "  faults: " << (faults.empty() ? "none" : faults) << "\n";
    return 0;
}

}  // namespace gapscope::sim
