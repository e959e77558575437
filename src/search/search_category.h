#pragma once
// Search categories: which sites a search of one kind asks. Built from the
// category list; a search narrows its requests to the selected category.
#include "search/search_site.h"

#include <string>
#include <vector>

struct SearchCategory {
    std::string name;
    std::string flags;  // exactly "hj": the column page style
    std::vector<std::string> siteNames;
};

// One category per record: name "n", flags "c", site names "s" split at "|".
std::vector<SearchCategory> BuildCategories(const std::vector<SearchSite>& list);
// The first category when the name is empty; else the first whose name
// contains it; null when none.
const SearchCategory* SelectCategory(const std::vector<SearchCategory>& categories, const std::string& selectedName);
// Keeps, in order, the requests whose site is one of the selected
// category's; leaves them all when no category is selected.
void FilterRequestsByCategory(std::vector<SearchRequest>& requests, const std::vector<SearchCategory>& categories,
                              const std::string& selectedName);
