#include "history/log_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/support/test_support.h"

namespace gapscope {
namespace {

std::string Fixture(const std::string& name) {
    const std::filesystem::path path = std::filesystem::path(GAPSCOPE_TEST_DATA_DIR) / "history" / name;
    EXPECT_TRUE(std::filesystem::exists(path)) << name;
    return test::ReadFile(path);
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(DecodeLogBytes, StripsUtf8MarkAndMendsInvalidUtf8) {
    EXPECT_EQ(DecodeLogBytes(Fixture("bom_only.log")), "");
    EXPECT_EQ(DecodeLogBytes("\xEF\xBB\xBF"
                             "A=1"),
              "A=1");
    // After a mark, what is not UTF-8 (a stray continuation byte, a cut sequence, an
    // over-long form, a surrogate) becomes U+FFFD, byte by byte.
    EXPECT_EQ(DecodeLogBytes("\xEF\xBB\xBF"
                             "a\x80"
                             "b\xC3\xA9\xE2\x82\xC0\x80\xED\xA0\x80"),
              "a\uFFFDb\u00E9\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(DecodeLogBytes, ReadsEightBitLogsAsWindows1252) {
    // ASCII, NULs included, passes as it is.
    const std::string ascii("A=1\0x\r\n", 7);
    EXPECT_EQ(DecodeLogBytes(ascii), ascii);
    // Latin-1 letters, the euro sign, and a byte Windows-1252 leaves undefined.
    EXPECT_EQ(DecodeLogBytes("caf\xE9=\x80\x81\xFF"), "caf\u00E9=\u20AC\u0081\u00FF");
    // UTF-8 without a mark is 8-bit text too.
    EXPECT_EQ(DecodeLogBytes("\xC3\xA9"), "\u00C3\u00A9");
}

TEST(Characters, CountsCharactersNotBytes) {
    EXPECT_EQ(Characters("a\u00E9\u20AC\U0001F600_"), U"a\u00E9\u20AC\U0001F600_");
    EXPECT_EQ(Characters(""), U"");
    // Bytes that are not UTF-8 count as one replacement character each.
    EXPECT_EQ(Characters("x\xFF\xC3"), U"x\uFFFD\uFFFD");
}

TEST(DecodeLogBytes, ConvertsUtf16EitherByteOrder) {
    const std::string expected =
        "202401151215=9=FF\r\n202401151230=9=0F\r202401151245=1=FF\n\n20240116-dcp=ab_#";
    EXPECT_EQ(DecodeLogBytes(Fixture("utf16le_mixed_eol.log")), expected);
    EXPECT_EQ(DecodeLogBytes(Fixture("utf16be_mixed_eol.log")), expected);
    // U+00E9 and U+1F600 (a surrogate pair) in little-endian order.
    EXPECT_EQ(DecodeLogBytes(std::string("\xFF\xFE\xE9\x00\x3D\xD8\x00\xDE", 8)),
              "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(DecodeLogBytes, ReplacesBrokenUtf16) {
    // A lone high surrogate before "x", then an odd trailing byte.
    EXPECT_EQ(DecodeLogBytes(Fixture("utf16le_damaged.log")), "A=1\r\nB=\xEF\xBF\xBDx\xEF\xBF\xBD");
    // A lone low surrogate, big-endian.
    EXPECT_EQ(DecodeLogBytes(std::string("\xFE\xFF\xDC\x00\x00\x41", 6)),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(DecodeLogBytes("\xFF\xFE"), "");
}

TEST(ForEachLine, SplitsAtEveryKindOfLineEnd) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Lines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\n\r\nb\r\r"), (V{"a", "", "b", ""}));
    EXPECT_EQ(Lines("\n"), (V{""}));
    EXPECT_EQ(Lines(""), V{});
    EXPECT_EQ(Lines(std::string_view("a\0b\nc", 5)), (V{std::string("a\0b", 3), "c"}));
    EXPECT_EQ(Lines("\r\r\ra"), (V{"", "", "", "a"}));
}

}  // namespace
}  // namespace gapscope
