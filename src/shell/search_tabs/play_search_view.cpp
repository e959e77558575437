#include "shell/search_tabs/play_search_view.h"

#include "common/ids/string_ids.h"
#include "search/page_calls.h"
#include "search/result_list.h"
#include "search/scheme_url.h"
#include "shell/search_tabs/play_search_view_manager.h"

PlaySearchView::PlaySearchView(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId, SearchViewDeps deps)
    : PlayViewBrowser(parent, host, tabs, viewId), deps_(std::move(deps)), search_(deps_.makeSearch())
{
}

// The search must not call a view that is half gone.
PlaySearchView::~PlaySearchView()
{
    search_->Unadvise(this);
}

void PlaySearchView::OpenSearch(const SearchTabRequest& request)
{
    if (PlaySearchViewManager* manager = deps_.manager ? deps_.manager() : nullptr)
        categories_ = manager->Categories().Categories();
    selectedName_ = request.category;
    search_->Advise(this);
    search_->Initialize(request.siteListUrl);
    keyword_ = request.keyword;
    requestFeed_ = request.requestFeed;
    SetHomeUrl(request.page);
    Navigate(request.page);
    Observe(SearchTabStep::Opened);
}

void PlaySearchView::OnBeforeNavigate(const std::string& url, bool& cancel)
{
    PlayViewBrowser::OnBeforeNavigate(url, cancel);
    if (!scheme::ParseSchemeUrl(IDS_SCHEME_SEARCH_MORE, url, true).Found())
        return;
    SearchNextPage();
    cancel = true;
}

void PlaySearchView::OnDocumentComplete(const std::string& /*url*/)
{
    loaded_ = true;
    Observe(SearchTabStep::PageLoaded);
    if (page_ != 0 || keyword_.empty())
        return;
    page_ = 1;
    search_->Search(keyword_, page_);
    if (requestFeed_)
        RunScript(FeedRequestCall(keyword_));
}

void PlaySearchView::SearchNextPage()
{
    if (!loaded_ || keyword_.empty())
        return;
    ++page_;
    search_->Search(keyword_, page_);
}

void PlaySearchView::OnSearchStart(std::vector<SearchRequest>& requests)
{
    if (deps_.manager && deps_.manager())
        FilterRequestsByCategory(requests, categories_, selectedName_);
}

void PlaySearchView::OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& /*xml*/)
{
    // Results that arrive before the page can draw them are dropped.
    if (!loaded_)
        return;
    MergeResults(results_, items);
    if (results_.empty())
        return;
    SendResults();
    Observe(SearchTabStep::SiteResults);
}

// A search that found nothing still tells the page, which then says so.
void PlaySearchView::OnSearchFinished()
{
    if (loaded_ && results_.empty())
        SendResults();
}

void PlaySearchView::SendResults()
{
    PlaySearchViewManager* manager = deps_.manager ? deps_.manager() : nullptr;
    const std::vector<SpeedInfoRecord>* records = manager ? manager->SpeedRecords() : nullptr;
    RateResults(results_, records);
    RunScript(SearchResultCall(BuildResultXml(results_, records)));
}

void PlaySearchView::Observe(SearchTabStep step)
{
    if (deps_.observeSteps)
        deps_.observeSteps(*this, step);
}
