#include "history/items.h"

#include <gtest/gtest.h>

#include <vector>

namespace gapscope {
namespace {

std::vector<std::string> Texts(std::string_view record) {
    std::vector<std::string> texts;
    for (const Item& item : ParseItems(record)) texts.push_back(item.text);
    return texts;
}

using V = std::vector<std::string>;

TEST(ParseItems, BlanksAndControlCharactersSeparateItems) {
    EXPECT_EQ(Texts("9=FF,12=FFFFFF"), (V{"9=FF", "12=FFFFFF"}));
    EXPECT_EQ(Texts(" \t9=FF ,  12=FFFFFF \r\n"), (V{"9=FF", "12=FFFFFF"}));
    // A blank ends an item even without a comma.
    EXPECT_EQ(Texts("9=FF 12=FFFFFF"), (V{"9=FF", "12=FFFFFF"}));
    EXPECT_EQ(Texts("9=F\x01"
                    "F"),
              (V{"9=F", "F"}));
    EXPECT_EQ(Texts(""), V{});
    EXPECT_EQ(Texts(" \t "), V{});
}

TEST(ParseItems, EmptyItemsBetweenAndAfterCommas) {
    EXPECT_EQ(Texts("a,,b"), (V{"a", "", "b"}));
    EXPECT_EQ(Texts("a,"), (V{"a", ""}));
    EXPECT_EQ(Texts(","), (V{"", ""}));
    // Only a comma at the very end adds the empty item; blanks after it do not.
    EXPECT_EQ(Texts("a, "), (V{"a"}));
}

TEST(ParseItems, QuotedItems) {
    EXPECT_EQ(Texts("\"a b,c\",d"), (V{"a b,c", "d"}));
    EXPECT_EQ(Texts("\"say \"\"hi\"\"\""), (V{"say \"hi\""}));
    EXPECT_EQ(Texts("\"a\"b"), (V{"a", "b"}));
    EXPECT_EQ(Texts("x,\"unclosed, to the end"), (V{"x", "unclosed, to the end"}));
    EXPECT_EQ(Texts("\"\""), (V{""}));
}

TEST(ParseItems, NulEndsTheList) {
    EXPECT_EQ(Texts(std::string_view("9=FF,1\0"
                                     "2=FF",
                                     11)),
              (V{"9=FF", "1"}));
    EXPECT_EQ(Texts(std::string_view("\"ab\0cd\",x", 9)), (V{"ab"}));
}

TEST(ItemValueOf, FirstItemWithKeyIgnoringCase) {
    const ItemList items = ParseItems("RP=1,r9=FF,R9=0F,flag,12=,a=b=c");
    EXPECT_EQ(ValueOf(items, "R9"), "FF");
    EXPECT_EQ(ValueOf(items, "rp"), "1");
    EXPECT_EQ(ValueOf(items, "a"), "b=c");
    EXPECT_EQ(ValueOf(items, "12"), "");
    EXPECT_EQ(ValueOf(items, "flag"), "");  // no "=": no key
    EXPECT_EQ(ValueOf(items, "9"), "");
}

TEST(EqualsIgnoreCase, FoldsAsciiOnly) {
    EXPECT_TRUE(EqualsIgnoreCase("NoFy2C", "nofy2c"));
    EXPECT_FALSE(EqualsIgnoreCase("ab", "abc"));
    EXPECT_FALSE(EqualsIgnoreCase("\xC3\xA9", "\xC3\x89"));  // é vs É stay distinct
    EXPECT_FALSE(EqualsIgnoreCase("[", "{"));
}

}  // namespace
}  // namespace gapscope
