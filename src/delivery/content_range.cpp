#include "delivery/content_range.h"

#include <charconv>

namespace {

bool ParseDecimal(const std::string& text, std::int64_t& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value);
    return err == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::int64_t ParseSize(const std::string& text)
{
    std::int64_t value = 0;
    const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    return err == std::errc() ? value : 0;
}

ContentRange ParseContentRange(const std::string& value)
{
    ContentRange range;
    const std::size_t slash = value.rfind('/');
    if (!value.starts_with("bytes ") || slash == std::string::npos)
        return range;
    std::int64_t total = 0;
    if (ParseDecimal(value.substr(slash + 1), total))
        range.total = total;
    const std::string span = value.substr(6, slash - 6);
    const std::size_t dash = span.find('-');
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (dash != std::string::npos && ParseDecimal(span.substr(0, dash), first)
        && ParseDecimal(span.substr(dash + 1), last) && first <= last) {
        range.first = first;
        range.last = last;
    }
    return range;
}
