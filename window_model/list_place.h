#pragma once

#include <cstddef>
#include <optional>

#include "report/lines.h"

namespace gapscope {

// The row of a list to select again after its lines were replaced by those of a refresh:
// the row nearest the old one that holds the same line under the same heading (a segment
// line under its "Cycle:" line); nullopt when none does (or none was selected).
std::optional<std::size_t> RowAfterRefill(const Lines& before, std::optional<std::size_t> row,
                                          const Lines& after);

}  // namespace gapscope
