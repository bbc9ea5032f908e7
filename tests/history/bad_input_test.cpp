// Loading logs that a crashing, full or half-copied station left behind: the reader must
// never block, must take a file cut while it was written as what it holds, and must answer
// the good lines whatever junk surrounds them. (How the cost grows with junk is measured
// in bench/growth_check.cpp.)
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "history/history_log.h"
#include "history/mask.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

class LogFiles : public ::testing::Test {
  protected:
    const test::TempDir temp_{"gapscope_bad_input_"};
    const fs::path dir_ = temp_.path();
};

TEST_F(LogFiles, SomethingOtherThanAFileIsUnreadableAndNeverWaitedOn) {
    // A FIFO would block the opening read until a writer came; a device could stream forever.
    const fs::path fifo = dir_ / "SegHistory.log";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const LogReadResult fromFifo = ReadHistoryLog(fifo);
    EXPECT_EQ(fromFifo.status, LogReadStatus::Unreadable);
    EXPECT_EQ(fromFifo.reason, "not a regular file");

    const fs::path device = dir_ / "LateSegHistory.log";
    fs::create_symlink("/dev/zero", device);
    EXPECT_EQ(ReadHistoryLog(device).status, LogReadStatus::Unreadable);

    const fs::path loop = dir_ / "FileHistory.log";
    fs::create_symlink(loop, loop);
    EXPECT_EQ(ReadHistoryLog(loop).status, LogReadStatus::Unreadable);

    const fs::path dangling = dir_ / "process.log";
    fs::create_symlink(dir_ / "gone", dangling);
    EXPECT_EQ(ReadHistoryLog(dangling).status, LogReadStatus::Missing);
}

std::string MinuteLine(int i) {
    char key[32];
    std::snprintf(key, sizeof key, "2024%02d%02d%02d%02d", 1 + i / 44640 % 12, 1 + i / 1440 % 31,
                  i / 60 % 24, i % 60);
    return std::string(key) + "=P=1,E=1,1=FF,9=F3,12=FFFFFF," + std::to_string(i) + "=1";
}

// What is wrong with a log read while minute lines were appended to it: every line whole,
// but the last, which may be cut anywhere and is then simply that much of a line.
std::string NotAPrefixOfMinuteLines(const HistoryLog& log) {
    for (std::size_t i = 0; i < log.LineCount(); ++i) {
        const std::string whole = MinuteLine(static_cast<int>(i));
        const std::string_view line = log.Line(i);
        const bool last = i + 1 == log.LineCount();
        if (last ? whole.substr(0, line.size()) != line : line != whole) {
            return "line " + std::to_string(i) + " reads \"" + std::string(line) + "\"";
        }
    }
    return "";
}

// The station's software appends a line at a time; a read may come at any moment of a
// write, so the file may end anywhere in its last line, even between CR and LF.
TEST_F(LogFiles, LogCutWhileWrittenHoldsWholeLinesAndACutLastLine) {
    const fs::path path = dir_ / "SegHistory.log";
    constexpr int kLines = 40;
    std::string all;
    for (int i = 0; i < kLines; ++i) all += MinuteLine(i) + "\r\n";
    const std::size_t lastLines = all.size() - 3 * (MinuteLine(kLines - 1).size() + 2);
    for (std::size_t cut = lastLines; cut <= all.size(); ++cut) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(all.data(), static_cast<std::streamsize>(cut));
        const LogReadResult read = ReadHistoryLog(path);
        ASSERT_EQ(read.status, LogReadStatus::Ok) << cut;
        ASSERT_EQ(NotAPrefixOfMinuteLines(read.log), "") << cut;
        const std::string first = MinuteLine(0);
        ASSERT_EQ(read.log.ValueOf(first.substr(0, 12)), first.substr(13)) << cut;
        // Every whole line, and the cut one as soon as a character of it is there (a CR
        // alone already ends it).
        const auto written = std::string_view(all).substr(0, cut);
        const std::size_t wholeLines = static_cast<std::size_t>(
            std::count(written.begin(), written.end(), '\n'));
        const bool cutLine = !written.empty() && written.back() != '\n';
        ASSERT_EQ(read.log.LineCount(), wholeLines + (cutLine ? 1 : 0)) << cut;
    }
}

// What `read` says in a child process whose address space may grow by only `room` bytes;
// nullopt where no such limit can be set.
std::optional<std::string> UnderMemoryLimit(std::size_t room,
                                            const std::function<std::string()>& read) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;  // the address space's size now
    int channel[2];
    if (pages <= 0 || pipe(channel) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        close(channel[0]);
        const auto limit =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + room;
        const rlimit rlimit{limit, limit};
        const std::string said = setrlimit(RLIMIT_AS, &rlimit) == 0 ? read() : std::string("\x01");
        const bool written =
            write(channel[1], said.data(), said.size()) == static_cast<ssize_t>(said.size());
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    std::string said;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (said == "\x01") return std::nullopt;
    return said;
}

