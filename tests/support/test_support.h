// Scaffolding shared by the tests of several folders: a scratch directory per test, reading
// a file whole, days by their dates (dates.h), long junk.
#pragma once

#include <gtest/gtest.h>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#include "tests/support/dates.h"

namespace gapscope::test {

// A path under the system's temporary directory named `prefix`, the running test's name
// and the process, so that two test runs on one machine never share it.
inline std::filesystem::path ScratchPath(std::string_view prefix) {
#ifdef _WIN32
    const int process = _getpid();
#else
    const int process = static_cast<int>(getpid());
#endif
    return std::filesystem::temp_directory_path() /
           (std::string(prefix) + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
            "-" + std::to_string(process));
}

// A fresh directory at ScratchPath(prefix), removed with everything in it afterwards.
class TempDir {
  public:
    explicit TempDir(std::string_view prefix) : path_(ScratchPath(prefix)) {
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

// The whole of a file, byte for byte; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// `unit` repeated up to at least `bytes` bytes: long junk.
inline std::string Repeat(std::string_view unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes) text += unit;
    return text;
}

}  // namespace gapscope::test
