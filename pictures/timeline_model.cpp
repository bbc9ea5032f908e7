#include "pictures/timeline_model.h"

#include <algorithm>
#include <array>
#include <map>

#include "catalogue/calendar_rules.h"
#include "catalogue/catalogue.h"
#include "catalogue/labels.h"
#include "pictures/segment_counts.h"
#include "report/repeat_cycle.h"

namespace gapscope::pictures {
namespace {

// A foreign satellite whose images share one row, and whether the options ask for it.
struct Satellite {
    ChannelSet channels;
    bool (*asked)(const Findings&);
};

// Foreign satellites are looked for only in the prime service's own report.
bool ForeignDataAsked(const Findings& f) {
    return f.options.includeFsd && f.service == ScanMode::Prime && !f.switches.parallel &&
           !f.switches.himawari;
}

const std::array<Satellite, 5>& Satellites() {
    static const std::array<Satellite, 5> table = {{
        {calendar::SetOf(calendar::kGoesWest), ForeignDataAsked},
        {calendar::SetOf(calendar::kGoesEast), ForeignDataAsked},
        {calendar::SetOf(calendar::kMtsat), ForeignDataAsked},
        {calendar::SetOf(calendar::kFy2g), [](const Findings& f) { return ForeignDataAsked(f) && f.options.hourlyFy2g; }},
        {calendar::SetOf(calendar::kFy2e), [](const Findings& f) { return ForeignDataAsked(f) && f.options.hourlyFy2e; }},
    }};
    return table;
}

bool HimawariAsked(const Findings& f) {
    return f.options.himawari30min && !f.switches.noHimawari;
}

// "GOES-15" of "GOES-15-VIS": a foreign channel's label without its image's name.
std::string SatelliteName(ChannelNumber n, Day day) {
    std::string label = ChannelLabel(n, day);
    const std::size_t dash = label.rfind('-');
    if (dash != std::string::npos && dash > 0) label.resize(dash);
    return label;
}

// The first channel of the foreign satellite that channel n belongs to.
ChannelNumber SatelliteOf(ChannelNumber n, Day day) {
    for (const Satellite& satellite : Satellites()) {
        if (!satellite.channels.Contains(n)) continue;
        for (ChannelNumber c = kFirstChannel; c <= kLastChannel; ++c) {
            if (satellite.channels.Contains(c)) return c;
        }
    }
    // A satellite the calendar never expects: its channels share the label's satellite name.
    const std::string name = SatelliteName(n, day);
    for (ChannelNumber c = kFirstChannel; c < n; ++c) {
        if (KindOfChannel(c) == ItemKind::Fsd && SatelliteName(c, day) == name) return c;
    }
    return n;
}

// "IR108" of "IR_108": the channel key the segments list closes with.
std::string ChannelKeyName(ChannelNumber n) {
    std::string name(ChannelInfoOf(n).fileNameCode);
    std::erase(name, '_');
    return name;
}

// Rows sort by this key: HRIT, LRIT, prolog, epilog, products, satellites, Himawari.
int RowKey(ItemKind kind, ChannelNumber n, Day day) {
    switch (kind) {
        case ItemKind::Hrit:
            return n;
        case ItemKind::Lrit:
            return 1000 + n;
        case ItemKind::Prolog:
            return 2000 + n;
        case ItemKind::Epilog:
            return 3000 + n;
        case ItemKind::Product:
            return 4000 + n;
        case ItemKind::Fsd:
            return 5000 + SatelliteOf(n, day);
        case ItemKind::Himawari:
            return 6000;
    }
    return 0;
}

std::string RowLabel(ItemKind kind, ChannelNumber n, Day day) {
    switch (kind) {
        case ItemKind::Hrit:
        case ItemKind::Lrit:
            return ItemLabel(kind, n, day) + "  " + ChannelKeyName(n);
        case ItemKind::Fsd:
            return SatelliteName(n, day);
        case ItemKind::Himawari:
            return "Himawari";
        case ItemKind::Prolog:
        case ItemKind::Epilog:
        case ItemKind::Product:
            break;
    }
    return ItemLabel(kind, n, day);
}

// What a cell has seen: segments expected while due, of them missing, expected not yet due.
struct CellCounts {
    int due = 0;
    int missing = 0;
    int notYetDue = 0;
    bool late = false;
};

TimelineCell Judge(const CellCounts& c) {
    if (c.due == 0) {
        if (c.notYetDue > 0) return {CellState::NotYetDue, 0.0};
        return {c.late ? CellState::Late : CellState::NotExpected, 0.0};
    }
    const double share = std::min(1.0, static_cast<double>(c.missing) / c.due);
    if (c.missing >= c.due) return {CellState::Missing, 1.0};
    if (c.missing > 0) return {CellState::Incomplete, share};
    return {c.late ? CellState::Late : CellState::Received, 0.0};
}

// Rows as they are gathered, by their sort key, with the counts of their cells.
class RowBuilder {
  public:
    RowBuilder(const Findings& findings, int columns)
        : findings_(findings), columns_(columns) {
        keys_.fill(kUnknown);
    }

    struct Row {
        TimelineRow row;
        std::vector<CellCounts> counts;
    };

