#pragma once

#include <chrono>
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
// room it has (the tooltip holds it whole). A click on the label chooses the folder.
struct DataLabel {
    std::string lead;
    std::string folder;
    std::string tooltip;
    DataState state = DataState::Read;
    friend bool operator==(const DataLabel&, const DataLabel&) = default;
};

// The label for the logs as loaded at `readAt`; `folderExists` says whether the data
// folder was there to read.
DataLabel DescribeSource(const StartupLoad& loaded, bool folderExists,
                         std::chrono::sys_seconds readAt);

}  // namespace gapscope
