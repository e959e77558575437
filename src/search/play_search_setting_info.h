#pragma once
// The search categories: a kept list ("cs_searcsettinginfo_url") turned
// into categories, and the category a search is narrowed to.
#include "search/search_category.h"
#include "search/setting_downloader.h"

#include <string>
#include <vector>

class PlaySearchSettingInfo : public CSettingDownLoader<CWnd> {
public:
    PlaySearchSettingInfo() { Create(); }

    // The cached list as categories (for a start before any download).
    void LoadCategoriesFromCache(const std::string& url) { categories_ = BuildCategories(LoadFromCache(url)); }

    const std::vector<SearchCategory>& Categories() const { return categories_; }
    void SetCategories(std::vector<SearchCategory> categories) { categories_ = std::move(categories); }
    const std::string& SelectedName() const { return selectedName_; }
    void SetSelectedName(std::string name) { selectedName_ = std::move(name); }
    const SearchCategory* Selected() const { return SelectCategory(categories_, selectedName_); }
    void FilterRequests(std::vector<SearchRequest>& requests) const
    {
        FilterRequestsByCategory(requests, categories_, selectedName_);
    }

protected:
    void OnListUpdated(const std::vector<SearchSite>& list) override { categories_ = BuildCategories(list); }

private:
    std::vector<SearchCategory> categories_;
    std::string selectedName_;
};
