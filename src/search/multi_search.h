#pragma once
// One keyword over a list of video sites: each site's link script gives its
// result page address, the pages load one after another in a parse view
// (the last site of the list first), each within a number of ticks, and
// the subscribers hear of every parsed page, every site that ran out of
// time, and the end. The search never merges, sorts or keeps results.
// User-interface thread only.
#include "platform/controller_timer.h"
#include "platform/script/script_engine.h"
#include "search/multi_search_events.h"
#include "search/parse_view.h"
#include "search/setting_downloader.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CQueltMultiSearch {
public:
    // A link script runs on the user-interface thread: one that takes
    // longer than this (a real one takes well under a millisecond) is
    // stopped and fails, so that a broken list cannot freeze the window.
    static constexpr std::chrono::milliseconds kLinkScriptLimit{250};

    struct Timing {
        unsigned tickMs = 1000;
        int countdown = 40;  // ticks a site may take
    };
    using ViewFactory = std::function<std::unique_ptr<CQueltParseView>(CQueltMultiSearch& search)>;
    explicit CQueltMultiSearch(ViewFactory views);
    CQueltMultiSearch(ViewFactory views, Timing timing);
    ~CQueltMultiSearch();
    CQueltMultiSearch(const CQueltMultiSearch&) = delete;
    CQueltMultiSearch& operator=(const CQueltMultiSearch&) = delete;

    int Advise(I_QueltMultiSearchEvent* sink) { return sinks_.Advise(sink); }
    int Unadvise(I_QueltMultiSearchEvent* sink) { return sinks_.Unadvise(sink); }
    std::size_t SinkCount() const { return sinks_.Count(); }

    // Once: starts the tick and takes the site list from the URL's cache; a
    // newer list that the cache later receives through this search's own
    // downloader replaces it.
    void Initialize(const std::string& siteListUrl);
    bool IsInitialized() const { return initialized_; }
    // Starts over with this keyword and page (1 for the first page; the
    // keyword search passes 0). Ignored before Initialize.
    void Search(const std::string& keyword, int page);
    // Stops and drops the active view; no event.
    void StopAll();
    // For a special search: nothing running, no sites, no requests...
    void ClearSites();
    // ...then one site of its own.
    void SetSingleSite(const SearchSite& site);

    const std::vector<SearchSite>& Sites() const { return sites_; }
    std::size_t ActiveViewCount() const { return views_.size(); }
    std::size_t PendingRequestCount() const { return pending_.size(); }
    CSettingDownLoader<CWnd>& Downloader();

    // Called by a parse view with its page's results.
    void ReportResult(const std::vector<SearchResultItem>& items, const std::string& xml);
    // One tick, as the timer runs it (tests call it directly).
    void Tick();

private:
    class SiteListKeeper;
    bool StartNextRequest(CQueltParseView& view);
    std::string RequestUrlFor(const SearchSite& site, const std::string& keyword, int page);

    TOLAdviseEventImpl<I_QueltMultiSearchEvent> sinks_;
    FCController_Timer tick_;
    std::unique_ptr<SiteListKeeper> downloader_;
    platform::ScriptEngine script_;
    std::vector<SearchSite> sites_;
    std::vector<std::unique_ptr<CQueltParseView>> views_;
    std::vector<SearchRequest> pending_;
    std::string siteListUrl_;
    bool initialized_ = false;
    // Counts the starts and stops of searches, so that a tick notices when
    // a sink began another search while it was being told something.
    unsigned generation_ = 0;
    ViewFactory viewFactory_;
    Timing timing_;
};
