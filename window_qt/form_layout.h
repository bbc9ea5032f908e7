#pragma once

// The main window's layout as designed: pixels for a 96-dpi screen and a 13-pixel text
// height, never scaled. The window is built from these tables, and its tests read them.

namespace gapscope::layout {

inline constexpr int kClientWidth = 624;
inline constexpr int kClientHeight = 600;
inline constexpr int kRowHeight = 13;  // of the four report lists

enum class Kind { Label, List, GroupBox, Button, DatePicker };

// One control placed in the window (or, for kGroupControls, in the report settings group).
// A label's size follows its text (width and height 0). `tab` is the control's place in the
// tab order of its parent; -1 for a control that takes no focus.
struct ControlDesign {
    const char* name;
    Kind kind;
    int x;
    int y;
    int width;
    int height;
    int tab;
    const char* text;
};

inline constexpr ControlDesign kWindowControls[] = {
    {"LabelMissingSegments", Kind::Label, 8, 8, 0, 0, -1, "Missing HRIT & LRIT segments"},
    {"ListBoxMissingSegs", Kind::List, 8, 24, 337, 137, 1, ""},
    {"LabelMissingMpefSegments", Kind::Label, 8, 176, 0, 0, -1,
     "Missing rebroadcast & derived segments"},
    {"ListBoxMissingProduct", Kind::List, 8, 192, 337, 234, 2, ""},
    {"LabelLateSegments", Kind::Label, 8, 440, 0, 0, -1, "Late segments"},
    {"ListBoxLateSegs", Kind::List, 8, 456, 337, 97, 3, ""},
    {"GroupBoxReportControl", Kind::GroupBox, 376, 8, 240, 418, 4, " Report Settings "},
    {"LabelMissingScans", Kind::Label, 376, 440, 0, 0, -1, "Missing repeat cycles"},
    {"ListBoxMissingSlots", Kind::List, 376, 456, 240, 97, 5, ""},
    {"LabelSource", Kind::Label, 16, 572, 0, 0, -1, "Data source"},
    {"ButtonSave", Kind::Button, 448, 567, 81, 25, 6, "Save"},
    {"ButtonClose", Kind::Button, 535, 567, 81, 25, 0, "Close"},
};

inline constexpr ControlDesign kGroupControls[] = {
    {"LabelDate", Kind::Label, 17, 22, 0, 0, -1, "Choose day"},
    {"DateTimePickerDate", Kind::DatePicker, 17, 38, 104, 25, 0, ""},
    {"ButtonToday", Kind::Button, 135, 37, 74, 25, 1, "Today"},
};

// One option check box of the report settings group; x, y relative to the group. `option`
// names the report option the box stands for; only `stored` boxes are kept per user, under
// that name. A null tooltip: the box has none.
struct BoxDesign {
    const char* name;
    const char* text;
    int x;
    int y;
    int tab;
    bool checked;
    const char* option;
    bool stored;
    const char* tooltip;
    bool visible = true;
};
inline constexpr int kBoxWidth = 206;
inline constexpr int kBoxHeight = 17;

inline constexpr BoxDesign kBoxes[] = {
    // Kept and used on every run, but no longer offered to the operator.
    {"CheckBoxReportGOES12bypass", "GOES-12 from GOES-10", 139, 14, 11, false, "ReportGOES12bypass",
     true, nullptr, false},
    {"CheckBoxDecontaminating", "Decontaminating", 19, 84, 2, false, "Decontaminating", false,
     "Check to ignore MSG-1 thermal data"},
    {"CheckBoxDisableMSG1_MPEF", "Detect RSS fill-in (no MPEF)", 19, 107, 15, false,
     "ReportDisableMSG1_MPEF", true, "Check to ignore MSG-1/2 RSS MPEF"},
    {"CheckBoxReportHourlyFSD", "Hourly FSD", 19, 131, 3, true, "ReportHourlyFSD", true, nullptr},
    {"CheckBoxReportIncludeFSD", "Include FSD", 19, 155, 6, true, "ReportIncludeFSD", true,
     nullptr},
    {"CheckBoxReportHourlyFY2D", "Include FY-2E", 19, 179, 12, false, "ReportHourlyFY2D", true,
     "Data will be labelled as FY-2D, 86.5E"},
    {"CheckBoxReportHourlyFY2G", "Include FY-2G", 19, 202, 16, true, "ReportHourlyFY2G", true,
     "Data will be labelled as FY-2C"},
    {"CheckBoxReport30minHimawari", "Include Himawari-8/9", 19, 226, 14, false,
     "Report30minHimawari", true, nullptr},
    {"CheckBoxReportIncludeLRIT", "Include LRIT", 19, 250, 8, false, "ReportIncludeLRIT", true,
     nullptr},
    {"CheckBoxReportIncludeGoesMIR", "Include mid-IR", 19, 274, 9, true, "ReportIncludeGoesMIR",
     true, nullptr},
    {"CheckBoxReportIncludeMPE", "Include MPE", 19, 297, 13, true, "ReportIncludeMPE", true,
     nullptr},
    {"CheckBoxReportIncludeMPEF", "Include MPEF", 19, 321, 7, true, "ReportIncludeMPEF", true,
     nullptr},
    {"CheckBoxReportIncludeRII", "Include RII  (data channel 4)", 19, 345, 10, true,
     "ReportIncludeRII", true, "Before 2011-Mar-24, data was sent on [EUMETSAT_Data_Channel_4]"},
    {"CheckBoxMet8LritOnly", "MSG FTP LRIT only", 19, 369, 4, false, "ReportMet8LritOnly", true,
     "Check this box if the ONLY data you get is Met-8/9 LRIT data from the FTP service"},
    {"CheckBoxReportPrologAndEpilogFiles", "Prolog && epilog files", 19, 393, 5, true,
     "ReportPrologEpilogFiles", true, nullptr},
};

}  // namespace gapscope::layout