    Row& For(ItemKind kind, ChannelNumber n) {
        Row& row = rows_[Key(kind, n)];
        if (row.counts.empty()) {
            row.row.kind = kind;
            row.row.label = RowLabel(kind, n, findings_.day);
            row.counts.resize(static_cast<std::size_t>(columns_));
        }
        if (std::find(row.row.channels.begin(), row.row.channels.end(), n) == row.row.channels.end()) {
            row.row.channels.push_back(n);
        }
        return row;
    }
    Row* Find(ItemKind kind, ChannelNumber n) {
        const auto it = rows_.find(Key(kind, n));
        return it == rows_.end() ? nullptr : &it->second;
    }
    std::map<int, Row>& Rows() { return rows_; }

  private:
    static constexpr int kUnknown = -1;
    static constexpr int kKinds = 7;

    int Key(ItemKind kind, ChannelNumber n) {
        if (n < 0 || n > kLastChannel) return RowKey(kind, n, findings_.day);
        int& key = keys_[static_cast<std::size_t>(static_cast<int>(kind) * (kLastChannel + 1) + n)];
        if (key == kUnknown) key = RowKey(kind, n, findings_.day);
        return key;
    }

    const Findings& findings_;
    int columns_;
    std::array<int, kKinds * (kLastChannel + 1)> keys_{};
    std::map<int, Row> rows_;
};

}  // namespace

Timeline BuildTimeline(const Findings& findings, const PictureFacts& facts) {
    Timeline t;
    t.day = findings.day;
    t.service = findings.service;
    t.parallel = findings.switches.parallel;
    t.himawari = findings.switches.himawari;
    t.cycleMinutes = RepeatCycleMinutes(findings.service);
    t.columns = kMinutesPerDay / t.cycleMinutes;
    t.counts = Summarise(findings);
    t.facts = facts;

    const int firstNotDue = FirstMinuteNotYetDue(findings);
    if (firstNotDue < kMinutesPerDay) {
        t.firstNotYetDue = (firstNotDue + t.cycleMinutes - 1) / t.cycleMinutes;
    }
    const auto column = [&](int minute) {
        return static_cast<std::size_t>(ColumnOf(minute, t.cycleMinutes));
    };

    RowBuilder rows(findings, t.columns);
    for (const ExpectedChannel& c : findings.expected) {
        CellCounts& cell = rows.For(c.kind, c.channel).counts[column(c.minute)];
        (c.minute < firstNotDue ? cell.due : cell.notYetDue) += c.SegmentCount();
    }
    const MissingSegmentCounter counter(findings);
    for (const FoundItem& item : findings.missing) {
        if (auto* row = rows.Find(item.kind, item.channel)) {
            row->counts[column(item.minute)].missing += counter.Missing(item);
        }
    }
    for (auto& [key, row] : rows.Rows()) row.row.expectedAtAll = true;
    // What is counted late is drawn, in a row of its own where the day expects none (LRIT
    // with "Include LRIT" off, late segments before the logs begin).
    for (const FoundItem& item : findings.late) {
        RowBuilder::Row& row = rows.For(item.kind, item.channel);
        row.counts[column(item.minute)].late = true;
        // An MSG channel's label without its key name, short enough to keep "(not expected)"
        // within the labels' room.
        const bool msg = item.kind == ItemKind::Hrit || item.kind == ItemKind::Lrit;
        if (!row.row.expectedAtAll && msg) {
            row.row.label = ItemLabel(item.kind, item.channel, findings.day);
        }
    }

    // Satellites the options ask for that the day expects nowhere still get their row.
    for (const Satellite& satellite : Satellites()) {
        if (!satellite.asked(findings)) continue;
        for (ChannelNumber c = kFirstChannel; c <= kLastChannel; ++c) {
            if (satellite.channels.Contains(c)) rows.For(ItemKind::Fsd, c);
        }
    }
    if (HimawariAsked(findings)) rows.For(ItemKind::Himawari, 93);

    for (const AbsentAllDay& absent : findings.absentAllDay) {
        if (absent.channels.empty()) continue;
        const ChannelNumber first = absent.channels.front();
        if (auto* row = rows.Find(KindOfChannel(first), first)) row->row.absentAllDay = true;
    }

    // The time after the current minute has not come for any row, nor had the logs begun
    // before their first record.
    const std::size_t future = t.firstNotYetDue ? static_cast<std::size_t>(*t.firstNotYetDue) : kMinutesPerDay;
    const std::size_t begun = findings.beforeLogsBegin.size();
    for (auto& [key, built] : rows.Rows()) {
        TimelineRow row = std::move(built.row);
        row.cells.reserve(built.counts.size());
        for (const CellCounts& counts : built.counts) {
            const std::size_t column = row.cells.size();
            const bool before = column < begun && !counts.late;
            row.cells.push_back(before            ? TimelineCell{CellState::BeforeLogsBegin, 0.0}
                                : column < future ? Judge(counts)
                                                  : TimelineCell{CellState::NotYetDue, 0.0});
        }
        t.rows.push_back(std::move(row));
    }

    t.missingCycle.assign(static_cast<std::size_t>(t.columns), false);
    for (int minute : findings.missingCycles) t.missingCycle[column(minute)] = true;
    return t;
}

}  // namespace gapscope::pictures
