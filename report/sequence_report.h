#pragma once

#include <string>
#include <vector>

#include "report/findings.h"
#include "report/lines.h"
#include "catalogue/catalogue.h"
#include "history/history_log.h"
#include "history/time_keys.h"

namespace gapscope {

// Appends the block for one DCP/MDD kind (0..8) of the day, if FileHistory has its string,
// and with `found` the block as a value too.
void AddSequenceReport(const HistoryLog& fileHistory, Day day, SequenceKind kind, bool neatMode,
                       Lines& missingProduct, std::vector<SequenceFinding>* found = nullptr);

// The lines of one block for a non-empty sequence string.
Lines SequenceReportBlock(SequenceKind kind, std::string_view sequence, bool neatMode);
// The same block as a value.
SequenceFinding SequenceBlockFinding(SequenceKind kind, std::string_view sequence);

}  // namespace gapscope
