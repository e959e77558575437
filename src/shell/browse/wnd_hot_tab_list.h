#pragma once
// The hot searches of the browsing area (skin element "hot_tab_list"): a
// view fixed in the main window's skin, not a tab. Its page ("defurl", a
// program page unless it holds "://") becomes its home page and loads at
// the network-ready broadcast, or at once when a skin is read after it;
// until then the view shows nothing. As a browsing view its scheme links
// open search tabs and its new windows open as new closable tabs.
#include "shell/browse/play_view_browser.h"

#include <pugixml.hpp>

#include <memory>
#include <string>

class CWndHotTabList : public PlayViewBrowser {
public:
    CWndHotTabList(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId);
    ~CWndHotTabList() override;

    void ReadSkin(const pugi::xml_node& element);
    const std::string& DefaultUrl() const { return defaultUrl_; }

private:
    class NetworkEar;
    void OnNetworkReady();

    std::string defaultUrl_;
    std::unique_ptr<NetworkEar> ear_;
};
