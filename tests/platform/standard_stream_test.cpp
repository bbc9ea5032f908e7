#include "platform/standard_stream.h"

#include <gtest/gtest.h>

#include <ostream>

namespace gapscope {
namespace {

TEST(StandardStreamBuffer, PiecesEndBetweenCharactersAndAFailureEndsTheStream) {
    std::vector<std::string> pieces;
    std::optional<StandardWriteFailure> next;
    StandardStreamBuffer buffer(
        [&](std::string_view text) {
            pieces.emplace_back(text);
            return next;
        },
        8);
    std::ostream out(&buffer);
    // The buffer fills in the middle of "é", which goes out whole with the next piece.
    const std::string text = "abcdefg\xC3\xA9" "ab\xE2\x82\xAC" "c";
    out << text;
    EXPECT_EQ(pieces, (std::vector<std::string>{"abcdefg"}));
    ASSERT_TRUE(out.flush());
    EXPECT_EQ(pieces, (std::vector<std::string>{"abcdefg", "\xC3\xA9" "ab\xE2\x82\xAC" "c"}));

    next = StandardWriteFailure{"No space left on device", false};
    out << "more" << std::flush;
    EXPECT_FALSE(out);
    ASSERT_TRUE(buffer.Failure());
    EXPECT_EQ(buffer.Failure()->reason, "No space left on device");
    next.reset();
    out.clear();
    out << "after" << std::flush;
    EXPECT_FALSE(out);
    EXPECT_EQ(pieces.size(), 3u);
}

}  // namespace
}  // namespace gapscope
