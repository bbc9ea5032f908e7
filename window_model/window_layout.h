#pragma once

#include <optional>
#include <string_view>
#include <vector>

// The main window's layout as designed, for every window front: pixels for a 96-dpi screen
// and a 13-pixel text height. A front scales them for its screen's DPI; the captions,
// defaults and tooltips of the option boxes are the option table's (report_options.h).

namespace gapscope::layout {

// The size the window opens at, and its least: it can be made larger.
inline constexpr int kClientWidth = 624;
inline constexpr int kClientHeight = 622;
inline constexpr int kRowHeight = 13;  // of the four report lists

enum class Kind { Label, List, GroupBox, Button, DatePicker };

// One control placed in the window (or, for kGroupControls, in the report settings group).
// A label's size follows its text (width and height 0). `tab` is the control's place in the
// tab order of its parent; -1 for a control that takes no focus. The captions are as the
// operator reads them (an ampersand is one character).
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
    // The day's counts, one line below the lists (the model's CountsLine).
    {"LabelCounts", Kind::Label, 8, 559, 608, 17, -1, ""},
    {"LabelSource", Kind::Label, 16, 594, 0, 0, -1, "Data source"},
    {"ButtonSave", Kind::Button, 448, 589, 81, 25, 6, "Save"},
    {"ButtonClose", Kind::Button, 535, 589, 81, 25, 0, "Close"},
};

// How a control of kWindowControls follows the window when it is made larger than
// designed: where its left, top, right and bottom edges go, each in thirds of the extra
// width or height (0 stays with the top left corner, 3 goes with the bottom right). The
// four lists take all the extra room, in their order and places: the left column's lists
// the extra width, each row of lists a third of the extra height; the report settings
// stay as they are, and the foot goes with the bottom.
struct Stretch {
    const char* name;
    int left;
    int top;
    int right;
    int bottom;
};
inline constexpr Stretch kStretches[] = {
    {"LabelMissingSegments", 0, 0, 0, 0},
    {"ListBoxMissingSegs", 0, 0, 3, 1},
    {"LabelMissingMpefSegments", 0, 1, 0, 1},
    {"ListBoxMissingProduct", 0, 1, 3, 2},
    {"LabelLateSegments", 0, 2, 0, 2},
    {"ListBoxLateSegs", 0, 2, 3, 3},
    {"GroupBoxReportControl", 3, 0, 3, 0},
    {"LabelMissingScans", 3, 2, 3, 2},
    {"ListBoxMissingSlots", 3, 2, 3, 3},
    {"LabelCounts", 0, 3, 3, 3},
    {"LabelSource", 0, 3, 0, 3},
    {"ButtonSave", 3, 3, 3, 3},
    {"ButtonClose", 3, 3, 3, 3},
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Where a control of kWindowControls stands in a client area of the given size (in the
// layout's pixels), which is taken as at least the designed one. A label sized to its text keeps width and height 0.
Rect Place(const ControlDesign& design, int clientWidth, int clientHeight);

// Where the window opens, in the coordinates of the screen's available area `screen`
// (both of the client area): the stored placement, no smaller than designed, no larger
// than the screen and moved onto it; without one, the designed size in the middle.
Rect OpeningPlacement(const std::optional<Rect>& stored, const Rect& screen);

inline constexpr ControlDesign kGroupControls[] = {
    {"LabelDate", Kind::Label, 17, 22, 0, 0, -1, "Choose day"},
    {"DateTimePickerDate", Kind::DatePicker, 17, 38, 104, 25, 0, ""},
    {"ButtonToday", Kind::Button, 135, 37, 74, 25, 1, "Today"},
};

// One option check box of the report settings group, x, y relative to the group, for the
// option stored (or known) under `option`. A box whose option is not offered is never shown.
struct BoxDesign {
    const char* name;
    const char* option;
    int x;
    int y;
    int tab;
};
inline constexpr int kBoxWidth = 206;
inline constexpr int kBoxHeight = 17;

inline constexpr BoxDesign kBoxes[] = {
    {"CheckBoxReportGOES12bypass", "ReportGOES12bypass", 139, 14, 11},
    {"CheckBoxDecontaminating", "Decontaminating", 19, 84, 2},
    {"CheckBoxDisableMSG1_MPEF", "ReportDisableMSG1_MPEF", 19, 107, 15},
    {"CheckBoxReportHourlyFSD", "ReportHourlyFSD", 19, 131, 3},
    {"CheckBoxReportIncludeFSD", "ReportIncludeFSD", 19, 155, 6},
    {"CheckBoxReportHourlyFY2D", "ReportHourlyFY2D", 19, 179, 12},
    {"CheckBoxReportHourlyFY2G", "ReportHourlyFY2G", 19, 202, 16},
    {"CheckBoxReport30minHimawari", "Report30minHimawari", 19, 226, 14},
    {"CheckBoxReportIncludeLRIT", "ReportIncludeLRIT", 19, 250, 8},
    {"CheckBoxReportIncludeGoesMIR", "ReportIncludeGoesMIR", 19, 274, 9},
    {"CheckBoxReportIncludeMPE", "ReportIncludeMPE", 19, 297, 13},
    {"CheckBoxReportIncludeMPEF", "ReportIncludeMPEF", 19, 321, 7},
    {"CheckBoxReportIncludeRII", "ReportIncludeRII", 19, 345, 10},
    {"CheckBoxMet8LritOnly", "ReportMet8LritOnly", 19, 369, 4},
    {"CheckBoxReportPrologAndEpilogFiles", "ReportPrologEpilogFiles", 19, 393, 5},
};

// The controls that take focus, in the order Tab visits them from the first: the window's
// controls by their tab numbers, the group's own controls and shown boxes standing at the
// group's place (the group takes no focus itself).
std::vector<std::string_view> TabOrder();

}  // namespace gapscope::layout
