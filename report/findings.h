#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "history/scan_mode.h"
#include "history/time_keys.h"
#include "report/judged_minutes.h"
#include "report/report_options.h"
#include "startup/startup_state.h"

namespace gapscope {

// What a report line names: an MSG channel, a prolog or epilog file, an MPEF product, a
// foreign satellite's channel or a Himawari band.
enum class ItemKind { Hrit, Lrit, Prolog, Epilog, Product, Fsd, Himawari };

// The kind of channel n (1..146) by the catalogue's numbering.
ItemKind KindOfChannel(ChannelNumber n);
// "hrit", "lrit", "prolog", "epilog", "product", "fsd", "himawari".
std::string_view ItemKindName(ItemKind kind);

// Why an item stands among the missing without a line of its own: the text says it once
// for many (a missing repeat cycle; a satellite absent the whole day).
enum class Within { Nothing, MissingCycle, AbsentAllDay };

// One channel or file of one cycle that did not arrive in full, or whose segments arrived
// late. `minute` is the minute of the day of its cycle heading ("Cycle: hhnn").
struct FoundItem {
    int minute = 0;
    ItemKind kind = ItemKind::Hrit;
    ChannelNumber channel = 0;  // prolog/epilog: 1 for the HRIT file, 13 for the LRIT file
    std::string label;          // the channel's label on the day ("HRIT prolog" for a file)
    // Missing: nothing of it arrived ("missing", "all missing"); late: every segment was
    // late ("all"). `segments` names the segments concerned in any case.
    bool all = false;
    std::vector<int> segments;
    Within within = Within::Nothing;
    friend bool operator==(const FoundItem&, const FoundItem&) = default;
};

// A channel or file the report judged in a cycle (the minute of its heading), with the
// segments it expects there (first..last; a file, or a product checked for presence only,
// is the one segment 1).
struct ExpectedChannel {
    int minute = 0;
    ItemKind kind = ItemKind::Hrit;
    ChannelNumber channel = 0;
    int firstSegment = 1;
    int lastSegment = 1;
    int SegmentCount() const { return lastSegment - firstSegment + 1; }
    friend bool operator==(const ExpectedChannel&, const ExpectedChannel&) = default;
};

// A satellite the products list gives one day-long line ("FY-2G missing").
struct AbsentAllDay {
    std::string name;   // "FY-2G", "FY-2E", "Himawari"
    std::string cycles;  // as the heading says: "0000..2300", "0030..2330", "0000..2330"
    std::vector<ChannelNumber> channels;
    friend bool operator==(const AbsentAllDay&, const AbsentAllDay&) = default;
};

// One DCP or MDD sequence-number block.
struct SequenceFinding {
    SequenceKind kind = 0;
    std::string name;            // the block's title without " report": "DCP", "MDD (ACMAD)"
    int found = 0;               // characters of the sequence string, as "found" in the text
    int received = 0;            // numbers that arrived (found less missing)
    std::vector<int> missing;    // numbers that did not arrive
    std::vector<int> repeated;   // numbers that arrived more than once
    friend bool operator==(const SequenceFinding&, const SequenceFinding&) = default;
};

// A check the report skipped, or whose findings it cleared from its list.
enum class NotCheckedReason {
    MpefNotIncluded,     // "Include MPEF" unchecked: no MPEF product is looked for
    MpeNotChecked,       // MPE left out of the product sets ("*** MPE (not checked) ***")
    NoProductsFound,     // rapid scan or parallel: no product segment all day, list cleared
    PartialScan,         // a rapid-scan fill-in day, list cleared
    IodcMpefNotStarted,  // IODC before its MPEF service, list cleared
    LritOnly,            // "MSG FTP LRIT only": no HRIT, products or sequence numbers
    NoProductRecord,     // a cycle whose record held MSG data only: its products were not looked for
};
std::string_view NotCheckedReasonName(NotCheckedReason reason);

struct NotChecked {
    NotCheckedReason reason = NotCheckedReason::MpefNotIncluded;
    // The line the report shows for it, as shown; nullopt when no line says so.
    std::optional<std::string> text;
    // What the skipped or cleared check found missing or would have looked for.
    std::vector<FoundItem> items;
    friend bool operator==(const NotChecked&, const NotChecked&) = default;
};

// What one report run found, beside its four text lists and from the same decisions.
// Minutes are minutes of the report day (0..1439). Everything the text summarises (a
// missing cycle, a satellite absent all day, a band group, an hour of RII, a run of MPE)
// is here item by item.
struct Findings {
    Day day{};
    ScanMode service = ScanMode::Prime;
    ReportOptions options;
    Switches switches;

    std::vector<int> missingCycles;
    // The repeat cycles that are due and could be missing: those of `missingCycles` among them.
    int dueCycles = 0;
    std::vector<FoundItem> missing;
    std::vector<FoundItem> late;
    std::vector<AbsentAllDay> absentAllDay;
    std::vector<SequenceFinding> sequences;
    // The DCP and MDD kinds of which the file history records no message on the day but
    // does on one of the seven days before, in the order of the blocks: "no message
    // recorded". Nullopt while the day is not over, and when sequence numbers are not
    // looked at ("MSG FTP LRIT only").
    std::optional<std::vector<SequenceKind>> noMessageRecorded;
    // The channels judged in each cycle, by rising minute; every missing item is among
    // its cycle's expected channels.
    std::vector<ExpectedChannel> expected;
    // Which minutes the run judged (JudgeMinutes), and the first record it judged them by.
    JudgedMinutes judged;
    std::optional<MinuteTime> firstRecord;
    // Records of the segment history stamped after the time the logs were read (a station
    // clock set wrong), as the start-up counted them.
    RecordsAfterNow recordsAfterNow;
    // Cycles of the current day not yet due (after the current minute less the grace
    // period): expected, never missing.
    std::vector<int> notYetDue;
    // Repeat cycles before the first record of the segment history: neither expected nor
    // missing (on a day wholly before the logs begin, every cycle of the day).
    std::vector<int> beforeLogsBegin;
    std::vector<NotChecked> notChecked;
    friend bool operator==(const Findings&, const Findings&) = default;
};

// "hhnn" of a minute of the day.
std::string CycleHhnn(int minute);

// The label a report line gives the item on the day: the channel's label, or "HRIT
// prolog", "LRIT epilog" and so on for the files (channel 1: HRIT, 13: LRIT).
std::string ItemLabel(ItemKind kind, ChannelNumber channel, Day day);

// The day's counts, as the summary line of a range gives them.
struct DaySummary {
    int missingCycles = 0;
    // Channels and prolog/epilog files incomplete or missing (foreign satellites and
    // Himawari included), outside missing cycles.
    int channels = 0;
    // Their missing segments (a file counts as its one segment).
    int segments = 0;
    int lateSegments = 0;
    // MPEF products missing, outside missing cycles.
    int products = 0;
    int sequenceNumbers = 0;

    DaySummary& operator+=(const DaySummary& other);
    friend bool operator==(const DaySummary&, const DaySummary&) = default;
};
DaySummary Summarise(const Findings& findings);
// Whether the day's counts take a missing item as a product; any other item is a channel or
// file, counted with its segments.
inline bool CountsAsProduct(ItemKind kind) { return kind == ItemKind::Product; }

}  // namespace gapscope
