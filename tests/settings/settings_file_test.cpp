// What stands at the settings file's place is read only when it is a regular file of the
// user's own (or a link of the user's own to one), and replaced only then: a FIFO, a device
// or another user's link is neither read, nor waited for, nor changed.
#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "settings/stored_options.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class SettingsFileTest : public ::testing::Test {
  protected:
    test::TempDir dir_{"gapscope-settings-"};
    const fs::path file_ = dir_.path() / "gapscope.conf";
    const fs::path elsewhere_ = dir_.path() / "kept" / "gapscope.conf";

    static void Write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static mode_t Type(const fs::path& path) {
        struct stat status {};
        lstat(path.c_str(), &status);
        return status.st_mode & S_IFMT;
    }
    // Neither read nor replaced, and said why.
    void ExpectRefused(const std::string& why) const {
        const mode_t type = Type(file_);
        const SettingsFile read = ReadSettingsFile(file_);
        ASSERT_TRUE(read.problem);
        EXPECT_EQ(*read.problem, "the settings file " + file_.string() + " " + why +
                                     ": it is neither read nor replaced, and the defaults are used");
        EXPECT_TRUE(read.text.values.empty());
        EXPECT_EQ(read.replace, std::nullopt);
        EXPECT_EQ(WriteSettingsValues(file_, {{"ReportIncludeLRIT", "1"}}), read.problem);
        EXPECT_EQ(Type(file_), type);
    }
};

TEST_F(SettingsFileTest, ARegularFileIsReadAndReplacedWholeOnlyWhenItChanges) {
    EXPECT_EQ(ReadSettingsFile(file_).replace, file_);  // none yet: made by the first write
    ASSERT_EQ(WriteSettingsValues(dir_.path() / "new" / "x.conf", {{"A", "1"}}), std::nullopt);
    EXPECT_EQ(test::ReadFile(dir_.path() / "new" / "x.conf"), "[General]\nA=1\n");

    Write(file_, "[General]\nReportIncludeFSD=9\ngarbage\n[Other]\nx=1\n");
    ASSERT_EQ(WriteSettingsValues(file_, {{"ReportIncludeFSD", "1"}}), std::nullopt);
    EXPECT_EQ(test::ReadFile(file_), "[General]\nReportIncludeFSD=1\n\n[Other]\nx=1\n");
    const auto written = fs::last_write_time(file_);
    fs::last_write_time(file_, written - std::chrono::hours{1});
    ASSERT_EQ(WriteSettingsValues(file_, {{"ReportIncludeFSD", "1"}}), std::nullopt);
    EXPECT_EQ(fs::last_write_time(file_), written - std::chrono::hours{1});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator{}), 2);
}

TEST_F(SettingsFileTest, AFifoIsNeitherOpenedNorReplaced) {
    ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
    ExpectRefused("is a FIFO, not a regular file");
    fs::remove(file_);
    fs::create_directory(file_);
    ExpectRefused("is a folder, not a regular file");
    Write(file_.string() + "-big", std::string((1 << 20) + 1, '#'));
    fs::remove(file_);
    fs::rename(file_.string() + "-big", file_);
    ExpectRefused("is larger than 1 MiB");
}

TEST_F(SettingsFileTest, ADeviceIsNeitherOpenedNorReplaced) {
    if (geteuid() != 0) GTEST_SKIP() << "making a device needs root";
    ASSERT_EQ(mknod(file_.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    ExpectRefused("is a character device, not a regular file");
}

TEST_F(SettingsFileTest, ALinkIsFollowedOnlyWhenItAndItsTargetAreTheUsersOwn) {
    Write(elsewhere_, "[General]\nReportIncludeLRIT=1\n");
    fs::create_symlink(elsewhere_, file_);
    EXPECT_EQ(ReadSettingsFile(file_).text.values.at("ReportIncludeLRIT"), "1");
    // A dotfile manager's link stays; what it leads to is replaced.
    ASSERT_EQ(WriteSettingsValues(file_, {{"ReportIncludeLRIT", "0"}}), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(test::ReadFile(elsewhere_), "[General]\nReportIncludeLRIT=0\n");

    if (geteuid() != 0) GTEST_SKIP() << "links of another user need root";
    ASSERT_EQ(lchown(file_.c_str(), kNobody, kNobody), 0);
    ExpectRefused("is a link owned by another user");
    ASSERT_EQ(lchown(file_.c_str(), 0, 0), 0);
    ASSERT_EQ(chown(elsewhere_.c_str(), kNobody, kNobody), 0);
    ExpectRefused("is a link to a file owned by another user");
    EXPECT_EQ(test::ReadFile(elsewhere_), "[General]\nReportIncludeLRIT=0\n");
}

TEST_F(SettingsFileTest, WhatCannotBeReadIsSaidInOneLine) {
    ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    const fs::path file = dir_.path() / "Quillan" / "garbled.conf";
    Write(file, "[General]\nReportIncludeFSD=yes\nReportIncludeLRIT=1\n\x01\x02\x03\nWindowLeft=1.5\n"
                "DataFolder=a,b\n[x\nAnnounceNewLosses=@Variant(\\0)\nOther=whatever\n");
    EXPECT_EQ(SettingsProblem("garbled"),
              "the settings file " + file.string() +
                  " cannot be read in full (line 4, line 7, AnnounceNewLosses and 3 more): the "
                  "defaults stand for what cannot be read");
    ReportOptions expected;
    expected.includeLrit = true;
    EXPECT_EQ(ReadStoredOptions("garbled"), expected);
    EXPECT_EQ(SettingsProblem("none stored"), std::nullopt);
    Write(dir_.path() / "Quillan" / "fine.conf", "[General]\nReportIncludeFSD=0\nOther=@x\n");
    EXPECT_EQ(SettingsProblem("fine"), std::nullopt);
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace gapscope
