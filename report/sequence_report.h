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

// The kinds in the order of the text's blocks: DCP, DCP/IODC, DCP/WMO, DCP/WMO/IODC, MDD,
// MDD (ACMAD), MDD_3, MDD_4 (ACMAD), MDD_5 (LAM).
inline constexpr SequenceKind kReportedSequenceKinds[] = {0, 7, 6, 8, 1, 3, 2, 4, 5};

// The kinds, in the order of the blocks, of which FileHistory records no message on `day`
// but does on one of the seven days before: a message feed that fell silent.
std::vector<SequenceKind> KindsWithNoMessage(const HistoryLog& fileHistory, Day day);
// A kind's block title without " report": "DCP", "MDD (ACMAD)".
std::string SequenceKindName(SequenceKind kind);

// The lines of one block for a non-empty sequence string.
Lines SequenceReportBlock(SequenceKind kind, std::string_view sequence, bool neatMode);
// The same block as a value.
SequenceFinding SequenceBlockFinding(SequenceKind kind, std::string_view sequence);

}  // namespace gapscope
