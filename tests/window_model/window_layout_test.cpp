#include "window_model/window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "report/report_options.h"

namespace gapscope::layout {
namespace {

struct Box {
    int x, y, width, height;
    bool Contains(const Box& o) const {
        return o.x >= x && o.y >= y && o.x + o.width <= x + width && o.y + o.height <= y + height;
    }
    bool Overlaps(const Box& o) const {
        return o.x < x + width && x < o.x + o.width && o.y < y + height && y < o.y + o.height;
    }
};

// The controls of a table that have a size of their own (a label's follows its text).
template <typename Range>
std::vector<std::pair<std::string, Box>> Sized(const Range& controls) {
    std::vector<std::pair<std::string, Box>> sized;
    for (const ControlDesign& d : controls) {
        if (d.width > 0) sized.push_back({d.name, {d.x, d.y, d.width, d.height}});
    }
    return sized;
}

void ExpectInsideAndApart(const Box& parent,
                          const std::vector<std::pair<std::string, Box>>& sized) {
    for (std::size_t i = 0; i < sized.size(); ++i) {
        EXPECT_TRUE(parent.Contains(sized[i].second)) << sized[i].first;
        for (std::size_t j = i + 1; j < sized.size(); ++j) {
            EXPECT_FALSE(sized[i].second.Overlaps(sized[j].second))
                << sized[i].first << " / " << sized[j].first;
        }
    }
}

TEST(WindowLayout, ControlsLieInsideTheirParentAndClearOfEachOther) {
    ExpectInsideAndApart({0, 0, kClientWidth, kClientHeight}, Sized(kWindowControls));
    const auto group =
        std::find_if(std::begin(kWindowControls), std::end(kWindowControls),
                     [](const ControlDesign& d) { return d.kind == Kind::GroupBox; });
    ASSERT_NE(group, std::end(kWindowControls));
    auto inGroup = Sized(kGroupControls);
    for (const BoxDesign& b : kBoxes) {
        if (FindOptionField(b.option)->offered)
            inGroup.push_back({b.name, {b.x, b.y, kBoxWidth, kBoxHeight}});
    }
    ExpectInsideAndApart({0, 0, group->width, group->height}, inGroup);
}

TEST(WindowLayout, EveryOptionHasOneBoxAndTheShownBoxesReadInCaptionOrder) {
    std::set<std::string> options;
    std::vector<std::pair<int, std::string>> shown;
    for (const BoxDesign& b : kBoxes) {
        const auto field = FindOptionField(b.option);
        ASSERT_TRUE(field) << b.name;
        EXPECT_TRUE(options.insert(std::string(field->storedName)).second) << b.name;
        std::string caption(field->caption);
        std::transform(caption.begin(), caption.end(), caption.begin(), ::tolower);
        if (field->offered) shown.emplace_back(b.y, caption);
    }
    EXPECT_EQ(options.size(), OptionFields().size());
    // gapscope-report --help lists them by caption, as the window does top to bottom.
    std::sort(shown.begin(), shown.end());
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; }));
}

TEST(WindowLayout, TabOrderFollowsTheDesignWithTheGroupsControlsAtItsPlace) {
    const std::vector<std::string_view> order = TabOrder();
    ASSERT_EQ(order.size(), 22u);  // four lists, picker, Today, 14 shown boxes, Save, Close
    const std::vector<std::string_view> start(order.begin(), order.begin() + 8);
    EXPECT_EQ(start, (std::vector<std::string_view>{
                         "ButtonClose", "ListBoxMissingSegs", "ListBoxMissingProduct",
                         "ListBoxLateSegs", "DateTimePickerDate", "ButtonToday",
                         "CheckBoxDecontaminating", "CheckBoxReportHourlyFSD"}));
    const std::vector<std::string_view> end(order.end() - 5, order.end());
    EXPECT_EQ(end, (std::vector<std::string_view>{
                       "CheckBoxReport30minHimawari", "CheckBoxDisableMSG1_MPEF",
                       "CheckBoxReportHourlyFY2G", "ListBoxMissingSlots", "ButtonSave"}));
    EXPECT_EQ(std::count(order.begin(), order.end(), "CheckBoxReportGOES12bypass"), 0);
}

}  // namespace
}  // namespace gapscope::layout
