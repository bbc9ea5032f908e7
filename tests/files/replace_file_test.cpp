// Replacing a file: only a regular file (a symlink's target), never a read-only one, its
// permissions kept, any bytes of a name; the leftovers of killed runs cleaned once stale.
#include "files/replace_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <fstream>

#include "startup/system_text.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using std::chrono::minutes;

class ReplaceFile : public ::testing::Test {
  protected:
    void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(TextOfPath(entry.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    test::TempDir temp_{"gapscope-replace-file-"};
    const fs::path dir_ = temp_.path();
};

TEST(TemporaryFileName, OnlyOurOwnPatternIsTakenForOne) {
    for (const char* ours : {".2025-01-06-missing-segments.txt.a1b2c3.partial",
                             ".gapscope.prom.000001.partial", ".p.png.42.partial"}) {
        EXPECT_TRUE(IsTemporaryFileName(ours)) << ours;
    }
    for (const char* other : {"2025-01-06-missing-segments.txt", ".x.a1b2c3.partial.txt",
                              ".x.A1B2C3.partial", ".x.a1b2c3d.partial", "..a1b2c3.partial",
                              ".x..partial", "x.a1b2c3.partial", ".partial"}) {
        EXPECT_FALSE(IsTemporaryFileName(other)) << other;
    }
}

TEST_F(ReplaceFile, StaleLeftoversAreRemovedAndYoungOnesKept) {
    // The time of a file just written stands for the present; no clock is read.
    Write(dir_ / "r.txt", "old");
    const fs::file_time_type now = fs::last_write_time(dir_ / "r.txt");
    const auto at = [&](const fs::path& path, minutes age) {
        fs::last_write_time(path, now - age);
    };
    Write(dir_ / ".r.txt.aaaaaa.partial", "killed long ago");
    at(dir_ / ".r.txt.aaaaaa.partial", minutes{16});
    Write(dir_ / ".r.txt.bbbbbb.partial", "a save in progress");
    at(dir_ / ".r.txt.bbbbbb.partial", minutes{14});
    Write(dir_ / "r.txt.cccccc.partial", "not ours");
    at(dir_ / "r.txt.cccccc.partial", minutes{60});
    fs::create_directory(dir_ / ".d.dddddd.partial");
#ifndef _WIN32
    at(dir_ / ".d.dddddd.partial", minutes{60});  // Windows keeps a folder's time to itself
#endif
    RemoveStaleTemporaryFiles(dir_, now);
    EXPECT_EQ(Names(), (std::vector<std::string>{".d.dddddd.partial", ".r.txt.bbbbbb.partial",
                                                 "r.txt", "r.txt.cccccc.partial"}));
    // A save removes them in its folder by itself.
    at(dir_ / ".r.txt.bbbbbb.partial", minutes{16});
    ASSERT_EQ(WriteFileInPlaceOf(dir_ / "r.txt", "new"), std::nullopt);
    EXPECT_EQ(Names(), (std::vector<std::string>{".d.dddddd.partial", "r.txt", "r.txt.cccccc.partial"}));
}

TEST_F(ReplaceFile, AFolderInThePlaceOfTheFileIsRefusedInOneLine) {
    fs::create_directories(dir_ / "r.txt" / "inside");
    const auto problem = WriteFileInPlaceOf(dir_ / "r.txt", "new");
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, "cannot replace " + TextOfPath(dir_ / "r.txt") +
                            ": it is a folder, not a regular file");
    EXPECT_TRUE(fs::exists(dir_ / "r.txt" / "inside"));
    EXPECT_EQ(Names(), std::vector<std::string>{"r.txt"});
}

TEST_F(ReplaceFile, AReadOnlyFileIsRefusedAndKept) {
    Write(dir_ / "r.txt", "old");
    fs::permissions(dir_ / "r.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto problem = WriteFileInPlaceOf(dir_ / "r.txt", "new");
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, "cannot replace " + TextOfPath(dir_ / "r.txt") + ": the file is read-only");
    fs::permissions(dir_ / "r.txt", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(test::ReadFile(dir_ / "r.txt"), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"r.txt"});
}

#ifndef _WIN32
TEST_F(ReplaceFile, DevicesFifosAndSocketsAreRefusedAsTheyAre) {
    ASSERT_EQ(mkfifo((dir_ / "fifo.prom").c_str(), 0644), 0);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir_ / "socket.prom").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("/dev/null", dir_ / "null.prom");
    const std::pair<const char*, const char*> cases[] = {
        {"fifo.prom", ": it is a FIFO, not a regular file"},
        {"socket.prom", ": it is a socket, not a regular file"},
        {"null.prom", " (a link to /dev/null): it is a device, not a regular file"},
    };
    for (const auto& [name, why] : cases) {
        EXPECT_EQ(WriteFileInPlaceOf(dir_ / name, "x\n"), "cannot replace " + (dir_ / name).string() + why);
    }
    close(listener);
    EXPECT_EQ(WriteFileInPlaceOf("/dev/null", "x\n"),
              "cannot replace /dev/null: it is a device, not a regular file");
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo.prom"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"fifo.prom", "null.prom", "socket.prom"}));
}

TEST_F(ReplaceFile, ASymlinkIsFollowedAndItsTargetReplaced) {
    fs::create_directory(dir_ / "real");
    Write(dir_ / "real" / "gapscope.prom", "old\n");
    fs::create_symlink("real/gapscope.prom", dir_ / "link.prom");
    fs::create_symlink("link.prom", dir_ / "chain.prom");
    ASSERT_EQ(WriteFileInPlaceOf(dir_ / "chain.prom", "new\n"), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(dir_ / "chain.prom"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.prom"));
    EXPECT_EQ(test::ReadFile(dir_ / "real" / "gapscope.prom"), "new\n");
    // A link to nothing yet makes its target; a loop of links is refused.
    fs::create_symlink("real/later.prom", dir_ / "dangling.prom");
    ASSERT_EQ(WriteFileInPlaceOf(dir_ / "dangling.prom", "made\n"), std::nullopt);
    EXPECT_EQ(test::ReadFile(dir_ / "real" / "later.prom"), "made\n");
    fs::create_symlink("loop-b", dir_ / "loop-a");
    fs::create_symlink("loop-a", dir_ / "loop-b");
    const auto loop = WriteFileInPlaceOf(dir_ / "loop-a", "x");
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->rfind("cannot follow the link " + (dir_ / "loop-a").string() + ": ", 0), 0u) << *loop;
}

TEST_F(ReplaceFile, TheNewFileKeepsTheOldOnesPermissions) {
    Write(dir_ / "r.txt", "old");
    fs::permissions(dir_ / "r.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(WriteFileInPlaceOf(dir_ / "r.txt", "new"), std::nullopt);
    EXPECT_EQ(fs::status(dir_ / "r.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ReplaceFile, NamesThatAreNotUtf8AreWrittenByteForByte) {
    const fs::path folder = dir_ / PathFromText("Stati\xF3n \xFF");
    fs::create_directory(folder);
    const fs::path file = folder / PathFromText("r\xE9port.txt");
    ASSERT_EQ(WriteFileInPlaceOf(file, "new"), std::nullopt);
    EXPECT_EQ(test::ReadFile(file), "new");
    // The message of a failure holds the bytes as they are.
    const auto problem = WriteFileInPlaceOf(folder / PathFromText("gone\xFF") / "r.txt", "new");
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("gone\xFF"), std::string::npos);
}
#endif

}  // namespace
}  // namespace gapscope
