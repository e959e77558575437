#pragma once
// Speed information ("HttpTask Notify Wnd"): the kept list of sites the
// player can use, and a measurement of each: the time its test file takes
// to deliver its first 8 KiB. Search results and subscriptions keep only
// videos of listed sites, ranked by these rates; the main window names a
// video's site by it.
#include "delivery/http_task_manager.h"
#include "search/setting_downloader.h"
#include "search/speed_info.h"

#include <string>
#include <vector>

class PlaySpeedInfoManager : public CSettingDownLoader<FCHttpTaskManager<CWnd>> {
public:
    static constexpr int kTestBytes = 8192;

    PlaySpeedInfoManager();

    // Records from the cached list, one test download per site, then a
    // version probe of the list. Every call appends a fresh set.
    void Start(const std::string& listUrl);
    const SpeedInfoRecord* FindSpeedRecord(const std::string& url) const;
    const std::vector<SpeedInfoRecord>& Records() const { return records_; }

protected:
    void OnTaskFinish(HttpTask* task, bool success) override;
    // On a first run nothing was cached: the list a started manager just
    // took is measured, so searches and subscriptions find usable sites in
    // this run already.
    void OnListUpdated(const std::vector<SearchSite>& list) override;

private:
    void Measure(const std::vector<SearchSite>& list);

    std::vector<SpeedInfoRecord> records_;
    bool started_ = false;  // measuring waits for the first Start
};
