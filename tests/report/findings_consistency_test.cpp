// A reader's view of the findings: over a seeded sample of simulated station-days (all three
// services, switches and options drawn from the seed, faults injected, days before the logs
// begin and current days), whatever the four text lists name is in the findings and the
// other way round, no list names a cycle that was not judged, and the summary line counts
// what the text lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "catalogue/catalogue.h"
#include "catalogue/labels.h"
#include "measures/range_summary.h"
#include "report/calendar.h"
#include "report/day_report.h"
#include "tests/report/simulated_day.h"

namespace gapscope {
namespace {

using std::chrono::days;
using std::chrono::minutes;

// An item line of a list under the minute of its cycle.
struct Entry {
    int minute;
    std::string line;
    friend auto operator<=>(const Entry&, const Entry&) = default;
};
using Entries = std::multiset<Entry>;

int MinuteOf(std::string_view hhnn) {
    return (hhnn[0] - '0') * 600 + (hhnn[1] - '0') * 60 + (hhnn[2] - '0') * 10 + (hhnn[3] - '0');
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string SegmentList(const std::vector<int>& segments) {
    std::string text;
    for (int k : segments) text += std::to_string(k) + ' ';
    return text;
}

// The line the text gives a findings item.
std::string MissingLine(const FoundItem& item) {
    if (item.kind == ItemKind::Prolog || item.kind == ItemKind::Epilog) {
        return "   " + item.label + " missing";
    }
    const std::string label = Replace(item.label, "HIM8", "HIM9");
    if (item.all) {
        return "   " + label + (ChannelSegments(item.channel) == 1 ? "   missing" : "   all missing");
    }
    return "   " + label + ",  seg: " + SegmentList(item.segments);
}

std::string LateLine(const FoundItem& item) {
    return "   " + item.label + ",  seg: " + (item.all ? "all" : SegmentList(item.segments));
}

// What the text lists say, taken apart into single items.
struct TextView {
    std::vector<int> missingCycles;
    Entries segs;
    Entries products;
    Entries late;
    std::vector<std::string> dayLong;  // "FY-2G 0000..2300"
    std::vector<std::string> notes;    // closing notes of the products list ("  (none)" ...)
    int sequenceMissing = 0;
};

std::vector<int> ExpandCycles(std::string_view first, std::string_view last, int step) {
    std::vector<int> cycles;
    for (int m = MinuteOf(first); m <= MinuteOf(last); m += step) cycles.push_back(m);
    return cycles;
}

std::vector<int> ParseSlots(const Lines& slots, int step) {
    std::vector<int> cycles;
    for (std::size_t i = 3; i < slots.size(); ++i) {
        if (StartsWith(slots[i], "  (")) continue;  // "(none)" and the closing notes
        std::string line = Replace(slots[i], " ", "");
        const std::size_t dots = line.find("..");
        const std::string first = line.substr(0, dots);
        const std::string last = dots == std::string::npos ? first : line.substr(dots + 2);
        for (int m : ExpandCycles(first, last, step)) cycles.push_back(m);
    }
    return cycles;
}

// Headings and item lines, up to the first line of another kind.
Entries ParseCycleList(const Lines& list) {
    Entries entries;
    int minute = -1;
    for (std::size_t i = 3; i < list.size(); ++i) {
        const std::string& line = list[i];
        if (StartsWith(line, "Cycle: ")) {
            minute = MinuteOf(std::string_view(line).substr(7, 4));
        } else if (StartsWith(line, "   ")) {
            entries.insert({minute, line});
        } else if (line != "  (none)") {
            break;
        }
    }
    return entries;
}

const std::vector<std::string_view> kHimawariBands = {"VIS", "IR1", "IR2", "IR3", "IR4", "B04",
                                                      "B05", "B10", "B11", "B14", "B16", "B09",
                                                      "B06", "B12", "B01", "B02"};

void ParseProducts(const Lines& list, Day day, ScanMode mode, TextView& view) {
    const int step = mode == ScanMode::RapidScan ? 5 : 15;
    int minute = -1;
    const auto add = [&](int m, const std::string& line) { view.products.insert({m, line}); };
    for (std::size_t i = 3; i < list.size(); ++i) {
        const std::string& line = list[i];
        if (line.empty() && i + 2 < list.size() && StartsWith(list[i + 1], "Cycle: ") &&
            list[i + 1].size() > 11) {
            // A day-long line: "Cycle: 0000..2300" and "   FY-2G missing".
            const std::string name = list[i + 2].substr(3, list[i + 2].size() - 3 - 8);
            view.dayLong.push_back(name + " " + list[i + 1].substr(7));
            i += 2;
        } else if (StartsWith(line, "Cycle: ")) {
            minute = MinuteOf(std::string_view(line).substr(7, 4));
        } else if (StartsWith(line, "Cycles ")) {
            // The run of MPE at the end of the day: every cycle of it, then its one line.
            for (int m : ExpandCycles(line.substr(7, 4), line.substr(13, 4), step)) {
                add(m, "   MPE   missing");
            }
            ++i;
        } else if (StartsWith(line, "   RII all missing:  ")) {
            const std::string hh = line.substr(21, 2);
            for (int m : ExpandCycles(hh + "00", hh + "55", 5)) add(m, "   RII   all missing");
            minute = MinuteOf(hh + "55");
        } else if (line == "   FY-2G all 6 channels missing") {
            for (const char* band : {"IR1", "IR2", "IR3", "IR4", "VIS", "VIS1KM"}) {
                add(minute, "   FY-2G-" + std::string(band) + "   missing");
            }
        } else if (line == "   GOES-13 all 4 channels missing" || line == "   GOES-15 all 4 channels missing") {
            for (const char* band : {"VIS", "IR", "WV", "MIR"}) {
                add(minute, line.substr(0, 10) + "-" + band + "   all missing");
            }
        } else if (StartsWith(line, "   HIM9 all ")) {
            const int count = std::stoi(line.substr(12, 2));
            if (count == 16) {
                // The whole set of the day (the empty-record line says 16 whatever it holds).
                const ChannelSet set = HimawariChannelsForDay(day);
                for (ChannelNumber n = 93; n <= 124; ++n) {
                    if (set.Contains(n)) add(minute, "   " + Replace(ChannelLabel(n, day), "HIM8", "HIM9") + "   all missing");
                }
            } else {
                for (int b = 0; b < count; ++b) {
                    add(minute, "   HIM9-" + std::string(kHimawariBands[b]) + "   all missing");
                }
            }
        } else if (StartsWith(line, "   ")) {
            add(minute, line);
        } else if (StartsWith(line, "  (") || StartsWith(line, "  ***")) {
            view.notes.push_back(line);
        } else if (line.find(" sequence nos. found, ") != std::string::npos) {
            int missing = 0;
            std::sscanf(line.c_str() + line.find(" sequence nos. found, ") + 21, "%d", &missing);
            view.sequenceMissing += missing;
        }
    }
}

TextView ReadText(const DayReport& lists, Day day, ScanMode mode) {
    TextView view;
    view.missingCycles = ParseSlots(lists.missingSlots, mode == ScanMode::RapidScan ? 5 : 15);
    view.segs = ParseCycleList(lists.missingSegs);
    view.late = ParseCycleList(lists.lateSegs);
    ParseProducts(lists.missingProduct, day, mode, view);
    return view;
}

// The minutes of a day a reader knows to be judged: from the first record (on its day) to
// the current minute less the grace (on the current day).
struct Window {
    int first = 0;
    int last = kMinutesPerDay - 1;
    bool current = false;
    bool Holds(int minute) const { return minute >= first && minute <= last; }
};

// The channel a text label names on the day (products list: HIM9 for HIM8).
std::map<std::string, ChannelNumber> LabelIndex(Day day) {
    std::map<std::string, ChannelNumber> index;
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        index.emplace(Replace(ChannelLabel(n, day), "HIM8", "HIM9"), n);
    }
    return index;
}

std::string LabelOfLine(const std::string& line) {
    for (std::string_view end : {"   all missing", "   missing"}) {
        if (line.size() > end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0) {
            return line.substr(3, line.size() - 3 - end.size());
        }
    }
    return line.substr(3, line.find(",  seg: ") - 3);
}

int ListedSegments(const std::string& line) {
    const std::size_t at = line.find(",  seg: ");
    if (at == std::string::npos) return -1;  // "missing" or "all missing"
    std::istringstream numbers(line.substr(at + 8));
    int count = 0, k = 0;
    while (numbers >> k) ++count;
    return count;
}

// The counts a reader makes of the text, with the segments an "all missing" line stands
// for taken from what the findings expected in that cycle.
DaySummary CountText(const TextView& text, const Findings& findings) {
    const std::map<std::string, ChannelNumber> labels = LabelIndex(findings.day);
    const auto expectedSegments = [&](int minute, ChannelNumber n) {
        for (const ExpectedChannel& c : findings.expected) {
            if (c.minute == minute && c.channel == n && c.kind != ItemKind::Prolog &&
                c.kind != ItemKind::Epilog) {
                return c.SegmentCount();
            }
        }
        ADD_FAILURE() << "channel " << n << " not expected at " << CycleHhnn(minute);
        return 0;
    };
    DaySummary s;
    s.missingCycles = static_cast<int>(text.missingCycles.size());
    for (const Entries* list : {&text.segs, &text.products}) {
        for (const Entry& e : *list) {
            if (e.line.ends_with("prolog missing") || e.line.ends_with("epilog missing")) {
                ++s.channels;
                ++s.segments;
                continue;
            }
            const ChannelNumber n = labels.at(LabelOfLine(e.line));
            if (KindOfChannel(n) == ItemKind::Product) {
                ++s.products;
                continue;
            }
            ++s.channels;
            const int listed = ListedSegments(e.line);
            s.segments += listed >= 0 ? listed : expectedSegments(e.minute, n);
        }
    }
    for (const std::string& dayLong : text.dayLong) {
        const bool himawari = StartsWith(dayLong, "Himawari");
        const std::string range = dayLong.substr(dayLong.find(' ') + 1);
        const ChannelSet set = himawari ? HimawariChannelsForDay(findings.day)
                                        : StartsWith(dayLong, "FY-2G") ? ChannelSet::Range(67, 72)
                                                                       : ChannelSet::Range(77, 82);
        for ([[maybe_unused]] int m :
             ExpandCycles(range.substr(0, 4), range.substr(6, 4), himawari ? 30 : 60)) {
            s.channels += static_cast<int>(set.Count());
            s.segments += static_cast<int>(set.Count()) * (himawari ? 10 : 1);
        }
    }
    for (const Entry& e : text.late) {
        const int listed = e.line.ends_with("seg: all") ? -1 : ListedSegments(e.line);
        s.lateSegments += listed >= 0 ? listed : ChannelSegments(labels.at(LabelOfLine(e.line)));
    }
    s.sequenceNumbers = text.sequenceMissing;
    return s;
}

DaySummary ParseSummaryLine(const std::string& line) {
    DaySummary s;
    char day[16];
    EXPECT_EQ(std::sscanf(line.c_str(), "%15s %d %d %d %d %d %d", day, &s.missingCycles, &s.channels,
                          &s.segments, &s.lateSegments, &s.products, &s.sequenceNumbers),
              7)
        << line;
    return s;
}

// What the sample met, so that a change that makes it miss a whole feature shows.
struct Coverage {
    int failed = 0, missingCycles = 0, dayLong = 0, cleared = 0, notYetDue = 0;
    int products = 0, himawari = 0, late = 0, sequences = 0, lritOnly = 0;
    int beforeLogs = 0, firstDay = 0, lateBeforeLogs = 0;
};

std::string UtcText(MinuteTime time) {
    return IsoDate(std::chrono::floor<days>(time)) + " " + ClockTime(time) + " UTC";
}

// A day wholly before the logs begin: nothing judged, and every list of what is missing
// says so in the one line.
void CheckDayBeforeLogsBegin(const DayReportResult& r, const std::optional<MinuteTime>& logsBegin,
                             Coverage& seen) {
    const std::string line =
        logsBegin ? "  (before the logs begin: first record " + UtcText(*logsBegin) + ")"
                  : "  (before the logs begin: no record in the segment history)";
    for (const Lines* list :
         {&r.lists.missingSlots, &r.lists.missingSegs, &r.lists.missingProduct}) {
        ASSERT_GE(list->size(), 4u);
        EXPECT_EQ((*list)[3], line);
    }
    EXPECT_EQ(r.lists.missingSlots.size(), 4u);
    EXPECT_EQ(r.lists.missingSegs.size(), 4u);
    const Findings& f = r.findings;
    EXPECT_TRUE(f.missingCycles.empty() && f.missing.empty() && f.expected.empty());
    // The late list stands: its own log may hold the day.
    Entries late;
    for (const FoundItem& item : f.late) late.insert({item.minute, LateLine(item)});
    EXPECT_EQ(ParseCycleList(r.lists.lateSegs), late);
    if (late.empty()) {
        EXPECT_EQ(r.lists.lateSegs.back(), "  (none)");
    }
    seen.lateBeforeLogs += !late.empty();
    EXPECT_EQ(
        f.beforeLogsBegin.size(),
        static_cast<std::size_t>(kMinutesPerDay / (f.service == ScanMode::RapidScan ? 5 : 15)));
    const std::string range = RangeDayLine(f);
    EXPECT_TRUE(range.starts_with(IsoDate(f.day) + "               -         -         -  ") &&
                range.ends_with("  before the logs begin"))
        << range;
}

// Checks one station-day; `window`: the minutes it judges.
void CheckDay(const DayReportResult& r, const Window& window,
              const std::optional<MinuteTime>& logsBegin, Coverage& seen) {
    const Findings& f = r.findings;
    const ScanMode mode = f.service;
    const TextView text = ReadText(r.lists, f.day, mode);

    // The closing notes of the cycles list: where the logs begin, and up to when it judged.
    Lines slotNotes;
    for (std::size_t i = 3; i < r.lists.missingSlots.size(); ++i) {
        const std::string& line = r.lists.missingSlots[i];
        if (StartsWith(line, "  (") && line != "  (none)") slotNotes.push_back(line);
    }
    Lines expectedNotes;
    if (window.first > 0)
        expectedNotes.push_back("  (before the logs begin: first record " + UtcText(*logsBegin) +
                                ")");
    if (window.current) {
        expectedNotes.push_back(window.last < 0
                                    ? "  (not yet judged: no cycle of the day is due yet)"
                                    : "  (judged up to " +
                                          ClockTime(MinuteTime{f.day} + minutes{window.last}) +
                                          " UTC; later cycles are not yet due)");
    }
    EXPECT_EQ(slotNotes, expectedNotes);
    if (!slotNotes.empty()) {
        EXPECT_EQ(r.lists.missingSlots.back(), slotNotes.back());
    }

    // No list names a minute that was not judged; the late list, from its own log, names
    // those before the logs begin too.
    for (int m : text.missingCycles) EXPECT_TRUE(window.Holds(m)) << CycleHhnn(m);
    for (const Entries* list : {&text.segs, &text.products}) {
        for (const Entry& e : *list)
            EXPECT_TRUE(window.Holds(e.minute)) << CycleHhnn(e.minute) << e.line;
    }
    for (const Entry& e : text.late) EXPECT_LE(e.minute, window.last) << e.line;
    seen.lateBeforeLogs += !text.late.empty() && text.late.begin()->minute < window.first;
    EXPECT_EQ(text.missingCycles, f.missingCycles);

    // Items of the segments list and of the products list, both ways.
    Entries segs, products, late;
    for (const FoundItem& item : f.missing) {
        if (item.within == Within::MissingCycle) {
            EXPECT_TRUE(std::binary_search(f.missingCycles.begin(), f.missingCycles.end(), item.minute))
                << CycleHhnn(item.minute);
            continue;
        }
        if (item.within == Within::AbsentAllDay) continue;  // counted below, from the day-long lines
        const bool inSegs = item.kind == ItemKind::Hrit || item.kind == ItemKind::Lrit ||
                            item.kind == ItemKind::Prolog || item.kind == ItemKind::Epilog;
        (inSegs ? segs : products).insert({item.minute, MissingLine(item)});
    }
    for (const FoundItem& item : f.late) late.insert({item.minute, LateLine(item)});
    EXPECT_EQ(text.segs, segs);
    EXPECT_EQ(text.products, products);
    EXPECT_EQ(text.late, late);

    // Day-long lines and their channels, naming the cycles judged.
    std::vector<std::string> absent;
    for (const AbsentAllDay& a : f.absentAllDay) absent.push_back(a.name + " " + a.cycles);
    EXPECT_EQ(text.dayLong, absent);
    for (const std::string& dayLong : text.dayLong) {
        const std::string range = dayLong.substr(dayLong.find(' ') + 1);
        EXPECT_TRUE(window.Holds(MinuteOf(range.substr(0, 4))) &&
                    window.Holds(MinuteOf(range.substr(6, 4))))
            << dayLong;
    }

    // Every missing item is among its cycle's expected channels.
    for (const FoundItem& item : f.missing) {
        const bool expected = std::any_of(f.expected.begin(), f.expected.end(), [&](const ExpectedChannel& c) {
            return c.minute == item.minute && c.kind == item.kind && c.channel == item.channel;
        });
        EXPECT_TRUE(expected) << CycleHhnn(item.minute) << " " << item.label;
    }

    // A list cleared or a check skipped: the line shown is the reason's text.
    std::vector<std::string> reasons;
    for (const NotChecked& n : f.notChecked) {
        if (n.text) reasons.push_back(*n.text);
    }
    std::vector<std::string> notes;
    for (const std::string& note : text.notes) {
        if (note != "  (none)") notes.push_back(note);
    }
    std::sort(reasons.begin(), reasons.end());
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(notes, reasons);

    // The summary line counts what the text lists.
    const DaySummary counted = CountText(text, f);
    EXPECT_EQ(ParseSummaryLine(RangeDayLine(f)), counted) << RangeDayLine(f);
    EXPECT_EQ(RangeDayLine(f).ends_with("  so far"), window.current);

    seen.firstDay += window.first > 0;
    seen.missingCycles += !f.missingCycles.empty();
    seen.dayLong += !f.absentAllDay.empty();
    seen.notYetDue += !f.notYetDue.empty();
    seen.late += !f.late.empty();
    seen.sequences += !f.sequences.empty();
    for (const NotChecked& n : f.notChecked) {
        seen.cleared += n.reason == NotCheckedReason::NoProductsFound ||
                        n.reason == NotCheckedReason::PartialScan ||
                        n.reason == NotCheckedReason::IodcMpefNotStarted;
        seen.lritOnly += n.reason == NotCheckedReason::LritOnly;
    }
    seen.products += std::any_of(f.missing.begin(), f.missing.end(),
                                 [](const FoundItem& i) { return i.kind == ItemKind::Product; });
    seen.himawari += std::any_of(f.missing.begin(), f.missing.end(),
                                 [](const FoundItem& i) { return i.kind == ItemKind::Himawari; });
}

ReportOptions DrawOptions(std::mt19937& rng) {
    std::bernoulli_distribution half(0.5), often(0.85), rarely(0.1);
    ReportOptions o;
    o.met8LritOnly = rarely(rng);
    o.prologEpilogFiles = half(rng);
    o.includeFsd = often(rng);
    o.includeMpef = often(rng);
    o.includeLrit = half(rng);
    o.hourlyFsd = half(rng);
    o.includeGoesMir = half(rng);
    o.includeRii = half(rng);
    o.goes12Bypass = rarely(rng);
    o.hourlyFy2e = half(rng);
    o.includeMpe = often(rng);
    o.himawari30min = half(rng);
    o.disableMsg1Mpef = half(rng);
    o.hourlyFy2g = half(rng);
    o.decontaminating = rarely(rng);
    return o;
}

std::vector<std::string> DrawSwitches(std::mt19937& rng) {
    std::bernoulli_distribution some(0.12);
    std::vector<std::string> switches;
    for (const char* s : {"-neat", "-P", "-NOFY2C", "-NOMPE", "-HIM", "-NOHIM"}) {
        if (some(rng)) switches.push_back(s);
    }
    return switches;
}

TEST(FindingsConsistency, TextAndFindingsNameTheSameItemsOnSimulatedStationDays) {
    constexpr int kStations = 48;
    constexpr int kDaysEach = 5;
    const Day earliest{std::chrono::year{2008} / 9 / 1};
    const Day latest{std::chrono::year{2025} / 6 / 30};
    Coverage seen;
    for (int station = 0; station < kStations; ++station) {
        std::mt19937 rng(1000 + station);
        sim::SimulationConfig config;
        config.service = static_cast<ScanMode>(station % 3);
        const int span = static_cast<int>((latest - earliest).count());
        config.last = earliest + days{std::uniform_int_distribution<int>(0, span)(rng)};
        config.first = config.last - days{kDaysEach - 1};
        config.rates = sim::FindScenario(station % 4 == 0 ? "typical" : "bad-day")->rates;
        config.seed = static_cast<std::uint64_t>(station);
        config.recordFaults = false;
        // Some stations are reported on while their last day is still going on.
        std::optional<MinuteTime> now;
        if (station % 5 == 1) {
            now = MinuteTime{config.last} + minutes{std::uniform_int_distribution<int>(0, 1439)(rng)};
            config.until = *now;
        }
        // Some were installed during one of the days: their logs begin there. Of those that
        // are also reported on during their last day, the logs begin before the current
        // minute of that day.
        std::optional<MinuteTime> logsBegin;
        if (station % 4 == 3) {
            const Day installed =
                station % 5 == 1 ? config.last : config.first + days{station % kDaysEach};
            const int latest = installed == config.last && now
                                   ? static_cast<int>((*now - MinuteTime{installed}).count())
                                   : 1439;
            logsBegin =
                MinuteTime{installed} + minutes{std::uniform_int_distribution<int>(0, latest)(rng)};
        }
        // And some hold a damaged mask, which stops that day's run.
        const std::string damage = station % 13 == 5 ? CompactDate(config.last - days{2}) + "1200=P=1,E=1,1=ZZ,I1=ZZ,R1=ZZ\n" : "";
        const test::MemoryStation memory =
            test::SimulateInMemory(config, DrawSwitches(rng), damage, logsBegin);
        // The first record as a reader of the logs finds it (the damaged line counts too).
        std::optional<MinuteTime> firstRecord;
        for (std::size_t i = 0; i < memory.state.SegHistory.LineCount(); ++i) {
            const std::string_view line = memory.state.SegHistory.Line(i);
            const auto key = line.size() > 12 && line[12] == '='
                                 ? ParseMinuteKey(line.substr(0, 12))
                                 : std::nullopt;
            if (key && (!firstRecord || *key < *firstRecord)) firstRecord = key;
        }
        if (logsBegin && damage.empty()) {
            EXPECT_GE(*firstRecord, *logsBegin);
        }

        // From two days before the first simulated day: before the logs begin.
        for (Day day = config.first - days{2}; day <= config.last; day += days{1}) {
            const ReportOptions options = DrawOptions(rng);
            RunInputs inputs;
            inputs.now = now;
            inputs.processLog = &memory.processLog;
            const DayReportResult r = BuildDayReportWith(memory.state, options, day, inputs);
            SCOPED_TRACE("station " + std::to_string(station) + " day " + IsoDate(day));
            if (r.error) {
                ++seen.failed;
                continue;
            }
            if (!firstRecord || MinuteTime{day + days{1}} <= *firstRecord) {
                ++seen.beforeLogs;
                CheckDayBeforeLogsBegin(r, firstRecord, seen);
                continue;
            }
            Window window;
            window.first = std::max(0, static_cast<int>((*firstRecord - MinuteTime{day}).count()));
            if (now && day == std::chrono::floor<days>(*now)) {
                window.current = true;
                window.last =
                    std::max(-1, static_cast<int>((*now - minutes{30} - MinuteTime{day}).count()));
            }
            CheckDay(r, window, firstRecord, seen);
        }
    }
    EXPECT_GT(seen.failed, 0);
    EXPECT_GT(seen.missingCycles, 20);
    EXPECT_GT(seen.dayLong, 3);
    EXPECT_GT(seen.cleared, 3);
    EXPECT_GT(seen.notYetDue, 3);
    EXPECT_GT(seen.products, 20);
    EXPECT_GT(seen.himawari, 3);
    EXPECT_GT(seen.late, 20);
    EXPECT_GT(seen.sequences, 20);
    EXPECT_GT(seen.lritOnly, 3);
    EXPECT_GT(seen.beforeLogs, 60);
    EXPECT_GT(seen.firstDay, 5);
    EXPECT_GT(seen.lateBeforeLogs, 5);
}

}  // namespace
}  // namespace gapscope
