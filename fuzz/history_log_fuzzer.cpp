// Any bytes as a whole history log file.
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace gapscope::fuzz;
    AbortOn(CheckHistoryLogInput(AsText(data, size)));
    return 0;
}
