#pragma once
// A 32-bit image in someone else's memory: rows of pixels whose bytes are
// blue, green, red, alpha. A QImage of Format_ARGB32 on a little-endian
// machine has exactly this layout, so the skin's images are recoloured in
// place without copying.
#include <cstddef>
#include <cstdint>

struct FCImageView {
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // bytes from one row to the next
    std::uint8_t* bits = nullptr;

    bool IsEmpty() const { return bits == nullptr || width <= 0 || height <= 0; }
    std::uint8_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(y) * stride; }
    std::uint8_t* Pixel(int x, int y) const { return Row(y) + static_cast<std::ptrdiff_t>(x) * 4; }
};

// Byte positions inside one pixel.
constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;
constexpr int kAlpha = 3;
