#pragma once
// A search tab: the program's search page (or its column page) with the
// results of one keyword over the listed sites. The first page is searched
// once the page has loaded, "searchmorexev://" searches the next one, and
// the results of every page accumulate, merged by URL, rated from the
// sites' speed tests, and handed to the page after every site.
#include "search/multi_search_events.h"
#include "search/search_category.h"
#include "shell/browse/play_view_browser.h"
#include "shell/search_tabs/search_view_deps.h"

#include <memory>
#include <string>
#include <vector>

class PlaySearchView : public PlayViewBrowser, public I_QueltMultiSearchEvent {
public:
    PlaySearchView(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId, SearchViewDeps deps);
    ~PlaySearchView() override;

    // Takes the manager's categories with the request's selected, then
    // loads the page; the search starts when it has loaded.
    void OpenSearch(const SearchTabRequest& request) override;

    const std::vector<SearchResultItem>& Results() const { return results_; }
    int PageNumber() const { return page_; }
    const std::string& Keyword() const { return keyword_; }
    const std::string& SelectedCategory() const { return selectedName_; }
    CQueltMultiSearch& Search() { return *search_; }

protected:
    void OnBeforeNavigate(const std::string& url, bool& cancel) override;
    void OnDocumentComplete(const std::string& url) override;

    void OnSearchStart(std::vector<SearchRequest>& requests) override;
    void OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& xml) override;
    void OnSearchFinished() override;

private:
    void SearchNextPage();
    void SendResults();
    void Observe(SearchTabStep step);

    SearchViewDeps deps_;
    std::unique_ptr<CQueltMultiSearch> search_;
    std::vector<SearchResultItem> results_;
    std::vector<SearchCategory> categories_;
    std::string selectedName_;
    int page_ = 0;  // 0: no search yet
    std::string keyword_;
    int requestFeed_ = 0;
    bool loaded_ = false;  // the page has completed: results can be drawn
};
