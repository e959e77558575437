#include "shell/search_tabs/play_special_view.h"

#include "common/ids/control_ids.h"
#include "search/page_calls.h"
#include "search/result_list.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/search_tabs/special_search.h"

PlaySpecialView::PlaySpecialView(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId, SearchViewDeps deps)
    : PlayViewBrowser(parent, host, tabs, viewId), deps_(std::move(deps)), search_(deps_.makeSearch())
{
    retry_.setSingleShot(true);
    retry_.setInterval(deps_.specialRetryMs);
    retry_.setObjectName(QStringLiteral("timer-%1").arg(timer::kSpecialRetry));
    QObject::connect(&retry_, &QTimer::timeout, [this] { SearchTopic(); });
}

PlaySpecialView::~PlaySpecialView()
{
    retry_.stop();
    search_->Unadvise(this);
}

void PlaySpecialView::OpenSpecial(const SpecialTabRequest& request)
{
    if (!request.filled)
        return;
    request_ = request;
    search_->Advise(this);
    search_->Initialize(request.siteListUrl);
    SetHomeUrl(request.page);
    Navigate(request.page);
}

void PlaySpecialView::OnDocumentComplete(const std::string& /*url*/)
{
    if (!request_.filled)
        return;
    SearchTopic();
    RunScript(MakePageCall({request_.title, request_.t1, request_.t2, request_.t3, request_.t4, request_.pageNumber}));
}

void PlaySpecialView::SearchTopic()
{
    RunSpecialSearch(*search_, request_.siteListUrl, request_.title, request_.pageNumber);
}

void PlaySpecialView::OnSearchResult(const std::vector<SearchResultItem>& /*items*/, const std::string& xml)
{
    // The cards name their site as the search tab's do.
    PlaySearchViewManager* manager = deps_.manager ? deps_.manager() : nullptr;
    RunScript(SpecialResultCall(NameResultSites(xml, manager ? manager->SpeedRecords() : nullptr)));
}

void PlaySpecialView::OnSiteTimeout(const std::string& /*requestUrl*/)
{
    retry_.start();
}
