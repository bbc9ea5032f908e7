// Whether the cost of loading logs and of a report run grows in proportion to the logs,
// whatever junk they hold: each shape is run at two sizes, sixteen times apart, and the
// larger may cost at most kGrossGrowth times the smaller. A quadratic step gives 256;
// caches alone take linear work to a few times 16. Best of several runs, process CPU time.
// Exit status 1 when a shape grows grossly.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "history/day_queries.h"
#include "history/history_log.h"
#include "report/day_report.h"
#include "report/report_file.h"
#include "startup/startup_state.h"

namespace gapscope::bench {
namespace {

constexpr double kGrossGrowth = 100.0;
constexpr int kRuns = 5;
constexpr std::size_t kLarge = 16u << 20;
const Day kDay{std::chrono::year{2024} / 1 / 5};

std::string Repeat(std::string_view unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes) text += unit;
    return text;
}

double BestCpuSeconds(const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const std::clock_t start = std::clock();
        work();
        best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    // A clock tick too coarse to see the small run must not make the ratio huge.
    return std::max(best, 1e-4);
}

// ---- Loading a segment history ------------------------------------------------------------

std::string OneLongLine(std::size_t bytes) {
    static constexpr char kUnit[] = "9=FF,\"x,\0\xC3(\xFF 2024010512,=\"\"7,";
    return "20240105=" + Repeat(std::string_view(kUnit, sizeof kUnit - 1), bytes);
}
std::string LinesWithoutEquals(std::size_t bytes) {
    return Repeat("2024010512 x\n", bytes);
}
std::string OneKeyInEveryCase(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 64);
    for (unsigned i = 0; text.size() < bytes; ++i) {
        std::string key = "abcdefgh-dcp";
        for (unsigned b = 0; b < 8; ++b) {
            if ((i >> b) & 1u) key[b] = static_cast<char>(key[b] - 'a' + 'A');
        }
        text += key + "=x_#\n";
    }
    return text;
}
std::string DistinctKeys(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 64);
    for (unsigned i = 0; text.size() < bytes; ++i) text += std::to_string(i * 2654435761u) + "=9=FF\n";
    return text;
}
std::string LoneCarriageReturns(std::size_t bytes) {
    return Repeat("\r", bytes);
}
std::string LongDigitRuns(std::size_t bytes) {
    return Repeat("20240105202401052024010520240105=", bytes);
}
std::string BrokenUtf16(std::size_t bytes) {
    static constexpr char kUnits[] = "2\0=\0\x00\xD8\x41\0\0\0\r\0\n\0\x00\xDC";
    return "\xFF\xFE" + Repeat(std::string_view(kUnits, sizeof kUnits - 1), bytes) + "x";
}
std::string EightBitText(std::size_t bytes) {
    return Repeat("202401051200=9=\xE9\x80\xFF,\n", bytes);
}

void LoadSegHistory(const std::string& bytes) {
    StartupState state;
    state.SegHistory = HistoryLog::FromBytes(bytes);
    DeriveStartupFlags(state);
    state.SegHistory.ValueOf("202401051200");
    DayInSegHistory(state.SegHistory, kDay);
}

// ---- A report run over a day with junk ------------------------------------------------------

struct Logs {
    std::string seg;
    std::string late;
    std::string files;
    std::string process;
};

std::string Record() {
    std::string record = "P=1,E=1";
    for (int n = 1; n <= 12; ++n) {
        record += ',';
        record += std::to_string(n);
        record += n == 12 ? "=FFFFFF" : "=FF";
    }
    return record;
}

Logs PrimeDay() {
    Logs logs;
    for (int m = 6 * 60; m <= 18 * 60; m += 15) {
        char key[16];
        std::snprintf(key, sizeof key, "20240105%02d%02d", m / 60, m % 60);
        logs.seg += std::string(key) + "=" + Record() + "\r\n";
    }
    logs.late = "202401051215=9=0C,12=C00000\r\n";
    logs.files = "20240105-dcp=xxxx_xxx#x\r\n";
    logs.process = "2024-01-05 02:40:00 save 202401050240-fir\nend\n";
    return logs;
}

// The report reads process.log from dir: PrepareReport writes it there first.
void RunReport(const Logs& logs, const std::filesystem::path& dir) {
    StartupState s;
    s.SegHistory = HistoryLog::FromBytes(logs.seg);
    s.LateSegHistory = HistoryLog::FromBytes(logs.late);
    s.FileHistory = HistoryLog::FromBytes(logs.files);
    DeriveStartupFlags(s);
    s.DataDirectory = (dir / "").string();
    ReportOptions options;
    options.includeLrit = options.hourlyFy2e = options.himawari30min = true;
    options.disableMsg1Mpef = true;
    DayReportResult r = BuildDayReport(s, options, kDay);
    BuildReportText(r.lists, s, BannerInfo{"1", "Station", {}});
}

