#pragma once
// The default browsing tabs of the skin element "browserview_mgr":
// "defnum" tabs without close box, tab i showing "def_url" until the
// network is known to be reachable and then its own page "url<i>" (an
// empty or missing one is skipped). At the first network-ready it also
// keeps the special pages' site list ("cs_special_view_url") fresh.
// NetworkReadySeen tells a manager whose skin is read later to load at
// once.
#include "common/event_window.h"
#include "search/setting_downloader.h"
#include "shell/browse/view_tabs.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CAppSetting;
class PlayHtmlViewBase;

class PlayViewBrowserManager : public CEventWindowBaseT<CWnd> {
public:
    using SpecialListDownloader = CSettingDownLoader<CEventWindowBaseT<CWnd>>;

    PlayViewBrowserManager(IViewTabs& tabs, const CAppSetting& settings);
    ~PlayViewBrowserManager() override;

    // Opens the default tabs the element names.
    void ReadSkin(const pugi::xml_node& element);

    // Set once any manager has handled the network-ready broadcast.
    static bool NetworkReadySeen();
    static void ResetNetworkReadySeenForTesting();

    const SpecialListDownloader* SpecialLists() const { return specialLists_.get(); }

protected:
    void OnEventNetworkReady() override;

private:
    struct Pending {
        int viewId;
        PlayHtmlViewBase* view;
        std::string url;
    };
    IViewTabs& tabs_;
    const CAppSetting& settings_;
    std::vector<Pending> pending_;
    std::unique_ptr<SpecialListDownloader> specialLists_;
};
