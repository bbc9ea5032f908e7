// Loading logs that a crashing, full or half-copied station left behind: the reader must
// never block, must take a growing file as a clean prefix, and must cost time in proportion
// to the size of the file whatever its bytes look like.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "history/day_queries.h"
#include "history/history_log.h"
#include "history/mask.h"
#include "startup/startup_state.h"
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
    EXPECT_EQ(ReadHistoryLog(fifo).status, LogReadStatus::Unreadable);

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

TEST_F(LogFiles, LogAppendedToWhileReadIsAPrefixOfWhatWasWritten) {
    const fs::path path = dir_ / "SegHistory.log";
    constexpr int kLines = 2000;
    std::string all;
    for (int i = 0; i < kLines; ++i) all += MinuteLine(i) + "\r\n";
    std::ofstream(path, std::ios::binary).flush();

    std::atomic<int> readsStarted{0};
    std::atomic<bool> done{false};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        // Odd-sized pieces, so reads often end inside a line, even between CR and LF. After
        // each piece the writer waits for a read to begin and then writes on during it.
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        for (std::size_t at = 0; at < all.size();) {
            const std::size_t piece = std::min<std::size_t>(all.size() - at, 197 + at % 389);
            if (write(fd, all.data() + at, piece) != static_cast<ssize_t>(piece)) break;
            at += piece;
            const int seen = readsStarted;
            while (readsStarted == seen && !stop) std::this_thread::yield();
        }
        close(fd);
        done = true;
    });

    int partialLines = 0;
    std::string problem;
    while (!done && problem.empty()) {
        ++readsStarted;
        const LogReadResult read = ReadHistoryLog(path);
        if (read.status != LogReadStatus::Ok) problem = "a growing log was not read";
        const HistoryLog& log = read.log;
        if (problem.empty()) problem = NotAPrefixOfMinuteLines(log);
        if (log.LineCount() > 0 && log.Line(log.LineCount() - 1).size() <
                                       MinuteLine(static_cast<int>(log.LineCount() - 1)).size()) {
            ++partialLines;
        }
        const std::string first = MinuteLine(0);
        if (log.LineCount() > 1 && log.ValueOf(first.substr(0, 12)) != first.substr(13)) {
            problem = "the first minute is not found";
        }
    }
    stop = true;
    writer.join();
    ASSERT_EQ(problem, "");
    EXPECT_GT(partialLines, 0);
    const LogReadResult final = ReadHistoryLog(path);
    ASSERT_EQ(final.log.LineCount(), static_cast<std::size_t>(kLines));
    EXPECT_EQ(final.log.Line(kLines - 1), MinuteLine(kLines - 1));
}

