#pragma once
// The base of every HTML view of the main window: a browser view with a
// home page, scripts run in its page, the program's schemes before a
// navigation (AddVideo for "playxev://", "inxev://" and "addxev://", the
// tray balloon after "tipxev://"; every other address but the home page
// cancelled) and menu 152 on "addxev://" links in place of the browser's
// own menu. New windows are refused unless a derived view opens them.
#include "platform/web/html_view.h"
#include "shell/browse/browse_host.h"

#include <QPointer>
#include <QMenu>

#include <memory>
#include <string>

class QWidget;

class PlayHtmlViewBase {
public:
    // A view in a child window of parent, hidden until shown.
    PlayHtmlViewBase(QWidget* parent, IBrowseHost& host);
    virtual ~PlayHtmlViewBase();
    PlayHtmlViewBase(const PlayHtmlViewBase&) = delete;
    PlayHtmlViewBase& operator=(const PlayHtmlViewBase&) = delete;

    QWidget* Widget() const { return view_.Widget(); }
    platform::HtmlView& View() { return view_; }
    IBrowseHost& Host() { return host_; }

    void SetHomeUrl(const std::string& url) { homeUrl_ = url; }
    const std::string& HomeUrl() const { return homeUrl_; }
    // Loads a page; an address with one of the program's schemes goes to
    // the before-navigate handling at once, as a link to it would.
    void Navigate(const std::string& url);
    // Runs the script in the page with every CR and LF removed; false when
    // no page has loaded. The caller escapes whatever text it puts in.
    bool RunScript(const std::string& script);

    // Menu 152 for a right click on the link (none unless the href holds
    // "addxev://"); its entries navigate to "addxev://", "playxev://" or
    // "inxev://" followed by the href's text after "addxev://".
    QMenu* ShowLinkMenu(const std::string& href, int x, int y);
    QMenu* LinkMenu() const { return menu_.data(); }

protected:
    virtual void OnBeforeNavigate(const std::string& url, bool& cancel);
    virtual void OnTitleChange(const std::string& /*title*/) {}
    // The view to open a new window in; null refuses it.
    virtual PlayHtmlViewBase* OnNewWindow() { return nullptr; }
    virtual void OnDocumentComplete(const std::string& /*url*/) {}
    virtual void OnNavigationError(const std::string& /*url*/, int /*code*/) {}

private:
    IBrowseHost& host_;
    platform::HtmlView view_;
    std::string homeUrl_;
    QPointer<QMenu> menu_;  // a child of the view's window
};
