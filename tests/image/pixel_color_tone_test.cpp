#include "image/pixel_color_tone.h"

#include "image/hls.h"
#include "test_images.h"

#include <gtest/gtest.h>

namespace {

using image_test::Bgra;
using image_test::Filtered;

constexpr std::uint32_t kTones[] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00123456, 0x00FFFFFF, 0x0080C0E0};

TEST(PixelColorToneTest, HueComesFromTheToneColourWithRedInTheLowByte)
{
    EXPECT_DOUBLE_EQ(FCPixelColorTone(0x000000FF).Hue(), 0);
    EXPECT_DOUBLE_EQ(FCPixelColorTone(0x0000FF00).Hue(), 1.0 / 3);
    EXPECT_DOUBLE_EQ(FCPixelColorTone(0x00FF0000).Hue(), 2.0 / 3);
}

TEST(PixelColorToneTest, BlackAndWhiteStayUnderAnyTone)
{
    for (const std::uint32_t toneColour : kTones) {
        FCPixelColorTone tone(toneColour);
        EXPECT_EQ(Filtered(tone, Bgra(0, 0, 0)), Bgra(0, 0, 0)) << std::hex << toneColour;
        EXPECT_EQ(Filtered(tone, Bgra(255, 255, 255)), Bgra(255, 255, 255)) << std::hex << toneColour;
        // Grey level 0 is black whatever the colour it came from.
        EXPECT_EQ(Filtered(tone, Bgra(2, 0, 0)), Bgra(0, 0, 0)) << std::hex << toneColour;
    }
}

TEST(PixelColorToneTest, MidGreyUnderPureRedBecomesReddish)
{
    // Grey 128 gives the sepia base red 146, green 128, blue 111 (lightness
    // 0.5039, saturation 0.1383); with the hue of red and saturation x 1.5
    // that is red 154, green and blue 102.
    FCPixelColorTone tone(0x000000FF);
    const image_test::Pixel result = Filtered(tone, Bgra(128, 128, 128));
    EXPECT_EQ(result, Bgra(102, 102, 154));

    const HlsColor sepia = RgbToHls(146, 128, 111);
    const HlsColor tinted = RgbToHls(result[kRed], result[kGreen], result[kBlue]);
    EXPECT_DOUBLE_EQ(tinted.hue, 0);
    EXPECT_NEAR(tinted.saturation, sepia.saturation * 1.5, 0.01);
    EXPECT_NEAR(tinted.lightness, sepia.lightness, 0.005);
}

TEST(PixelColorToneTest, ResultDependsOnlyOnTheGreyLevelAndKeepsAlpha)
{
    FCPixelColorTone tone(0x0080C0E0);
    // Grey level 30 reached from three different colours.
    const image_test::Pixel fromRed = Filtered(tone, Bgra(0, 0, 100, 7));
    EXPECT_EQ(Filtered(tone, Bgra(0, 50, 2, 7)), fromRed);
    EXPECT_EQ(Filtered(tone, Bgra(30, 30, 30, 7)), fromRed);
    EXPECT_EQ(fromRed[kAlpha], 7);
    EXPECT_EQ(Filtered(tone, Bgra(10, 200, 90, 0))[kAlpha], 0);
}

}  // namespace
