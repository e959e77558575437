#pragma once
// A filter that computes each pixel from that pixel alone. Derived filters
// implement ProcessPixel; ProcessImage runs it over every pixel in turn.
#include "image/image_view.h"

#include <cstdint>

class FCSinglePixelProcessBase {
public:
    virtual ~FCSinglePixelProcessBase() = default;

    void ProcessImage(const FCImageView& image);

    // One pixel, bytes blue, green, red, alpha. Filters change blue, green
    // and red and never alpha.
    virtual void ProcessPixel(std::uint8_t* pixel) = 0;
};
