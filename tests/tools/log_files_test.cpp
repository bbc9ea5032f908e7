#include "tools/simulator/log_files.h"

#include <gtest/gtest.h>

#include "tests/tools/sim_test_support.h"
#include "tools/simulator/simulator.h"

namespace gapscope::sim {
namespace {

namespace fs = std::filesystem;
using testing::CleanConfig;
using testing::D;
using testing::ReadFile;
using testing::TempDir;

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DirectorySink, RefusesADirectoryHoldingAnyHistoryLog) {
    for (const char* name :
         {"SegHistory.log", "LateSegHistory.log", "FileHistory.log", "process.log"}) {
        TempDir dir;
        WriteText(dir.path() / name, "kept\r\n");
        std::string error;
        EXPECT_EQ(DirectorySink::Open(dir.path(), false, error), nullptr) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_NE(error.find("--replace"), std::string::npos) << error;
        EXPECT_EQ(ReadFile(dir.path() / name), "kept\r\n");
        EXPECT_EQ(Names(dir.path()), std::vector<std::string>{name});
    }
}

TEST(DirectorySink, ReplaceRewritesTheLogsOnlyAndLeavesNoTemporaries) {
    TempDir dir;
    WriteText(dir.path() / "SegHistory.log", "202001010000=9=FF\r\n");
    WriteText(dir.path() / "2024-02-29-missing-segments.txt", "an earlier report");
    const SimulationConfig config = CleanConfig(ScanMode::Prime, D(2024, 3, 1), D(2024, 3, 1));

    const DirectoryResult result = SimulateToDirectory(config, dir.path(), true);
    ASSERT_TRUE(result.summary) << (result.errors.empty() ? "" : result.errors.front());
    EXPECT_EQ(Names(dir.path()),
              (std::vector<std::string>{"2024-02-29-missing-segments.txt", "FileHistory.log",
                                        "LateSegHistory.log", "SegHistory.log", "process.log"}));
    EXPECT_EQ(ReadFile(dir.path() / "2024-02-29-missing-segments.txt"), "an earlier report");
    EXPECT_EQ(ReadFile(dir.path() / "SegHistory.log").rfind("202403010000=P=1,", 0), 0u);

    // The same configuration again, refused without --replace, identical with it.
    const std::string before = ReadFile(dir.path() / "SegHistory.log");
    EXPECT_FALSE(SimulateToDirectory(config, dir.path(), false).summary);
    EXPECT_TRUE(SimulateToDirectory(config, dir.path(), true).summary);
    EXPECT_EQ(ReadFile(dir.path() / "SegHistory.log"), before);
}

TEST(DirectorySink, AnUncommittedRunLeavesEarlierLogsAsTheyWere) {
    TempDir dir;
    WriteText(dir.path() / "SegHistory.log", "old\r\n");
    {
        std::string error;
        auto sink = DirectorySink::Open(dir.path(), true, error);
        ASSERT_NE(sink, nullptr) << error;
        sink->Append(LogFile::Seg, "new\r\n");
    }
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"SegHistory.log"});
    EXPECT_EQ(ReadFile(dir.path() / "SegHistory.log"), "old\r\n");
}

TEST(DirectorySink, CreatesAMissingDirectoryButNotOverAFile) {
    TempDir dir;
    const SimulationConfig config = CleanConfig(ScanMode::Iodc, D(2024, 3, 1), D(2024, 3, 1));
    EXPECT_TRUE(SimulateToDirectory(config, dir.path() / "a" / "b", false).summary);
    EXPECT_TRUE(fs::exists(dir.path() / "a" / "b" / "SegHistory.log"));

    WriteText(dir.path() / "plain", "x");
    const DirectoryResult onFile = SimulateToDirectory(config, dir.path() / "plain", true);
    EXPECT_FALSE(onFile.summary);
    EXPECT_EQ(ReadFile(dir.path() / "plain"), "x");
}

}  // namespace
}  // namespace gapscope::sim
