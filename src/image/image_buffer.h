#pragma once
// An owning 32-bit image with tightly packed rows, for images the program
// makes itself (a one-pixel image for a colour, test and benchmark images).
#include "image/image_view.h"

#include <cstdint>
#include <vector>

class FCImageBuffer {
public:
    FCImageBuffer(int width, int height)
        : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
          bytes_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4)
    {
    }

    FCImageView View()
    {
        return FCImageView{width_, height_, static_cast<std::ptrdiff_t>(width_) * 4, bytes_.data()};
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> bytes_;
};
