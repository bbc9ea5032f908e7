#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/lines.h"
#include "startup/startup_state.h"

namespace gapscope {

// Cycle number of a "hhnn" text (blanks around it trimmed); -1 when it does not parse.
int CycleNumber(std::string_view hhnn, ScanMode mode);
// "hhnn" of a cycle number.
std::string CycleText(int cycle, ScanMode mode);

// Collapses the leading run of consecutive missing cycles into one range line.
void CollapseMissingCycles(Lines& missingSlots, ScanMode mode);

// Renames HIM8 to HIM9 and summarises whole RII hours, whole satellites and the
// trailing MPE run of the products list.
void CompactProductList(Lines& missingProduct, ScanMode mode);

}  // namespace gapscope
