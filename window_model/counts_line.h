#pragma once

#include <string>

#include "report/findings.h"

namespace gapscope {

// The day's counts in one line between the lists and the window's foot, and in full in its
// tooltip: those of the range summary and the pictures (Summarise), from the findings alone.
struct CountsLine {
    std::string text;
    std::string tooltip;
    friend bool operator==(const CountsLine&, const CountsLine&) = default;
};

CountsLine DescribeCounts(const Findings& findings);
// When nothing was counted: the data could not be read, or the report run stopped.
CountsLine NothingCounted(const std::string& reason);

}  // namespace gapscope
