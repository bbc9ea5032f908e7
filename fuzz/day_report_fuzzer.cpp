// Any logs, process.log, options, switches and day through a whole report run.
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "fuzz/fuzz_entry.h"

namespace {

// One private directory per fuzzing process for the process.log of each input; memory
// backed where the system offers it, since it is rewritten for every input. Removed when
// the fuzzer ends normally; after a crash it stays beside the crashing input's artifact.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::error_code error;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, error))
            base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "gapscope-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace gapscope::fuzz;
    static const ScratchDirectory scratch;
    AbortOn(CheckDayReportInput(AsText(data, size), scratch.Path()));
    return 0;
}