std::string Outcome(LogReadStatus status, const std::string& reason) {
    return (status == LogReadStatus::Unreadable ? "unreadable: " : "read: ") + reason;
}

TEST_F(LogFiles, ALogTooBigForMemorySaysSoAndCountsAsUnreadable) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator ends the program where memory runs out";
#endif
    // A sparse file: 2.1 GB that take no room on the disk.
    const fs::path huge = dir_ / "SegHistory.log";
    std::ofstream(huge).close();
    fs::resize_file(huge, 2'100'000'000);
    const auto hugeRead = UnderMemoryLimit(256u << 20, [&] {
        const LogReadResult read = ReadHistoryLog(huge);
        return Outcome(read.status, read.reason);
    });
    if (!hugeRead) GTEST_SKIP() << "no limit to the address space can be set here";
    EXPECT_EQ(*hugeRead, "unreadable: not enough memory to read SegHistory.log (2.1 GB)");

    // One-byte lines, which fit in memory, but their index does not.
    const fs::path lines = dir_ / "FileHistory.log";
    const std::string newlines(24'000'000, '\n');
    std::ofstream(lines, std::ios::binary)
        .write(newlines.data(), static_cast<std::streamsize>(newlines.size()));
    EXPECT_EQ(UnderMemoryLimit(64u << 20,
                               [&] {
                                   const LogReadResult read = ReadHistoryLog(lines);
                                   return Outcome(read.status, read.reason);
                               }),
              "unreadable: not enough memory to read FileHistory.log (24.0 MB)");
    EXPECT_EQ(UnderMemoryLimit(64u << 20,
                               [&] {
                                   HistoryLog log;
                                   LogReadMark mark;
                                   const LogRefresh refresh = RefreshHistoryLog(lines, log, mark);
                                   return Outcome(refresh.status, refresh.reason);
                               }),
              "unreadable: not enough memory to read FileHistory.log (24.0 MB)");
}

TEST(LoadingBadInput, LongAndBrokenInputStillAnswersItsGoodLines) {
    const std::string good = "202401051215=9=F3\r\n";
    const std::string longLine =
        "20240105=" + test::Repeat(std::string_view("9=FF,\"x,\0\xC3(\xFF 2024010512,=\"\"7,", 29),
                                   1u << 20);
    for (const std::string& junk :
         {longLine, test::Repeat("2024010512 x\n", 1u << 20), std::string(1u << 20, '\r'),
          std::string("\"never closed=1,9=FF\n"),
          std::string("20240105\0"
                      "1215=9=00\n",
                      19)}) {
        const HistoryLog before = HistoryLog::FromBytes(good + junk);
        EXPECT_EQ(before.ValueOf("202401051215"), "9=F3");
        const HistoryLog after = HistoryLog::FromBytes(junk + "\n" + good);
        EXPECT_EQ(after.ValueOf("202401051215"), "9=F3");
    }
}

std::string MaskMessage(std::string_view text) {
    try {
        ParseMask(text);
    } catch (const MaskError& error) {
        return error.what();
    }
    return "no error";
}

TEST(LoadingBadInput, BadMaskMessageStaysShortAndPrintable) {
    // The operator sees the message in a message box or on a terminal: a damaged line must
    // neither flood it nor send it control sequences.
    const std::string huge(16u << 20, 'Z');
    EXPECT_EQ(MaskMessage(huge), "''$" + huge.substr(0, 63) + "...'' is not a valid integer value");
    EXPECT_EQ(MaskMessage("$" + huge),
              "''$" + huge.substr(0, 63) + "...'' is not a valid integer value");
    EXPECT_EQ(MaskMessage(std::string(63, 'Z')),
              "''$" + std::string(63, 'Z') + "'' is not a valid integer value");
    EXPECT_EQ(MaskMessage("F\x1b]0;title\x07\x7f\n"),
              "''$F?]0;title??"  // split: "??'" would be a trigraph
              "?'' is not a valid integer value");
    EXPECT_EQ(MaskMessage("1FFFFFFFF"), "''$1FFFFFFFF'' is not a valid integer value");
    // Characters, not bytes, are counted and shown; C1 controls are controls too.
    std::string wide;
    for (int i = 0; i < 70; ++i) wide += "\u00E9";
    std::string shown = "''$";
    for (int i = 0; i < 63; ++i) shown += "\u00E9";
    EXPECT_EQ(MaskMessage(wide), shown + "...'' is not a valid integer value");
    EXPECT_EQ(MaskMessage("F\u009B2J\uFFFD"), "''$F?2J\uFFFD'' is not a valid integer value");
}

}  // namespace
}  // namespace gapscope
