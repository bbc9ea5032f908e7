#include "report/run_findings.h"

#include <algorithm>
#include <iterator>

#include "catalogue/labels.h"

namespace gapscope {

namespace {

ItemKind KindOf(ScanSubject subject, ChannelNumber channel) {
    switch (subject) {
        case ScanSubject::Prolog:
            return ItemKind::Prolog;
        case ScanSubject::Epilog:
            return ItemKind::Epilog;
        case ScanSubject::Channel:
            break;
    }
    return KindOfChannel(channel);
}

// What the products list holds besides the MSG lists: products, foreign satellites, Himawari.
bool InProductList(ItemKind kind) {
    return kind == ItemKind::Product || kind == ItemKind::Fsd || kind == ItemKind::Himawari;
}

}  // namespace

RunFindings::RunFindings(Day day, const StartupState& startup, const ReportOptions& options,
                         const JudgedMinutes& judged) {
    findings_.day = day;
    // Room for a rapid-scan day's MSG channels and files, so that it rarely grows.
    findings_.expected.reserve(startup.IsRapidScan() ? 288 * 18 : 96 * 24);
    findings_.service = startup.Mode;
    findings_.options = options;
    findings_.switches = startup.switches;
    findings_.firstRecord = startup.FirstRecord;
    findings_.recordsAfterNow = startup.AfterNow;
    findings_.judged = judged;
}

std::string RunFindings::LabelOf(ScanSubject subject, ChannelNumber n) {
    if (subject != ScanSubject::Channel) return ItemLabel(KindOf(subject, n), n, findings_.day);
    std::string& label = labels_[static_cast<std::size_t>(n)];
    if (label.empty()) label = ChannelLabel(n, findings_.day);
    return label;
}

FoundItem RunFindings::ItemOf(int m, const ScanItem& item, Within within) {
    return FoundItem{m, KindOf(item.subject, item.channel), item.channel,
                     LabelOf(item.subject, item.channel), item.all, item.segments, within};
}

// Everything examined, nothing of it arrived.
FoundItem RunFindings::AbsentItem(int m, const ScannedChannel& c, Within within) {
    return FoundItem{m, KindOf(c.subject, c.channel), c.channel, LabelOf(c.subject, c.channel),
                     true, SegmentNumbers(c.firstSegment, c.lastSegment), within};
}

void RunFindings::Expect(int m, const std::vector<ScannedChannel>& scanned) {
    for (const ScannedChannel& c : scanned) {
        findings_.expected.push_back(ExpectedChannel{m, KindOf(c.subject, c.channel), c.channel,
                                                     c.firstSegment, c.lastSegment});
    }
}

void RunFindings::RecordScan(int m, ScanFindings& found) {
    Expect(m, found.scanned);
    if (Due(m)) {
        for (const ScanItem& item : found.items) {
            findings_.missing.push_back(ItemOf(m, item, Within::Nothing));
        }
    }
    found.items.clear();
    found.scanned.clear();
}

void RunFindings::RecordAbsent(int m, const std::vector<ScannedChannel>& planned, Within within) {
    Expect(m, planned);
    if (!Due(m)) return;
    for (const ScannedChannel& c : planned) findings_.missing.push_back(AbsentItem(m, c, within));
}

void RunFindings::RecordLate(int m, const std::vector<ScanItem>& items) {
    if (!findings_.judged.LateListed(m)) return;
    for (const ScanItem& item : items) findings_.late.push_back(ItemOf(m, item, Within::Nothing));
}

void RunFindings::RecordUnscannedProducts(int m, const std::vector<ScannedChannel>& planned) {
    if (planned.empty() || !Due(m)) return;
    NotChecked& entry = NotCheckedEntry(NotCheckedReason::NoProductRecord);
    for (const ScannedChannel& c : planned) {
        entry.items.push_back(AbsentItem(m, c, Within::Nothing));
    }
}

void RunFindings::CountCycle(int m) {
    if (Due(m)) ++findings_.dueCycles;
}

void RunFindings::RecordMissingCycle(int m) {
    if (Due(m)) findings_.missingCycles.push_back(m);
}

void RunFindings::RecordAbsentAllDay(std::string name, std::string cycles,
                                     const ChannelSet& channels) {
    AbsentAllDay absent{std::move(name), std::move(cycles), {}};
    for (ChannelNumber n = kFirstChannel; n <= kLastChannel; ++n) {
        if (channels.Contains(n)) absent.channels.push_back(n);
    }
    findings_.absentAllDay.push_back(std::move(absent));
}

NotChecked& RunFindings::NotCheckedEntry(NotCheckedReason reason) {
    for (NotChecked& entry : findings_.notChecked) {
        if (entry.reason == reason) return entry;
    }
    findings_.notChecked.push_back(NotChecked{reason, std::nullopt, {}});
    return findings_.notChecked.back();
}

void RunFindings::ClearProductFindings(NotCheckedReason reason, const std::string& line) {
    std::vector<FoundItem> earlier;
    for (NotChecked& entry : findings_.notChecked) {
        entry.text.reset();
        // What an earlier cut cleared goes with this one, whose line is the one shown.
        if (entry.reason == NotCheckedReason::NoProductsFound) earlier.swap(entry.items);
    }
    NotChecked& entry = NotCheckedEntry(reason);
    entry.text = line;
    entry.items.insert(entry.items.end(), std::make_move_iterator(earlier.begin()),
                       std::make_move_iterator(earlier.end()));
    std::vector<FoundItem> kept;
    for (FoundItem& item : findings_.missing) {
        (InProductList(item.kind) ? entry.items : kept).push_back(std::move(item));
    }
    findings_.missing = std::move(kept);
    std::erase_if(findings_.expected,
                  [](const ExpectedChannel& c) { return InProductList(c.kind); });
    findings_.absentAllDay.clear();
}

void RunFindings::CollectNotYetDue(int cycleMinutes) {
    auto expected = findings_.expected.begin();
    for (int m = 0; m < kMinutesPerDay; ++m) {
        if (!findings_.judged.NotYetDue(m)) continue;
        while (expected != findings_.expected.end() && expected->minute < m) ++expected;
        const bool cycle = cycleMinutes > 0 && m % cycleMinutes == 0;
        if (cycle || (expected != findings_.expected.end() && expected->minute == m)) {
            findings_.notYetDue.push_back(m);
        }
    }
}

void RunFindings::CollectBeforeLogsBegin(int cycleMinutes) {
    for (int m = 0; m < kMinutesPerDay && findings_.judged.BeforeLogsBegin(m); m += cycleMinutes) {
        findings_.beforeLogsBegin.push_back(m);
    }
}

}  // namespace gapscope
