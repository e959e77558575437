#include "shell/browse/browse_tabs.h"

#include "common/ids/control_ids.h"
#include "ui/tab_band/wnd_tab_band.h"
#include "ui/widgets/ctrl_id.h"
#include "ui/widgets/panel_window.h"

#include <QWidget>

CBrowseTabs::CBrowseTabs(ui::FCPanelWindow& window, IBrowseHost& host) : window_(window), host_(host)
{
    RegisterViewFactory(ViewKind::Browser, [](QWidget* parent, IBrowseHost& viewHost, IViewTabs& tabs, int viewId) {
        return std::make_unique<PlayViewBrowser>(parent, viewHost, tabs, viewId);
    });
}

CBrowseTabs::~CBrowseTabs()
{
    for (const auto& [id, view] : views_)
        if (view->Widget())
            window_.UnhostWindow(view->Widget());
}

void CBrowseTabs::RegisterViewFactory(ViewKind kind, ViewFactory factory)
{
    factories_[kind] = std::move(factory);
}

ui::CWndTabBand* CBrowseTabs::Band() const
{
    return dynamic_cast<ui::CWndTabBand*>(window_.GetCtrl(control::kTabBand));
}

int CBrowseTabs::FreeViewId() const
{
    for (int id = control::kFirstBrowseView; id <= control::kLastBrowseView; ++id)
        if (!ui::FindCtrlWindow(&window_, id))
            return id;
    return 0;
}

PlayHtmlViewBase* CBrowseTabs::OpenViewTab(ViewKind kind, bool closable)
{
    ui::FCPanelItemBase* panel = window_.GetTopItem().FindByCommandId(control::kBrowsePanel);
    const auto factory = factories_.find(kind);
    const int id = FreeViewId();
    if (!panel || id == 0 || factory == factories_.end() || !factory->second)
        return nullptr;
    std::unique_ptr<PlayViewBrowser> view = factory->second(&window_, host_, *this, id);
    if (!view || !view->Widget())
        return nullptr;
    // The view fills the panel below the band.
    ui::FCRect rect{0, 0, panel->GetRect().width, panel->GetRect().height};
    if (ui::CWndTabBand* band = Band()) {
        const int below = band->geometry().bottom() + 1 - panel->GetAbsoluteRect().y;
        if (below > 0 && below < rect.height) {
            rect.y = below;
            rect.height -= below;
        }
    }
    view->Widget()->hide();
    if (!window_.HostWindow(control::kBrowsePanel, view->Widget(), id, rect))
        return nullptr;
    PlayViewBrowser* result = view.get();
    views_[id] = std::move(view);
    if (ui::CWndTabBand* band = Band())
        band->AddButton(id, closable);
    return result;
}

void CBrowseTabs::SetTabText(int viewId, const std::string& text)
{
    if (ui::CWndTabBand* band = Band())
        band->SetButtonText(viewId, text);
}

bool CBrowseTabs::CloseTab(int viewId)
{
    // The band's button goes also when no view of ours stands behind it.
    ui::CWndTabBand* band = Band();
    const bool hadButton = band && band->FindButton(viewId);
    if (hadButton)
        band->RemoveButton(viewId);
    const auto found = views_.find(viewId);
    if (found == views_.end())
        return hadButton;
    if (QWidget* widget = found->second->Widget()) {
        widget->hide();
        window_.UnhostWindow(widget);
    }
    views_.erase(found);
    return true;
}

PlayViewBrowser* CBrowseTabs::FindView(int viewId) const
{
    const auto found = views_.find(viewId);
    return found == views_.end() ? nullptr : found->second.get();
}
