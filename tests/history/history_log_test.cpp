#include "history/history_log.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "history/log_text.h"
#include "tests/support/test_support.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

fs::path FixturePath(const std::string& name) {
    return fs::path(GAPSCOPE_TEST_DATA_DIR) / "history" / name;
}

HistoryLog LoadFixture(const std::string& name) {
    LogReadResult result = ReadHistoryLog(FixturePath(name));
    EXPECT_EQ(result.status, LogReadStatus::Ok) << name;
    return std::move(result.log);
}

TEST(HistoryLog, FirstLineOfAKeyWinsIgnoringCase) {
    const HistoryLog log = HistoryLog::FromBytes(
        "202401151215=9=FF\n202401151215=9=0F\n20240116-DCP=ab_#\n"
        "20240116-dcp=zzzz\nplain line\n202401151230=\n202401151230=9=FF\n");
    EXPECT_EQ(log.ValueOf("202401151215"), "9=FF");
    EXPECT_EQ(log.ValueOf("20240116-dcp"), "ab_#");
    EXPECT_EQ(log.ValueOf("20240116-Dcp"), "ab_#");
    // An empty first value hides later lines of the same key.
    EXPECT_EQ(log.ValueOf("202401151230"), "");
    EXPECT_EQ(log.ValueOf("plain line"), "");
    EXPECT_EQ(log.ValueOf("2024011512"), "");
    EXPECT_EQ(log.LineCount(), 7u);
    EXPECT_EQ(log.Line(4), "plain line");
    EXPECT_EQ(log.Line(7), "");
}

TEST(HistoryLog, EveryDistinctKeyIsFoundAmongMany) {
    std::string text;
    for (int i = 0; i < 50000; ++i) {
        text += "K" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
        text += "k" + std::to_string(i) + "=later\n";
        text += "same=" + std::to_string(i) + "\n";
    }
    const HistoryLog log = HistoryLog::FromBytes(text);
    for (int i = 0; i < 50000; i += 7) {
        ASSERT_EQ(log.ValueOf("k" + std::to_string(i)), "v" + std::to_string(i)) << i;
    }
    EXPECT_EQ(log.ValueOf("same"), "0");
    EXPECT_EQ(log.ValueOf("k50000"), "");
}

TEST(HistoryLog, ValueKeepsFurtherEqualsSigns) {
    const HistoryLog log = HistoryLog::FromBytes("=lead\r\nD1215=P=1,E=1,9=F3");
    EXPECT_EQ(log.ValueOf("D1215"), "P=1,E=1,9=F3");
    EXPECT_EQ(log.ValueOf(""), "lead");
    EXPECT_EQ(log.ValueOf("D1215=P"), "");
}

