#include "history/mask.h"

#include <gtest/gtest.h>

namespace gapscope {
namespace {

TEST(Mask, ReadsHexWithOrWithoutDollar) {
    EXPECT_EQ(TryParseMask("FF"), 255u);
    EXPECT_EQ(TryParseMask("$ff"), 255u);
    EXPECT_EQ(TryParseMask("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(TryParseMask("000000001"), 1u);
    EXPECT_EQ(TryParseMask("0"), 0u);
    EXPECT_EQ(ParseMask("$C00000"), 0xC00000u);
}

TEST(Mask, RejectsAnythingElse) {
    for (const char* bad :
         {"", "$", "$$1", "-1", "+1", "0x1", " 1", "1 ", "G1", "100000000", "FFFFFFFFF", "1,2"}) {
        EXPECT_FALSE(TryParseMask(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(Mask, ErrorNamesTheTextWithItsDollar) {
    const auto message = [](const char* text) {
        try {
            ParseMask(text);
        } catch (const MaskError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("G1"), "''$G1'' is not a valid integer value");
    EXPECT_EQ(message("$G1"), "''$G1'' is not a valid integer value");
    EXPECT_EQ(message(""), "''$'' is not a valid integer value");
}

}  // namespace
}  // namespace gapscope
