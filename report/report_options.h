#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace gapscope {

// The fifteen option check boxes of a report run: fourteen kept per user, plus
// "Decontaminating", which always starts unchecked. A default-made value holds the design
// defaults of the option table below.
struct ReportOptions {
    ReportOptions();

    bool met8LritOnly;
    bool prologEpilogFiles;
    bool includeFsd;
    bool includeMpef;
    bool includeLrit;
    bool hourlyFsd;
    bool includeGoesMir;
    bool includeRii;
    bool goes12Bypass;
    bool hourlyFy2e;  // stored as ReportHourlyFY2D
    bool includeMpe;
    bool himawari30min;
    bool disableMsg1Mpef;
    bool hourlyFy2g;
    bool decontaminating;

    friend bool operator==(const ReportOptions&, const ReportOptions&) = default;
};

// One option, as the command line, the per-user store and every window know it.
struct OptionField {
    std::string_view storedName;  // e.g. "ReportIncludeLRIT"; "Decontaminating" is not stored
    bool ReportOptions::*member;
    bool stored;
    bool designDefault;
    // The box's caption as the operator reads it (an ampersand is one character).
    std::string_view caption;
    std::string_view tooltip;  // empty: the box has none
    bool offered = true;       // false: kept and used on every run, but no box shows it
};

// The option table: the fourteen stored options in the order they are kept, then
// "Decontaminating".
const std::array<OptionField, 15>& OptionFields();
// The field whose name equals `name` ignoring ASCII letter case.
std::optional<OptionField> FindOptionField(std::string_view name);

}  // namespace gapscope
