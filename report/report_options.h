#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace gapscope {

// The fifteen option check boxes of a report run: fourteen kept per user, plus
// "Decontaminating", which always starts unchecked.
struct ReportOptions {
    bool met8LritOnly = false;        // "MSG FTP LRIT only"
    bool prologEpilogFiles = true;    // "Prolog && epilog files"
    bool includeFsd = true;           // "Include FSD"
    bool includeMpef = true;          // "Include MPEF"
    bool includeLrit = false;         // "Include LRIT"
    bool hourlyFsd = true;            // "Hourly FSD"
    bool includeGoesMir = true;       // "Include mid-IR"
    bool includeRii = true;           // "Include RII  (data channel 4)"
    bool goes12Bypass = false;        // "GOES-12 from GOES-10" (hidden)
    bool hourlyFy2e = false;          // "Include FY-2E" (stored as ReportHourlyFY2D)
    bool includeMpe = true;           // "Include MPE"
    bool himawari30min = false;       // "Include Himawari-8/9"
    bool disableMsg1Mpef = false;     // "Detect RSS fill-in (no MPEF)"
    bool hourlyFy2g = true;           // "Include FY-2G"
    bool decontaminating = false;     // "Decontaminating", never stored

    friend bool operator==(const ReportOptions&, const ReportOptions&) = default;
};

// One option by the name under which it is stored per user (and "Decontaminating").
struct OptionField {
    std::string_view storedName;  // e.g. "ReportIncludeLRIT"; "Decontaminating" is not stored
    bool ReportOptions::*member;
    bool stored;
};

// The fourteen stored options in the order they are kept, then "Decontaminating".
const std::array<OptionField, 15>& OptionFields();
// The field whose name equals `name` ignoring ASCII letter case.
std::optional<OptionField> FindOptionField(std::string_view name);

}  // namespace gapscope
