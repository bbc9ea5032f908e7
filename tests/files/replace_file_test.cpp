// Replacing a file: only a regular file, never through a link in its place nor a read-only
// file, a file of another program kept, its permissions kept, any bytes of a name; only the
// leftovers of its own killed runs cleaned, once stale.
#include "files/replace_file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <fstream>

#include "files/small_file.h"
#include "startup/system_text.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;
using std::chrono::minutes;

// A symbolic link at `link` to `to`; false where none can be made.
bool MakeLink(const fs::path& to, const fs::path& link) {
#ifdef _WIN32
    return CreateSymbolicLinkW(link.c_str(), to.c_str(),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
#else
    std::error_code error;
    fs::create_symlink(to, link, error);
    return !error;
#endif
}

bool IsLink(const fs::path& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
    return fs::is_symlink(path);
#endif
}

class Replacing : public ::testing::Test {
  protected:
    void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(TextOfPath(entry.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> Names() const { return Names(dir_); }
    test::TempDir temp_{"gapscope-replace-file-"};
    const fs::path dir_ = temp_.path();
};

TEST(TemporaryFileName, OnlyTheFilesOwnPatternIsTakenForOne) {
    EXPECT_TRUE(IsTemporaryFileOf(".r.txt.a1b2c3.partial", "r.txt"));
    for (const char* other : {"r.txt", ".r.txt.a1b2c.partial", ".r.txt.a1b2c3d.partial",
                              ".r.txt.A1B2C3.partial", ".r.txt.a1-2c3.partial", ".s.txt.a1b2c3.partial",
                              ".r.txt.a1b2c3.partial.txt", "r.txt.a1b2c3.partial", ".x.y.partial",
                              ".thesis.v2.partial", ".r.txt.bak.a1b2c3.partial"}) {
        EXPECT_FALSE(IsTemporaryFileOf(other, "r.txt")) << other;
    }
}

TEST_F(Replacing, OnlyStaleLeftoversOfTheSameFileAreRemoved) {
    // The time of a file just written stands for the present; no clock is read.
    Write(dir_ / "r.txt", "old");
    const fs::file_time_type now = fs::last_write_time(dir_ / "r.txt");
    const auto aged = [&](const std::string& name, minutes age) {
        if (!fs::exists(dir_ / name)) Write(dir_ / name, "left");
        fs::last_write_time(dir_ / name, now - age);
    };
    aged(".r.txt.aaaaaa.partial", minutes{16});  // a killed run of ours
    aged(".r.txt.bbbbbb.partial", minutes{14});  // perhaps a save in progress
    for (const char* other : {".s.txt.cccccc.partial", ".x.y.partial", ".thesis.v2.partial",
                              ".SegHistory.log.bak.partial"}) {
        aged(other, minutes{60});
    }
    fs::create_directory(dir_ / ".r.txt.dddddd.partial");
    std::vector<std::string> kept = {".SegHistory.log.bak.partial", ".r.txt.bbbbbb.partial",
                                     ".r.txt.dddddd.partial", ".s.txt.cccccc.partial",
                                     ".thesis.v2.partial", ".x.y.partial", "r.txt"};
#ifndef _WIN32
    Write(dir_ / "elsewhere", "kept");
    ASSERT_TRUE(MakeLink(dir_ / "elsewhere", dir_ / ".r.txt.eeeeee.partial"));
    kept.insert(kept.end(), {".r.txt.eeeeee.partial", "elsewhere"});
#endif
    ASSERT_EQ(WriteFileInPlaceOf(dir_ / "r.txt", "new"), std::nullopt);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Names(), kept);
}

TEST_F(Replacing, AFolderInThePlaceOfTheFileIsRefusedInOneLine) {
    fs::create_directories(dir_ / "r.txt" / "inside");
    const WriteOutcome written = WriteFile(dir_ / "r.txt", "new");
    EXPECT_EQ(written.failure, "cannot replace " + TextOfPath(dir_ / "r.txt") +
                                   ": it is a folder, not a regular file");
    EXPECT_TRUE(fs::exists(dir_ / "r.txt" / "inside"));
    EXPECT_EQ(Names(), std::vector<std::string>{"r.txt"});
}

TEST_F(Replacing, AReadOnlyFileIsRefusedAndKept) {
    Write(dir_ / "r.txt", "old");
    fs::permissions(dir_ / "r.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto problem = WriteFileInPlaceOf(dir_ / "r.txt", "new");
    EXPECT_EQ(problem, "cannot replace " + TextOfPath(dir_ / "r.txt") + ": the file is read-only");
    fs::permissions(dir_ / "r.txt", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(test::ReadFile(dir_ / "r.txt"), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"r.txt"});
}

// A file whose name another program may share (the metrics file's) is replaced when it is
// empty or begins as ours do; anything else stays.
TEST_F(Replacing, AFileOfAnotherProgramIsNotTakenForOurs) {
    const WriteRules ours{{}, "# HELP gapscope_"};
    Write(dir_ / "other.prom", "# HELP node_");
    EXPECT_EQ(WriteFile(dir_ / "other.prom", "# HELP gapscope_x\n", ours).failure,
              "cannot replace " + TextOfPath(dir_ / "other.prom") +
                  ": it does not begin with \"# HELP gapscope_\", so it is not a file this "
                  "program wrote");
    EXPECT_EQ(test::ReadFile(dir_ / "other.prom"), "# HELP node_");
    for (const std::string old : {"", "# HELP gapscope_missing_cycles old\n"}) {
        Write(dir_ / "g.prom", old);
        EXPECT_EQ(WriteFile(dir_ / "g.prom", "# HELP gapscope_x\n", ours).failure, std::nullopt);
        EXPECT_EQ(test::ReadFile(dir_ / "g.prom"), "# HELP gapscope_x\n");
    }
}

// Whoever may write in the folder could put a link there to any file of ours: whatever it
// leads to, it is refused, and nothing is written where it leads.
TEST_F(Replacing, ALinkInThePlaceOfTheFileIsNeverFollowed) {
    const fs::path away = dir_ / "away";
    const fs::path station = dir_ / "station";
    fs::create_directory(away);
    fs::create_directory(station);
    Write(away / "victim", "precious\n");
    if (!MakeLink(away / "victim", station / "r.txt") || !IsLink(station / "r.txt")) {
        GTEST_SKIP() << "no symbolic links here";  // Wine makes none
    }
    ASSERT_TRUE(MakeLink("r.txt", station / "chain.txt"));
    ASSERT_TRUE(MakeLink(away / "not-yet", station / "dangling.txt"));
    std::vector<std::string> links = {"r.txt", "chain.txt", "dangling.txt"};
#ifndef _WIN32
    ASSERT_TRUE(MakeLink("/dev/null", station / "null.txt"));
    links.push_back("null.txt");
#endif
    for (const std::string& name : links) {
        EXPECT_EQ(WriteFile(station / name, "new\n").failure,
                  TextOfPath(station / name) + " is a symbolic link; it is not followed");
        EXPECT_TRUE(IsLink(station / name));
    }
    EXPECT_EQ(test::ReadFile(away / "victim"), "precious\n");
    EXPECT_EQ(Names(away), std::vector<std::string>{"victim"});
    EXPECT_EQ(Names(station).size(), links.size());
    // Nor is a link read for a small file.
    EXPECT_EQ(ReadSmallFile(station / "r.txt", 100), std::nullopt);
    EXPECT_EQ(ReadSmallFile(away / "victim", 100), "precious\n");
    EXPECT_EQ(ReadSmallFile(away / "victim", 8), std::nullopt);
}

#ifndef _WIN32
TEST_F(Replacing, DevicesFifosAndSocketsAreRefusedAsTheyAre) {
    ASSERT_EQ(mkfifo((dir_ / "fifo.prom").c_str(), 0644), 0);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir_ / "socket.prom").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"fifo.prom", ": it is a FIFO, not a regular file"},
        {"socket.prom", ": it is a socket, not a regular file"},
    };
    for (const auto& [name, why] : cases) {
        EXPECT_EQ(WriteFileInPlaceOf(dir_ / name, "x\n"), "cannot replace " + (dir_ / name).string() + why);
    }
    close(listener);
    EXPECT_EQ(WriteFileInPlaceOf("/dev/null", "x\n"),
              "cannot replace /dev/null: it is a device, not a regular file");
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo.prom"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"fifo.prom", "socket.prom"}));
}

TEST_F(Replacing, TheNewFileKeepsTheOldOnesPermissions) {
    Write(dir_ / "r.txt", "old");
    fs::permissions(dir_ / "r.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(WriteFileInPlaceOf(dir_ / "r.txt", "new"), std::nullopt);
    EXPECT_EQ(fs::status(dir_ / "r.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(Replacing, NamesThatAreNotUtf8AreWrittenByteForByte) {
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
