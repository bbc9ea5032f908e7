#pragma once

// The findings of one report run, recorded beside its text lists from the same decisions:
// what each minute expected, what of it is missing or late, and what went unchecked. A
// minute not yet due is expected there but never missing.

#include <array>
#include <string>
#include <vector>

#include "history/segment_scan.h"
#include "report/findings.h"

namespace gapscope {

class RunFindings {
public:
    RunFindings(Day day, const StartupState& startup, const ReportOptions& options,
                const JudgedMinutes& judged);

    const JudgedMinutes& Judged() const { return findings_.judged; }
    bool Due(int minute) const { return findings_.judged.Judges(minute); }

    // What a scan examined and found at minute m: expected there, and its items missing
    // unless the cycle is not yet due. Empties `found` for the next scan.
    void RecordScan(int m, ScanFindings& found);
    // Channels the text gives one line for: expected at m and, when due, missing.
    void RecordAbsent(int m, const std::vector<ScannedChannel>& planned, Within within);
    void RecordLate(int m, const std::vector<ScanItem>& items);
    // A due cycle whose record named no product: what it would have looked for.
    void RecordUnscannedProducts(int m, const std::vector<ScannedChannel>& planned);
    // A repeat cycle that can be missing, and one that is.
    void CountCycle(int m);
    void RecordMissingCycle(int m);
    void RecordAbsentAllDay(std::string name, std::string cycles, const ChannelSet& channels);
    std::vector<SequenceFinding>& Sequences() { return findings_.sequences; }
    void RecordNoMessage(std::vector<SequenceKind> kinds) {
        findings_.noMessageRecorded = std::move(kinds);
    }

    NotChecked& NotCheckedEntry(NotCheckedReason reason);
    // The products list was cut back to its header: what it held is findings no more, and
    // a line shown for another reason before is gone with it.
    void ClearProductFindings(NotCheckedReason reason, const std::string& line);

    // The repeat cycles (every `cycleMinutes`, none when 0) and the other minutes with
    // expected items that are not yet due.
    void CollectNotYetDue(int cycleMinutes);
    // The repeat cycles before the logs begin.
    void CollectBeforeLogsBegin(int cycleMinutes);

    Findings Take() { return std::move(findings_); }

private:
    std::string LabelOf(ScanSubject subject, ChannelNumber n);
    FoundItem ItemOf(int m, const ScanItem& item, Within within);
    FoundItem AbsentItem(int m, const ScannedChannel& c, Within within);
    void Expect(int m, const std::vector<ScannedChannel>& scanned);

    Findings findings_;
    // Labels of the day by channel, made once.
    std::array<std::string, kLastChannel + 1> labels_;
};

}  // namespace gapscope
