// Any bytes as one minute record of the segment history.
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace gapscope::fuzz;
    AbortOn(CheckRecordInput(AsText(data, size)));
    return 0;
}
