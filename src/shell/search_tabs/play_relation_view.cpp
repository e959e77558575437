#include "shell/search_tabs/play_relation_view.h"

#include "common/app_folder.h"
#include "common/event_window.h"
#include "search/download_file_wnd.h"
#include "search/page_calls.h"
#include "search/relation_fill.h"
#include "search/search_result.h"
#include "shell/search_tabs/special_search.h"
#include "shell/settings/app_setting.h"

#include <chrono>
#include <cstdlib>

namespace {
bool g_networkSeen = false;
}

// The view's event window: the network-ready broadcast, and the default
// list's download on a thread of its own.
class PlayRelationView::Downloads : public FCDownloadFileWndBase<CEventWindowBaseT<CWnd>> {
public:
    explicit Downloads(PlayRelationView& view) : view_(view) { Create(); }

protected:
    void OnEventNetworkReady() override { view_.OnNetworkReady(); }
    void OnListDownloaded(const std::string& /*url*/, const char* data, std::size_t length) override
    {
        view_.OnDefaultsDownloaded(std::string(data, length));
    }

private:
    PlayRelationView& view_;
};

PlayRelationView::PlayRelationView(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId,
                                   SearchViewDeps deps)
    : PlayViewBrowser(parent, host, tabs, viewId), deps_(std::move(deps)), search_(deps_.makeSearch()),
      downloads_(std::make_unique<Downloads>(*this)),
      random_(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()))
{
    search_->Advise(this);
}

PlayRelationView::~PlayRelationView()
{
    downloads_.reset();
    search_->Unadvise(this);
}

bool PlayRelationView::NetworkSeen()
{
    return g_networkSeen;
}

void PlayRelationView::ReadSkin(const pugi::xml_node& element)
{
    defSize_ = std::max(0, element.attribute("def_size").as_int());
    std::string page = element.attribute("url").as_string();
    if (page.empty())
        return;
    if (page.find("http://") == std::string::npos)
        page = "file://" + GetAppFolder() + page;
    SetHomeUrl(page);
    Navigate(page);
}

void PlayRelationView::OnNetworkReady()
{
    const CAppSetting& settings = Host().Settings();
    downloads_->StartDownload(settings.relationDefVideoUrl);
    search_->Downloader().CheckForUpdate(settings.relationUrl);
    g_networkSeen = true;
}

void PlayRelationView::OnDocumentComplete(const std::string& /*url*/)
{
    loaded_ = true;
    search_->Initialize(Host().Settings().relationUrl);
    if (g_networkSeen)
        downloads_->StartDownload(Host().Settings().relationDefVideoUrl);
}

void PlayRelationView::OnDefaultsDownloaded(const std::string& data)
{
    defaults_ = ParseSearchResult(data);
    Refresh();
}

void PlayRelationView::SearchRelated(const std::string& text)
{
    RunSpecialSearch(*search_, Host().Settings().relationUrl, text, 1);
}

void PlayRelationView::OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& /*xml*/)
{
    searchItems_ = items;
    Refresh();
}

void PlayRelationView::Refresh()
{
    if (!loaded_ || defaults_.empty())
        return;
    shown_ = FillRelationItems(searchItems_, defaults_, static_cast<std::size_t>(defSize_), random_());
    RunScript(RelationCall(BuildRelationXml(shown_), defSize_));
}
