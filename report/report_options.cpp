#include "report/report_options.h"

#include "history/items.h"

namespace gapscope {

const std::array<OptionField, 15>& OptionFields() {
    // Stored names are what stations already hold in their per-user settings: never rename.
    static const std::array<OptionField, 15> fields = {{
        {"ReportMet8LritOnly", &ReportOptions::met8LritOnly, true},
        {"ReportPrologEpilogFiles", &ReportOptions::prologEpilogFiles, true},
        {"ReportIncludeFSD", &ReportOptions::includeFsd, true},
        {"ReportIncludeMPEF", &ReportOptions::includeMpef, true},
        {"ReportIncludeLRIT", &ReportOptions::includeLrit, true},
        {"ReportHourlyFSD", &ReportOptions::hourlyFsd, true},
        {"ReportIncludeGoesMIR", &ReportOptions::includeGoesMir, true},
        {"ReportIncludeRII", &ReportOptions::includeRii, true},
        {"ReportGOES12bypass", &ReportOptions::goes12Bypass, true},
        {"ReportHourlyFY2D", &ReportOptions::hourlyFy2e, true},
        {"ReportIncludeMPE", &ReportOptions::includeMpe, true},
        {"Report30minHimawari", &ReportOptions::himawari30min, true},
        {"ReportDisableMSG1_MPEF", &ReportOptions::disableMsg1Mpef, true},
        {"ReportHourlyFY2G", &ReportOptions::hourlyFy2g, true},
        {"Decontaminating", &ReportOptions::decontaminating, false},
    }};
    return fields;
}

std::optional<OptionField> FindOptionField(std::string_view name) {
    for (const OptionField& field : OptionFields()) {
        if (EqualsIgnoreCase(field.storedName, name)) return field;
    }
    return std::nullopt;
}

}  // namespace gapscope
