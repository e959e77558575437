#pragma once
// Helpers for the image tests: pixels by value and reproducible test images.
#include "image/image_buffer.h"

#include <array>
#include <cstdint>
#include <random>

namespace image_test {

// Bytes blue, green, red, alpha.
using Pixel = std::array<std::uint8_t, 4>;

inline Pixel Bgra(int blue, int green, int red, int alpha = 255)
{
    return Pixel{static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                 static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(alpha)};
}

template <typename Filter>
Pixel Filtered(Filter&& filter, Pixel pixel)
{
    filter.ProcessPixel(pixel.data());
    return pixel;
}

// Every byte random, alpha included, from a fixed seed.
inline FCImageBuffer RandomImage(int width, int height, unsigned seed)
{
    FCImageBuffer image(width, height);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& value : image.Bytes()) {
        value = static_cast<std::uint8_t>(byte(random));
    }
    return image;
}

}  // namespace image_test
