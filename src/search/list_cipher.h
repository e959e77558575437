#pragma once
// The transport form of the service's list files: Base64 text whose
// decoded bytes are XORed with a fixed 32-character key, repeated from its
// first character. Deciphering skips every character outside the Base64
// alphabet; an empty body gives the empty text.
#include <string>
#include <string_view>

inline constexpr std::string_view kListCipherKey = "7E2a48C09b1DF35A6c0E94bD21f8A7C3";

std::string DecipherListFile(std::string_view body);
// The inverse, for whoever publishes lists (the demo service, quelt-list-tool).
std::string EncipherListFile(std::string_view text);
