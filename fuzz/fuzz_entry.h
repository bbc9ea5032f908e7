#pragma once

// libFuzzer entry points share this: a broken property is a crash, so that the fuzzer
// keeps the input that showed it.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_inputs.h"

namespace gapscope::fuzz {

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

inline void AbortOn(const Finding& finding) {
    if (!finding) return;
    std::fprintf(stderr, "\n*** broken property: %s\n", finding->c_str());
    std::abort();
}

}  // namespace gapscope::fuzz
