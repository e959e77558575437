#include "image/single_pixel_process.h"

void FCSinglePixelProcessBase::ProcessImage(const FCImageView& image)
{
    if (image.IsEmpty()) {
        return;
    }
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* pixel = image.Row(y);
        for (int x = 0; x < image.width; ++x, pixel += 4) {
            ProcessPixel(pixel);
        }
    }
}
