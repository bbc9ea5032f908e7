#include <sys/resource.h>

#include <cerrno>

#include "platform/platform.h"

#if defined(__linux__)
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace gapscope {
namespace {

constexpr int kIdleNice = 19;

#if defined(__linux__)
bool HasSysNiceCapability() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    return (data[CAP_SYS_NICE / 32].effective & (1U << (CAP_SYS_NICE % 32))) != 0;
}

// Raising the nice value back is allowed by RLIMIT_NICE (ceiling 20 - limit) or by the
// capability; without either, lowering would be for good.
bool CanReturnTo(int nice) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) == 0) {
        if (limit.rlim_cur == RLIM_INFINITY) return true;
        if (static_cast<long long>(20 - nice) <= static_cast<long long>(limit.rlim_cur)) {
            return true;
        }
    }
    return HasSysNiceCapability();
}
#else
bool CanReturnTo(int) {
    return false;
}
#endif

}  // namespace

IdlePriority::IdlePriority() {
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, 0);
    if (errno != 0 || current >= kIdleNice || !CanReturnTo(current)) return;
    saved_ = current;
    lowered_ = setpriority(PRIO_PROCESS, 0, kIdleNice) == 0;
}

IdlePriority::~IdlePriority() {
    if (lowered_) setpriority(PRIO_PROCESS, 0, static_cast<int>(saved_));
}

}  // namespace gapscope
