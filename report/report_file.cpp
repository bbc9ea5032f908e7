#include "report/report_file.h"

#include <cstdint>
#include <cstdio>

#include "files/small_file.h"
#include "report/judged_minutes.h"
#include "startup/safe_name.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

const char* const kFileSeparator = "__________________________";
const char* const kListSeparator = "_______________________";
// Far more than the report of the worst day holds; anything larger is no report.
constexpr std::uintmax_t kLargestReport = 64 * 1024 * 1024;

// Calls `each` with every line of the text, its line end taken off, until it returns true.
template <typename Each>
bool AnyLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (each(line)) return true;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return false;
}

bool IsBanner(std::string_view line) {
    return (line.starts_with("[Gapscope V") || line.starts_with("[From: Gapscope V")) &&
           line.ends_with(']');
}

// The computer's name on the banner's one line; a Latin-1 name stays as the code page has it.
std::string Banner(const BannerInfo& banner) {
    if (banner.computerName.empty()) return "[From: Gapscope V" + banner.versionText + "]";
    const std::string at = ClockTime(std::chrono::floor<std::chrono::minutes>(banner.savedAt));
    return "[Gapscope V" + banner.versionText + " on PC " +
           SafeName(banner.computerName, NotUtf8::Keep) + " at " + at + " UTC]";
}

const char* FileSuffix(const StartupState& s) {
    if (s.ParallelMode() && s.IsRapidScan()) return "-PAR-RSS-missing-segments.txt";
    if (s.ParallelMode()) return "-PAR-missing-segments.txt";
    if (s.IsRapidScan()) return "-RSS-missing-segments.txt";
    if (s.IsIodc()) return "-IODC-missing-segments.txt";
    if (s.HimawariMode()) return "-Himawari-missing-segments.txt";
    return "-missing-segments.txt";
}

}  // namespace

Lines BuildReportText(DayReport& lists, const StartupState& startup, const BannerInfo& banner) {
    Lines text;
    if (!startup.NeatMode()) text.emplace_back(kFileSeparator);
    if (startup.NeatMode() && startup.HimawariMode()) {
        lists.missingSlots.clear();
        lists.lateSegs.clear();
        lists.missingSegs.clear();
    }
    text.insert(text.end(), lists.missingSlots.begin(), lists.missingSlots.end());
    for (const Lines* list : {&lists.lateSegs, &lists.missingSegs, &lists.missingProduct}) {
        if (startup.NeatMode()) {
            // Only the first list of a neat report keeps its date line.
            auto from = list->begin();
            if (!text.empty() && from != list->end()) ++from;
            text.insert(text.end(), from, list->end());
        } else {
            text.emplace_back();
            text.emplace_back(kListSeparator);
            text.insert(text.end(), list->begin(), list->end());
        }
    }
    if (!startup.NeatMode()) text.emplace_back();
    text.emplace_back();
    text.push_back(Banner(banner));
    text.emplace_back();
    return text;
}

std::filesystem::path ReportFilePath(const StartupState& startup,
                                     const std::filesystem::path& programDirectory, Day day) {
    const std::filesystem::path directory =
        startup.DataDirectory.empty() ? programDirectory : PathFromText(startup.DataDirectory);
    return directory / (IsoDate(day) + FileSuffix(startup));
}

WriteOutcome WriteReportFile(const std::filesystem::path& path, const Lines& lines,
                             const RetryPolicy& retry) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += SystemText(line);
        bytes += "\r\n";
    }
    // The new report is complete on disk before it replaces the old one, so a full disk or
    // a crash mid-write leaves yesterday's good report in place.
    return WriteFile(path, bytes, WriteRules{retry, {}});
}

bool JudgedOnlyPartOfItsDay(std::string_view reportText) {
    return AnyLine(reportText, IsJudgedUpToLine);
}

bool IsKeptReport(const std::filesystem::path& path) {
    // Nothing but a regular file is read: a FIFO put in the report's place would block.
    const std::optional<std::string> text = ReadSmallFile(path, kLargestReport);
    return text && !text->empty() && AnyLine(*text, IsBanner) && !JudgedOnlyPartOfItsDay(*text);
}

}  // namespace gapscope
