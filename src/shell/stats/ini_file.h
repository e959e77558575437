#pragma once
// Reading one value of an INI text ("[section]" lines, "key=value" lines):
// the installed version in "update_config.x" and the update configuration.
#include <cstddef>
#include <string>

// The value of key in section, cut to maxLength bytes; empty when the
// section or key is missing or the text is not INI at all.
std::string IniValue(const std::string& text, const std::string& section, const std::string& key,
                     std::size_t maxLength = 2047);
// The same from a file (empty when it cannot be read).
std::string IniFileValue(const std::string& path, const std::string& section, const std::string& key,
                         std::size_t maxLength = 2047);
