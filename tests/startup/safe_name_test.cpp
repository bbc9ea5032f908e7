#include "startup/safe_name.h"

#include <gtest/gtest.h>

namespace gapscope {
namespace {

TEST(SafeName, OrdinaryNamesPassUnchanged) {
    for (const char* name : {"", "Groundstation", "North \"2\" \\ station", "Station Nord, été",
                             "\xE5\x8C\x97\xE4\xBA\xAC", "\xF0\x9F\x9B\xB0 sat"}) {
        EXPECT_EQ(SafeName(name), name);
        EXPECT_EQ(SafeName(name, NotUtf8::Keep), name);
    }
}

TEST(SafeName, ControlCharactersBecomeQuestionMarks) {
    EXPECT_EQ(SafeName("north\nPC\r\t\x1b[31m\x7f"), "north?PC???[31m?");
    EXPECT_EQ(SafeName(std::string("a\0b", 3)), "a?b");
    // C1 controls written in UTF-8 (U+009B is an escape on some terminals); a lone byte 0x9B
    // is a letter of an 8-bit code page.
    EXPECT_EQ(SafeName("x\xC2\x9B" "1m"), "x?1m");
    EXPECT_EQ(SafeName("x\xC2\x9B" "1m", NotUtf8::Keep), "x?1m");
    EXPECT_EQ(SafeName("x\x9B" "1m", NotUtf8::Keep), "x\x9B" "1m");
    EXPECT_EQ(SafeName("north\n\x1b", NotUtf8::Keep), "north??");
}

TEST(SafeName, BytesThatAreNotUtf8BecomeReplacementCharactersOrStay) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        std::string name, replaced;
    };
    const Case cases[] = {
        {"north\xE9", "north" + fffd},              // Latin-1
        {"\xC3", fffd},                             // cut short
        {"\xC0\xAF", fffd + fffd},                  // overlong '/'
        {"\xED\xA0\x80", fffd + fffd + fffd},       // a surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // above U+10FFFF
        {"\x80z\xFF", fffd + "z" + fffd},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SafeName(c.name), c.replaced) << c.name;
        EXPECT_EQ(SafeName(c.name, NotUtf8::Keep), c.name);
    }
}

}  // namespace
}  // namespace gapscope
