#include "history/history_log.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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

    const HistoryLog invalid = LoadFixture("invalid_utf8.log");
    EXPECT_EQ(invalid.ValueOf("\xC3\x28"), "bad");
    EXPECT_EQ(invalid.ValueOf("202401151215"), "9=\xFF\xFE");
    EXPECT_EQ(invalid.ValueOf("202401151230"), "9=0F");

    const HistoryLog open = LoadFixture("no_final_eol.log");
    EXPECT_EQ(open.LineCount(), 2u);
    EXPECT_EQ(open.ValueOf("202401151230"), "9=0F");
}

TEST(HistoryLog, ContainsDateAnywhereButNotAcrossLines) {
    const HistoryLog log = HistoryLog::FromBytes(
        "202401151215=9=FF\nx20230704y\n2022\n0101\nmask=120251231\n99999999\n");
    EXPECT_TRUE(log.ContainsDate("20240115"));
    EXPECT_TRUE(log.ContainsDate("20230704"));
    // Inside a longer run of digits, at any offset.
    EXPECT_TRUE(log.ContainsDate("20251231"));
    EXPECT_TRUE(log.ContainsDate("01151215"));
    EXPECT_FALSE(log.ContainsDate("20220101"));
    EXPECT_FALSE(log.ContainsDate("20240116"));
    // Queries that are no date are still answered from the text.
    EXPECT_TRUE(log.ContainsDate("99999999"));
    EXPECT_FALSE(log.ContainsDate("20241301"));
    EXPECT_FALSE(HistoryLog{}.ContainsDate("20240115"));
}

TEST(HistoryLog, DatesOutsideTheKeptYearsAndUnpreparedLogsAreLookedForInTheText) {
    const std::string text = "21000101=1\nx=18991231\n202402291200=P=1\n";
    const HistoryLog prepared = HistoryLog::FromBytes(text);
    const HistoryLog scanned = HistoryLog::FromBytes(text, {.dates = false, .needles = {}});
    for (const HistoryLog* log : {&prepared, &scanned}) {
        EXPECT_TRUE(log->ContainsDate("21000101"));
        EXPECT_TRUE(log->ContainsDate("18991231"));
        EXPECT_TRUE(log->ContainsDate("20240229"));
        EXPECT_FALSE(log->ContainsDate("21000102"));
        EXPECT_FALSE(log->ContainsDate("20240228"));
    }
}

TEST(HistoryLog, PreparedNeedlesAnswerAsASearchDoes) {
    const std::string text = "202401010000=IP=1,67=01\r\nxRE=\r\n";
    constexpr std::array<std::string_view, 4> kNeedles = {"IP=", "71=", "RE=", "67="};
    const HistoryLog prepared = HistoryLog::FromBytes(text, {.dates = true, .needles = kNeedles});
    const HistoryLog plain = HistoryLog::FromBytes(text);
    EXPECT_EQ(prepared.TextContainsEach(kNeedles), 0b1101u);
    EXPECT_EQ(plain.TextContainsEach(kNeedles), 0b1101u);
    // Other needles, or the same in another order, are searched for.
    EXPECT_EQ(prepared.TextContainsEach({"67=", "IP=", "\r\nxRE", ""}), 0b1111u);
}

TEST(HistoryLog, TextContainsSeesLinesJoinedByLineBreaks) {
    const HistoryLog log = HistoryLog::FromBytes("a=IP\rE=1\nlast");
    EXPECT_TRUE(log.TextContains("E=1"));
    EXPECT_FALSE(log.TextContains("IP="));
    EXPECT_TRUE(log.TextContains("IP\r\nE"));
    EXPECT_TRUE(log.TextContains("last\r\n"));
    EXPECT_FALSE(log.TextContains("e=1"));
}

class ReadHistoryLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("gapscope_read_log_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
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
    EXPECT_TRUE(result.log.Empty());
    { std::ofstream(dir_ / "Empty.log", std::ios::binary); }
    EXPECT_EQ(ReadHistoryLog(dir_ / "Empty.log").status, LogReadStatus::Ok);
}

// A log large enough to be built while it is read, in chunks, with lines, keys, digit runs
// and needles across every chunk and block edge.
std::string LargeLogText(bool utf8Mark) {
    std::mt19937 random(7);
    std::string text = utf8Mark ? "\xEF\xBB\xBF" : "";
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; text.size() < (std::size_t{3} << 20); ++i) {
        const int day = 1 + i % 28;
        char key[32];
        std::snprintf(key, sizeof key, "20%02d%02d%02d%04d", 20 + i % 7, 1 + i % 12, day, i % 1440);
        text += key;
        // Some keys again, in another case, and items of every kind.
        if (i % 97 == 0)
            text += "\n" + std::string(i % 2 ? "Seq" : "SEQ") + "=" + std::to_string(i);
        text += "=P=1,E=1,1=FF," + std::to_string(random() % 100000) + "=" +
                std::string(random() % 90, 'F');
        if (i % 1013 == 0) text += ",71=01";
        if (i % 4099 == 0) text += ",x21000101y";
        text += ends[random() % 3];
    }
    text += "202612312359=last,IE=";  // no line end
    return text;
}

TEST_F(ReadHistoryLogTest, LargeLogReadWhileBuiltEqualsTheSameBytesInMemory) {
    constexpr std::array<std::string_view, 5> kNeedles = {"IE=", "71=", "RP=", "IE=,", "x2100"};
    for (const bool mark : {false, true}) {
        const std::string bytes = LargeLogText(mark);
        const fs::path path = dir_ / "SegHistory.log";
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const LogReadResult read = ReadHistoryLog(path, {.dates = true, .needles = kNeedles});
        ASSERT_EQ(read.status, LogReadStatus::Ok);
        const HistoryLog& log = read.log;
        const HistoryLog memory = HistoryLog::FromBytes(bytes, {.dates = false, .needles = {}});

        ASSERT_EQ(log.LineCount(), memory.LineCount()) << mark;
        for (std::size_t i = 0; i < log.LineCount(); ++i) {
            ASSERT_EQ(log.Line(i), memory.Line(i)) << i;
            const std::string_view line = log.Line(i);
            const std::string_view key = line.substr(0, line.find('='));
            if (key.size() != line.size()) {
                ASSERT_EQ(log.ValueOf(key), memory.ValueOf(key)) << i;
            }
        }
        // The first of the keys written in either case.
        EXPECT_TRUE(log.ValueOf("seq").starts_with("0=P=1,")) << log.ValueOf("seq");
        EXPECT_EQ(log.ValueOf("202612312359"), "last,IE=");
        // Prepared answers against a plain search of the text.
        const std::string_view text = std::string_view(bytes).substr(mark ? 3 : 0);
        std::uint32_t expected = 0;
        for (std::size_t k = 0; k < kNeedles.size(); ++k) {
            if (text.find(kNeedles[k]) != std::string_view::npos) expected |= 1u << k;
        }
        EXPECT_EQ(log.TextContainsEach(kNeedles), expected);
        EXPECT_EQ(expected, 0b10011u);
        for (const char* date :
             {"20200101", "20261231", "20230228", "20250229", "21000101", "20211301", "20260101"}) {
            EXPECT_EQ(log.ContainsDate(date), text.find(date) != std::string_view::npos) << date;
            EXPECT_EQ(memory.ContainsDate(date), log.ContainsDate(date)) << date;
        }
    }
}

}  // namespace
}  // namespace gapscope
