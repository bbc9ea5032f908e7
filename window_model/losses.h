#pragma once

#include <string>
#include <vector>

#include "history/time_keys.h"
#include "report/findings.h"

namespace gapscope {

// One loss a report run found that the window announces when it is new: a missing repeat
// cycle, a channel or file of which nothing arrived in a cycle, or a missing product.
// Segments missing from a channel that partly arrived, late segments and sequence numbers
// are counted, not announced.
struct Loss {
    enum class What { Cycle, Channel, Product };
    What what = What::Cycle;
    int minute = 0;  // of the cycle, in the day
    ItemKind kind = ItemKind::Hrit;
    ChannelNumber channel = 0;
    std::string label;  // the item's label on the day; empty for a cycle
    friend auto operator<=>(const Loss&, const Loss&) = default;
};

// The losses of a report run's findings, sorted. Cycles not yet due and cycles before the
// logs begin are never missing, so never among them.
std::vector<Loss> LossesOf(const Findings& findings);

// A loss in words, as the title and a notification say it: "cycle 11:45 lost", "IR108
// missing since 12:15" (the first of the cycles up to this one, without a cycle between, in
// which the findings expected the item and nothing of it arrived).
std::string LossWords(const Loss& loss, const Findings& findings);

// What the window says of losses that a refresh found and no report of the day had shown.
struct Announcement {
    std::string title;  // "New losses on 2024-01-06"
    std::string text;   // a line per loss in time order (LossWords), the first few, then how many more
    friend bool operator==(const Announcement&, const Announcement&) = default;
};
Announcement AnnounceNewLosses(const Findings& findings, const std::vector<Loss>& fresh);

}  // namespace gapscope
