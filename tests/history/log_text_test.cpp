#include "history/log_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace gapscope {
namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(GAPSCOPE_TEST_DATA_DIR) + "/history/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(DecodeLogBytes, StripsUtf8MarkAndKeepsOtherBytesAsTheyAre) {
    EXPECT_EQ(DecodeLogBytes(Fixture("bom_only.log")), "");
    EXPECT_EQ(DecodeLogBytes("\xEF\xBB\xBF"
                             "A=1"),
              "A=1");
    // Without a mark the bytes are 8-bit text, invalid UTF-8 and NULs included.
    const std::string raw("\xC3\x28=\xFF\x00x\xEF\xBB", 8);
    EXPECT_EQ(DecodeLogBytes(raw), raw);
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

TEST(DecodeLogBytes, InPlaceAgreesWithCopy) {
    for (const char* name : {"utf8_bom.log", "utf16be_mixed_eol.log", "invalid_utf8.log"}) {
        std::string bytes = Fixture(name);
        const std::string copy = DecodeLogBytes(bytes);
        DecodeLogBytesInPlace(bytes);
        EXPECT_EQ(bytes, copy) << name;
    }
}

TEST(ForEachLine, SplitsAtEveryKindOfLineEnd) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Lines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\n\r\nb\r\r"), (V{"a", "", "b", ""}));
    EXPECT_EQ(Lines("\n"), (V{""}));
    EXPECT_EQ(Lines(""), V{});
    EXPECT_EQ(Lines(std::string_view("a\0b\nc", 5)), (V{std::string("a\0b", 3), "c"}));
}

}  // namespace
}  // namespace gapscope
