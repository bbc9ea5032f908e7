// The whole-report target: any three logs, any process.log, any options, switches and day.
// The run may stop only for a bad segment mask, must give the same lists when repeated,
// and must never put a line break inside a report line, which would corrupt the file.
#include <fstream>
#include <system_error>

#include "fuzz/fuzz_inputs.h"
#include "report/day_report.h"
#include "report/report_file.h"

namespace gapscope::fuzz {
namespace {

// Report days from the start of the service into the late 2020s.
constexpr Day kFirstDay{std::chrono::year{2003} / std::chrono::January / 1};
constexpr int kDaySpan = 9131;
// A second run to compare with costs as much as the first; short inputs get it.
constexpr std::size_t kRepeatBelowBytes = 4096;

constexpr std::array<bool Switches::*, 7> kSwitchBits = {
    &Switches::neat,     &Switches::parallel,   &Switches::noFy2c, &Switches::noMpe,
    &Switches::himawari, &Switches::noHimawari, &Switches::autoRun};

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string ExpandDay(std::string_view part, Day day) {
    return ReplaceAll(ReplaceAll(std::string(part), "%D", CompactDate(day)), "%I", IsoDate(day));
}

std::string UnexpandDay(std::string text, Day day) {
    return ReplaceAll(ReplaceAll(std::move(text), IsoDate(day), "%I"), CompactDate(day), "%D");
}

bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Finding CheckListShape(const Lines& list, const char* name) {
    if (list.size() < 3 || list[0].rfind("Date: ", 0) != 0 || !list[1].empty() || list[2].empty()) {
        return std::string(name) + " does not start with its date line, an empty line and a title";
    }
    for (const std::string& line : list) {
        if (line.find_first_of("\r\n") != std::string::npos) {
            return std::string(name) + " holds a line break inside a line";
        }
    }
    return std::nullopt;
}

Finding CheckError(const std::string& error) {
    const std::string_view tail = "'' is not a valid integer value";
    if (error.rfind("''$", 0) != 0 || error.size() < 3 + tail.size() ||
        error.compare(error.size() - tail.size(), tail.size(), tail) != 0) {
        return "the run stopped with a message other than the bad-mask one: " +
               error.substr(0, 200);
    }
    return std::nullopt;
}

}  // namespace

DayReportInput DecodeDayReportInput(std::string_view bytes) {
    std::array<unsigned char, kHeaderBytes> header{};
    for (std::size_t i = 0; i < kHeaderBytes && i < bytes.size(); ++i) {
        header[i] = static_cast<unsigned char>(bytes[i]);
    }
    bytes.remove_prefix(std::min(bytes.size(), kHeaderBytes));

    DayReportInput input;
    const unsigned optionBits = header[0] | (header[1] << 8);
    for (std::size_t i = 0; i < OptionFields().size(); ++i) {
        input.options.*(OptionFields()[i].member) = ((optionBits >> i) & 1u) != 0;
    }
    for (std::size_t i = 0; i < kSwitchBits.size(); ++i) {
        input.switches.*kSwitchBits[i] = ((header[2] >> i) & 1u) != 0;
    }
    input.day = kFirstDay + std::chrono::days{(header[3] | (header[4] << 8)) % kDaySpan};

    std::vector<std::string> parts;
    while (parts.size() < 3) {
        const std::size_t at = bytes.find(kPartSeparator);
        if (at == std::string_view::npos) break;
        parts.push_back(ExpandDay(bytes.substr(0, at), input.day));
        bytes.remove_prefix(at + kPartSeparator.size());
    }
    parts.push_back(ExpandDay(bytes, input.day));
    input.segHistory = parts[0];
    if (parts.size() > 1) input.lateSegHistory = parts[1];
    if (parts.size() > 2) input.fileHistory = parts[2];
    if (parts.size() > 3) input.processLog = parts[3];
    return input;
}

std::string EncodeDayReportInput(const DayReportInput& input) {
    unsigned optionBits = 0;
    for (std::size_t i = 0; i < OptionFields().size(); ++i) {
        if (input.options.*(OptionFields()[i].member)) optionBits |= 1u << i;
    }
    unsigned switchBits = 0;
    for (std::size_t i = 0; i < kSwitchBits.size(); ++i) {
        if (input.switches.*kSwitchBits[i]) switchBits |= 1u << i;
    }
    const long offset = ((input.day - kFirstDay).count() % kDaySpan + kDaySpan) % kDaySpan;
    const Day day = kFirstDay + std::chrono::days{offset};
    std::string bytes = {static_cast<char>(optionBits & 0xFF), static_cast<char>(optionBits >> 8),
                         static_cast<char>(switchBits), static_cast<char>(offset & 0xFF),
                         static_cast<char>(offset >> 8)};
    bytes += UnexpandDay(input.segHistory, day);
    bytes += kPartSeparator;
    bytes += UnexpandDay(input.lateSegHistory, day);
    bytes += kPartSeparator;
    bytes += UnexpandDay(input.fileHistory, day);
    if (input.processLog) {
        bytes += kPartSeparator;
        bytes += UnexpandDay(*input.processLog, day);
    }
    return bytes;
}

Finding CheckDayReportInput(std::string_view bytes, const std::filesystem::path& scratchDirectory) {
    const DayReportInput input = DecodeDayReportInput(bytes);

    const std::filesystem::path processLog = scratchDirectory / "process.log";
    std::error_code ignored;
    std::filesystem::remove(processLog, ignored);
    if (input.processLog && !WriteFile(processLog, *input.processLog)) {
        return "cannot write " + processLog.string();
    }

    StartupState state;
    state.DataDirectory = (scratchDirectory / "").string();
    state.ComputerName = "Fuzz";
    state.SegHistory = HistoryLog::FromBytes(input.segHistory);
    state.LateSegHistory = HistoryLog::FromBytes(input.lateSegHistory);
    state.FileHistory = HistoryLog::FromBytes(input.fileHistory);
    state.switches = input.switches;
    DeriveStartupFlags(state);

    DayReportResult result = BuildDayReport(state, input.options, input.day);
    if (bytes.size() < kRepeatBelowBytes) {
        const DayReportResult again = BuildDayReport(state, input.options, input.day);
        if (again.lists != result.lists || again.error != result.error) {
            return "two runs over the same inputs gave different reports";
        }
    }
    if (result.error) {
        if (Finding f = CheckError(*result.error)) return f;
    }
    if (Finding f = CheckListShape(result.lists.missingSegs, "missing segments")) return f;
    if (Finding f = CheckListShape(result.lists.missingProduct, "missing products")) return f;
    if (Finding f = CheckListShape(result.lists.lateSegs, "late segments")) return f;
    if (Finding f = CheckListShape(result.lists.missingSlots, "missing cycles")) return f;
    if (result.error) return std::nullopt;

    const Lines text = BuildReportText(result.lists, state, BannerInfo{"0.0", "Fuzz", {}});
    for (const std::string& line : text) {
        if (line.find_first_of("\r\n") != std::string::npos)
            return "the report text holds a broken line";
    }
    return std::nullopt;
}

}  // namespace gapscope::fuzz
