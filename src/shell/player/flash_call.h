#pragma once
// The calls the main window makes into the player page, as the invoke XML
// the page's CallFunction takes, and the number format they use.
#include <cstdint>
#include <string>

// <invoke name="NAME" returntype="xml"><arguments><string>ARG</string></arguments></invoke>
// The argument goes in as it is, unescaped.
std::string BuildInvokeXml(const std::string& name, const std::string& argument);

// A number as a default-formatted stream writes it: general notation with
// six significant digits ("12345678" → "1.23457e+07", "300" → "300").
std::string FormatFlashNumber(double value);

// A decimal integer clamped to 0..100 (below 1 is 0): volume, brightness
// and seek position arguments.
std::string FormatPercent(std::int64_t value);
