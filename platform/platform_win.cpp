#include <windows.h>

#include "platform/platform.h"

namespace gapscope {

IdlePriority::IdlePriority() {
    const HANDLE process = GetCurrentProcess();
    const DWORD previous = GetPriorityClass(process);
    if (previous == 0) return;
    saved_ = static_cast<long long>(previous);
    lowered_ = SetPriorityClass(process, IDLE_PRIORITY_CLASS) != 0;
}

IdlePriority::~IdlePriority() {
    if (lowered_) SetPriorityClass(GetCurrentProcess(), static_cast<DWORD>(saved_));
}

}  // namespace gapscope
