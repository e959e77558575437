#pragma once
// Comparing protocol and file texts (header names, keys) as ASCII, without
// regard to case and without the locale.
#include <algorithm>
#include <cctype>
#include <string_view>

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}
