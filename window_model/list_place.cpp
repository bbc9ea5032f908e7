#include "window_model/list_place.h"

#include <string_view>

namespace gapscope {
namespace {

// The line a row stands under: the nearest line above it that is not indented ("Cycle:
// 0615"); none for a row that is not indented itself.
std::string_view HeadOf(const Lines& lines, std::size_t row) {
    if (!lines[row].starts_with(' ')) return {};
    for (std::size_t i = row; i-- > 0;) {
        if (!lines[i].starts_with(' ')) return lines[i];
    }
    return {};
}

}  // namespace

std::optional<std::size_t> RowAfterRefill(const Lines& before, std::optional<std::size_t> row,
                                          const Lines& after) {
    if (!row || *row >= before.size()) return std::nullopt;
    const std::string& line = before[*row];
    const std::string_view head = HeadOf(before, *row);
    const auto same = [&](std::size_t i) {
        return i < after.size() && after[i] == line && HeadOf(after, i) == head;
    };
    // Outwards from the old row: lines added above or below move it only a little.
    for (std::size_t distance = 0; distance <= *row || *row + distance < after.size();
         ++distance) {
        if (same(*row + distance)) return *row + distance;
        if (distance <= *row && same(*row - distance)) return *row - distance;
    }
    return std::nullopt;
}

}  // namespace gapscope
