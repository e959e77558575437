#include "image/pixel_hue_saturation.h"

#include "image/hls.h"

#include <algorithm>

FCPixelHueSaturation::FCPixelHueSaturation(int hue, int saturation)
{
    hue = std::clamp(hue, 0, 200);
    saturation = std::clamp(saturation, 0, 200);

    // Integer arithmetic throughout; divisions truncate toward zero, also for
    // negative shifts.
    const int hueShift = ((hue - 100) * 180 / 100) * 255 / (2 * 180);
    const int k = std::clamp((saturation - 100) * 255 / 100, -255, 255);
    for (int sector = 0; sector < kSectors; ++sector) {
        for (int i = 0; i < 256; ++i) {
            int shifted = hueShift + i;
            if (shifted < 0) {
                shifted += 255;
            } else if (shifted > 255) {
                shifted -= 255;
            }
            hueTable_[sector][i] = shifted;
            saturationTable_[sector][i] = std::clamp(i * (k + 255) / 255, 0, 255);
        }
    }
}

int FCPixelHueSaturation::SectorOf(double scaledHue)
{
    static constexpr double kUpperBounds[] = {21, 64, 106, 149, 192, 234};
    for (int sector = 0; sector < kSectors; ++sector) {
        if (scaledHue < kUpperBounds[sector]) {
            return sector;
        }
    }
    return 0;  // the reds above 234 wrap round to the first sector
}

void FCPixelHueSaturation::ProcessPixel(std::uint8_t* pixel)
{
    HlsColor hls = RgbToHls(pixel[kRed], pixel[kGreen], pixel[kBlue]);
    const double scaledHue = 255 * hls.hue;
    const int sector = SectorOf(scaledHue);
    const int hueIndex = std::clamp(static_cast<int>(scaledHue), 0, 255);
    const int saturationIndex = std::clamp(static_cast<int>(255 * hls.saturation), 0, 255);
    hls.hue = hueTable_[sector][hueIndex] / 255.0;
    hls.saturation = saturationTable_[sector][saturationIndex] / 255.0;

    const RgbBytes rgb = HlsToRgb(hls);
    pixel[kBlue] = rgb.blue;
    pixel[kGreen] = rgb.green;
    pixel[kRed] = rgb.red;
}
