#pragma once

#include <string>
#include <vector>

#include "history/time_keys.h"
#include "startup/startup_state.h"
#include "window_model/data_label.h"

namespace gapscope {

// What the data line says of logs that a look found holding fewer lines than it had read
// of them, as they now stand: "SegHistory.log was replaced at 12:17: it now begins 11:40",
// "... was cut shorter at 12:17: it now ends 08:00", "... was removed at 12:17". A time of
// another day than `lookedAt` is given with its date; several logs are joined by "; ".
std::string LogLossNote(const std::vector<LogLoss>& lost, const StartupState& state,
                        MinuteTime lookedAt);

// The data label saying the note alone, which the design's room holds whole; the tooltip
// says it before the folder and when the logs were read.
void AddLogLossNote(DataLabel& label, const std::string& note);

}  // namespace gapscope
