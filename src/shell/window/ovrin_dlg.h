#pragma once
// The main player window: the skin, the player page (600) and what it
// reports (the player bridge), play control, the commands of its buttons,
// menus and keys (ovrin_commands.cpp, main_commands.cpp), the window modes
// (ovrin_modes.cpp), tray and menus, the preview, and the exit sequence.
// The managers it works with are built by the program (MainWindowParts);
// the window builds none. User-interface thread only.
#include "shell/browse/browse_host.h"
#include "shell/browse/browse_tabs.h"
#include "shell/browse/play_view_browser_manager.h"
#include "shell/browse/wnd_hot_tab_list.h"
#include "shell/lists/list_host.h"
#include "shell/search_tabs/play_relation_view.h"
#include "shell/search_tabs/search_view_deps.h"
#include "shell/search_tabs/wnd_monitor_list.h"
#include "shell/player/play_control.h"
#include "shell/player/player_surface.h"
#include "shell/save/save_plan.h"
#include "shell/window/command_table.h"
#include "shell/window/flv_transcoder.h"
#include "shell/window/light_popup.h"
#include "shell/window/main_window_parts.h"
#include "shell/window/player_bridge.h"
#include "shell/window/preview_window.h"
#include "shell/window/tray_menus.h"
#include "shell/window/wnd_flash_play.h"
#include "ui/widgets/panel_window.h"

#include <memory>
#include <string>
#include <vector>

class CAppSetting;
class QShortcut;
class CMainEventWindow;
namespace platform {
class DesktopIntegration;
}

class COvrinDlg : public ui::FCPanelWindow, public IPlayerSurface, public IListHost, public IBrowseHost {
    Q_OBJECT
public:
    // desktop: the autostart and .flv association of this program; parts:
    // the program's managers, which outlive the window.
    COvrinDlg(CAppSetting& settings, const platform::DesktopIntegration& desktop, MainWindowParts parts);
    ~COvrinDlg() override;

    // Loads the skin and the player page and shows the window; then plays
    // the pending key, if any. False, with the reason, when the skin or the
    // page is missing.
    bool Start(const std::string& pendingKey, std::string& error);

    CPlayControl& Control() { return *control_; }
    CWndFlashPlay* Player() { return player_.get(); }
    CPlayerBridge& Bridge() { return *bridge_; }
    // Queues page addresses as the page-address dialog does; the last one plays when asked.
    void QueuePages(const std::vector<std::string>& lines, bool playLast);
    CFLVDownloadManager& Downloads() { return parts_.downloads; }
    // Brings the window to the front (a second start of the program).
    void ShowAndActivate();
    // Sees every event of the player page after the window handled it
    // (the program's terminal report; tests).
    void SetPlayerEventObserver(platform::PlayerPageView::CommandHandler observer) { observer_ = std::move(observer); }

    // IPlayerSurface, for play control.
    void CallPlayer(const std::string& name, const std::string& argument) override;
    void StopPlayer() override;
    void PlayInPlayer(const std::string& url) override;
    void ResetControls() override;
    void SetTitle(const std::string& title) override;
    void ShowStatus(const std::string& text) override;
    void ShowTip(const std::string& text) override;
    bool OpenPreview() override;
    void PlayInPreview(const std::string& url) override;
    void ClosePreview() override;
    CPreviewWindow* Preview() { return preview_.get(); }

    // IListHost, for the side-panel lists (ovrin_list_host.cpp). The key
    // requests are posted to this window, as other windows post them.
    void PlayKey(const std::string& key) override;
    void PreviewKey(const std::string& key) override;
    void SaveKeys(const std::vector<std::string>& keys) override;
    void RemoveKey(const std::string& key) override;
    void SearchText(const std::string& text) override;
    void PlayVideo(const std::string& title, const std::string& key) override;
    void PlayFile(const std::string& path) override;
    void SaveFile(const std::string& path, const std::string& title) override;
    bool Confirm(const std::string& question) override;
    int DownloadSpeed(const InfoVideo& video) override;
    int RunningDownloads() override;
    HlsStatus HlsCache(const InfoVideo& video) override;
    const CTrayAndMenus& Menus() const { return *menus_; }

