#include "formats/monitoring_check.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "startup/safe_name.h"

namespace gapscope {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct MeasureInfo {
    Measure measure;
    const char* label;    // in the performance data and in --warning/--critical
    const char* unit;     // the plugins' unit of measure: "" (a count), "%", "s"
    const char* warning;  // default ranges; "" for none
    const char* critical;
    const char* help;
};

// The defaults keep an ordinary station OK on an ordinary day: it loses a few sequence
// numbers and stray segments, but not a cycle, a whole channel, a product or more than 1% of
// its segments; four cycles (an hour), a channel lost in four cycles in a row, or an hour
// without a record, is critical. Plain numbers, which every graph writer keeps.
constexpr MeasureInfo kMeasures[kMeasureCount] = {
    {Measure::MissingCycles, "missing_cycles", "", "0", "", "repeat cycles of which nothing came"},
    {Measure::ConsecutiveMissingCycles, "consecutive_missing_cycles", "", "", "3",
     "the most missing cycles in a row"},
    {Measure::MissingChannels, "missing_channels", "", "", "",
     "channels and files incomplete or missing"},
    {Measure::MissingWholeChannels, "missing_whole_channels", "", "0", "",
     "those of which nothing came"},
    {Measure::ConsecutiveMissingWholeChannel, "consecutive_missing_whole_channel", "", "", "3",
     "the most cycles in a row one channel or file was missing whole"},
    {Measure::MissingSegments, "missing_segments", "", "", "", "their missing segments"},
    {Measure::MissingSegmentsPercent, "missing_segments_percent", "%", "1", "",
     "those, per cent of the segments due (1: more than 1%)"},
    {Measure::LateSegments, "late_segments", "", "", "", "segments that came late"},
    {Measure::MissingProducts, "missing_products", "", "0", "", "MPEF products missing"},
    {Measure::MissingSequenceNumbers, "missing_sequence_numbers", "", "", "",
     "DCP and MDD sequence numbers missing"},
    {Measure::LastRecordAge, "last_record_age", "s", "", "3600",
     "seconds since the newest segment record"},
    {Measure::RecordsAfterNow, "records_after_now", "", "0", "",
     "segment records stamped more than 15 minutes after now"},
};

// The largest threshold: every measure (a count, a share, an age in seconds) stays far
// below it, and every number up to it converts and prints exactly.
constexpr double kLargestThreshold = 1e15;

enum class Written { kNumber, kTooLarge, kNoNumber };

// A number as the guidelines write them: digits, an optional sign and decimal point; no
// exponent, no "inf" or "nan"; at most kLargestThreshold either way.
Written ReadNumber(std::string_view text, double& value) {
    std::size_t digits = 0, points = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else if (!(i == 0 && (c == '-' || c == '+'))) {
            return Written::kNoNumber;
        }
    }
    if (digits == 0 || points > 1) return Written::kNoNumber;
    if (text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return Written::kTooLarge;
    if (error != std::errc{} || end != text.data() + text.size()) return Written::kNoNumber;
    return std::fabs(value) > kLargestThreshold ? Written::kTooLarge : Written::kNumber;
}

std::optional<double> Number(std::string_view text) {
    double value = 0;
    if (ReadNumber(text, value) != Written::kNumber) return std::nullopt;
    return value;
}

// Whether an end of the range text is a number, but one beyond kLargestThreshold.
bool HasNumberTooLarge(std::string_view text) {
    if (text.starts_with('@')) text.remove_prefix(1);
    const std::size_t colon = text.find(':');
    const std::string_view ends[] = {
        text.substr(0, colon),
        colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1)};
    return std::any_of(std::begin(ends), std::end(ends), [](std::string_view end) {
        double value = 0;
        return ReadNumber(end, value) == Written::kTooLarge;
    });
}

// Integers as integers, other values with at most two decimals.
std::string FormatValue(double value) {
    char text[48];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string out = text;
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
    return out;
}

std::string Plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool Judged(const DayCheck& check, Measure measure) {
    return (measure != Measure::LastRecordAge && measure != Measure::RecordsAfterNow) ||
           check.live;
}

