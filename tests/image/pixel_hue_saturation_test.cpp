#include "image/pixel_hue_saturation.h"

#include "test_images.h"

#include <gtest/gtest.h>

namespace {

using image_test::Bgra;
using image_test::Filtered;

// The same value in every sector row.
void ExpectHueEntry(const FCPixelHueSaturation& filter, int index, int expected)
{
    for (int sector = 0; sector < FCPixelHueSaturation::kSectors; ++sector) {
        EXPECT_EQ(filter.HueEntry(sector, index), expected) << "sector " << sector << " index " << index;
    }
}

void ExpectSaturationEntry(const FCPixelHueSaturation& filter, int index, int expected)
{
    for (int sector = 0; sector < FCPixelHueSaturation::kSectors; ++sector) {
        EXPECT_EQ(filter.SaturationEntry(sector, index), expected) << "sector " << sector << " index " << index;
    }
}

TEST(HueSaturationTablesTest, NeutralValuesGiveIdentityTables)
{
    const FCPixelHueSaturation neutral(100, 100);
    for (int i = 0; i < 256; ++i) {
        ExpectHueEntry(neutral, i, i);
        ExpectSaturationEntry(neutral, i, i);
    }
}

TEST(HueSaturationTablesTest, HueShiftTruncatesTowardZeroAndWrapsBy255)
{
    // 50: -90 * 255 / 360 = -63.75 -> -63 (flooring would give -64).
    const FCPixelHueSaturation minus63(50, 100);
    ExpectHueEntry(minus63, 0, 192);
    ExpectHueEntry(minus63, 62, 254);
    ExpectHueEntry(minus63, 63, 0);
    ExpectHueEntry(minus63, 255, 192);
    // 1: -178.2 -> -178 first, then -126.08 -> -126.
    ExpectHueEntry(FCPixelHueSaturation(1, 100), 0, 129);
    // 0: -127.5 -> -127.
    ExpectHueEntry(FCPixelHueSaturation(0, 100), 0, 128);
    // 200: +127; 255 itself stays, above it wraps.
    const FCPixelHueSaturation plus127(200, 100);
    ExpectHueEntry(plus127, 128, 255);
    ExpectHueEntry(plus127, 129, 1);
    ExpectHueEntry(plus127, 200, 72);
}

TEST(HueSaturationTablesTest, SaturationScaleTruncatesAndClamps)
{
    // 99: k = -2.55 -> -2 (flooring would give -3): i * 253 / 255.
    const FCPixelHueSaturation slightlyDull(100, 99);
    ExpectSaturationEntry(slightlyDull, 255, 253);
    ExpectSaturationEntry(slightlyDull, 100, 99);
    // 150: k = 127: i * 382 / 255, clamped at 255.
    const FCPixelHueSaturation vivid(100, 150);
    ExpectSaturationEntry(vivid, 100, 149);
    ExpectSaturationEntry(vivid, 170, 254);
    ExpectSaturationEntry(vivid, 171, 255);
    ExpectSaturationEntry(vivid, 255, 255);
    // 200 doubles, 0 removes all saturation.
    ExpectSaturationEntry(FCPixelHueSaturation(100, 200), 100, 200);
    ExpectSaturationEntry(FCPixelHueSaturation(100, 0), 255, 0);
}

TEST(HueSaturationTablesTest, ArgumentsAreClampedTo0Through200)
{
    const FCPixelHueSaturation outOfRange(-20, 500);
    const FCPixelHueSaturation clamped(0, 200);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(outOfRange.HueEntry(0, i), clamped.HueEntry(0, i));
        EXPECT_EQ(outOfRange.SaturationEntry(0, i), clamped.SaturationEntry(0, i));
    }
}

TEST(HueSaturationPixelTest, SectorBounds)
{
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(0), 0);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(20.99), 0);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(21), 1);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(64), 2);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(106), 3);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(149), 4);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(192), 5);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(233.99), 5);
    EXPECT_EQ(FCPixelHueSaturation::SectorOf(234), 0);
}

TEST(HueSaturationPixelTest, ShiftsHueScalesSaturationAndKeepsAlpha)
{
    // Red shifted by +127/255 of the circle lands just short of cyan.
    EXPECT_EQ(Filtered(FCPixelHueSaturation(200, 100), Bgra(0, 0, 255, 9)), Bgra(252, 255, 0, 9));
    // No saturation leaves grey at the pixel's lightness.
    EXPECT_EQ(Filtered(FCPixelHueSaturation(100, 0), Bgra(50, 100, 200, 0)), Bgra(125, 125, 125, 0));
    EXPECT_EQ(Filtered(FCPixelHueSaturation(100, 200), Bgra(50, 100, 200, 33)), Bgra(0, 82, 250, 33));
    // Neutral values quantise the hue to 1/255 steps but leave greys alone.
    FCPixelHueSaturation neutral(100, 100);
    EXPECT_EQ(Filtered(neutral, Bgra(77, 77, 77, 1)), Bgra(77, 77, 77, 1));
}

}  // namespace
