#include "platform/platform.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>

namespace gapscope {
namespace {

TEST(IdlePriority, LowersAtMostForTheRunAndRestoresThePriority) {
    const int before = getpriority(PRIO_PROCESS, 0);
    {
        const IdlePriority idle;
        const int during = getpriority(PRIO_PROCESS, 0);
        // Either the run went idle, or lowering was skipped because it could not be undone.
        EXPECT_TRUE(during == 19 || during == before) << during;
        {
            const IdlePriority nested;  // already idle: nothing to undo at its end
        }
        EXPECT_EQ(getpriority(PRIO_PROCESS, 0), during);
    }
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), before);
}

}  // namespace
}  // namespace gapscope
#else
#include <windows.h>

namespace gapscope {
namespace {

TEST(IdlePriority, IdleForTheRunThenThePreviousClassAgain) {
    const HANDLE self = GetCurrentProcess();
    ASSERT_TRUE(SetPriorityClass(self, BELOW_NORMAL_PRIORITY_CLASS));
    {
        const IdlePriority idle;
        EXPECT_EQ(GetPriorityClass(self), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    }
    EXPECT_EQ(GetPriorityClass(self), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
    SetPriorityClass(self, NORMAL_PRIORITY_CLASS);
}

}  // namespace
}  // namespace gapscope
#endif
