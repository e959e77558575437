#pragma once
// The search tabs' manager (control 215 of the main window, invisible): it
// keeps the search site list fresh for the tabs, holds the search
// categories, and starts the speed test of the sites at every
// network-ready. The tabs, the keyword search and the result merging reach
// the categories and the speed information through it.
#include "search/play_search_setting_info.h"
#include "search/play_speed_info_manager.h"

#include <QWidget>

#include <memory>
#include <vector>

class CAppSetting;

class PlaySearchViewManager : public QWidget {
public:
    // speedInfo: owned by the program (it also names a video's site); null
    // runs the manager without speed information. The categories come from
    // the cache at once (the skin is being loaded).
    PlaySearchViewManager(CAppSetting& settings, PlaySpeedInfoManager* speedInfo, QWidget* parent = nullptr);
    ~PlaySearchViewManager() override;

    PlaySearchSettingInfo& Categories() { return categories_; }
    const PlaySearchSettingInfo& Categories() const { return categories_; }
    // The sites' speed records; null without speed information.
    const std::vector<SpeedInfoRecord>* SpeedRecords() const;
    // The search site list as its downloader keeps it.
    const std::vector<SearchSite>& SiteList() const;

    // What the network-ready broadcast runs: the site list's and the
    // categories' version checks and the speed test.
    void OnNetworkReady();

private:
    class SiteListKeeper;
    CAppSetting& settings_;
    PlaySpeedInfoManager* speedInfo_;
    PlaySearchSettingInfo categories_;
    std::unique_ptr<SiteListKeeper> siteList_;
};
