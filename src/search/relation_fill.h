#pragma once
// The related-videos view's list: first the usable results of the related
// search, then usable videos of the default list, taken round from a
// random start, until the view's count is reached; and its XML.
#include "search/search_result.h"

#include <cstddef>
#include <string>
#include <vector>

// An item the view can show: image URL, URL and name all non-empty.
bool IsUsableItem(const SearchResultItem& item);

// At most count items: the usable search items in order, then the usable
// default items from defaults[start % size] round the list once (a short
// default list gives fewer items rather than the same video twice).
std::vector<SearchResultItem> FillRelationItems(const std::vector<SearchResultItem>& searchItems,
                                                const std::vector<SearchResultItem>& defaults, std::size_t count,
                                                std::size_t start);

// "<root><item url imgurl name/>…</root>"; the values as they are (the call
// escapes the whole text).
std::string BuildRelationXml(const std::vector<SearchResultItem>& items);
