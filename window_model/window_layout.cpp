#include "window_model/window_layout.h"

#include <algorithm>
#include <utility>

#include "report/report_options.h"

namespace gapscope::layout {

std::vector<std::string_view> TabOrder() {
    using Place = std::pair<int, std::string_view>;
    std::vector<Place> inGroup;
    for (const ControlDesign& design : kGroupControls) {
        if (design.tab >= 0) inGroup.emplace_back(design.tab, design.name);
    }
    for (const BoxDesign& box : kBoxes) {
        const auto field = FindOptionField(box.option);
        if (field && field->offered) inGroup.emplace_back(box.tab, box.name);
    }
    std::vector<Place> inWindow;
    for (const ControlDesign& design : kWindowControls) {
        if (design.tab >= 0) inWindow.emplace_back(design.tab, design.name);
    }
    std::sort(inGroup.begin(), inGroup.end());
    std::sort(inWindow.begin(), inWindow.end());

    std::vector<std::string_view> order;
    for (const auto& [tab, name] : inWindow) {
        if (name != "GroupBoxReportControl") {
            order.push_back(name);
            continue;
        }
        for (const Place& inner : inGroup) order.push_back(inner.second);
    }
    return order;
}

}  // namespace gapscope::layout
