#include "startup/computer_name.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace gapscope {
namespace {

#ifndef _WIN32
TEST(SystemComputerName, EnvironmentFirstThenHostName) {
    ASSERT_EQ(setenv("COMPUTERNAME", "rx-PC", 1), 0);
    EXPECT_EQ(SystemComputerName(), "rx-PC");
    // Set but empty still counts as set.
    ASSERT_EQ(setenv("COMPUTERNAME", "", 1), 0);
    EXPECT_EQ(SystemComputerName(), "");
    ASSERT_EQ(unsetenv("COMPUTERNAME"), 0);
    const auto host = SystemComputerName();
    ASSERT_TRUE(host.has_value());
    EXPECT_FALSE(host->empty());
    EXPECT_EQ(host->find('\0'), std::string::npos);
}
#endif

}  // namespace
}  // namespace gapscope