// A log too large to read in one go is built while it is read; appends meanwhile, also
// beyond the size it had when opened, must still give whole lines and a cut last line.
TEST_F(LogFiles, LargeLogAppendedToWhileBuiltIsAPrefixOfWhatWasWritten) {
    const fs::path path = dir_ / "SegHistory.log";
    std::string all;
    int lines = 0;
    for (; all.size() < (std::size_t{3} << 20); ++lines) all += MinuteLine(lines) + "\r\n";
    const std::size_t start = std::size_t{3} << 19;
    std::ofstream(path, std::ios::binary).write(all.data(), static_cast<std::streamsize>(start));

    std::atomic<bool> done{false};
    std::thread writer([&] {
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        for (std::size_t at = start; at < all.size();) {
            const std::size_t piece = std::min<std::size_t>(all.size() - at, 4093 + at % 8191);
            if (write(fd, all.data() + at, piece) != static_cast<ssize_t>(piece)) break;
            at += piece;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        close(fd);
        done = true;
    });

    std::string problem;
    std::size_t reads = 0;
    while (!done && problem.empty()) {
        ++reads;
        const LogReadResult read = ReadHistoryLog(path);
        const HistoryLog& log = read.log;
        if (read.status != LogReadStatus::Ok || log.TextBytes() < start) {
            problem = "a growing log was not read whole";
        }
        if (problem.empty()) problem = NotAPrefixOfMinuteLines(log);
        const std::size_t mid = log.LineCount() / 2;
        const std::string middle = MinuteLine(static_cast<int>(mid));
        if (problem.empty() && log.ValueOf(middle.substr(0, 12)) != middle.substr(13)) {
            problem = "the key of line " + std::to_string(mid) + " is not found";
        }
    }
    writer.join();
    ASSERT_EQ(problem, "") << "after " << reads << " reads";
    const LogReadResult final = ReadHistoryLog(path);
    ASSERT_EQ(final.log.LineCount(), static_cast<std::size_t>(lines));
    EXPECT_EQ(final.log.Line(final.log.LineCount() - 1), MinuteLine(lines - 1));
}

constexpr std::size_t kLarge = 16u << 20;
constexpr std::size_t kSmall = kLarge / 16;

// Junk that touches every branch of the loader: keys, quotes, NULs, bytes above 127,
// digit runs that look like dates, every kind of line end.
std::string OneLongLine(std::size_t bytes) {
    static constexpr char kUnit[] = "9=FF,\"x,\0\xC3(\xFF 2024010512,=\"\"7,";
    return "20240105=" + test::Repeat(std::string_view(kUnit, sizeof kUnit - 1), bytes);
}
std::string LinesWithoutEquals(std::size_t bytes) {
    return test::Repeat("2024010512 x\n", bytes);
}
std::string OneKeyInEveryCase(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 64);
    for (unsigned i = 0; text.size() < bytes; ++i) {
        std::string key = "abcdefgh-dcp";
        for (unsigned b = 0; b < 8; ++b) {
            if ((i >> b) & 1u) key[b] = static_cast<char>(key[b] - 'a' + 'A');
        }
        text += key + "=x_#\n";
    }
    return text;
}
std::string DistinctKeys(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 64);
    for (unsigned i = 0; text.size() < bytes; ++i)
        text += std::to_string(i * 2654435761u) + "=9=FF\n";
    return text;
}
std::string LoneCarriageReturns(std::size_t bytes) {
    return test::Repeat("\r", bytes);
}
std::string BrokenUtf16(std::size_t bytes) {
    // Unpaired surrogates, a NUL and an odd trailing byte.
    static constexpr char kUnits[] = "2\0=\0\x00\xD8\x41\0\0\0\r\0\n\0\x00\xDC";
    return "\xFF\xFE" + test::Repeat(std::string_view(kUnits, sizeof kUnits - 1), bytes) + "x";
}

struct Shape {
    const char* name;
    std::string (*make)(std::size_t);
};

TEST(LoadingBadInput, CostGrowsInProportionToTheLogWhateverItsShape) {
    const Shape shapes[] = {{"one 16 MB line", OneLongLine},
                            {"a million lines without =", LinesWithoutEquals},
                            {"one key in every letter case", OneKeyInEveryCase},
                            {"a million distinct keys", DistinctKeys},
                            {"lone CRs", LoneCarriageReturns},
                            {"broken UTF-16", BrokenUtf16}};
    for (const Shape& shape : shapes) {
        const std::string small = shape.make(kSmall);
        const std::string large = shape.make(kLarge);
        const auto load = [](const std::string& bytes) {
            return [&bytes] {
                StartupState state;
                state.SegHistory = HistoryLog::FromOwnedBytes(bytes);
                DeriveStartupFlags(state, Switches{});
                EXPECT_TRUE(state.SegHistory.ValueOf("202401051200").empty());
                DayInSegHistory(state.SegHistory, Day{std::chrono::year{2024} / 1 / 5});
            };
        };
        const test::CostGrowth cost = test::MeasureGrowth(load(small), load(large), 1e-4);
        RecordProperty(shape.name, std::to_string(cost.Ratio()));
        EXPECT_LT(cost.Ratio(), test::kLinearBound)
            << shape.name << ": " << cost.small << " s for 1 MB, " << cost.large << " s for 16 MB";
    }
}

TEST(LoadingBadInput, LongAndBrokenInputStillAnswersItsGoodLines) {
    const std::string good = "202401051215=9=F3\r\n";
    for (const std::string& junk :
         {OneLongLine(kSmall), LinesWithoutEquals(kSmall), LoneCarriageReturns(kSmall),
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

TEST(LoadingBadInput, SearchForANulNeverReadsPastTheText) {
    // The start-up search pads the last block of the text with NULs; a needle beginning
    // with a NUL must not be matched there. (A fuzzer finding.)
    for (std::size_t size = 1; size <= 130; ++size) {
        const HistoryLog log = HistoryLog::FromBytes(std::string(size, 'a'));
        const std::string nul(1, '\0');
        EXPECT_EQ(log.TextContainsEach({nul, nul + "a", "a" + nul, "IP="}), 0u) << size;
        const HistoryLog ending = HistoryLog::FromBytes(std::string(size, 'a') + nul);
        EXPECT_EQ(ending.TextContainsEach({nul, "a" + nul, nul + "a"}), 3u) << size;
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
}

}  // namespace
}  // namespace gapscope
