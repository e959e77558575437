#pragma once
// The plain browsing view of a tab, and the base of the search, special
// and related views: the program's schemes first (the base's, then the
// dispatcher's: search and special tabs, the page settings, a message
// box), ordinary pages load; a title becomes the tab's text unless it still
// shows an address; a new window opens in a new closable tab.
#include "shell/browse/play_html_view_base.h"
#include "shell/browse/view_tabs.h"

#include <string>

// What a search tab opens with.
struct SearchTabRequest {
    std::string page;          // the program's page of the tab (a file URL)
    std::string siteListUrl;   // "cs_search_url"
    std::string category;      // part A
    std::string keyword;       // decoded part B
    int requestFeed = 1;
};
// What a special tab opens with; the texts only with exactly five pieces.
struct SpecialTabRequest {
    std::string page;
    std::string siteListUrl;   // "cs_special_view_url"
    std::string title;         // part A
    bool filled = false;
    int pageNumber = 0;
    std::string t1, t2, t3, t4;  // t1 decoded, the others as written
};

class PlayViewBrowser : public PlayHtmlViewBase {
public:
    PlayViewBrowser(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId);

    int ViewId() const { return viewId_; }
    IViewTabs& Tabs() { return tabs_; }
    // The dispatcher of the program's schemes: true when it acted on the
    // address.
    bool DispatchSchemeUrl(const std::string& url);

    // Search and special tabs take what they open with (their own views
    // override these).
    virtual void OpenSearch(const SearchTabRequest& /*request*/) {}
    virtual void OpenSpecial(const SpecialTabRequest& /*request*/) {}

protected:
    void OnBeforeNavigate(const std::string& url, bool& cancel) override;
    void OnTitleChange(const std::string& title) override;
    PlayHtmlViewBase* OnNewWindow() override;

private:
    IViewTabs& tabs_;
    int viewId_;
};

// The address of a program page named by a setting: below the program
// folder, unless the setting is an address of its own.
std::string ProgramPageUrl(const std::string& setting);