TEST(HistoryLog, LinesAreFoundWhateverTheLineEnds) {
    const HistoryLog log = HistoryLog::FromBytes("a=1\r\r\nb=2\n\rc=3\r\n\nd=4");
    const std::vector<std::string_view> expected = {"a=1", "", "b=2", "", "c=3", "", "d=4"};
    ASSERT_EQ(log.LineCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(log.Line(i), expected[i]) << i;
    EXPECT_EQ(log.ValueOf("C"), "3");
    EXPECT_EQ(log.ValueOf("d"), "4");
}

TEST(HistoryLog, LoadsDamagedAndEncodedFiles) {
    EXPECT_TRUE(LoadFixture("bom_only.log").Empty());

    for (const char* name : {"utf16le_mixed_eol.log", "utf16be_mixed_eol.log"}) {
        const HistoryLog log = LoadFixture(name);
        EXPECT_EQ(log.LineCount(), 5u) << name;
        EXPECT_EQ(log.ValueOf("202401151230"), "9=0F") << name;
        EXPECT_EQ(log.ValueOf("202401151245"), "1=FF") << name;
        EXPECT_EQ(log.ValueOf("20240116-DCP"), "ab_#") << name;
    }

    const HistoryLog nuls = LoadFixture("nuls.log");
    EXPECT_EQ(nuls.LineCount(), 3u);
    EXPECT_EQ(nuls.ValueOf(std::string("20240115\0"
                                       "1215",
                                       13)),
              "9=FF");
    EXPECT_EQ(nuls.ValueOf("202401151230"), std::string("9\0=0F", 5));
    EXPECT_EQ(nuls.ValueOf("202401151245"), std::string("1=F\0F", 5));

    // Without a byte-order mark the bytes are Windows-1252: every system reads them alike.
    const HistoryLog eightBit = LoadFixture("invalid_utf8.log");
    EXPECT_EQ(eightBit.ValueOf("\u00C3("), "bad");
    EXPECT_EQ(eightBit.ValueOf("202401151215"), "9=\u00FF\u00FE");
    EXPECT_EQ(eightBit.Line(2), "\u20AC\u20AC\u20AC");
    EXPECT_EQ(eightBit.ValueOf("202401151230"), "9=0F");

    const HistoryLog open = LoadFixture("no_final_eol.log");
    EXPECT_EQ(open.LineCount(), 2u);
    EXPECT_EQ(open.ValueOf("202401151230"), "9=0F");
}

using test::Date;

TEST(HistoryLog, ContainsDateAnywhereButNotAcrossLines) {
    // The same answers whether the dates were collected or are looked for in the text.
    for (const HistoryLog::Dates dates : {HistoryLog::Dates::Collect, HistoryLog::Dates::Search}) {
        const HistoryLog log = HistoryLog::FromBytes(
            "202401151215=9=FF\nx20230704y\n2022\n0101\nmask=120251231\n21000101=1\nx=18991231\n",
            dates);
        EXPECT_TRUE(log.ContainsDate(Date(2024, 1, 15)));
        EXPECT_TRUE(log.ContainsDate(Date(2023, 7, 4)));
        // Inside a longer run of digits, at any offset, in any century.
        EXPECT_TRUE(log.ContainsDate(Date(2025, 12, 31)));
        EXPECT_TRUE(log.ContainsDate(Date(115, 12, 15)));
        EXPECT_TRUE(log.ContainsDate(Date(2100, 1, 1)));
        EXPECT_TRUE(log.ContainsDate(Date(1899, 12, 31)));
        EXPECT_FALSE(log.ContainsDate(Date(2022, 1, 1)));
        EXPECT_FALSE(log.ContainsDate(Date(2024, 1, 16)));
    }
    EXPECT_FALSE(HistoryLog{}.ContainsDate(Date(2024, 1, 15)));
}

TEST(HistoryLog, ContainsDateAgreesWithASearchOfTheText) {
    std::mt19937 random(11);
    const auto digits = [&random](int count) {
        std::string run;
        for (int k = 0; k < count; ++k) run += static_cast<char>('0' + random() % 10);
        return run;
    };
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        // Dates inside runs of digits of every length, cut by other characters and line ends.
        const Day day = Date(2000, 1, 1) + std::chrono::days{random() % 11000};
        text += digits(static_cast<int>(random() % 5)) + CompactDate(day).substr(random() % 3) +
                digits(static_cast<int>(random() % 5));
        text += "=,F\r\n "[random() % 6];
    }
    const HistoryLog log = HistoryLog::FromBytes(text);
    int found = 0;
    for (Day day = Date(2000, 1, 1); day < Date(2031, 1, 1); day += std::chrono::days{1}) {
        const bool inText = text.find(CompactDate(day)) != std::string::npos;
        ASSERT_EQ(log.ContainsDate(day), inText) << CompactDate(day);
        found += inText ? 1 : 0;
    }
    EXPECT_GT(found, 1000);
}

TEST(HistoryLog, TextContainsSearchesTheWholeText) {
    const HistoryLog log = HistoryLog::FromBytes("a=IP\rE=1\nlast");
    EXPECT_TRUE(log.TextContains("E=1"));
    EXPECT_FALSE(log.TextContains("IP="));
    EXPECT_TRUE(log.TextContains("last"));
    EXPECT_FALSE(log.TextContains("e=1"));
    EXPECT_FALSE(HistoryLog{}.TextContains("a"));

    EXPECT_TRUE(log.TextContainsAny({"IE=", "IP", "I9="}));
    EXPECT_FALSE(log.TextContainsAny({"IP=", "IE=", "I9="}));
    EXPECT_TRUE(log.TextContainsAny({"RP=", "ast"}));  // needles that begin unlike
    EXPECT_FALSE(log.TextContainsAny({}));
}

