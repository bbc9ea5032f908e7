// Any bytes as the arguments of gapscope-report (split at NUL bytes) and as GAPSCOPE_BUSY_WAIT.
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace gapscope::fuzz;
    AbortOn(CheckCommandLineInput(AsText(data, size)));
    return 0;
}
