#pragma once
// Shifts the hue and scales the saturation of a pixel through two tables of
// 6 rows (one per hue sector) by 256 entries. Hue and saturation 100 are
// neutral: both tables are then the identity.
#include "image/single_pixel_process.h"

#include <array>
#include <cstdint>

class FCPixelHueSaturation : public FCSinglePixelProcessBase {
public:
    static constexpr int kSectors = 6;

    // hue and saturation are clamped to 0..200.
    FCPixelHueSaturation(int hue, int saturation);

    void ProcessPixel(std::uint8_t* pixel) override;

    int HueEntry(int sector, int index) const { return hueTable_[sector][index]; }
    int SaturationEntry(int sector, int index) const { return saturationTable_[sector][index]; }

    // Sector 0..5 of a hue scaled to 0..255.
    static int SectorOf(double scaledHue);

private:
    using Table = std::array<std::array<int, 256>, kSectors>;
    Table hueTable_;
    Table saturationTable_;
};
