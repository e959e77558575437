#include "image/hls.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this saturation a colour is taken as grey.
constexpr double kGreySaturation = 1.1920929e-7;  // 2^-23

// Channel value at position x of the hue circle (0..6, red at 0 and 6).
double HueRamp(double m1, double m2, double x)
{
    if (x > 6) {
        x -= 6;
    } else if (x < 0) {
        x += 6;
    }
    if (x < 1) {
        return m1 + (m2 - m1) * x;
    }
    if (x < 3) {
        return m2;
    }
    if (x < 4) {
        return m1 + (m2 - m1) * (4 - x);
    }
    return m1;
}

std::uint8_t ChannelToByte(double channel)
{
    const double scaled = std::trunc(channel * 255);
    if (!(scaled > 0)) {  // also catches NaN
        return 0;
    }
    return static_cast<std::uint8_t>(std::min(scaled, 255.0));
}

}  // namespace

HlsColor RgbToHls(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const std::uint8_t maxByte = std::max({red, green, blue});
    const std::uint8_t minByte = std::min({red, green, blue});
    const double r = red / 255.0;
    const double g = green / 255.0;
    const double b = blue / 255.0;
    const double max = maxByte / 255.0;
    const double min = minByte / 255.0;

    HlsColor hls;
    hls.lightness = (max + min) / 2;
    if (maxByte == minByte) {
        return hls;
    }
    const double d = max - min;
    hls.saturation = hls.lightness < 0.5 ? d / (max + min) : d / (2 - max - min);

    double hue;
    if (red == maxByte) {
        hue = (g - b) / d;
    } else if (green == maxByte) {
        hue = (b - r) / d + 2;
    } else {
        hue = (r - g) / d + 4;
    }
    hue /= 6;
    if (hue < 0) {
        hue += 1;
    }
    hls.hue = hue;
    return hls;
}

RgbBytes HlsToRgb(const HlsColor& colour)
{
    const double l = colour.lightness;
    const double s = colour.saturation;
    if (s < kGreySaturation) {
        const std::uint8_t grey = ChannelToByte(l);
        return RgbBytes{grey, grey, grey};
    }
    const double m2 = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double m1 = 2 * l - m2;
    const double h = 6 * colour.hue;
    return RgbBytes{ChannelToByte(HueRamp(m1, m2, h + 2)),
                    ChannelToByte(HueRamp(m1, m2, h)),
                    ChannelToByte(HueRamp(m1, m2, h - 2))};
}
