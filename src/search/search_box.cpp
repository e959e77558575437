#include "search/search_box.h"

#include "common/string_table.h"

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
constexpr std::string_view kColumnFlags = "hj";

bool StartsWithBlank(std::string_view text)
{
    return text.starts_with(' ') || text.starts_with('\t') || text.starts_with('\r') || text.starts_with('\n');
}
bool EndsWithBlank(std::string_view text)
{
    return text.ends_with(' ') || text.ends_with('\t') || text.ends_with('\r') || text.ends_with('\n');
}

}  // namespace

std::string TrimmedBlanks(std::string_view text)
{
    for (;;) {
        if (StartsWithBlank(text))
            text.remove_prefix(1);
        else if (text.starts_with(kIdeographicSpace))
            text.remove_prefix(kIdeographicSpace.size());
        else
            break;
    }
    for (;;) {
        if (EndsWithBlank(text))
            text.remove_suffix(1);
        else if (text.ends_with(kIdeographicSpace))
            text.remove_suffix(kIdeographicSpace.size());
        else
            break;
    }
    return std::string(text);
}

std::optional<std::string> SearchBoxUrl(std::string_view text, std::string_view hintText,
                                        const std::vector<SearchCategory>& categories,
                                        const std::string& selectedName)
{
    const std::string keyword = TrimmedBlanks(text);
    if (keyword.empty() || keyword == TrimmedBlanks(hintText))
        return std::nullopt;
    const SearchCategory* category = SelectCategory(categories, selectedName);
    if (!category)
        return std::nullopt;
    const int prefix = category->flags == kColumnFlags ? IDS_SCHEME_SEARCH_COLUMN : IDS_SCHEME_SEARCH;
    return LoadString(prefix) + category->name + "&&&" + keyword;
}
