// The main window's search: the search box (230) with its button (20032)
// and category menu (20160), the search and special tabs' factories, the
// related videos (213), the subscriptions page (212), and the tip page a second instance hands over.
// Every search goes through the related view as a scheme address, so its
// dispatcher opens the tab as a page's link would.
#include "shell/window/ovrin_dlg.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/ids/string_ids.h"
#include "common/string_table.h"
#include "search/search_box.h"
#include "search/views/parse_html_view.h"
#include "shell/search_tabs/play_search_view.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/search_tabs/play_special_view.h"
#include "ui/widgets/button.h"
#include "ui/widgets/player_ctrl_factory.h"

#include <QLineEdit>
#include <QMenu>

void COvrinDlg::RegisterSearchViews()
{
    searchDeps_.manager = [this] { return Ctrl<PlaySearchViewManager>(control::kSearchViews); };
    searchDeps_.makeSearch = [this] {
        return std::make_unique<CQueltMultiSearch>(CQueltParseHtmlView::Factory([this] { return isFullScreen(); }));
    };
    browseTabs_->RegisterViewFactory(ViewKind::Search, [this](QWidget* parent, IBrowseHost& host, IViewTabs& tabs,
                                                              int id) -> std::unique_ptr<PlayViewBrowser> {
        return std::make_unique<PlaySearchView>(parent, host, tabs, id, searchDeps_);
    });
    browseTabs_->RegisterViewFactory(ViewKind::Special, [this](QWidget* parent, IBrowseHost& host, IViewTabs& tabs,
                                                               int id) -> std::unique_ptr<PlayViewBrowser> {
        return std::make_unique<PlaySpecialView>(parent, host, tabs, id, searchDeps_);
    });

    auto& factory = ui::CPlayerCtrlFactory::Instance();
    factory.Register("relation_view", [this](const pugi::xml_node& element, const QRect& rect, QWidget* parent) {
        relationView_ =
            std::make_unique<PlayRelationView>(parent, *this, *browseTabs_, control::kRelatedView, searchDeps_);
        relationView_->Widget()->setGeometry(rect);
        relationView_->Widget()->show();
        relationView_->ReadSkin(element);
        return relationView_->Widget();
    });
    // The subscriptions page, shown when its side panel is chosen.
    factory.Register("monitor_list", [this](const pugi::xml_node& element, const QRect& rect, QWidget* parent) {
        monitorView_ = std::make_unique<CWndMonitorList>(parent, *this, searchDeps_.manager);
        monitorView_->Widget()->setGeometry(rect);
        monitorView_->ReadSkin(element);
        return monitorView_->Widget();
    });
    factory.Register("search_input", [this](const pugi::xml_node& element, const QRect& rect, QWidget* parent) {
        return CreateSearchBox(element, rect, parent);
    });
    factory.Register("search_btn", [](const pugi::xml_node& element, const QRect& rect, QWidget* parent) -> QWidget* {
        auto* button = new ui::FCButtonBase(element, parent);
        button->setGeometry(rect);
        button->show();
        return button;
    });
}

QWidget* COvrinDlg::CreateSearchBox(const pugi::xml_node& element, const QRect& rect, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setGeometry(rect);
    box->setFrame(false);
    box->setPlaceholderText(QString::fromStdString(LoadString(IDS_SEARCH_BOX_HINT)));
    // The skin's colours are 0x00BBGGRR.
    const unsigned colour = element.attribute("text_color").as_uint(0xffffff);
    box->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; color: rgb(%1,%2,%3); }")
                           .arg(colour & 0xff)
                           .arg((colour >> 8) & 0xff)
                           .arg((colour >> 16) & 0xff));
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QLineEdit::returnPressed, this, [this] { OnCommand(command::kStartSearch); });
    connect(box, &QWidget::customContextMenuRequested, this,
            [this, box](const QPoint& at) { ShowSearchBoxMenu(box->mapToGlobal(at)); });
    box->show();
    return box;
}

void COvrinDlg::StartSearch()
{
    auto* box = Ctrl<QLineEdit>(control::kSearchBox);
    auto* manager = Ctrl<PlaySearchViewManager>(control::kSearchViews);
    if (!box || !manager || !relationView_)
        return;
    const PlaySearchSettingInfo& categories = manager->Categories();
    const std::optional<std::string> url = SearchBoxUrl(box->text().toStdString(), LoadString(IDS_SEARCH_BOX_HINT),
                                                        categories.Categories(), categories.SelectedName());
    if (!url)
        return;
    ShowBrowseTabs();
    relationView_->Navigate(*url);
}

// The categories, the selected one checked; choosing one selects it for
// the searches that follow.
void COvrinDlg::ShowSearchBoxMenu(const QPoint& at)
{
    auto* manager = Ctrl<PlaySearchViewManager>(control::kSearchViews);
    if (!manager)
        return;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menu-%1").arg(command::kSearchBoxMenu));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const SearchCategory* selected = manager->Categories().Selected();
    for (const SearchCategory& category : manager->Categories().Categories()) {
        QAction* action = menu->addAction(QString::fromStdString(category.name));
        action->setCheckable(true);
        action->setChecked(selected && selected->name == category.name);
        connect(action, &QAction::triggered, this, [this, name = category.name] {
            if (auto* found = Ctrl<PlaySearchViewManager>(control::kSearchViews))
                found->Categories().SetSelectedName(name);
        });
    }
    menu->popup(at);
}

void COvrinDlg::ShowTipPage(const std::string& text)
{
    if (relationView_)
        relationView_->Navigate(LoadString(IDS_SCHEME_TIP) + text);
}
