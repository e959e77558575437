#include "image/skin_color_tone.h"

#include "image/pixel_color_tone.h"
#include "image/pixel_hue_saturation.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using image_test::Bgra;
using image_test::Pixel;

struct FakeColorSettings : ISkinColorSettings {
    int tone = 0;
    int vividness = 100;
    int GetTone() const override { return tone; }
    int GetVividness() const override { return vividness; }
};

// The two filters applied one pixel at a time, as defined.
void RecolourPixelByPixel(const FCImageView& image, int tone, int vividness)
{
    FCPixelColorTone(static_cast<std::uint32_t>(tone)).ProcessImage(image);
    FCPixelHueSaturation(100, vividness).ProcessImage(image);
}

Pixel RecolourOnePixel(const CSkinColorTone& scheme, Pixel pixel)
{
    scheme.RecolourImage(FCImageView{1, 1, 4, pixel.data()});
    return pixel;
}

class SkinColorToneTest : public ::testing::Test {
protected:
    FakeColorSettings settings;
    CSkinColorTone scheme{settings};
};

TEST_F(SkinColorToneTest, ToneZeroLeavesImagesAndColoursUntouchedWhateverTheVividness)
{
    settings.vividness = 150;
    FCImageBuffer image = image_test::RandomImage(33, 17, 1);
    const std::vector<std::uint8_t> before = image.Bytes();
    scheme.RecolourImage(image.View());
    EXPECT_EQ(image.Bytes(), before);
    EXPECT_EQ(scheme.RecolourValue(0x003264C8u), 0x003264C8u);
    EXPECT_EQ(scheme.RecolourValue(0xFF000000u), 0xFF000000u);
}

TEST_F(SkinColorToneTest, PureRedToneOnGreys)
{
    settings.tone = 0x000000FF;
    for (const int vividness : {0, 100, 150, 200}) {
        settings.vividness = vividness;
        EXPECT_EQ(RecolourOnePixel(scheme, Bgra(0, 0, 0)), Bgra(0, 0, 0)) << vividness;
        EXPECT_EQ(RecolourOnePixel(scheme, Bgra(255, 255, 255)), Bgra(255, 255, 255)) << vividness;
    }
    // Mid-grey turns reddish, and more so with more vividness.
    settings.vividness = 100;
    EXPECT_EQ(RecolourOnePixel(scheme, Bgra(128, 128, 128)), Bgra(102, 102, 153));
    settings.vividness = 150;
    EXPECT_EQ(RecolourOnePixel(scheme, Bgra(128, 128, 128)), Bgra(89, 89, 166));
    settings.vividness = 0;
    const Pixel dull = RecolourOnePixel(scheme, Bgra(128, 128, 128));
    EXPECT_EQ(dull[kRed], dull[kGreen]);
    EXPECT_EQ(dull[kGreen], dull[kBlue]);
}

TEST_F(SkinColorToneTest, ColourValuesAreRedInTheLowByte)
{
    settings.tone = 0x003080E0;
    settings.vividness = 150;
    // Red 200, green 100, blue 50 becomes red 165, green 118, blue 84.
    EXPECT_EQ(RecolourOnePixel(scheme, Bgra(50, 100, 200)), Bgra(84, 118, 165));
    EXPECT_EQ(scheme.RecolourValue(0x003264C8u), 0x005476A5u);
    // The top byte comes back as it was.
    EXPECT_EQ(scheme.RecolourValue(0x7F3264C8u), 0x7F5476A5u);
}

TEST_F(SkinColorToneTest, SettingsAreReadAtEveryCall)
{
    settings.tone = 0x000000FF;
    const std::uint32_t red = scheme.RecolourValue(0x00808080u);
    settings.tone = 0x00FF0000;
    const std::uint32_t blue = scheme.RecolourValue(0x00808080u);
    EXPECT_NE(red, blue);
    EXPECT_GT((blue >> 16) & 0xFFu, blue & 0xFFu);
    settings.vividness = 200;
    EXPECT_NE(scheme.RecolourValue(0x00808080u), blue);
    settings.tone = 0;
    EXPECT_EQ(scheme.RecolourValue(0x00808080u), 0x00808080u);
}

TEST_F(SkinColorToneTest, AlphaAndRowPaddingNeverChange)
{
    settings.tone = 0x0040A0FF;
    settings.vividness = 180;
    // Rows of 21 pixels with 12 bytes of padding each.
    const int width = 21;
    const int height = 9;
    const std::ptrdiff_t stride = width * 4 + 12;
    FCImageBuffer storage = image_test::RandomImage(static_cast<int>(stride / 4), height, 2);
    const std::vector<std::uint8_t> before = storage.Bytes();
    scheme.RecolourImage(FCImageView{width, height, stride, storage.Bytes().data()});

    bool anyColourChanged = false;
    for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(before.size()); ++i) {
        const bool padding = i % stride >= width * 4;
        const bool alpha = i % 4 == kAlpha;
        if (padding || alpha) {
            ASSERT_EQ(storage.Bytes()[i], before[i]) << "byte " << i;
        } else {
            anyColourChanged |= storage.Bytes()[i] != before[i];
        }
    }
    EXPECT_TRUE(anyColourChanged);
}

TEST_F(SkinColorToneTest, EmptyImagesAreIgnored)
{
    settings.tone = 0x000000FF;
    scheme.RecolourImage(FCImageView{});
    scheme.RecolourImage(FCImageView{0, 5, 0, nullptr});
    std::uint8_t pixel[4] = {1, 2, 3, 4};
    scheme.RecolourImage(FCImageView{-1, 1, 4, pixel});
    EXPECT_EQ(pixel[0], 1);
}

TEST_F(SkinColorToneTest, MatchesTheFiltersAppliedPixelByPixel)
{
    // A small image (colours computed as grey levels occur) and a larger one
    // (all grey levels computed up front).
    const FCImageBuffer sources[] = {image_test::RandomImage(40, 30, 3), image_test::RandomImage(131, 77, 4)};
    for (const FCImageBuffer& source : sources) {
        for (const int tone : {0x000000FF, 0x0000FF00, 0x00FF0000, 0x003080E0, 0x00FFFFFF, 0x00010101}) {
            for (const int vividness : {0, 1, 37, 99, 100, 150, 200}) {
                settings.tone = tone;
                settings.vividness = vividness;
                FCImageBuffer fast = source;
                FCImageBuffer reference = source;
                scheme.RecolourImage(fast.View());
                RecolourPixelByPixel(reference.View(), tone, vividness);
                ASSERT_EQ(fast.Bytes(), reference.Bytes())
                    << source.Width() << "x" << source.Height() << std::hex << " tone " << tone << std::dec
                    << " vividness " << vividness;
            }
        }
    }
}

}  // namespace