std::string Upper(std::string text) {
    for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

// The first look-up in which `log` answers unlike `whole`, a log read whole: a line, the
// value of a line's key (in either letter case), the text, a day; empty when none.
std::string Difference(const HistoryLog& log, const HistoryLog& whole) {
    if (log.LineCount() != whole.LineCount()) {
        return std::to_string(log.LineCount()) + " lines, not " + std::to_string(whole.LineCount());
    }
    for (std::size_t i = 0; i < whole.LineCount(); ++i) {
        const std::string_view line = whole.Line(i);
        if (log.Line(i) != line)
            return "line " + std::to_string(i) + ": " + std::string(log.Line(i));
        const std::string key(line.substr(0, line.find('=')));
        for (const std::string& k : {key, Upper(key)}) {
            if (log.ValueOf(k) != whole.ValueOf(k)) return "the value of " + k;
        }
    }
    // The text of the first chunk and of the last.
    for (const std::size_t i : {std::size_t{0}, whole.LineCount() - 1}) {
        if (i < whole.LineCount() && !log.TextContains(whole.Line(i)))
            return "the text of line " + std::to_string(i);
    }
    for (const Day day : {Date(2024, 1, 15), Date(2024, 1, 16), Date(2024, 1, 17)}) {
        if (log.ContainsDate(day) != whole.ContainsDate(day)) return "the day " + CompactDate(day);
    }
    return "";
}

TEST(HistoryLog, AppendedLinesReadAsIfReadWhole) {
    const std::string first = "202401151215=9=FF\r\n20240116-dcp=ab_#\rplain\n";
    const std::string second = "202401151215=9=00\r\n20240116-DCP=zz\n202401171200=1=FF\r\n";
    const std::string third = "x=\r\n202401151230=9=0F";
    for (const HistoryLog::Dates dates : {HistoryLog::Dates::Collect, HistoryLog::Dates::Search}) {
        HistoryLog log = HistoryLog::FromText(first, dates);
        const HistoryLog copy = log;
        const std::string_view value = log.ValueOf("20240116-DCP");
        log.Append(second);
        log.Append(third);
        EXPECT_EQ(Difference(log, HistoryLog::FromText(first + second + third, dates)), "");
        // An appended duplicate never replaces the first line of its key.
        EXPECT_EQ(log.ValueOf("202401151215"), "9=FF");
        EXPECT_TRUE(log.ContainsDate(Date(2024, 1, 17)));
        // A copy keeps what it held, and views into the log stay valid.
        EXPECT_EQ(Difference(copy, HistoryLog::FromText(first, dates)), "");
        EXPECT_EQ(value, "ab_#");
    }
    HistoryLog copy;
    {
        HistoryLog original = HistoryLog::FromText(first);
        original.Append(second);
        copy = original;
    }
    EXPECT_EQ(copy.ValueOf("202401171200"), "1=FF");
}

TEST(HistoryLog, IndexGrowsWithTheKeysAppended) {
    std::string all = "k0=first\n";
    HistoryLog log = HistoryLog::FromText(all);
    for (int part = 0; part < 40; ++part) {
        std::string more;
        for (int i = 0; i < 1000; ++i)
            more += "K" + std::to_string(part * 1000 + i) + "=" + std::to_string(part) + "\n";
        log.Append(more);
        all += more;
    }
    EXPECT_EQ(Difference(log, HistoryLog::FromText(all)), "");
    EXPECT_EQ(log.ValueOf("k0"), "first");
}

class ReadHistoryLogTest : public ::testing::Test {
  protected:
    test::TempDir temp_{"gapscope_read_log_"};
    const fs::path dir_ = temp_.path();
};

TEST_F(ReadHistoryLogTest, TellsMissingFromUnreadable) {
    EXPECT_EQ(ReadHistoryLog(dir_ / "SegHistory.log").status, LogReadStatus::Missing);
    fs::create_directory(dir_ / "SegHistory.log");
    const LogReadResult result = ReadHistoryLog(dir_ / "SegHistory.log");
    EXPECT_EQ(result.status, LogReadStatus::Unreadable);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_TRUE(result.log.Empty());
    { std::ofstream(dir_ / "Empty.log", std::ios::binary); }
    EXPECT_EQ(ReadHistoryLog(dir_ / "Empty.log").status, LogReadStatus::Ok);
}

TEST_F(ReadHistoryLogTest, AByteBeyondAsciiFarIntoALargeLogIsDecoded) {
    // Past the first megabyte, in a later piece of the reading.
    std::string bytes;
    for (int i = 0; bytes.size() < (std::size_t{3} << 19); ++i) bytes += "k" + std::to_string(i) + "=FF\r\n";
    bytes += "late=caf\xE9\r\n";
    std::ofstream(dir_ / "SegHistory.log", std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const LogReadResult read = ReadHistoryLog(dir_ / "SegHistory.log");
    ASSERT_EQ(read.status, LogReadStatus::Ok);
    EXPECT_EQ(read.log.ValueOf("late"), "caf\u00E9");
    EXPECT_EQ(read.log.ValueOf("k7"), "FF");
}

TEST_F(ReadHistoryLogTest, ReadsWhatTheFileHolds) {
    const std::string bytes = "\xEF\xBB\xBF" "202401151215=9=FF\r\n202401151230=9=0F";
    std::ofstream(dir_ / "SegHistory.log", std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const LogReadResult read = ReadHistoryLog(dir_ / "SegHistory.log");
    ASSERT_EQ(read.status, LogReadStatus::Ok);
    EXPECT_EQ(read.log.LineCount(), 2u);
    EXPECT_EQ(read.log.ValueOf("202401151230"), "9=0F");
    EXPECT_TRUE(read.log.ContainsDate(Date(2024, 1, 15)));
}

// A log file holding `lines` (UTF-8 text, or 8-bit bytes as they are) in an encoding: its
// byte-order mark, then the bytes of each line; `ends` gets where each line's bytes end.
std::string LogFile(const std::vector<std::string>& lines, LogEncoding encoding,
                    std::vector<std::size_t>& ends) {
    static const std::array<std::string, 4> kMarks = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    std::string bytes = kMarks[static_cast<std::size_t>(encoding)];
    const bool bigEndian = encoding == LogEncoding::Utf16Be;
    const auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    for (const std::string& line : lines) {
        if (encoding == LogEncoding::Utf16Le || encoding == LogEncoding::Utf16Be) {
            for (const char32_t c : Characters(line)) {
                if (c < 0x10000) {
                    unit(c);
                } else {
                    unit(0xD800 + ((c - 0x10000) >> 10));
                    unit(0xDC00 + ((c - 0x10000) & 0x3FF));
                }
            }
        } else {
            bytes += line;
        }
        ends.push_back(bytes.size());
    }
    return bytes;
}

// Multi-byte characters, a surrogate pair, every kind of line end, a later duplicate key.
const std::vector<std::string> kWrittenLines = {"202401151215=9=FF\r\n",
                                                "x=caf\u00E9 \U0001F600\r\n", "202401151230=9=0F\r",
                                                "202401151215=9=00\n", "20240116-dcp=ab_#\r\n"};
constexpr std::array<LogEncoding, 4> kEncodings = {LogEncoding::EightBit, LogEncoding::Utf8,
                                                   LogEncoding::Utf16Le, LogEncoding::Utf16Be};

void AppendTo(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A log followed while it is written a byte at a time: after each refresh it holds the
// lines that have ended, as a whole read of them would (a CR at the end may yet get its
// LF); a half line never, lest its key hide the whole line to come.
TEST_F(ReadHistoryLogTest, ALogFollowedAsItIsWrittenHoldsItsEndedLines) {
    const fs::path path = dir_ / "SegHistory.log";
    for (const LogEncoding encoding : kEncodings) {
        std::vector<std::size_t> ends;
        const std::string bytes = LogFile(kWrittenLines, encoding, ends);
        fs::remove(path);
        HistoryLog log;
        LogReadMark mark;
        for (std::size_t size = 0; size <= bytes.size(); ++size) {
            AppendTo(path,
                     std::string_view(bytes).substr(size == 0 ? 0 : size - 1, size == 0 ? 0 : 1));
            ASSERT_EQ(RefreshHistoryLog(path, log, mark).status, LogReadStatus::Ok);
            // A line that ends in a lone CR has ended once a whole code unit follows.
            std::size_t ended = 0;
            while (ended < ends.size() &&
                   ends[ended] +
                           (kWrittenLines[ended].ends_with('\r') ? CodeUnitWidth(encoding) : 0) <=
                       size) {
                ++ended;
            }
            const std::string whole = bytes.substr(0, ended == 0 ? 0 : ends[ended - 1]);
            ASSERT_EQ(Difference(log, HistoryLog::FromBytes(whole)), "")
                << static_cast<int>(encoding) << " at byte " << size;
        }
        EXPECT_EQ(log.ValueOf("202401151215"), "9=FF");
        EXPECT_EQ(log.LineCount(), kWrittenLines.size());
    }
}

// A first read that finds the last lines cut anywhere, then one after they were completed.
TEST_F(ReadHistoryLogTest, ALogReadCutAnywhereIsCompletedByTheNextRefresh) {
    const fs::path path = dir_ / "SegHistory.log";
    for (const LogEncoding encoding : kEncodings) {
        std::vector<std::size_t> ends;
        const std::string bytes = LogFile(kWrittenLines, encoding, ends);
        const HistoryLog whole = HistoryLog::FromBytes(bytes);
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            fs::remove(path);
            AppendTo(path, bytes.substr(0, cut));
            HistoryLog log;
            LogReadMark mark;
            ASSERT_EQ(RefreshHistoryLog(path, log, mark).status, LogReadStatus::Ok);
            AppendTo(path, bytes.substr(cut));
            ASSERT_EQ(RefreshHistoryLog(path, log, mark).status, LogReadStatus::Ok);
            ASSERT_EQ(Difference(log, whole), "")
                << static_cast<int>(encoding) << " cut at " << cut;
        }
    }
}

TEST_F(ReadHistoryLogTest, ARefreshReadsOnlyWhatGrew) {
    const fs::path path = dir_ / "SegHistory.log";
    AppendTo(path, "a=1\r\nb=2\r\n");
    HistoryLog log;
    LogReadMark mark;
    EXPECT_TRUE(RefreshHistoryLog(path, log, mark).changed);
    const LogRefresh unchanged = RefreshHistoryLog(path, log, mark);
    EXPECT_EQ(unchanged.status, LogReadStatus::Ok);
    EXPECT_FALSE(unchanged.changed);
    // A line already read, changed in place, stays as it was read.
    std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(2).put('9');
    AppendTo(path, "c=3\r\n");
    EXPECT_TRUE(RefreshHistoryLog(path, log, mark).changed);
    EXPECT_EQ(log.ValueOf("a"), "1");
    EXPECT_EQ(log.ValueOf("c"), "3");
}

// A log replaced by another file, cut shorter, or rewritten in place, is read whole.
TEST_F(ReadHistoryLogTest, AReplacedOrShortenedLogIsReadWhole) {
    const fs::path path = dir_ / "SegHistory.log";
    const auto write = [](const fs::path& to, std::string_view bytes) {
        std::ofstream(to, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    HistoryLog log;
    LogReadMark mark;
    const auto refreshed = [&](std::string_view bytes) {
        const LogRefresh refresh = RefreshHistoryLog(path, log, mark);
        EXPECT_EQ(refresh.status, LogReadStatus::Ok);
        EXPECT_TRUE(refresh.changed);
        return Difference(log, HistoryLog::FromBytes(std::string(bytes)));
    };
    write(path, "a=1\r\nb=2\r\n");
    EXPECT_EQ(refreshed("a=1\r\nb=2\r\n"), "");
    // Another file, longer, renamed into its place.
    write(dir_ / "new.log", "b=3\r\na=4\r\nc=5\r\n");
    fs::rename(dir_ / "new.log", path);
    EXPECT_EQ(refreshed("b=3\r\na=4\r\nc=5\r\n"), "");
    write(path, "c=6\n");
    EXPECT_EQ(refreshed("c=6\n"), "");
    // Longer than before, but with no line end where the last line read ended.
    write(path, "dd=7\r\nee=8\r\n");
    EXPECT_EQ(refreshed("dd=7\r\nee=8\r\n"), "");
    // Rewritten in place: its last line one byte longer (a CR now stands where the LF stood),
    // or changed without a change of size (as a sequence string whose gap was filled).
    const auto rewrite = [&](std::string_view bytes) {
        const auto before = fs::last_write_time(path);
        std::fstream(path, std::ios::binary | std::ios::in | std::ios::out)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        fs::last_write_time(path, before + std::chrono::seconds{1});
    };
    rewrite("dd=7\r\nee=88\r\n");
    EXPECT_EQ(refreshed("dd=7\r\nee=88\r\n"), "");
    rewrite("dd=_\r\nee=89\r\n");
    EXPECT_EQ(refreshed("dd=_\r\nee=89\r\n"), "");

    // Unreadable: the log stays as it was; gone: it is empty, as a first read finds it.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(RefreshHistoryLog(path, log, mark).status, LogReadStatus::Unreadable);
    EXPECT_EQ(log.ValueOf("dd"), "_");
    fs::remove(path);
    const LogRefresh gone = RefreshHistoryLog(path, log, mark);
    EXPECT_EQ(gone.status, LogReadStatus::Missing);
    EXPECT_TRUE(gone.changed);
    EXPECT_TRUE(log.Empty());
    write(path, "f=9\n");
    EXPECT_EQ(refreshed("f=9\n"), "");
}

}  // namespace
}  // namespace gapscope
