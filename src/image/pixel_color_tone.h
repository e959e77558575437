#pragma once
// Tints a pixel: its grey level is turned into a warm sepia shade, which then
// takes the hue of the tone colour and half again its own saturation.
// The result depends only on the pixel's grey level (see GreyLevel), which
// the colour scheme uses to recolour whole images through a table.
#include "image/single_pixel_process.h"

#include <cstdint>

class FCPixelColorTone : public FCSinglePixelProcessBase {
public:
    // tone: a colour as 0x00BBGGRR.
    explicit FCPixelColorTone(std::uint32_t tone);

    void ProcessPixel(std::uint8_t* pixel) override;

    double Hue() const { return hue_; }

    // (30 red + 59 green + 11 blue) div 100: 0..255.
    static int GreyLevel(const std::uint8_t* pixel)
    {
        return (30 * pixel[kRed] + 59 * pixel[kGreen] + 11 * pixel[kBlue]) / 100;
    }

private:
    double hue_;  // [0, 1), the hue of the tone colour
};
