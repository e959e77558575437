// Times CSkinColorTone::RecolourImage on a 1920x1080 image against the
// straightforward route (each filter applied to every pixel in turn) and
// checks that both give the same bytes. Exit code 1 when they differ.
#include "image/image_buffer.h"
#include "image/pixel_color_tone.h"
#include "image/pixel_hue_saturation.h"
#include "image/skin_color_tone.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kTone = 0x003080E0;
constexpr int kVividness = 150;
constexpr double kTargetMs = 10.0;

struct FixedColorSettings : ISkinColorSettings {
    int GetTone() const override { return kTone; }
    int GetVividness() const override { return kVividness; }
};

// Skin-like content: smooth gradients with noise, so that every grey level
// and many distinct colours occur, and varied alpha.
FCImageBuffer MakeSkinImage()
{
    FCImageBuffer image(kWidth, kHeight);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-24, 24);
    auto clampByte = [](int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); };
    const FCImageView view = image.View();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* pixel = view.Pixel(x, y);
            pixel[kBlue] = clampByte(x * 255 / kWidth + noise(random));
            pixel[kGreen] = clampByte(y * 255 / kHeight + noise(random));
            pixel[kRed] = clampByte((x + y) * 255 / (kWidth + kHeight) + noise(random));
            pixel[kAlpha] = static_cast<std::uint8_t>((x / 64 + y / 64) % 2 ? 255 : (x * 7 + y) & 0xFF);
        }
    }
    return image;
}

void RecolourPixelByPixel(const FCImageView& image)
{
    FCPixelColorTone(static_cast<std::uint32_t>(kTone)).ProcessImage(image);
    FCPixelHueSaturation(100, kVividness).ProcessImage(image);
}

// Median milliseconds over runs, each on a fresh copy of source; the last
// result is left in output.
template <typename Recolour>
double MedianMs(const FCImageBuffer& source, int runs, FCImageBuffer& output, Recolour recolour)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        output = source;
        const auto start = std::chrono::steady_clock::now();
        recolour(output.View());
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main()
{
    const FCImageBuffer source = MakeSkinImage();
    FixedColorSettings settings;
    const CSkinColorTone scheme(settings);

    FCImageBuffer fast(0, 0);
    FCImageBuffer reference(0, 0);
    const double fastMs = MedianMs(source, 31, fast, [&](const FCImageView& view) { scheme.RecolourImage(view); });
    const double referenceMs = MedianMs(source, 3, reference, RecolourPixelByPixel);
    const bool identical = fast.Bytes() == reference.Bytes();

    std::printf("recolour %dx%d, tone 0x%06X, vividness %d\n", kWidth, kHeight, kTone, kVividness);
    std::printf("  colour scheme:            %8.2f ms (median of 31)\n", fastMs);
    std::printf("  filters pixel by pixel:   %8.2f ms (median of 3)\n", referenceMs);
    std::printf("  ratio:                    %8.1fx faster than pixel by pixel\n", referenceMs / fastMs);
    std::printf("  target %.0f ms:             %8.2f of the target (%s)\n", kTargetMs, fastMs / kTargetMs,
                fastMs <= kTargetMs ? "met" : "MISSED");
    std::printf("  identical pixel for pixel: %s\n", identical ? "yes" : "NO");
    return identical ? 0 : 1;
}
