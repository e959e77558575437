#pragma once
// Base64 with the RFC 4648 alphabet, "=" padding and no line breaks; used
// for play URLs, detection service messages and list files.
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);

// Lenient decoding as the services' texts need it: characters outside the
// alphabet (line breaks, blanks, "=" anywhere) are skipped and a trailing
// partial group yields the whole bytes it holds.
std::string Base64DecodeBytes(std::string_view text);

// The same, ending before the first zero byte, for callers that treat the
// result as a text.
std::string Base64Decode(std::string_view text);
