#include "shell/stats/ini_file.h"

#include "common/ascii_text.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& text)
{
    const std::size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos)
        return {};
    const std::size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

}  // namespace

std::string IniValue(const std::string& text, const std::string& section, const std::string& key, std::size_t maxLength)
{
    // A UTF-8 byte order mark (editors save one) is no part of the first line.
    std::istringstream in(text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text);
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string::npos && EqualsIgnoringCase(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inSection && equals != std::string::npos && EqualsIgnoringCase(Trim(line.substr(0, equals)), key)) {
            std::string value = Trim(line.substr(equals + 1));
            if (value.size() > maxLength)
                value.resize(maxLength);
            return value;
        }
    }
    return {};
}

std::string IniFileValue(const std::string& path, const std::string& section, const std::string& key, std::size_t maxLength)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return IniValue(text.str(), section, key, maxLength);
}
