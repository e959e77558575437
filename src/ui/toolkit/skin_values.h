#pragma once
// Reading the attribute values of skin elements: integers, colours, texts
// and image paths. A missing or unreadable attribute leaves the default.
#include "ui/toolkit/geometry.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string>

namespace ui {

// Decimal text (surrounding blanks and a sign allowed) that fits a 32-bit
// integer; anything else gives the default.
int ReadSkinInt(const pugi::xml_node& element, const char* name, int defaultValue);
std::string ReadSkinText(const pugi::xml_node& element, const char* name, const std::string& defaultValue = {});
// A text the user reads (an item's text, a tooltip): written in Chinese in
// the skin, read in the language of this run.
std::string ReadSkinLabel(const pugi::xml_node& element, const char* name);
// A colour is a Win32 colour value 0x00BBGGRR written as a decimal integer.
std::uint32_t ReadSkinColour(const pugi::xml_node& element, const char* name, std::uint32_t defaultValue);
// "x", "y", "width" and "height" (default 0), each within kMaxSkinCoordinate.
FCRect ReadSkinRect(const pugi::xml_node& element);
// An image is named relative to the program folder; empty means no image.
std::string ReadSkinImagePath(const pugi::xml_node& element, const char* name);

// Parses the integer text the way ReadSkinInt does; false when it is not one.
bool ParseSkinInt(const std::string& text, int& value);

}  // namespace ui
