#pragma once
// What the UI toolkit calls to recolour the skin's images and colours (the
// items whose "color_scheme" flag is set). The program registers one at
// start-up.
#include "image/image_view.h"

#include <cstdint>

class FCSkinColorScheme {
public:
    virtual ~FCSkinColorScheme() = default;

    // colour: 0x00BBGGRR. Returns the recoloured colour, same layout.
    virtual std::uint32_t RecolourValue(std::uint32_t colour) const = 0;
    // Recolours the image in place; alpha is kept.
    virtual void RecolourImage(const FCImageView& image) const = 0;
};
