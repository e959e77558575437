#pragma once
// Conversions between byte RGB and hue, lightness, saturation. Hue lies in
// [0, 1); lightness and saturation in [0, 1] for colours that came from
// bytes, though the tone filter pushes saturation beyond 1 on purpose.
#include <cstdint>

struct HlsColor {
    double hue = 0;
    double lightness = 0;
    double saturation = 0;
};

struct RgbBytes {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

HlsColor RgbToHls(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Each channel is truncated toward zero and clamped to 0..255.
RgbBytes HlsToRgb(const HlsColor& colour);
