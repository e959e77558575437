#pragma once
// What the search box of the main window asks for: the scheme address that
// opens a search tab, or nothing.
#include "search/search_category.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text without the blanks around it (space, tab, line breaks and the
// ideographic space U+3000).
std::string TrimmedBlanks(std::string_view text);

// Nothing when the text is blank or the hint (hintText) still shows, or
// when no category is selected. Else "searchcolxev://" for a category
// whose flags are exactly "hj" (the column page), otherwise
// "searchxev://", then the category's name, "&&&" and the trimmed text.
std::optional<std::string> SearchBoxUrl(std::string_view text, std::string_view hintText,
                                        const std::vector<SearchCategory>& categories,
                                        const std::string& selectedName);
