#include "history/history_log.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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

class ReadHistoryLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = test::ScratchPath("gapscope_read_log_");
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
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

}  // namespace
}  // namespace gapscope
