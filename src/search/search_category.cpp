#include "search/search_category.h"

#include <algorithm>

namespace {

std::vector<std::string> SplitAtBars(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        parts.push_back(text.substr(start, bar - start));
        if (bar == std::string::npos)
            return parts;
        start = bar + 1;
    }
}

}  // namespace

std::vector<SearchCategory> BuildCategories(const std::vector<SearchSite>& list)
{
    std::vector<SearchCategory> categories;
    categories.reserve(list.size());
    for (const SearchSite& record : list)
        categories.push_back({record.name, record.coding, SplitAtBars(record.parseScript)});
    return categories;
}

const SearchCategory* SelectCategory(const std::vector<SearchCategory>& categories, const std::string& selectedName)
{
    if (selectedName.empty())
        return categories.empty() ? nullptr : &categories.front();
    for (const SearchCategory& category : categories)
        if (category.name.find(selectedName) != std::string::npos)
            return &category;
    return nullptr;
}

void FilterRequestsByCategory(std::vector<SearchRequest>& requests, const std::vector<SearchCategory>& categories,
                              const std::string& selectedName)
{
    const SearchCategory* category = SelectCategory(categories, selectedName);
    if (!category)
        return;
    std::erase_if(requests, [&](const SearchRequest& request) {
        return std::find(category->siteNames.begin(), category->siteNames.end(), request.site.name)
               == category->siteNames.end();
    });
}
