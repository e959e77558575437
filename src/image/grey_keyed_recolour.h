#pragma once
// Runs the colour tone filter followed by a second per-pixel filter over an
// image, with results identical to applying them pixel by pixel. The tone
// filter's result depends only on a pixel's grey level, so the pair maps each
// of the 256 grey levels to one colour: each is computed once, on first use,
// by the filters themselves, and every pixel then costs a grey level and a
// table look-up instead of four colour-space conversions.
#include "image/pixel_color_tone.h"
#include "image/single_pixel_process.h"

#include <array>
#include <cstdint>

class FCGreyKeyedRecolour {
public:
    // after must compute blue, green and red from blue, green and red alone.
    FCGreyKeyedRecolour(FCPixelColorTone& tone, FCSinglePixelProcessBase& after) : tone_(tone), after_(after) {}

    void ProcessImage(const FCImageView& image);

private:
    // 0xFF000000 | red << 16 | green << 8 | blue; 0 while not yet computed.
    std::uint32_t ColourOfGrey(int grey);

    FCPixelColorTone& tone_;
    FCSinglePixelProcessBase& after_;
    std::array<std::uint32_t, 256> colours_{};
};
