#pragma once
// The scheduled keyword search: a hidden window whose minute tick picks the
// due subscription of the keyword list, searches it over the listed sites
// narrowed to its category, and adds what it finds to the play list up to
// the keyword's limit, where background caching picks the videos up. A
// tick while a search runs is ignored entirely. The site list and the
// categories come from their caches at once and are checked for newer
// versions at every network-ready. User-interface thread only.
#include "common/composite.h"
#include "common/event_window.h"
#include "platform/window.h"
#include "records/info_search_key.h"
#include "search/keyword_search_host.h"
#include "search/multi_search.h"
#include "search/play_search_setting_info.h"

#include <functional>
#include <memory>
#include <string>

class PlaySearchKeyManager : public CEventWindowBaseT<CWnd>, public I_QueltMultiSearchEvent {
public:
    static constexpr unsigned kMinuteMs = 60000;

    struct Lists {
        std::string searchUrl;       // "cs_search_url": the sites searched
        std::string categoriesUrl;   // "cs_searcsettinginfo_url": from its cache
    };
    // keys: the subscriptions (the settings' "detect_searchkey" records),
    // which the monitor page replaces; search: this manager's own search;
    // lists: the lists' addresses as the settings hold them now.
    PlaySearchKeyManager(PCL_Interface_Composite<InfoSearchKey>& keys, IKeywordSearchHost& host,
                         std::unique_ptr<CQueltMultiSearch> search, std::function<Lists()> lists,
                         unsigned minuteMs = kMinuteMs);
    ~PlaySearchKeyManager() override;

    // One minute (what the timer runs): ignored while a search runs; else
    // the due subscription, if any, is searched (page 0).
    void OnMinute();

    bool Busy() const { return busy_; }
    const std::string& RunningKeyword() const { return runningKey_; }
    PlaySearchSettingInfo& Categories() { return categories_; }
    CQueltMultiSearch& Search() { return *search_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnEventNetworkReady() override;
    void OnSearchStart(std::vector<SearchRequest>& requests) override;
    void OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& xml) override;
    void OnSearchFinished() override;

private:
    PCL_Interface_Composite<InfoSearchKey>& keys_;
    IKeywordSearchHost& host_;
    std::unique_ptr<CQueltMultiSearch> search_;
    std::function<Lists()> lists_;
    PlaySearchSettingInfo categories_;
    bool busy_ = false;
    std::string runningKey_;
};
