#pragma once
// The program's managers, built in one place and in one order, their hooks
// wired, and what the main window needs of them handed over. The window
// keeps only its own concerns (skin, player page, modes, menus, commands);
// a manager that needs the window reaches it through the window's public
// surface once ConnectWindow has run, and does nothing before.
//
// Order of construction (destruction is the reverse): the list-file
// downloads (the connectivity probe file, then the speed information of
// the sites), the usage counter, the play server and the download manager
// (the server first, since the manager serves through it and must go
// first), the detection manager, the update manager, and the keyword
// search (which adds what it finds through the window once connected). The traffic interception is started by main.cpp
// before the browser, since the browser is told its address at start.
#include "app/program_detection.h"
#include "app/site_names.h"
#include "app/terminal_report.h"
#include "delivery/flv_download_manager.h"
#include "delivery/play_request_manager.h"
#include "search/list_keeper.h"
#include "search/play_search_key_manager.h"
#include "search/play_speed_info_manager.h"
#include "shell/player/play_source_router.h"
#include "shell/settings/app_setting_downloads.h"
#include "shell/stats/usage_reports.h"
#include "shell/update/update_manager.h"
#include "shell/window/main_window_parts.h"

#include <memory>

class CAppSetting;
class COvrinDlg;

class CProgramParts {
public:
    explicit CProgramParts(CAppSetting& settings);
    ~CProgramParts();
    CProgramParts(const CProgramParts&) = delete;
    CProgramParts& operator=(const CProgramParts&) = delete;

    // What the main window is built with.
    MainWindowParts WindowParts();
    // The started window: detection plays through its play control, the
    // update check asks through it. Call once, after the window's Start.
    void ConnectWindow(COvrinDlg& window);
    // Starts the connectivity watch (network-ready runs the reports and the
    // list downloads) and the update check.
    void StartServices();
    // Ends the watch and every running detection (the window's exit).
    void Stop();

    CFLVDownloadManager& Downloads() { return downloads_; }
    PlaySpeedInfoManager& SpeedInfo() { return speedInfo_; }
    PlaySearchKeyManager& KeywordSearch() { return *keywordSearch_; }

private:
    class NetworkWatch;
    class ProgressWatch;
    class KeywordHost;
    void OnNetworkReady();
    // The player page's events the terminal follows: the picture starts,
    // or the page cannot play the video.
    void OnPlayerEvent(const std::string& command, const std::string& args);
    CUpdateManager::Hooks UpdateHooks();

    CAppSetting& settings_;
    COvrinDlg* window_ = nullptr;
    // The playing video's events, on standard output.
    CTerminalReport report_{stdout};
    // List files: "VirurUZ Update" (the connectivity probe file), and the
    // sites with their speeds, which also name a video's site (measured at
    // network-ready by the search tabs' manager, which the window is handed).
    CListKeeper connectProbe_;
    PlaySpeedInfoManager speedInfo_;
    CSpeedInfoSiteNames siteNames_{speedInfo_};
    // Usage counter.
    CStatQuerySource statQuery_;
    CDayRunCount dayRunCount_;
    CClientCountManager clientCount_;
    // Delivery.
    CPlayRequestManager playServer_;
    CAppSettingDownloads downloadSettings_;
    std::unique_ptr<CProgramDetection> detection_;
    CFLVDownloadManager downloads_;
    CPlaySourceRouter router_;
    CUpdateManager update_;
    // The scheduled keyword search over the settings' subscriptions.
    std::unique_ptr<KeywordHost> keywordHost_;
    std::unique_ptr<PlaySearchKeyManager> keywordSearch_;
    std::unique_ptr<NetworkWatch> networkWatch_;
    std::unique_ptr<ProgressWatch> progressWatch_;
};
