#include "shell/browse/play_html_view_base.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/string_table.h"
#include "search/scheme_url.h"
#include "ui/widgets/resource_image.h"
#include "ui/widgets/ui_text.h"

#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

namespace {

// The background of the program's own pages (skin/main/pages/quelt.css,
// skin/browse/wait.html): a view shows it until its first page has loaded,
// so the window never shows white empty browsers while it waits for the
// network or for a page.
constexpr std::uint32_t kPageBackground = 0x15161A;

// The string table's "%s" texts with the title in place of the first "%s"
// (the title is never taken for a format).
std::string WithTitle(int textId, const std::string& title)
{
    std::string text = LoadString(textId);
    const std::size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, title);
    return text;
}

bool HoldsProgramScheme(const std::string& url)
{
    const auto& prefixes = scheme::ProgramSchemePrefixes();
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& prefix) {
        return url.find(prefix) != std::string::npos;
    });
}

struct MenuEntry {
    int command;
    const char* text;
    int image;  // 0: none
    int prefixId;
};
constexpr MenuEntry kLinkMenu[] = {
    {command::kResultAddToList, "加入播放列表", 0, IDS_SCHEME_ADD},
    {command::kListPlay, "立即播放", 6003, IDS_SCHEME_PLAY},
    {command::kListPreview, "预览", 6006, IDS_SCHEME_INSERT},
};

}  // namespace

PlayHtmlViewBase::PlayHtmlViewBase(QWidget* parent, IBrowseHost& host) : host_(host), view_(parent, true)
{
    view_.Widget()->hide();
    platform::HtmlView::Events events;
    events.beforeNavigate = [this](const std::string& url, bool, bool& cancel) { OnBeforeNavigate(url, cancel); };
    events.titleChanged = [this](const std::string& title) { OnTitleChange(title); };
    events.newWindow = [this]() -> platform::HtmlView* {
        PlayHtmlViewBase* target = OnNewWindow();
        return target ? &target->View() : nullptr;
    };
    events.documentComplete = [this](const std::string& url) { OnDocumentComplete(url); };
    events.navigationError = [this](const std::string& url, int code) { OnNavigationError(url, code); };
    events.contextMenu = [this](const std::string& href, int x, int y) { ShowLinkMenu(href, x, y); };
    view_.SetEvents(std::move(events));
    platform::HtmlView::Options options;
    options.localPagesUseNetwork = true;  // the program's pages show the sites' thumbnails
    view_.SetOptions(options);
    view_.SetWaitingBackground(kPageBackground);
}

PlayHtmlViewBase::~PlayHtmlViewBase() = default;

void PlayHtmlViewBase::Navigate(const std::string& url)
{
    if (!HoldsProgramScheme(url)) {
        view_.Navigate(url);
        return;
    }
    bool cancel = true;
    OnBeforeNavigate(url, cancel);
}

bool PlayHtmlViewBase::RunScript(const std::string& script)
{
    if (view_.Url().empty())
        return false;
    std::string code = script;
    code.erase(std::remove_if(code.begin(), code.end(), [](char c) { return c == '\r' || c == '\n'; }), code.end());
    view_.ExecScript(code);
    return true;
}

void PlayHtmlViewBase::OnBeforeNavigate(const std::string& url, bool& cancel)
{
    const scheme::NavigateDecision decision = scheme::DecideBaseNavigate(url, homeUrl_);
    if (decision.addVideo) {
        host_.AddVideo(decision.title, decision.key, decision.mode);
        if (decision.balloonTextId != 0)
            host_.ShowTrayBalloon(LoadString(IDS_PRODUCT_NAME), WithTitle(decision.balloonTextId, decision.title));
    }
    if (decision.setCancel)
        cancel = true;
}

QMenu* PlayHtmlViewBase::ShowLinkMenu(const std::string& href, int x, int y)
{
    const std::string add = LoadString(IDS_SCHEME_ADD);
    const std::size_t at = href.find(add);
    if (at == std::string::npos || !Widget())
        return nullptr;
    const std::string rest = href.substr(at + add.size());
    delete menu_.data();
    menu_ = new QMenu(Widget());
    menu_->setObjectName(QStringLiteral("menu-%1").arg(menu::kSearchResult));
    for (const MenuEntry& entry : kLinkMenu) {
        QAction* action = menu_->addAction(ui::Tr(entry.text));
        action->setData(entry.command);
        if (entry.image != 0) {
            const QImage image = ui::FCResourceImage(entry.image);
            if (!image.isNull())
                action->setIcon(QIcon(QPixmap::fromImage(image)));
        }
        const std::string target = LoadString(entry.prefixId) + rest;
        // Later, not inside the menu's own event: a play may reach the
        // whole window.
        QObject::connect(action, &QAction::triggered, Widget(), [this, target] { Navigate(target); },
                         Qt::QueuedConnection);
    }
    menu_->popup(Widget()->mapToGlobal(QPoint(x, y)));
    return menu_.data();
}
