#include "ui/toolkit/skin_values.h"

#include "common/app_folder.h"
#include "common/lang/translate.h"

#include <cctype>
#include <charconv>
#include <cstdint>

namespace ui {

bool ParseSkinInt(const std::string& text, int& value)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    if (begin < end && text[begin] == '+')
        ++begin;
    if (begin == end)
        return false;
    std::int64_t parsed = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end;
    auto [ptr, ec] = std::from_chars(first, last, parsed);
    if (ec != std::errc() || ptr != last || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

int ReadSkinInt(const pugi::xml_node& element, const char* name, int defaultValue)
{
    const pugi::xml_attribute attribute = element.attribute(name);
    int value = defaultValue;
    if (attribute && ParseSkinInt(attribute.value(), value))
        return value;
    return defaultValue;
}

std::string ReadSkinText(const pugi::xml_node& element, const char* name, const std::string& defaultValue)
{
    const pugi::xml_attribute attribute = element.attribute(name);
    return attribute ? std::string(attribute.value()) : defaultValue;
}

std::string ReadSkinLabel(const pugi::xml_node& element, const char* name)
{
    return lang::Tr(ReadSkinText(element, name));
}

std::uint32_t ReadSkinColour(const pugi::xml_node& element, const char* name, std::uint32_t defaultValue)
{
    return static_cast<std::uint32_t>(ReadSkinInt(element, name, static_cast<int>(defaultValue)));
}

FCRect ReadSkinRect(const pugi::xml_node& element)
{
    return {ClampSkinCoordinate(ReadSkinInt(element, "x", 0)), ClampSkinCoordinate(ReadSkinInt(element, "y", 0)),
            ClampSkinCoordinate(ReadSkinInt(element, "width", 0)),
            ClampSkinCoordinate(ReadSkinInt(element, "height", 0))};
}

std::string ReadSkinImagePath(const pugi::xml_node& element, const char* name)
{
    const std::string text = ReadSkinText(element, name);
    return text.empty() ? std::string() : GetAppFolder() + text;
}

}  // namespace ui
