#include "shell/search_tabs/special_search.h"

#include <vector>

bool RunSpecialSearch(CQueltMultiSearch& search, const std::string& siteListUrl, const std::string& text, int page)
{
    search.ClearSites();
    const std::vector<SearchSite> sites = search.Downloader().LoadFromCache(siteListUrl);
    for (const SearchSite& site : sites) {
        if (site.name.empty() || text.find(site.name) == std::string::npos)
            continue;
        search.SetSingleSite(site);
        search.Search(text, page);
        return true;
    }
    return false;
}
