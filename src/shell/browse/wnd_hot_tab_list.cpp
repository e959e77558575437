#include "shell/browse/wnd_hot_tab_list.h"

#include "common/event_window.h"
#include "shell/browse/play_view_browser_manager.h"
#include "ui/toolkit/skin_values.h"

// The view's ear for the network-ready broadcast.
class CWndHotTabList::NetworkEar : public CEventWindowBaseT<CWnd> {
public:
    explicit NetworkEar(CWndHotTabList& view) : view_(view) { Create(); }

protected:
    void OnEventNetworkReady() override { view_.OnNetworkReady(); }

private:
    CWndHotTabList& view_;
};

CWndHotTabList::CWndHotTabList(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId)
    : PlayViewBrowser(parent, host, tabs, viewId), ear_(std::make_unique<NetworkEar>(*this))
{
}

CWndHotTabList::~CWndHotTabList() = default;

void CWndHotTabList::ReadSkin(const pugi::xml_node& element)
{
    defaultUrl_ = ui::ReadSkinText(element, "defurl");
    // The default tabs' rule: a skin read after the broadcast loads at once.
    if (PlayViewBrowserManager::NetworkReadySeen())
        OnNetworkReady();
}

void CWndHotTabList::OnNetworkReady()
{
    if (defaultUrl_.empty())
        return;
    const std::string page = ProgramPageUrl(defaultUrl_);
    SetHomeUrl(page);
    Navigate(page);
}
