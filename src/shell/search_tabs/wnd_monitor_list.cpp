#include "shell/search_tabs/wnd_monitor_list.h"

#include "common/app_folder.h"
#include "search/keyword_list_xml.h"
#include "search/monitor_page.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/settings/app_setting.h"

#include <vector>

namespace {

constexpr const char* kDefaultPage = "skin/main/monitorstyle.html";
// The counters change while searches add videos; the page hears of it
// within this time.
constexpr int kRefreshMs = 1000;
constexpr const char* kReadSubscriptions =
    "(function(){var e=document.getElementById('MONITOR_QUELT_ID');return e?e.innerHTML:'';})()";

}  // namespace

CWndMonitorList::CWndMonitorList(QWidget* parent, IBrowseHost& host, std::function<PlaySearchViewManager*()> manager)
    : PlayHtmlViewBase(parent, host), manager_(std::move(manager))
{
    refresh_.setInterval(kRefreshMs);
    QObject::connect(&refresh_, &QTimer::timeout, [this] { ShowList(); });
}

CWndMonitorList::~CWndMonitorList()
{
    *alive_ = false;
}

void CWndMonitorList::ReadSkin(const pugi::xml_node& element)
{
    std::string page = element.attribute("url").as_string();
    if (page.empty())
        page = kDefaultPage;
    page = "file://" + GetAppFolder() + page;
    SetHomeUrl(page);
    Navigate(page);
}

void CWndMonitorList::OnBeforeNavigate(const std::string& url, bool& cancel)
{
    if (url.find("start_monitor") != std::string::npos) {
        cancel = true;
        StartMonitor();
        return;
    }
    if (url.find("stop_monitor") != std::string::npos) {
        cancel = true;
        Host().Settings().searchKeys.PCL_DeleteAllObjects();
        ShowList();
        return;
    }
    PlayHtmlViewBase::OnBeforeNavigate(url, cancel);
}

// The page's element is read back (asynchronously); its text replaces the
// keyword list, and the page then shows the list as the program keeps it.
void CWndMonitorList::StartMonitor()
{
    std::weak_ptr<bool> alive = alive_;
    View().ExecScript(kReadSubscriptions, [this, alive](const std::string& xml) {
        const std::shared_ptr<bool> live = alive.lock();
        if (!live || !*live)
            return;
        ReplaceKeywordList(Host().Settings().searchKeys, xml);
        ShowList();
    });
}

void CWndMonitorList::OnDocumentComplete(const std::string& /*url*/)
{
    loaded_ = true;
    shownList_.clear();
    const PlaySearchViewManager* manager = manager_ ? manager_() : nullptr;
    RunScript(MonitorCategoriesCall(manager ? manager->Categories().Categories() : std::vector<SearchCategory>{}));
    ShowList();
    refresh_.start();
}

void CWndMonitorList::ShowList()
{
    if (!loaded_)
        return;
    const auto& keys = Host().Settings().searchKeys;
    const std::vector<const InfoSearchKey*> list(keys.begin(), keys.end());
    std::string call = MonitorListCall(list);
    if (call == shownList_)
        return;
    if (RunScript(call))
        shownList_ = std::move(call);
}
