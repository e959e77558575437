#include "image/skin_color_tone.h"

#include "image/grey_keyed_recolour.h"
#include "image/pixel_color_tone.h"
#include "image/pixel_hue_saturation.h"

void CSkinColorTone::RecolourImage(const FCImageView& image) const
{
    const int tone = settings_.GetTone();
    if (tone == 0 || image.IsEmpty()) {
        return;
    }
    FCPixelColorTone toneFilter(static_cast<std::uint32_t>(tone));
    FCPixelHueSaturation vividnessFilter(100, settings_.GetVividness());
    FCGreyKeyedRecolour(toneFilter, vividnessFilter).ProcessImage(image);
}

std::uint32_t CSkinColorTone::RecolourValue(std::uint32_t colour) const
{
    if (settings_.GetTone() == 0) {
        return colour;
    }
    // A one-pixel image; the top byte rides along as alpha and comes back as it was.
    std::uint8_t pixel[4];
    pixel[kBlue] = static_cast<std::uint8_t>(colour >> 16);
    pixel[kGreen] = static_cast<std::uint8_t>(colour >> 8);
    pixel[kRed] = static_cast<std::uint8_t>(colour);
    pixel[kAlpha] = static_cast<std::uint8_t>(colour >> 24);
    RecolourImage(FCImageView{1, 1, 4, pixel});
    return static_cast<std::uint32_t>(pixel[kRed]) | (static_cast<std::uint32_t>(pixel[kGreen]) << 8) |
           (static_cast<std::uint32_t>(pixel[kBlue]) << 16) | (static_cast<std::uint32_t>(pixel[kAlpha]) << 24);
}
