#include "image/pixel_color_tone.h"

#include "image/hls.h"

#include <cmath>

FCPixelColorTone::FCPixelColorTone(std::uint32_t tone)
    : hue_(RgbToHls(static_cast<std::uint8_t>(tone & 0xFF),
                    static_cast<std::uint8_t>((tone >> 8) & 0xFF),
                    static_cast<std::uint8_t>((tone >> 16) & 0xFF))
               .hue)
{
}

void FCPixelColorTone::ProcessPixel(std::uint8_t* pixel)
{
    const double g = GreyLevel(pixel) / 255.0;
    // Sepia base: blue darker and red lighter than the grey.
    const auto blue = static_cast<std::uint8_t>(std::trunc(255 * std::pow(g, 1.2)));
    const auto green = static_cast<std::uint8_t>(std::trunc(255 * g));
    const auto red = static_cast<std::uint8_t>(std::trunc(255 * std::pow(g, 0.8)));

    HlsColor hls = RgbToHls(red, green, blue);
    hls.hue = hue_;
    hls.saturation = hls.saturation * 150 / 100;  // not clamped: the conversion back clamps the bytes
    const RgbBytes rgb = HlsToRgb(hls);
    pixel[kBlue] = rgb.blue;
    pixel[kGreen] = rgb.green;
    pixel[kRed] = rgb.red;
}
