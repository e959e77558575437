#include "shell/browse/play_view_browser_manager.h"

#include "shell/browse/play_view_browser.h"
#include "shell/settings/app_setting.h"
#include "ui/toolkit/skin_values.h"

namespace {
bool networkReadySeen = false;
}  // namespace

PlayViewBrowserManager::PlayViewBrowserManager(IViewTabs& tabs, const CAppSetting& settings)
    : tabs_(tabs), settings_(settings)
{
    Create();
}

PlayViewBrowserManager::~PlayViewBrowserManager() = default;

bool PlayViewBrowserManager::NetworkReadySeen()
{
    return networkReadySeen;
}

void PlayViewBrowserManager::ResetNetworkReadySeenForTesting()
{
    networkReadySeen = false;
}

void PlayViewBrowserManager::ReadSkin(const pugi::xml_node& element)
{
    const int count = ui::ReadSkinInt(element, "defnum", 0);
    const std::string waitPage = ui::ReadSkinText(element, "def_url");
    for (int i = 0; i < count; ++i) {
        const std::string name = "url" + std::to_string(i);
        const std::string url = ui::ReadSkinText(element, name.c_str());
        if (url.empty())
            continue;
        auto* view = dynamic_cast<PlayViewBrowser*>(tabs_.OpenViewTab(ViewKind::Browser, false));
        if (!view)
            continue;
        view->Navigate(ProgramPageUrl(waitPage));
        pending_.push_back({view->ViewId(), view, ProgramPageUrl(url)});
    }
    if (networkReadySeen)
        OnEventNetworkReady();
}

void PlayViewBrowserManager::OnEventNetworkReady()
{
    for (const Pending& tab : pending_)
        if (tabs_.FindTab(tab.viewId) == tab.view)  // still open
            tab.view->Navigate(tab.url);
    networkReadySeen = true;
    if (!specialLists_) {
        specialLists_ = std::make_unique<SpecialListDownloader>();
        specialLists_->Create();
        specialLists_->CheckForUpdate(settings_.specialViewUrl);
    }
}
