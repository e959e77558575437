#pragma once
// The one owner of the main window's browsing tabs: each tab is a view in
// panel 305 (its window item appended to the panel, so the skin lays it out
// with the panel) with a button on the tab band 233, under an id of
// 2100-2199. Opening puts the button after the selected one and selects it
// by the band's posted click; the band shows the view of the selected
// button. Closing (WM_TAB_CLOSE, "关闭全部页面(&C)") removes button, item
// and view. Views of the search and special kinds come from factories
// their owners register; the plain browsing view is built here.
#include "shell/browse/play_view_browser.h"
#include "shell/browse/view_tabs.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class QWidget;
namespace ui {
class FCPanelWindow;
class CWndTabBand;
}  // namespace ui

class CBrowseTabs : public IViewTabs {
public:
    using ViewFactory =
        std::function<std::unique_ptr<PlayViewBrowser>(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId)>;

    CBrowseTabs(ui::FCPanelWindow& window, IBrowseHost& host);
    ~CBrowseTabs() override;

    void RegisterViewFactory(ViewKind kind, ViewFactory factory);

    PlayHtmlViewBase* OpenViewTab(ViewKind kind, bool closable) override;
    void SetTabText(int viewId, const std::string& text) override;
    // The tab's button, window item and view go; false for no such tab.
    bool CloseTab(int viewId);

    PlayViewBrowser* FindView(int viewId) const;
    PlayHtmlViewBase* FindTab(int viewId) const override { return FindView(viewId); }
    std::size_t Count() const { return views_.size(); }
    IBrowseHost& Host() { return host_; }

private:
    ui::CWndTabBand* Band() const;
    int FreeViewId() const;

    ui::FCPanelWindow& window_;
    IBrowseHost& host_;
    std::map<ViewKind, ViewFactory> factories_;
    std::map<int, std::unique_ptr<PlayViewBrowser>> views_;
};
