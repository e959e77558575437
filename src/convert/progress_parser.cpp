#include "convert/progress_parser.h"

#include <cstdlib>
#include <string>

namespace convert {
namespace {

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ParseNumber(std::string_view text, double& value)
{
    const std::string copy(text);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return end != copy.c_str() && *end == '\0';
}

// "hh:mm:ss.xx" in seconds; 0 when the text has another form ("N/A").
double ParseClock(std::string_view text)
{
    const auto first = text.find(':');
    const auto second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos)
        return 0;
    double hours = 0, minutes = 0, seconds = 0;
    if (!ParseNumber(text.substr(0, first), hours) ||
        !ParseNumber(text.substr(first + 1, second - first - 1), minutes) ||
        !ParseNumber(text.substr(second + 1), seconds))
        return 0;
    return hours * 60 * 60 + minutes * 60 + seconds;
}

}  // namespace

std::optional<float> ProgressParser::Feed(std::string_view block)
{
    static constexpr std::string_view kDuration = "Duration:";
    static constexpr std::string_view kTime = "time=";
    if (duration_ <= 0) {
        const auto at = block.find(kDuration);
        if (at != std::string_view::npos) {
            const auto start = at + kDuration.size();
            const auto comma = block.find(',', start);
            if (comma != std::string_view::npos)
                duration_ = ParseClock(Trim(block.substr(start, comma - start)));
        }
    }
    if (duration_ <= 0)
        return std::nullopt;
    const auto at = block.find(kTime);
    if (at == std::string_view::npos || at == 0)
        return std::nullopt;
    const auto bitrate = block.find("bitrate", at);
    if (bitrate == std::string_view::npos)
        return std::nullopt;
    double elapsed = 0;
    if (!ParseNumber(Trim(block.substr(at + kTime.size(), bitrate - at - kTime.size())), elapsed))
        return std::nullopt;
    return static_cast<float>(elapsed / duration_);
}

}  // namespace convert