    // The browsing tabs (the search views register their factories here).
    CBrowseTabs& BrowseTabs() { return *browseTabs_; }
    PlayViewBrowserManager* BrowserManager() { return browserManager_.get(); }
    // The hot searches behind the browsing tabs (control 214), null before
    // the skin names it.
    CWndHotTabList* HotTabList() { return hotTabList_.get(); }
    // The related videos beside the player (control 213), null before the
    // skin names it.
    PlayRelationView* RelationView() { return relationView_.get(); }
    // The subscriptions page (control 212), null before the skin names it.
    CWndMonitorList* MonitorView() { return monitorView_.get(); }
    // What the search and special tabs are built with (tests shorten the
    // search's ticks and the special tab's retry before opening a tab).
    SearchViewDeps& SearchDeps() { return searchDeps_; }
    // The hand-over of a second instance: "tipxev://" and its text through
    // the related view, which plays, previews or queues with a balloon.
    void ShowTipPage(const std::string& text);
    // IBrowseHost, for the HTML views (ovrin_browse_host.cpp).
    void AddVideo(const std::string& title, const std::string& key, const std::string& mode) override;
    void ShowTrayBalloon(const std::string& title, const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowBrowseTabs() override;
    CAppSetting& Settings() override { return settings_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void RegisterPlayerWindow();
    void ConnectControls();
    // main_commands.cpp: the table of commands, and its handlers that are
    // a few lines each.
    void RegisterCommands();
    void OnCommand(int id);
    void StartCapture();
    void ToggleWideScreen();
    void ShowMainMenuAtButton();
    void HideToTray();
    void ShowAboutBox();
    void SelectAllOfPlayList();
    void DeletePlayListSelection();
    void CloseAllBrowseTabs();
    // search_box.cpp: the box (230), its button (20032) and menu 20160.
    QWidget* CreateSearchBox(const pugi::xml_node& element, const QRect& rect, QWidget* parent);
    void StartSearch();
    void ShowSearchBoxMenu(const QPoint& at);
    void RegisterSearchViews();
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);  // messages of other windows
    void OnSeekReleased(int percent);
    void OnVolumeReleased(int percent);
    void ToggleMute();
    void ShowMuteState();
    void CaptureScreen();
    void SelectMainTab(int id);
    void SelectSidePanel(int id);
    void ShowLightPopup();
    void SaveVideo();
    // The save-video dialog for these (file, name) pairs, modal.
    void RunSaveDialog(const std::vector<SaveItem>& items);
    void ClearPlayList();
    void OpenFile();
    void OpenPageAddresses();
    // Plays a file the user opened or dropped, after the signature test.
    void PlayUserFile(const QString& path);
    // ovrin_modes.cpp
    void ToggleFullScreen();
    void CreateFullScreenKeys();
    void EnterMiniMode();
    void LeaveMiniMode();
    void PlacePlayer();
    void ShowMiniTitle();
    void ToggleOnTop();
    void ShowOnTopState();
    void RunExitSequence();
    // A child window of the skin by its control id, as the type it has.
    template <typename T>
    T* Ctrl(int id) const
    {
        return dynamic_cast<T*>(GetCtrl(id));
    }

    CAppSetting& settings_;
    const platform::DesktopIntegration& desktop_;
    MainWindowParts parts_;
    CCommandTable commands_;
    CFlvTranscoder transcoder_;
    // The preview's own conversion, beside the main player's.
    CFlvTranscoder previewTranscoder_;
    std::unique_ptr<CWndFlashPlay> player_;
    std::unique_ptr<CPlayControl> control_;
    std::unique_ptr<CPlayerBridge> bridge_;
    std::unique_ptr<CMainEventWindow> mainEvents_;
    std::unique_ptr<CTrayAndMenus> menus_;
    std::unique_ptr<CPreviewWindow> preview_;
    std::unique_ptr<CBrowseTabs> browseTabs_;
    std::unique_ptr<PlayViewBrowserManager> browserManager_;
    std::unique_ptr<CWndHotTabList> hotTabList_;
    SearchViewDeps searchDeps_;
    std::unique_ptr<PlayRelationView> relationView_;
    std::unique_ptr<CWndMonitorList> monitorView_;
    void StopDetection();
    CWndSliderLight* light_ = nullptr;
    QPoint previewPlace_;
    platform::PlayerPageView::CommandHandler observer_;
    bool exitDone_ = false;
    // The capture paused a playing video (to play on after the dialog).
    bool resumeAfterCapture_ = false;
    // The mute button's own image (the sounding speaker).
    std::string soundIcon_;
    // Where the player sits in the window while it fills the screen.
    QRect playerPlace_;
    // The player's keys while it fills the screen (its children).
    std::vector<QShortcut*> fullScreenKeys_;
    // The main skin and the window's place while mini mode shows.
    std::unique_ptr<SkinState> mainSkin_;
    QRect mainPlace_;
    // The main tab shown (its button's command).
    int mainTab_ = 0;
    bool IsMiniMode() const { return mainSkin_ != nullptr; }
};
