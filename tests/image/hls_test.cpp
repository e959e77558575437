#include "image/hls.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void ExpectHls(const HlsColor& actual, double hue, double lightness, double saturation)
{
    EXPECT_DOUBLE_EQ(actual.hue, hue);
    EXPECT_DOUBLE_EQ(actual.lightness, lightness);
    EXPECT_DOUBLE_EQ(actual.saturation, saturation);
}

void ExpectRgb(const RgbBytes& actual, int red, int green, int blue)
{
    EXPECT_EQ(actual.red, red);
    EXPECT_EQ(actual.green, green);
    EXPECT_EQ(actual.blue, blue);
}

TEST(RgbToHlsTest, PrimariesGreyAndDarkColours)
{
    ExpectHls(RgbToHls(255, 0, 0), 0, 0.5, 1);
    ExpectHls(RgbToHls(0, 255, 0), 1.0 / 3, 0.5, 1);
    ExpectHls(RgbToHls(0, 0, 255), 2.0 / 3, 0.5, 1);
    // Negative hues wrap into [0, 1).
    ExpectHls(RgbToHls(255, 0, 255), 5.0 / 6, 0.5, 1);
    ExpectHls(RgbToHls(128, 128, 128), 0, 128 / 255.0, 0);
    // Below half lightness the saturation is d / (max + min).
    const HlsColor dark = RgbToHls(64, 32, 0);
    EXPECT_NEAR(dark.hue, 1.0 / 12, 1e-12);
    EXPECT_DOUBLE_EQ(dark.saturation, 1);
    // Above it, d / (2 - max - min).
    EXPECT_NEAR(RgbToHls(255, 128, 128).saturation, (127 / 255.0) / (2 - 1 - 128 / 255.0), 1e-12);
}

TEST(HlsToRgbTest, GreyThresholdTruncationAndClamping)
{
    // Saturation below 2^-23 is grey; 0.5 * 255 = 127.5 truncates to 127.
    ExpectRgb(HlsToRgb({0.3, 0.5, 1e-8}), 127, 127, 127);
    ExpectRgb(HlsToRgb({0, 1, 0}), 255, 255, 255);
    ExpectRgb(HlsToRgb({0, 0, 0}), 0, 0, 0);
    // Saturation beyond 1 pushes channels outside 0..1: clamped, not wrapped.
    ExpectRgb(HlsToRgb({0, 0.5, 1.5}), 255, 0, 0);
    ExpectRgb(HlsToRgb({1.0 / 3, 0.4, 3}), 0, 255, 0);
    // Hues near 1 wrap round to red.
    ExpectRgb(HlsToRgb({0.999, 0.5, 1}), 255, 0, 1);
}

TEST(HlsRoundTripTest, EveryColourOnAGridComesBackWithinOneStep)
{
    for (int red = 0; red < 256; red += 3) {
        for (int green = 0; green < 256; green += 3) {
            for (int blue = 0; blue < 256; blue += 3) {
                const RgbBytes back = HlsToRgb(RgbToHls(static_cast<std::uint8_t>(red),
                                                        static_cast<std::uint8_t>(green),
                                                        static_cast<std::uint8_t>(blue)));
                ASSERT_LE(std::abs(back.red - red), 1) << red << "," << green << "," << blue;
                ASSERT_LE(std::abs(back.green - green), 1) << red << "," << green << "," << blue;
                ASSERT_LE(std::abs(back.blue - blue), 1) << red << "," << green << "," << blue;
            }
        }
    }
}

}  // namespace