// The measure's value; nullopt for the age of a record when the segment history holds none
// (it then counts as older than any threshold).
std::optional<double> Value(const DayCheck& check, Measure measure) {
    const DaySummary& counts = check.measures.counts;
    switch (measure) {
        case Measure::MissingCycles:
            return counts.missingCycles;
        case Measure::ConsecutiveMissingCycles:
            return check.measures.longestCycleRun;
        case Measure::MissingChannels:
            return counts.channels;
        case Measure::MissingWholeChannels:
            return check.measures.wholeChannels;
        case Measure::ConsecutiveMissingWholeChannel:
            return check.measures.longestChannelRun;
        case Measure::MissingSegments:
            return counts.segments;
        case Measure::MissingSegmentsPercent:
            return check.measures.MissingSegmentsPercent();
        case Measure::LateSegments:
            return counts.lateSegments;
        case Measure::MissingProducts:
            return counts.products;
        case Measure::MissingSequenceNumbers:
            return counts.sequenceNumbers;
        case Measure::LastRecordAge:
            if (!check.newestRecord) return std::nullopt;
            // A record stamped after the current time (a clock set wrong) is as new as can be.
            return std::max<double>(0, (check.now - *check.newestRecord).count());
        case Measure::RecordsAfterNow:
            return check.afterNow.count;
    }
    return std::nullopt;
}

std::string CycleTime(const DayCheck& check, int minute) {
    return ClockTime(MinuteTime{check.day} + std::chrono::minutes{minute});
}

// The channels lost whole by name, the worst first: "IR108 missing since 09:00 (17 cycles)".
std::string LostChannelsPhrase(const DayCheck& check) {
    constexpr std::size_t kNamed = 3;
    const std::vector<LostChannel>& lost = check.measures.lostChannels;
    if (lost.empty()) return "no channel missing whole";  // a range that alerts on none
    std::string text;
    for (std::size_t i = 0; i < lost.size() && i < kNamed; ++i) {
        const LostChannel& c = lost[i];
        text += (i == 0 ? "" : ", ") + c.name + " missing ";
        if (c.runOngoing) {
            text += "since " + CycleTime(check, c.runFirst);
        } else if (c.runCycles > 1) {
            text += "from " + CycleTime(check, c.runFirst) + " to " + CycleTime(check, c.runLast);
        } else {
            text += "at " + CycleTime(check, c.runFirst);
        }
        if (c.runCycles > 1 || c.runOngoing || c.cycles > c.runCycles) {
            text += " (" + Plural(c.runCycles, "cycle", "cycles");
            if (c.cycles > c.runCycles) text += ", " + std::to_string(c.cycles) + " in all";
            text += ")";
        }
    }
    if (lost.size() > kNamed) {
        text += ", " + Plural(static_cast<int>(lost.size() - kNamed), "more channel", "more channels") +
                " missing whole";
    }
    return text;
}

// The missing cycles by time, runs joined, the first few: "cycles missing: 11:45, 12:00 to
// 12:45 (4), and 2 more" (cycles).
std::string MissingCyclesPhrase(const DayCheck& check) {
    constexpr std::size_t kNamed = 5;
    const std::vector<CycleRun>& runs = check.measures.cycleRuns;
    if (runs.empty()) return "no cycle missing";  // a range that alerts on none
    const bool one = runs.size() == 1 && runs.front().cycles == 1;
    std::string text = one ? "cycle missing: " : "cycles missing: ";
    int more = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const CycleRun& run = runs[i];
        if (i >= kNamed) {
            more += run.cycles;
            continue;
        }
        text += (i == 0 ? "" : ", ") + CycleTime(check, run.first);
        if (run.cycles > 1) {
            text += " to " + CycleTime(check, run.last) + " (" + std::to_string(run.cycles) + ")";
        }
    }
    if (more > 0) text += ", and " + std::to_string(more) + " more";
    return text;
}

