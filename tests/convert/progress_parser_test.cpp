// The library's reading of the encoder's console output.
#include "convert/progress_parser.h"

#include <gtest/gtest.h>

using convert::ProgressParser;

TEST(ProgressParser, DurationThenElapsedGiveTheRate)
{
    ProgressParser parser;
    EXPECT_FALSE(parser.Feed("frame=1 time=1.00 bitrate=1k\n"));  // no duration yet
    EXPECT_FALSE(parser.Feed("Input: x\n  Duration: 01:02:03.50, start\n"));
    EXPECT_DOUBLE_EQ(parser.Duration(), 3723.5);
    const auto rate = parser.Feed("frame=9 time=372.35 bitrate=65.7kbits/s\n");
    ASSERT_TRUE(rate);
    EXPECT_NEAR(*rate, 0.1f, 1e-6);
    // A later "Duration:" does not replace the first.
    parser.Feed("  Duration: 00:00:01.00, start\n");
    EXPECT_DOUBLE_EQ(parser.Duration(), 3723.5);
}

TEST(ProgressParser, DurationAndProgressInOneBlock)
{
    ProgressParser parser;
    const auto rate = parser.Feed("  Duration: 00:00:04.00, start\nframe=0 time=1.00 bitrate=N/A\n");
    ASSERT_TRUE(rate);
    EXPECT_FLOAT_EQ(*rate, 0.25f);
}

TEST(ProgressParser, UnreadableTextGivesNoRate)
{
    ProgressParser parser;
    EXPECT_FALSE(parser.Feed("  Duration: N/A, start\nx time=1.0 bitrate=1\n"));
    EXPECT_FALSE(parser.Feed("  Duration: 00:00:10.00"));  // no comma in this block
    EXPECT_DOUBLE_EQ(parser.Duration(), 0);

    parser.Feed("  Duration: 00:00:10.00, start\n");
    EXPECT_FALSE(parser.Feed("time=1.0 bitrate=1\n"));           // "time=" at the block's start
    EXPECT_FALSE(parser.Feed("frame=1 time=1.0"));               // split across two blocks
    EXPECT_FALSE(parser.Feed(" bitrate=1\n"));
    EXPECT_FALSE(parser.Feed("x time=00:00:01.00 bitrate=1\n"));  // not seconds
}
