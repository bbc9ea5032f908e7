// Scaffolding shared by the tests of several folders: a scratch directory per test and
// the CPU-cost measure of the tests that check a load grows linearly with its input.
#pragma once

#include <gtest/gtest.h>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace gapscope::test {

// A fresh directory under the system's temporary directory named `prefix` followed by the
// running test's name, removed with everything in it afterwards.
class TempDir {
  public:
    explicit TempDir(std::string_view prefix)
        : path_(std::filesystem::temp_directory_path() /
                (std::string(prefix) +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        // A run that crashed may have left the directory behind, even locked.
        Unlock();
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        Unlock();
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Tests run as root, which permissions do not stop: only the immutable flag makes the
    // directory read-only. False where the file system or the process cannot set it.
    bool SetImmutable(bool on) const {
#ifdef __linux__
        const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        close(fd);
        return done;
#else
        (void)on;
        return false;
#endif
    }

    // Writable again, whichever way it was made read-only.
    void Unlock() const {
        std::error_code error;
        if (std::filesystem::exists(path_, error)) SetImmutable(false);
        if (std::filesystem::exists(path_, error))
            std::filesystem::permissions(path_, std::filesystem::perms::owner_all, error);
    }

  private:
    std::filesystem::path path_;
};

// Process CPU time of the fastest of `runs` calls: a load is compared with itself at two
// sizes, never with a clock budget.
inline double CpuSeconds(const std::function<void()>& work, int runs) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const std::clock_t start = std::clock();
        work();
        best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    return best;
}

// Sixteen times the input may cost at most this many times the work, compared with itself
// and never with a clock budget. Linear work measures 16 to about 50 here, the rest being
// caches that hold the small input but not the large; a quadratic step measures 256, and
// anything worse does not finish at these sizes.
constexpr double kLinearBound = 128.0;

struct CostGrowth {
    double small;
    double large;
    double Ratio() const { return large / small; }
};

// The small input runs three times and its cost is taken as at least `floor`, so that a
// clock tick too coarse to see it cannot make the ratio huge; the large input runs once.
inline CostGrowth MeasureGrowth(const std::function<void()>& small,
                                const std::function<void()>& large, double floor) {
    CostGrowth cost{};
    cost.small = std::max(CpuSeconds(small, 3), floor);
    cost.large = CpuSeconds(large, 1);
    return cost;
}

// `unit` repeated up to at least `bytes` bytes: the inputs of the linear-cost tests.
inline std::string Repeat(std::string_view unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes) text += unit;
    return text;
}

}  // namespace gapscope::test