// "3 records stamped after now, newest 2099-12-31 23:45: is the station's clock right?"
std::string AfterNowPhrase(const RecordsAfterNow& after) {
    if (after.count == 0 || !after.newest) return "no record stamped after now";
    const MinuteTime newest = *after.newest;
    return Plural(after.count, "record", "records") + " stamped after now, " +
           (after.count == 1 ? "" : "newest ") +
           IsoDate(std::chrono::floor<std::chrono::days>(newest)) + " " + ClockTime(newest) +
           ": is the station's clock right?";
}

// The measure in words for the summary.
std::string Phrase(const DayCheck& check, Measure measure) {
    const DaySummary& counts = check.measures.counts;
    switch (measure) {
        case Measure::MissingCycles:
        case Measure::ConsecutiveMissingCycles:
            return MissingCyclesPhrase(check);
        case Measure::MissingChannels:
            return Plural(counts.channels, "channel", "channels") + " incomplete or missing";
        case Measure::MissingWholeChannels:
        case Measure::ConsecutiveMissingWholeChannel:
            return LostChannelsPhrase(check);
        case Measure::MissingSegments:
            return Plural(counts.segments, "missing segment", "missing segments");
        case Measure::MissingSegmentsPercent:
            return FormatValue(check.measures.MissingSegmentsPercent()) + "% of the segments missing";
        case Measure::LateSegments:
            return Plural(counts.lateSegments, "late segment", "late segments");
        case Measure::MissingProducts:
            return Plural(counts.products, "missing product", "missing products");
        case Measure::MissingSequenceNumbers:
            return Plural(counts.sequenceNumbers, "missing sequence number", "missing sequence numbers");
        case Measure::LastRecordAge: {
            if (!check.newestRecord) return "no record in the segment history";
            // Whole minutes of at most the ten thousand years four-digit keys can span.
            const auto minutes = static_cast<long long>(*Value(check, measure) / 60);
            return "newest segment record " + std::to_string(minutes) + " min old (" +
                   IsoDate(std::chrono::floor<std::chrono::days>(*check.newestRecord)) + " " +
                   ClockTime(*check.newestRecord) + ")";
        }
        case Measure::RecordsAfterNow:
            return AfterNowPhrase(check.afterNow);
    }
    return {};
}

bool Alerts(const std::optional<AlertRange>& range, const std::optional<double>& value) {
    return range && range->Alerts(value.value_or(kInfinity));
}

std::string PerformanceData(const DayCheck& check, const Thresholds& thresholds) {
    std::string data;
    for (const MeasureInfo& info : kMeasures) {
        if (!Judged(check, info.measure)) continue;
        const std::size_t i = static_cast<std::size_t>(info.measure);
        const std::optional<double> value = Value(check, info.measure);
        // label=value[unit];[warn];[crit];[min];[max], "U" for a value that cannot be had.
        data += data.empty() ? "" : " ";
        data += info.label;
        data += '=';
        data += value ? FormatValue(*value) + info.unit : std::string("U");
        data += ';';
        if (thresholds.warning[i]) data += thresholds.warning[i]->text;
        data += ';';
        if (thresholds.critical[i]) data += thresholds.critical[i]->text;
        data += ";0";
        if (info.measure == Measure::MissingSegmentsPercent) data += ";100";
    }
    return data;
}

// The text cut to at most `size` bytes, not within a UTF-8 character, "..." saying so.
std::string Cut(std::string text, std::size_t size) {
    if (text.size() <= size) return text;
    std::size_t end = size >= 3 ? size - 3 : 0;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text + "...";
}

// The line "summary | performance data" within what NRPE passes (version 2: 1,023 bytes).
// A summary too long is cut; performance data too long to leave the summary room is left
// out, rather than cut into a false value.
std::string Bounded(const std::string& summary, const std::string& data) {
    constexpr std::size_t kMaxLine = 998;     // the output, line end included, under 1,000 bytes
    constexpr std::size_t kSummaryRoom = 80;  // the state and the day at least
    if (data.empty()) return Cut(summary, kMaxLine);
    const std::string tail = " | " + data;
    if (tail.size() + kSummaryRoom > kMaxLine) return Cut(summary, kMaxLine);
    return Cut(summary, kMaxLine - tail.size()) + tail;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

}  // namespace

