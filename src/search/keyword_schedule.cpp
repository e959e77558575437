#include "search/keyword_schedule.h"

#include <algorithm>

namespace {

// A text of decimal digits only (at least one); its value, or the cap when
// it is larger than the cap.
std::optional<long long> DecimalCapped(std::string_view text, long long cap)
{
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min(cap + 1, value * 10 + (c - '0'));
    }
    return value;
}

}  // namespace

std::optional<int> KeywordIntervalMinutes(std::string_view text)
{
    if (text == "0")
        return 1;
    const std::optional<long long> value = DecimalCapped(text, kMaxKeywordInterval);
    if (!value || *value < 1 || *value > kMaxKeywordInterval)
        return std::nullopt;
    return static_cast<int>(*value);
}

int KeywordLimit(std::string_view text)
{
    const std::optional<long long> value = DecimalCapped(text, kMaxKeywordLimit);
    return value ? static_cast<int>(std::min<long long>(*value, kMaxKeywordLimit)) : 0;
}

std::string KeywordIntervalText(std::string_view text)
{
    if (text == "0")
        return "0";
    const std::optional<int> minutes = KeywordIntervalMinutes(text);
    return minutes ? std::to_string(*minutes) : std::string();
}

std::string KeywordLimitText(std::string_view text)
{
    return std::to_string(KeywordLimit(text));
}

std::optional<std::size_t> AdvanceKeywordMinute(const std::vector<InfoSearchKey*>& keys)
{
    std::optional<std::size_t> chosen;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        InfoSearchKey& key = *keys[i];
        const std::optional<int> interval = KeywordIntervalMinutes(key.interval);
        if (!interval)
            continue;
        key.ticks = (key.ticks + 1) % *interval;
        if (key.ticks != 0 || key.added >= KeywordLimit(key.limit))
            continue;
        if (!chosen || key.searches < keys[*chosen]->searches)
            chosen = i;
    }
    return chosen;
}

std::string CleanVideoTitle(std::string_view name)
{
    std::string title;
    title.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name.compare(i, 3, "%20") == 0) {
            title += ' ';
            i += 2;
        } else {
            title += name[i];
        }
    }
    return title;
}

int AddKeywordVideos(InfoSearchKey& key, const std::vector<SearchResultItem>& items,
                     const std::function<bool(const SearchResultItem&)>& usable,
                     const std::function<void(const std::string& title, const std::string& url)>& add)
{
    const int limit = KeywordLimit(key.limit);
    int now = 0;
    for (const SearchResultItem& item : items) {
        if (key.added >= limit)
            break;
        if (usable && !usable(item))
            continue;
        add(CleanVideoTitle(item.name), item.url);
        ++key.added;
        ++now;
    }
    return now;
}
