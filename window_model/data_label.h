#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "startup/startup_state.h"

namespace gapscope {

// What the start-up found, as the data label at the window's foot says it.
enum class DataState {
    Read,        // the logs were read
    Unreadable,  // a log exists but could not be read
    NoLog,       // the folder holds none of the three logs
    NoFolder,    // the folder does not exist
};

// The data label: `lead`, then `folder`, which a front may shorten in its middle to fit the
// room it has (the tooltip holds it whole), then `detail`: when the logs were read and the
// newest record, or why they could not be. A click on the label chooses the folder. Any
// state but Read is a failure of the data, which a front shows in a colour that stands out.
struct DataLabel {
    std::string lead;
    std::string folder;
    std::string tooltip;
    DataState state = DataState::Read;
    std::string detail;
    friend bool operator==(const DataLabel&, const DataLabel&) = default;
};

// The label for the logs as loaded at `readAt`; `folderExists` says whether the data
// folder was there to read. `typedFolder`: the folder named on the command line when it is
// no folder (the logs were then looked for in the program's own).
DataLabel DescribeSource(const StartupLoad& loaded, bool folderExists,
                         std::chrono::sys_seconds readAt,
                         const std::optional<std::string>& typedFolder = std::nullopt);

}  // namespace gapscope
