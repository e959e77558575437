#include "platform/key_value_store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace platform {

std::string KeyValueStorePath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config && *config ? config : std::string(home ? home : ".") + "/.config";
    return base + "/quelt/values";
}

std::optional<std::string> ReadStoredValue(const std::string& name)
{
    std::ifstream in(KeyValueStorePath());
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(name + "="))
            return line.substr(name.size() + 1);
    return std::nullopt;
}

bool WriteStoredValue(const std::string& name, const std::string& value)
{
    const std::string path = KeyValueStorePath();
    std::vector<std::string> lines;
    {
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);)
            if (!line.starts_with(name + "="))
                lines.push_back(line);
    }
    std::string oneLine = value;
    for (char& c : oneLine)
        if (c == '\n' || c == '\r')
            c = ' ';
    lines.push_back(name + "=" + oneLine);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream out(path, std::ios::trunc);
    for (const std::string& line : lines)
        out << line << '\n';
    return static_cast<bool>(out.flush());
}

}  // namespace platform