std::string_view CheckStateName(CheckState state) {
    switch (state) {
        case CheckState::Ok:
            return "OK";
        case CheckState::Warning:
            return "WARNING";
        case CheckState::Critical:
            return "CRITICAL";
        case CheckState::Unknown:
            break;
    }
    return "UNKNOWN";
}

bool AlertRange::Alerts(double value) const {
    const bool outside = value < start || value > end;
    return inside ? !outside : outside;
}

std::optional<AlertRange> ParseAlertRange(std::string_view text) {
    AlertRange range;
    range.text = std::string(text);
    if (text.starts_with('@')) {
        range.inside = true;
        text.remove_prefix(1);
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        const auto end = Number(text);
        if (!end) return std::nullopt;
        range.end = *end;
    } else {
        const std::string_view start = text.substr(0, colon);
        const std::string_view end = text.substr(colon + 1);
        if (start == "~") {
            range.start = -kInfinity;
        } else if (const auto value = Number(start)) {
            range.start = *value;
        } else {
            return std::nullopt;
        }
        if (end.empty()) {
            range.end = kInfinity;
        } else if (const auto value = Number(end)) {
            range.end = *value;
        } else {
            return std::nullopt;
        }
    }
    if (range.start > range.end) return std::nullopt;
    return range;
}

Thresholds DefaultThresholds() {
    Thresholds thresholds;
    for (std::size_t i = 0; i < kMeasureCount; ++i) {
        if (*kMeasures[i].warning) thresholds.warning[i] = ParseAlertRange(kMeasures[i].warning);
        if (*kMeasures[i].critical) thresholds.critical[i] = ParseAlertRange(kMeasures[i].critical);
    }
    return thresholds;
}

std::optional<std::string> SetThresholds(const std::vector<std::string>& texts, bool critical,
                                         Thresholds& thresholds) {
    const std::string option = critical ? "--critical" : "--warning";
    for (const std::string& text : texts) {
        const std::size_t eq = text.find('=');
        if (eq == std::string::npos) {
            return option + " takes NAME=RANGE, not '" + text + "'";
        }
        const std::string name = text.substr(0, eq);
        const std::string rangeText = text.substr(eq + 1);
        std::size_t i = 0;
        while (i < kMeasureCount && name != kMeasures[i].label) ++i;
        if (i == kMeasureCount) {
            std::string names;
            for (const MeasureInfo& info : kMeasures) names += (names.empty() ? "" : ", ") + std::string(info.label);
            return option + ": no measure named '" + name + "' (one of " + names + ")";
        }
        auto& slot = critical ? thresholds.critical[i] : thresholds.warning[i];
        if (rangeText.empty()) {
            slot.reset();
            continue;
        }
        slot = ParseAlertRange(rangeText);
        if (!slot) {
            if (HasNumberTooLarge(rangeText)) {
                return option + " " + name + ": '" + rangeText +
                       "' holds a number too large (at most 1000000000000000 either way)";
            }
            return option + " " + name + ": '" + rangeText +
                   "' is no range (10, 10:, ~:10, 10:20 or @10:20)";
        }
    }
    return std::nullopt;
}

std::string CheckHelpText() {
    std::string text =
        "Check (--check): one line 'GAPSCOPE STATE - summary | performance data' and the\n"
        "status 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN (bad usage, no logs or logs that\n"
        "cannot be read, a bad mask). --warning and --critical NAME=RANGE set the range of\n"
        "one measure (repeatable; NAME= takes it away). A RANGE alerts when the value is\n"
        "outside it: 10 (0..10), 10: (10 or more), ~:10 (at most 10), 10:20; or inside it\n"
        "with @: @10:20, @1: (1 or more); some graph writers keep plain numbers only.\n"
        "The measures and their default ranges; they count the day (the current day up to\n"
        "the cycles due) as the range summary does, channels, segments and products\n"
        "outside missing cycles; last_record_age and records_after_now are judged\n"
        "with --day today only:\n"
        "  NAME                               warning critical\n";
    for (const MeasureInfo& info : kMeasures) {
        std::string line = "  " + std::string(info.label);
        line.resize(37, ' ');
        line += info.warning;
        line.resize(45, ' ');
        line += info.critical;
        while (line.back() == ' ') line.pop_back();
        text += line + "\n      " + info.help + "\n";
    }
    return text;
}

