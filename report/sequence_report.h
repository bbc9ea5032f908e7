#pragma once

#include <string>
#include <vector>

#include "report/lines.h"
#include "catalogue/catalogue.h"
#include "history/history_log.h"
#include "history/time_keys.h"

namespace gapscope {

// Appends the block for one DCP/MDD kind (0..8) of the day, if FileHistory has its string.
void AddSequenceReport(const HistoryLog& fileHistory, Day day, SequenceKind kind, bool neatMode,
                       Lines& missingProduct);

// The lines of one block for a non-empty sequence string.
Lines SequenceReportBlock(SequenceKind kind, std::string_view sequence, bool neatMode);

}  // namespace gapscope
