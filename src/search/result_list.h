#pragma once
// The results a search tab shows: the items of every page merged by URL,
// rated from the finished speed tests, and written as the XML its page
// reads. Only items of sites with a speed record reach the page; without
// the speed information (no search manager) every item does.
#include "search/search_result.h"
#include "search/speed_info.h"

#include <string>
#include <string_view>
#include <vector>

// Appends, in order, every arrived item whose URL (exact bytes) is not in
// the list yet; the items already there keep their place and fields.
void MergeResults(std::vector<SearchResultItem>& list, const std::vector<SearchResultItem>& arrived);

// Gives every item whose site has a finished measurement that rate; the
// others keep theirs. Null records: nothing changes.
void RateResults(std::vector<SearchResultItem>& list, const std::vector<SpeedInfoRecord>* records);

// "<xml><root><item url mimage mtitle mrate memo playcount vcount msite/>…"
// for the items of listed sites (all items with null records); "msite" is
// the name of the item's site in the speed information (ListedSiteName). The values
// are the items' own: the text goes into a script call only through
// SearchResultCall, which escapes all of it for a script string.
std::string BuildResultXml(const std::vector<SearchResultItem>& list, const std::vector<SpeedInfoRecord>* records);

// A site's own result text (the special page's data) with every item's
// site named as the search tab's XML names it: an "msite" attribute from
// the speed information, beside the item's other fields, which stay as
// the site sent them. A text that is not XML is given back as it is.
std::string NameResultSites(std::string_view siteXml, const std::vector<SpeedInfoRecord>* records);
