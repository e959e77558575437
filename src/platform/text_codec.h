#pragma once
// Text in another character set than UTF-8, for sites that expect their
// keywords in their own (GBK, Big5, ...).
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The UTF-8 text in the named character set; none when the set is unknown
// or the text has a character it cannot hold.
std::optional<std::string> EncodeFromUtf8(std::string_view utf8, const std::string& charset);

}  // namespace platform
