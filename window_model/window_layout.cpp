#include "window_model/window_layout.h"

#include <algorithm>
#include <utility>

#include "report/report_options.h"

namespace gapscope::layout {

Rect Place(const ControlDesign& design, int clientWidth, int clientHeight) {
    const int extraWidth = std::max(0, clientWidth - kClientWidth);
    const int extraHeight = std::max(0, clientHeight - kClientHeight);
    Stretch stretch{design.name, 0, 0, 0, 0};
    for (const Stretch& s : kStretches) {
        if (std::string_view(s.name) == design.name) stretch = s;
    }
    // Whole thirds of one extra amount, so that edges that move alike stay together.
    const auto by = [](int extra, int thirds) { return extra * thirds / 3; };
    const int left = design.x + by(extraWidth, stretch.left);
    const int top = design.y + by(extraHeight, stretch.top);
    if (design.width <= 0) return {left, top, 0, 0};
    const int right = design.x + design.width + by(extraWidth, stretch.right);
    const int bottom = design.y + design.height + by(extraHeight, stretch.bottom);
    return {left, top, right - left, bottom - top};
}

Rect OpeningPlacement(const std::optional<Rect>& stored, const Rect& screen) {
    Rect place{0, 0, kClientWidth, kClientHeight};
    if (stored) place = *stored;
    place.width = std::max(kClientWidth, std::min(place.width, screen.width));
    place.height = std::max(kClientHeight, std::min(place.height, screen.height));
    if (!stored) {
        place.x = screen.x + (screen.width - place.width) / 2;
        place.y = screen.y + (screen.height - place.height) / 2;
    }
    // Onto the screen, as much of it as fits: a screen taken away since leaves none of it off.
    place.x = std::max(screen.x, std::min(place.x, screen.x + screen.width - place.width));
    place.y = std::max(screen.y, std::min(place.y, screen.y + screen.height - place.height));
    return place;
}

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
