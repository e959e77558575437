// The segment index of a single-file DASH representation: the byte range
// and time of each fragment, from version 0 and version 1 boxes, and the
// boxes that cannot be followed.
#include "delivery/dash_sidx.h"
#include "sidx_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using sidx_test::Put;
using sidx_test::Sidx;

TEST(DashSidx, Version0GivesEachFragmentItsBytesAndTimes)
{
    // The box at byte 830 of the file, the fragments right after it.
    const std::string box = Sidx(0, 12800, 512, 0, {{49134, 12800}, {55192, 12800}, {60840, 6400}});
    const SidxIndex index = ParseSidx(box, 830);
    ASSERT_TRUE(index.valid);
    EXPECT_EQ(index.timescale, 12800u);
    EXPECT_EQ(index.earliestPresentationTime, 512u);
    ASSERT_EQ(index.references.size(), 3u);
    const std::uint64_t start = 830 + box.size();
    EXPECT_EQ(index.references[0].first, start);
    EXPECT_EQ(index.references[0].last, start + 49134 - 1);
    EXPECT_EQ(index.references[1].first, start + 49134);
    EXPECT_EQ(index.references[2].last, start + 49134 + 55192 + 60840 - 1);
    EXPECT_EQ(index.references[0].time, 512u);
    EXPECT_EQ(index.references[1].time, 512u + 12800);
    EXPECT_EQ(index.references[2].time, 512u + 25600);
    EXPECT_EQ(index.references[2].duration, 6400u);
}

// Version 1 has 64-bit times and offsets; the first offset counts from the
// box's end, and boxes before the index in the range are skipped.
TEST(DashSidx, Version1With64BitFieldsAndAFirstOffset)
{
    const std::uint64_t ept = 0x100000000ull + 7;
    std::string range;
    Put(range, 16, 4);
    range += "free";
    Put(range, 0, 8);
    const std::string box = Sidx(1, 44100, ept, 100, {{1000, 44032}, {2000, 45056}});
    range += box;
    const SidxIndex index = ParseSidx(range, 5000);
    ASSERT_TRUE(index.valid);
    EXPECT_EQ(index.timescale, 44100u);
    EXPECT_EQ(index.earliestPresentationTime, ept);
    ASSERT_EQ(index.references.size(), 2u);
    const std::uint64_t start = 5000 + 16 + box.size() + 100;
    EXPECT_EQ(index.references[0].first, start);
    EXPECT_EQ(index.references[1].first, start + 1000);
    EXPECT_EQ(index.references[1].last, start + 2999);
    EXPECT_EQ(index.references[1].time, ept + 44032);
}

TEST(DashSidx, IndexesThatCannotBeFollowedAreNotValid)
{
    EXPECT_FALSE(ParseSidx("", 0).valid);
    const std::string good = Sidx(0, 1000, 0, 0, {{10, 1000}});
    EXPECT_TRUE(ParseSidx(good, 0).valid);
    EXPECT_FALSE(ParseSidx(good.substr(0, good.size() - 1), 0).valid) << "cut short";
    EXPECT_FALSE(ParseSidx(Sidx(0, 1000, 0, 0, {{10, 1000}, {20, 1000, true}}), 0).valid)
        << "a reference to another index";
    EXPECT_FALSE(ParseSidx(Sidx(0, 0, 0, 0, {{10, 1000}}), 0).valid) << "timescale 0";
    EXPECT_FALSE(ParseSidx(Sidx(0, 1000, 0, 0, {}), 0).valid) << "nothing listed";
    std::string moof = good;
    moof.replace(4, 4, "moof");
    EXPECT_FALSE(ParseSidx(moof, 0).valid) << "no sidx box";
}

}  // namespace
