#include "common/text_split.h"

#include <gtest/gtest.h>

using Pieces = std::vector<std::string>;

TEST(SplitAtCR, CrLfAnswersLeaveLinesWithLeadingLf)
{
    // A CR LF answer splits into the lines, each after the first keeping
    // the LF that followed the CR; lone LF pieces vanish.
    EXPECT_EQ(SplitAtCR("<\r\nabc\r\n>\r\n"), (Pieces{"<", "\nabc", "\n>"}));
}

TEST(SplitAtCR, DropsEmptyAndSingleLineBreakPieces)
{
    EXPECT_EQ(SplitAtCR(""), Pieces{});
    EXPECT_EQ(SplitAtCR("\r\r\r"), Pieces{});
    EXPECT_EQ(SplitAtCR("a\r\rb\r"), (Pieces{"a", "b"}));
    EXPECT_EQ(SplitAtCR("\n\r\n"), Pieces{});
    EXPECT_EQ(SplitAtCR("\n\n\rx"), (Pieces{"\n\n", "x"}));
    EXPECT_EQ(SplitAtCR("no breaks"), (Pieces{"no breaks"}));
}
