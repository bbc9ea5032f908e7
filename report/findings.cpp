#include "report/findings.h"

#include <cstdio>

#include "catalogue/labels.h"

namespace gapscope {

ItemKind KindOfChannel(ChannelNumber n) {
    if (n >= 1 && n <= 12) return ItemKind::Hrit;
    if (n >= 13 && n <= 17) return ItemKind::Lrit;
    if ((n >= 93 && n <= 106) || n == 123 || n == 124) return ItemKind::Himawari;
    // GOES, MTSAT, Meteosat 5 and 7, GOMS, FY-2 and the GOES-R bands.
    if ((n >= 18 && n <= 29) || (n >= 43 && n <= 45) || (n >= 56 && n <= 58) ||
        (n >= 60 && n <= 64) || (n >= 67 && n <= 72) || (n >= 77 && n <= 82) || n == 84 ||
        (n >= 87 && n <= 92) || (n >= 107 && n <= 122) || (n >= 125 && n <= 146)) {
        return ItemKind::Fsd;
    }
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
    return std::string(channel == 13 ? "LRIT" : "HRIT") +
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
