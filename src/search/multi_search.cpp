#include "search/multi_search.h"

#include "platform/text_codec.h"
#include "search/link_script.h"

class CQueltMultiSearch::SiteListKeeper : public CSettingDownLoader<CWnd> {
public:
    explicit SiteListKeeper(CQueltMultiSearch& search) : search_(search) { Create(); }

protected:
    void OnListUpdated(const std::vector<SearchSite>& list) override { search_.sites_ = list; }

private:
    CQueltMultiSearch& search_;
};

CQueltMultiSearch::CQueltMultiSearch(ViewFactory views) : CQueltMultiSearch(std::move(views), Timing{}) {}

CQueltMultiSearch::CQueltMultiSearch(ViewFactory views, Timing timing)
    : tick_([this] { Tick(); }), downloader_(std::make_unique<SiteListKeeper>(*this)),
      viewFactory_(std::move(views)), timing_(timing)
{
}

// The tick stops first, so nothing runs while the rest goes.
CQueltMultiSearch::~CQueltMultiSearch()
{
    tick_.Stop();
    StopAll();
}

CSettingDownLoader<CWnd>& CQueltMultiSearch::Downloader()
{
    return *downloader_;
}

void CQueltMultiSearch::Initialize(const std::string& siteListUrl)
{
    if (initialized_)
        return;
    tick_.SetInterval(timing_.tickMs);
    tick_.Start();
    initialized_ = true;
    siteListUrl_ = siteListUrl;
    sites_ = downloader_->LoadFromCache(siteListUrl);
}

void CQueltMultiSearch::Search(const std::string& keyword, int page)
{
    if (!initialized_)
        return;
    StopAll();
    script_.Reset();
    pending_.clear();
    for (const SearchSite& site : sites_)
        pending_.push_back({RequestUrlFor(site, keyword, page), site});
    sinks_.ForEach([&](I_QueltMultiSearchEvent& sink) { sink.OnSearchStart(pending_); });
    if (!viewFactory_)
        return;
    std::unique_ptr<CQueltParseView> view = viewFactory_(*this);
    if (!view)
        return;
    view->countdown = timing_.countdown;
    CQueltParseView& added = *view;
    views_.push_back(std::move(view));
    StartNextRequest(added);
}

// A site of another coding gets the keyword in its character set when that
// is one the system knows (GBK for "gb2312"), else as UTF-8, and then
// percent-encoded. A script that fails in any way gives an empty address:
// that site's page cannot load and it ends by its time-out.
std::string CQueltMultiSearch::RequestUrlFor(const SearchSite& site, const std::string& keyword, int page)
{
    std::string converted = keyword;
    if (!TakesKeywordUnchanged(site.coding))
        converted = platform::EncodeFromUtf8(keyword, site.coding).value_or(keyword);
    const std::optional<std::string> code = FormatLinkScript(site.linkScript, page, EncodeKeyword(converted, site.coding));
    script_.Reset();
    if (!code || !script_.AddCode(*code, kLinkScriptLimit))
        return {};
    return script_.GlobalString("ret").value_or(std::string());
}

// The last pending request goes to the view.
bool CQueltMultiSearch::StartNextRequest(CQueltParseView& view)
{
    if (pending_.empty())
        return false;
    SearchRequest request = std::move(pending_.back());
    pending_.pop_back();
    request.site.requestUrl = request.url;
    view.Navigate(request.site);
    return true;
}

void CQueltMultiSearch::StopAll()
{
    ++generation_;
    for (auto& view : views_)
        view->StopNavigation();
    views_.clear();
}

void CQueltMultiSearch::ClearSites()
{
    StopAll();
    sites_.clear();
    script_.Reset();
    pending_.clear();
}

void CQueltMultiSearch::SetSingleSite(const SearchSite& site)
{
    sites_.assign(1, site);
}

void CQueltMultiSearch::ReportResult(const std::vector<SearchResultItem>& items, const std::string& xml)
{
    sinks_.ForEach([&](I_QueltMultiSearchEvent& sink) { sink.OnSearchResult(items, xml); });
}

// Each active view counts down; one that ran out of time or was parsed
// takes the next request at once, and a view with nothing left goes.
void CQueltMultiSearch::Tick()
{
    for (std::size_t i = 0; i < views_.size();) {
        CQueltParseView* view = views_[i].get();
        const bool timedOut = --view->countdown == 0;
        if (timedOut) {
            const std::string url = view->Site().requestUrl;
            const unsigned generation = generation_;
            sinks_.ForEach([&](I_QueltMultiSearchEvent& sink) { sink.OnSiteTimeout(url); });
            // A sink may have started another search: this view is gone.
            if (generation != generation_)
                return;
        } else if (!view->done) {
            ++i;
            continue;
        }
        view->done = false;
        view->countdown = timing_.countdown;
        if (StartNextRequest(*view))
            continue;  // the same view again, within this tick
        view->StopNavigation();
        views_.erase(views_.begin() + static_cast<std::ptrdiff_t>(i));
        if (views_.empty()) {
            sinks_.ForEach([](I_QueltMultiSearchEvent& sink) { sink.OnSearchFinished(); });
            return;
        }
    }
}
