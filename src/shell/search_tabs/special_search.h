#pragma once
// The search of a special topic or of the related videos: the first site
// of the cached site list whose name occurs in the text is the only site
// searched, for that text and page.
#include "search/multi_search.h"

#include <string>

// Drops whatever the search was doing and its sites; false (nothing
// searched) when no listed site's name occurs in the text.
bool RunSpecialSearch(CQueltMultiSearch& search, const std::string& siteListUrl, const std::string& text, int page);
