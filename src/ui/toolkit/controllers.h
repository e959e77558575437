#pragma once
// The controllers: groups of skin attributes that items and widgets read
// from their element and later draw with.
#include <pugixml.hpp>

#include <cstdint>
#include <string>

namespace ui {

constexpr std::uint32_t kColourWhite = 0xFFFFFF;

struct FCController_Fill {
    enum { kNone = 0, kColour = 1, kImage = 2 };
    int fillType = kNone;
    std::uint32_t colour = kColourWhite;  // for kColour
    std::string imagePath;                // for kImage
    void Read(const pugi::xml_node& element);
};

// One image holding the normal, hover and pressed backgrounds side by side,
// and optionally one more for the switched (checked) state.
struct FCController_3StateBK {
    std::string imagePath;
    std::string switchImagePath;
    void Read(const pugi::xml_node& element);
};

struct FCController_Border {
    int border = 0;  // width of the frame in pixels; 0 draws none
    std::uint32_t colourLeftTop = 0;
    std::uint32_t colourRightBottom = 0;
    void Read(const pugi::xml_node& element);
};

struct FCController_3StateText {
    enum { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };
    std::string text;
    int hAlign = kAlignLeft;
    std::uint32_t colourNormal = 0;
    std::uint32_t colourHover = 0;
    std::uint32_t colourClick = 0;
    void Read(const pugi::xml_node& element);
};

struct FCController_Image {
    std::string imagePath;
    void Read(const pugi::xml_node& element);
};

}  // namespace ui
