#pragma once
// A special topic's tab: the program's special page, drawn by makePage
// once it has loaded, with the results of the topic's one site (the first
// site of the special list whose name occurs in the title). A site that
// runs out of time is asked again after a pause (timer 17173).
#include "search/multi_search_events.h"
#include "shell/browse/play_view_browser.h"
#include "shell/search_tabs/search_view_deps.h"

#include <QTimer>

#include <memory>
#include <string>

class PlaySpecialView : public PlayViewBrowser, public I_QueltMultiSearchEvent {
public:
    PlaySpecialView(QWidget* parent, IBrowseHost& host, IViewTabs& tabs, int viewId, SearchViewDeps deps);
    ~PlaySpecialView() override;

    // An empty tab unless the request carries the page's texts.
    void OpenSpecial(const SpecialTabRequest& request) override;

    bool RetryPending() const { return retry_.isActive(); }
    CQueltMultiSearch& Search() { return *search_; }

protected:
    void OnDocumentComplete(const std::string& url) override;
    void OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& xml) override;
    void OnSiteTimeout(const std::string& requestUrl) override;

private:
    void SearchTopic();

    SearchViewDeps deps_;
    std::unique_ptr<CQueltMultiSearch> search_;
    SpecialTabRequest request_;
    QTimer retry_;  // timer::kSpecialRetry, single shot; a second start restarts it
};