std::function<void()> PrepareReport(Logs logs, const std::filesystem::path& dir) {
    std::ofstream(dir / "process.log", std::ios::binary | std::ios::trunc) << logs.process;
    return [logs = std::move(logs), dir] { RunReport(logs, dir); };
}

Logs LongRecord(std::size_t n) {
    Logs logs = PrimeDay();
    logs.seg += "202401051900=" + Record() + "," + Repeat("junk=1,x ", n) + "\r\n";
    return logs;
}
Logs LongLateRecord(std::size_t n) {
    Logs logs = PrimeDay();
    logs.late += "202401051900=" + Repeat("27=1,", n) + "9=FF\r\n";
    return logs;
}
Logs UnclosedQuote(std::size_t n) {
    Logs logs = PrimeDay();
    logs.seg += "202401051900=" + Record() + ",\"" + Repeat("a=\"\"b, ", n);
    return logs;
}
Logs LongSequenceString(std::size_t n) {
    Logs logs = PrimeDay();
    logs.files += "20240105-wmo=" + Repeat("x_#\xC3\xA9", n) + "\r\n";
    return logs;
}
Logs LinesWithoutEqualsEverywhere(std::size_t n) {
    Logs logs = PrimeDay();
    const std::string lines = Repeat("2024-01-05 08 x\n", n / 4);
    logs.seg += lines;
    logs.late += lines;
    logs.files += lines;
    logs.process += lines;
    return logs;
}

// prepare makes the input of a size outside the timing and returns the work timed over it.
struct Check {
    const char* name;
    std::size_t large;
    std::function<std::function<void()>(std::size_t)> prepare;
};

double BestCpuSecondsAt(const Check& check, std::size_t n) {
    return BestCpuSeconds(check.prepare(n));
}

}  // namespace
}  // namespace gapscope::bench

int main() {
    using namespace gapscope::bench;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "gapscope-growth-check";
    std::filesystem::create_directories(dir);

    std::vector<Check> checks;
    for (const auto& [name, make] :
         std::vector<std::pair<const char*, std::string (*)(std::size_t)>>{
             {"load: one 16 MB line", OneLongLine},
             {"load: a million lines without =", LinesWithoutEquals},
             {"load: one key in every letter case", OneKeyInEveryCase},
             {"load: a million distinct keys", DistinctKeys},
             {"load: lone CRs", LoneCarriageReturns},
             {"load: long runs of digits", LongDigitRuns},
             {"load: broken UTF-16", BrokenUtf16},
             {"load: 8-bit text", EightBitText}}) {
        checks.push_back({name, kLarge, [make = make](std::size_t n) -> std::function<void()> {
                              return [bytes = make(n)] { LoadSegHistory(bytes); };
                          }});
    }
    // Records are parsed for many look-ups each, so they are tried at a quarter of the size.
    for (const auto& [name, large, make] :
         std::vector<std::tuple<const char*, std::size_t, Logs (*)(std::size_t)>>{
             {"report: a long record of the day", kLarge / 4, LongRecord},
             {"report: a long late record", kLarge / 4, LongLateRecord},
             {"report: a quote that never closes", kLarge / 4, UnclosedQuote},
             {"report: a 16 MB sequence string", kLarge, LongSequenceString},
             {"report: a million lines without =", kLarge, LinesWithoutEqualsEverywhere}}) {
        checks.push_back({name, large, [&dir, make = make](std::size_t n) {
                              return PrepareReport(make(n), dir);
                          }});
    }

    bool gross = false;
    std::printf("%-40s %10s %10s %8s  (bound %.0f)\n", "shape", "small s", "large s", "ratio",
                kGrossGrowth);
    for (const Check& check : checks) {
        const double small = BestCpuSecondsAt(check, check.large / 16);
        const double large = BestCpuSecondsAt(check, check.large);
        const double ratio = large / small;
        std::printf("%-40s %10.4f %10.4f %8.1f%s\n", check.name, small, large, ratio,
                    ratio > kGrossGrowth ? "  GROSS" : "");
        gross = gross || ratio > kGrossGrowth;
    }
    std::filesystem::remove_all(dir);
    return gross ? 1 : 0;
}
