#include "image/grey_keyed_recolour.h"

#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kComputed = 0xFF000000;

// Below this many pixels the table is filled only for the grey levels that
// occur; above it, all 256 are filled first so that the pixel loop has no
// branch.
constexpr long long kFillAllFrom = 4096;

}  // namespace

std::uint32_t FCGreyKeyedRecolour::ColourOfGrey(int grey)
{
    std::uint32_t& colour = colours_[static_cast<std::size_t>(grey)];
    if (colour == 0) {
        // A grey pixel of this level has itself as grey level.
        const auto level = static_cast<std::uint8_t>(grey);
        std::uint8_t pixel[4] = {level, level, level, 0};
        tone_.ProcessPixel(pixel);
        after_.ProcessPixel(pixel);
        colour = kComputed | static_cast<std::uint32_t>(pixel[kRed]) << 16 |
                 static_cast<std::uint32_t>(pixel[kGreen]) << 8 | pixel[kBlue];
    }
    return colour;
}

void FCGreyKeyedRecolour::ProcessImage(const FCImageView& image)
{
    if (image.IsEmpty()) {
        return;
    }
    if (static_cast<long long>(image.width) * image.height < kFillAllFrom) {
        for (int y = 0; y < image.height; ++y) {
            std::uint8_t* pixel = image.Row(y);
            for (int x = 0; x < image.width; ++x, pixel += 4) {
                const std::uint32_t colour = ColourOfGrey(FCPixelColorTone::GreyLevel(pixel));
                pixel[kBlue] = static_cast<std::uint8_t>(colour);
                pixel[kGreen] = static_cast<std::uint8_t>(colour >> 8);
                pixel[kRed] = static_cast<std::uint8_t>(colour >> 16);
            }
        }
        return;
    }

    // Bytes blue, green, red, alpha in the order they lie in memory, so a
    // whole pixel can be written at once whatever the machine's byte order.
    std::array<std::array<std::uint8_t, 4>, 256> pixels;
    for (int grey = 0; grey < 256; ++grey) {
        const std::uint32_t colour = ColourOfGrey(grey);
        pixels[static_cast<std::size_t>(grey)] = {static_cast<std::uint8_t>(colour),
                                                  static_cast<std::uint8_t>(colour >> 8),
                                                  static_cast<std::uint8_t>(colour >> 16), 0};
    }
    std::vector<std::uint8_t> greys(static_cast<std::size_t>(image.width));
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = image.Row(y);
        // Grey levels first: a loop the compiler can vectorise.
        for (int x = 0; x < image.width; ++x) {
            greys[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(FCPixelColorTone::GreyLevel(row + 4 * x));
        }
        for (int x = 0; x < image.width; ++x) {
            std::uint8_t* pixel = row + 4 * x;
            const std::uint8_t alpha = pixel[kAlpha];
            std::memcpy(pixel, pixels[greys[static_cast<std::size_t>(x)]].data(), 4);
            pixel[kAlpha] = alpha;
        }
    }
}
