// Days by their dates, for tests and for the test programs that do without GoogleTest.
#pragma once

#include "history/time_keys.h"

namespace gapscope::test {

constexpr Day Date(int year, unsigned month, unsigned day) {
    return Day{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
}

}  // namespace gapscope::test
