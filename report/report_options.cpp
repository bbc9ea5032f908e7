#include "report/report_options.h"

#include "history/items.h"

namespace gapscope {

const std::array<OptionField, 15>& OptionFields() {
    // Stored names are what stations already hold in their per-user settings: never rename.
    static const std::array<OptionField, 15> fields = {{
        {"ReportMet8LritOnly", &ReportOptions::met8LritOnly, true, false, "MSG FTP LRIT only",
         "Check this box if the ONLY data you get is Met-8/9 LRIT data from the FTP service"},
        {"ReportPrologEpilogFiles", &ReportOptions::prologEpilogFiles, true, true,
         "Prolog & epilog files", ""},
        {"ReportIncludeFSD", &ReportOptions::includeFsd, true, true, "Include FSD", ""},
        {"ReportIncludeMPEF", &ReportOptions::includeMpef, true, true, "Include MPEF", ""},
        {"ReportIncludeLRIT", &ReportOptions::includeLrit, true, false, "Include LRIT", ""},
        {"ReportHourlyFSD", &ReportOptions::hourlyFsd, true, true, "Hourly FSD", ""},
        {"ReportIncludeGoesMIR", &ReportOptions::includeGoesMir, true, true, "Include mid-IR", ""},
        {"ReportIncludeRII", &ReportOptions::includeRii, true, true,
         "Include RII  (data channel 4)",
         "Before 2011-Mar-24, data was sent on [EUMETSAT_Data_Channel_4]"},
        {"ReportGOES12bypass", &ReportOptions::goes12Bypass, true, false, "GOES-12 from GOES-10",
         "", false},
        {"ReportHourlyFY2D", &ReportOptions::hourlyFy2e, true, false, "Include FY-2E",
         "Data will be labelled as FY-2D, 86.5E"},
        {"ReportIncludeMPE", &ReportOptions::includeMpe, true, true, "Include MPE", ""},
        {"Report30minHimawari", &ReportOptions::himawari30min, true, false, "Include Himawari-8/9",
         ""},
        {"ReportDisableMSG1_MPEF", &ReportOptions::disableMsg1Mpef, true, false,
         "Detect RSS fill-in (no MPEF)", "Check to ignore MSG-1/2 RSS MPEF"},
        {"ReportHourlyFY2G", &ReportOptions::hourlyFy2g, true, true, "Include FY-2G",
         "Data will be labelled as FY-2C"},
        {"Decontaminating", &ReportOptions::decontaminating, false, false, "Decontaminating",
         "Check to ignore MSG-1 thermal data"},
    }};
    return fields;
}

// A member without its row would start undefined.
static_assert(sizeof(ReportOptions) == std::tuple_size_v<std::array<OptionField, 15>>);

ReportOptions::ReportOptions() {
    for (const OptionField& field : OptionFields()) this->*field.member = field.designDefault;
}

std::optional<OptionField> FindOptionField(std::string_view name) {
    for (const OptionField& field : OptionFields()) {
        if (EqualsIgnoreCase(field.storedName, name)) return field;
    }
    return std::nullopt;
}

}  // namespace gapscope