CheckResult JudgeDay(const DayCheck& check, const Thresholds& thresholds) {
    std::vector<std::string> critical, warning;
    for (const MeasureInfo& info : kMeasures) {
        if (!Judged(check, info.measure)) continue;
        const std::size_t i = static_cast<std::size_t>(info.measure);
        const std::optional<double> value = Value(check, info.measure);
        if (Alerts(thresholds.critical[i], value)) {
            critical.push_back(Phrase(check, info.measure));
        } else if (Alerts(thresholds.warning[i], value)) {
            warning.push_back(Phrase(check, info.measure));
        }
    }
    CheckResult result;
    result.state = !critical.empty() ? CheckState::Critical
                   : !warning.empty() ? CheckState::Warning
                                      : CheckState::Ok;

    const MinuteTime dayStart{check.day};
    const bool nothingDue = check.dueUntil < dayStart;
    const bool partDue = !nothingDue && check.dueUntil < dayStart + std::chrono::minutes{1439};
    std::vector<std::string> parts;
    if (check.beforeLogsBegin) {
        parts.push_back("before the logs begin");
    } else if (nothingDue) {
        parts.push_back("nothing due yet");
    }
    // Two measures of the missing cycles, and two of the lost channels, name them alike: once
    // is enough.
    for (const auto* list : {&critical, &warning}) {
        for (const std::string& phrase : *list) {
            if (std::find(parts.begin(), parts.end(), phrase) == parts.end()) parts.push_back(phrase);
        }
    }
    const bool alerted = !critical.empty() || !warning.empty();
    if (!alerted) {
        for (Measure m : {Measure::MissingCycles, Measure::MissingChannels, Measure::MissingSegments,
                          Measure::LateSegments, Measure::MissingProducts,
                          Measure::MissingSequenceNumbers}) {
            if (Value(check, m).value_or(0) > 0) parts.push_back(Phrase(check, m));
        }
        if (parts.empty()) parts.push_back("nothing missing");
    }
    const std::size_t age = static_cast<std::size_t>(Measure::LastRecordAge);
    const bool ageAlerted = Alerts(thresholds.critical[age], Value(check, Measure::LastRecordAge)) ||
                            Alerts(thresholds.warning[age], Value(check, Measure::LastRecordAge));
    if (check.live && !ageAlerted) parts.push_back(Phrase(check, Measure::LastRecordAge));

    std::string summary = IsoDate(check.day);
    if (partDue) summary += " up to " + ClockTime(check.dueUntil);
    result.line = Bounded("GAPSCOPE " + std::string(CheckStateName(result.state)) + " - " + summary +
                              ": " + Joined(parts),
                          PerformanceData(check, thresholds));
    return result;
}

DayCheck CheckOf(const Findings& findings, bool live, std::optional<MinuteTime> newestRecord,
                 std::chrono::sys_seconds now) {
    DayCheck check;
    check.day = findings.day;
    check.measures = MeasureDay(findings);
    check.dueUntil = MinuteTime{findings.day} + std::chrono::minutes{findings.judged.last};
    check.live = live;
    check.newestRecord = newestRecord;
    check.afterNow = findings.recordsAfterNow;
    check.now = now;
    check.beforeLogsBegin = findings.judged.WhollyBeforeLogsBegin();
    return check;
}

CheckResult UnknownCheck(const std::string& reason) {
    std::string summary;
    // One line whatever the reason holds, in UTF-8 whatever the names in it hold.
    for (char c : reason) summary += (c == '\n' || c == '\r' || c == '|') ? ' ' : c;
    return CheckResult{CheckState::Unknown, Bounded("GAPSCOPE UNKNOWN - " + SafeName(summary), "")};
}

}  // namespace gapscope
