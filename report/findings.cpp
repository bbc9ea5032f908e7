#include "report/findings.h"

#include <cstdio>

#include "catalogue/calendar_rules.h"
#include "catalogue/labels.h"

namespace gapscope {

ItemKind KindOfChannel(ChannelNumber n) {
    namespace cal = calendar;
    if (cal::kHrit.Contains(n)) return ItemKind::Hrit;
    if (cal::kLrit.Contains(n)) return ItemKind::Lrit;
    if (cal::Contains(cal::kHimawariBands, n)) return ItemKind::Himawari;
    if (cal::Contains(cal::kForeignImages, n)) return ItemKind::Fsd;
    return ItemKind::Product;
}

std::string_view ItemKindName(ItemKind kind) {
    switch (kind) {
        case ItemKind::Hrit:
            return "hrit";
        case ItemKind::Lrit:
            return "lrit";
        case ItemKind::Prolog:
            return "prolog";
        case ItemKind::Epilog:
            return "epilog";
        case ItemKind::Product:
            return "product";
        case ItemKind::Fsd:
            return "fsd";
        case ItemKind::Himawari:
            return "himawari";
    }
    return "hrit";
}

std::string_view NotCheckedReasonName(NotCheckedReason reason) {
    switch (reason) {
        case NotCheckedReason::MpefNotIncluded:
            return "mpef_not_included";
        case NotCheckedReason::MpeNotChecked:
            return "mpe_not_checked";
        case NotCheckedReason::NoProductsFound:
            return "no_products_found";
        case NotCheckedReason::PartialScan:
            return "partial_scan";
        case NotCheckedReason::IodcMpefNotStarted:
            return "iodc_mpef_not_started";
        case NotCheckedReason::LritOnly:
            return "lrit_only";
        case NotCheckedReason::NoProductRecord:
            return "no_product_record";
    }
    return "mpef_not_included";
}

std::string CycleHhnn(int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", minute / 60 % 100, minute % 60);
    return text;
}

std::string ItemLabel(ItemKind kind, ChannelNumber channel, Day day) {
    if (kind != ItemKind::Prolog && kind != ItemKind::Epilog) return ChannelLabel(channel, day);
    return std::string(channel == calendar::kLrit.first ? "LRIT" : "HRIT") +
           (kind == ItemKind::Prolog ? " prolog" : " epilog");
}

DaySummary& DaySummary::operator+=(const DaySummary& other) {
    missingCycles += other.missingCycles;
    channels += other.channels;
    segments += other.segments;
    lateSegments += other.lateSegments;
    products += other.products;
    sequenceNumbers += other.sequenceNumbers;
    return *this;
}

DaySummary Summarise(const Findings& findings) {
    DaySummary summary;
    summary.missingCycles = static_cast<int>(findings.missingCycles.size());
    for (const FoundItem& item : findings.missing) {
        // A missing cycle is counted once, as a cycle.
        if (item.within == Within::MissingCycle) continue;
        if (CountsAsProduct(item.kind)) {
            ++summary.products;
        } else {
            ++summary.channels;
            summary.segments += static_cast<int>(item.segments.size());
        }
    }
    for (const FoundItem& item : findings.late) {
        summary.lateSegments += static_cast<int>(item.segments.size());
    }
    for (const SequenceFinding& block : findings.sequences) {
        summary.sequenceNumbers += static_cast<int>(block.missing.size());
    }
    return summary;
}

}  // namespace gapscope
