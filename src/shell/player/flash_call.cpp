#include "shell/player/flash_call.h"

#include <algorithm>
#include <sstream>

std::string BuildInvokeXml(const std::string& name, const std::string& argument)
{
    return "<invoke name=\"" + name + "\" returntype=\"xml\"><arguments><string>" + argument
           + "</string></arguments></invoke>";
}

std::string FormatFlashNumber(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string FormatPercent(std::int64_t value)
{
    return std::to_string(std::clamp<std::int64_t>(value, 0, 100));
}
