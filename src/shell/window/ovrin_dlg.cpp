#include "shell/window/ovrin_dlg.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/app_folder.h"
#include "common/event_window.h"
#include "common/local_file.h"
#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "shell/player/flash_call.h"
#include "shell/player/video_source.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "shell/settings/service_hosts.h"
#include "shell/lists/play_list_layout.h"
#include "shell/lists/wnd_play_list.h"
#include "shell/lists/wnd_record_lists.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/save/dlg_save_video.h"
#include "shell/save/save_plan.h"
#include "shell/window/main_messages.h"
#include "shell/window/screen_place.h"
#include "ui/tab_band/wnd_tab_band.h"
#include "ui/widgets/button.h"
#include "ui/widgets/player_controls.h"
#include "ui/widgets/player_ctrl_factory.h"
#include "ui/widgets/skin_paint.h"
#include "ui/widgets/ui_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QMessageBox>
#include <QStandardPaths>
#include <QScreen>
#include <QToolTip>

#include <cstdio>
#include <filesystem>


// The main window's ear for the broadcasts: the playing video's download
// progress goes to the status line, and a new colour scheme repaints every
// window of the program.
class CMainEventWindow : public CEventWindowBaseT<CWnd> {
public:
    // show: the playing video's progress for the status line.
    CMainEventWindow(const CAppSetting& settings, std::function<void(const InfoVideo&)> show)
        : settings_(settings), show_(std::move(show))
    {
        Create();
    }

protected:
    void OnEventSkinRecoloured() override
    {
        ui::FCClearSkinImageCache();
        ui::FCApplySkinLook();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            window->update();
            for (QWidget* child : window->findChildren<QWidget*>())
                child->update();
        }
    }

    void OnEventFlvDownloadProgress(InfoVideo* video) override
    {
        if (!video || !settings_.nowPlaying || settings_.nowPlaying->key != video->a2)
            return;
        show_(*video);
    }

private:
    const CAppSetting& settings_;
    std::function<void(const InfoVideo&)> show_;
};

COvrinDlg::COvrinDlg(CAppSetting& settings, const platform::DesktopIntegration& desktop, MainWindowParts parts)
    : settings_(settings), desktop_(desktop), parts_(parts), transcoder_(parts.playServer),
      previewTranscoder_(parts.playServer)
{
    parts_.router.AddOwnStream(&transcoder_);
    parts_.router.AddOwnStream(&previewTranscoder_);
    parts_.playServer.SetPageFolder(CWndFlashPlay::PageFolder());
    RegisterCommands();
    browseTabs_ = std::make_unique<CBrowseTabs>(*this, *this);
    RegisterSearchViews();
    RegisterPlayerWindow();
    // The same line as the video's play-list row, segments and all.
    mainEvents_ = std::make_unique<CMainEventWindow>(settings, [this](const InfoVideo& video) {
        ShowStatus(BufferedLine(video, HlsCache(video)));
    });
}

COvrinDlg::~COvrinDlg()
{
    RunExitSequence();
    browserManager_.reset();
    hotTabList_.reset();
    relationView_.reset();
    monitorView_.reset();
    browseTabs_.reset();
    parts_.router.RemoveOwnStream(&transcoder_);
    parts_.router.RemoveOwnStream(&previewTranscoder_);
    ui::CPlayerCtrlFactory::Instance().Register("flash_player", nullptr);
    for (const char* name : {"play_list", "history_list", "favorite_list", "search_view_mgr", "browserview_mgr",
                             "hot_tab_list", "relation_view", "monitor_list", "search_input", "search_btn"})
        ui::CPlayerCtrlFactory::Instance().Register(name, nullptr);
    player_.reset();
}

// The skin creates the main player where it names "flash_player", the
// side panels' lists where it names "play_list", "history_list" and
// "favorite_list", and the search tabs' manager at "search_view_mgr".
void COvrinDlg::RegisterPlayerWindow()
{
    auto& factory = ui::CPlayerCtrlFactory::Instance();
    // The default browsing tabs: the manager opens them while the skin is
    // read (the band is read before it) and has no window in the skin.
    factory.Register("browserview_mgr", [this](const pugi::xml_node& element, const QRect&, QWidget*) -> QWidget* {
        browserManager_ = std::make_unique<PlayViewBrowserManager>(*browseTabs_, settings_);
        browserManager_->ReadSkin(element);
        return nullptr;
    });
    // The hot searches: a view of the skin behind the browsing tabs.
    factory.Register("hot_tab_list", [this](const pugi::xml_node& element, const QRect& rect, QWidget* parent) {
        hotTabList_ = std::make_unique<CWndHotTabList>(parent, *this, *browseTabs_, control::kHotTabList);
        hotTabList_->Widget()->setGeometry(rect);
        hotTabList_->Widget()->show();
        hotTabList_->ReadSkin(element);
        return hotTabList_->Widget();
    });
    factory.Register("history_list", [this](const pugi::xml_node&, const QRect& rect, QWidget* parent) -> QWidget* {
        auto* list = new CWndHistoryList(settings_, *this, parent);
        list->setGeometry(rect);
        return list;
    });
    factory.Register("favorite_list", [this](const pugi::xml_node&, const QRect& rect, QWidget* parent) -> QWidget* {
        auto* list = new CWndFavoriteList(settings_, *this, parent);
        list->setGeometry(rect);
        return list;
    });
    factory.Register(
        "play_list", [this](const pugi::xml_node&, const QRect& rect, QWidget* parent) -> QWidget* {
            auto* list = new CWndPlayList(settings_, *this, parent);
            list->setGeometry(rect);
            list->show();
            return list;
        });
    factory.Register("search_view_mgr", [this](const pugi::xml_node&, const QRect&, QWidget* parent) -> QWidget* {
        return new PlaySearchViewManager(settings_, parts_.speedInfo, parent);
    });
    factory.Register(
        "flash_player", [this](const pugi::xml_node&, const QRect& rect, QWidget* parent) -> QWidget* {
            player_ = std::make_unique<CWndFlashPlay>(parent, CWndFlashPlay::kMainPlayerId, &parts_.playServer,
                                                      settings_.soundOn ? settings_.volume : 0);
            player_->Widget()->setGeometry(rect);
            player_->Widget()->show();
            return player_->Widget();
        });
}

bool COvrinDlg::Start(const std::string& pendingKey, std::string& error)
{
    const std::string skin = GetAppFolder() + "skin/main/skin.xml";
    if (!LoadSkin(skin)) {
        error = "the main skin cannot be read: " + skin;
        return false;
    }
    if (!player_ || !player_->IsLoaded()) {
        error = "the player page is missing: " + CWndFlashPlay::PagePath();
        return false;
    }
    ConnectControls();
    control_ = std::make_unique<CPlayControl>(settings_, parts_.downloads, parts_.playServer, *this, parts_.detection);
    control_->SetSiteNames(parts_.siteNames);
    PlayerControls controls;
    controls.timeLabel = Ctrl<QLabel>(control::kTimeLabel);
    controls.statusLabel = Ctrl<QLabel>(control::kStatusLabel);
    controls.seek = Ctrl<ui::CWndSliderPlay>(control::kSeekSlider);
    controls.volume = Ctrl<ui::CWndSliderVolume>(control::kVolumeSlider);
    controls.playButton = Ctrl<ui::FCButtonBase>(command::kPlayPause);
    bridge_ = std::make_unique<CPlayerBridge>(settings_, *control_, controls);
    bridge_->onCapture = [this] { CaptureScreen(); };
    bridge_->onFullScreen = [this] { ToggleFullScreen(); };
    bridge_->onStartPush = [this] { SelectMainTab(command::kBrowseTab); };
    bridge_->onPlayStart = [this] {
        if (!relationView_ || !settings_.nowPlaying)
            return;
        if (const InfoVideo* video = FindVideo(settings_, settings_.nowPlaying->key))
            relationView_->SearchRelated(video->a1);
    };
    // QUELT_TRACE_PLAYER=1 shows the page's events on the terminal.
    const bool trace = qEnvironmentVariableIsSet("QUELT_TRACE_PLAYER");
    player_->SetEventHandler([this, trace](const std::string& command, const std::string& args) {
        if (trace)
            std::fprintf(stderr, "player: %s %s\n", command.c_str(), args.c_str());
        bridge_->OnFsCommand(command, args);
        if (observer_)
            observer_(command, args);
    });
    // Conversions of an earlier run that was killed left their files.
    CFlvTranscoder::SweepLeftovers(GetCacheFolder());
    player_->Page().SetTranscodeHandler([this](const std::string& url) { return transcoder_.Start(url); });
    CreateFullScreenKeys();
    // The tray icon takes its tip from the title, so the title comes first.
    setWindowTitle(ui::Text(IDS_PRODUCT_NAME));
    menus_ = std::make_unique<CTrayAndMenus>(this, [this](int id) { OnCommand(id); }, [this] { ShowAndActivate(); });
    // Menu 153 on the player; files dropped on it go to the window.
    QWidget* view = player_->Widget();
    view->setAcceptDrops(false);
    setAcceptDrops(true);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        menus_->ShowPlayerMenu(view->mapToGlobal(at));
    });
    if (controls.volume)
        controls.volume->SetPosition(settings_.volume);
    ShowMuteState();  // muted when the program last ended so
    bridge_->ResetControls();

    // The stored rectangle, kept on the screen.
    const QRect stored(settings_.posLeft, settings_.posTop, settings_.posRight - settings_.posLeft,
                       settings_.posBottom - settings_.posTop);
    if (stored.width() >= minimumWidth() && stored.height() >= minimumHeight()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        setGeometry(screen ? KeepOnScreen(stored, screen->availableGeometry()) : stored);
    }
    show();
    SelectSidePanel(command::kPlayListPanel);
    // The player tab either way: the browsing tabs come with their pages.
    SelectMainTab(command::kPlayerTab);
    if (!pendingKey.empty())
        control_->PlayItem(pendingKey);
    return true;
}

void COvrinDlg::ConnectControls()
{
    if (auto* seek = Ctrl<ui::CWndSliderPlay>(control::kSeekSlider))
        seek->SetReleaseHandler([this](int percent) { OnSeekReleased(percent); });
    if (auto* volume = Ctrl<ui::CWndSliderVolume>(control::kVolumeSlider))
        volume->SetReleaseHandler([this](int percent) { OnVolumeReleased(percent); });
}

void COvrinDlg::StopDetection()
{
    parts_.detection.StopDetection();
}

void COvrinDlg::ShowAndActivate()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

// IPlayerSurface -----------------------------------------------------------

void COvrinDlg::CallPlayer(const std::string& name, const std::string& argument)
{
    if (player_)
        player_->CallFunction(name, argument);
}

void COvrinDlg::StopPlayer()
{
    transcoder_.Stop();
    if (player_)
        player_->StopVideo();
}

void COvrinDlg::PlayInPlayer(const std::string& url)
{
    transcoder_.Stop();
    if (!player_)
        return;
    player_->PlayVideo(url);
}

void COvrinDlg::ResetControls()
{
    if (bridge_)
        bridge_->ResetControls();
}

void COvrinDlg::SetTitle(const std::string& title)
{
    setWindowTitle(QString::fromStdString(title));
    ShowMiniTitle();
    // Another video plays: the lists move their playing mark.
    for (const int list : {control::kPlayList, control::kFavorites, control::kHistory})
        if (QWidget* view = GetCtrl(list))
            view->update();
}

void COvrinDlg::ShowStatus(const std::string& text)
{
    if (auto* label = Ctrl<QLabel>(control::kStatusLabel))
        label->setText(QString::fromStdString(text));
}

void COvrinDlg::ShowTip(const std::string& text)
{
    QToolTip::showText(QCursor::pos(), QString::fromStdString(text), this);
}

// The preview opens where it was last, or 100 px right and down from the
// main window.
bool COvrinDlg::OpenPreview()
{
    if (preview_)
        return true;
    auto preview = std::make_unique<CPreviewWindow>(GetSafeHwnd(), parts_.playServer);
    if (!preview->Create())
        return false;
    // An old FLV is converted for the preview as for the main player.
    preview->Player()->Page().SetTranscodeHandler(
        [this](const std::string& url) { return previewTranscoder_.Start(url); });
    preview->resize(325, 265);
    preview->move(previewPlace_.isNull() ? geometry().topLeft() + QPoint(100, 100) : previewPlace_);
    preview->show();
    preview_ = std::move(preview);
    return true;
}

void COvrinDlg::PlayInPreview(const std::string& url)
{
    previewTranscoder_.Stop();
    if (preview_ && preview_->Player())
        preview_->Player()->PlayVideo(url);
}

void COvrinDlg::ClosePreview()
{
    if (!preview_)
        return;
    previewPlace_ = preview_->pos();
    preview_.reset();
    previewTranscoder_.Stop();
}

// Sliders -------------------------------------------------------------------

void COvrinDlg::OnSeekReleased(int percent)
{
    auto* seek = Ctrl<ui::CWndSliderPlay>(control::kSeekSlider);
    const PlayingInfo* playing = settings_.nowPlaying.get();
    if (!seek || !playing)
        return;
    // An HLS or DASH stream has no size in bytes; it seeks by time anywhere,
    // as the segment the page asks for is fetched before the others.
    const bool segmented =
        DecideVideoSource(playing->key, FindVideo(settings_, playing->key)).kind == VideoSource::Manifest;
    if ((playing->totalBytes == 0 && !segmented) || playing->totalTime == 0) {
        seek->SetPosition(0);
        QToolTip::showText(seek->mapToGlobal(seek->rect().center()), ui::Text(IDS_SEEK_UNKNOWN),
                           seek);
        return;
    }
    // A video that is not a local file can only seek within what is cached.
    if (!IsLocalPathKey(playing->key) && !segmented && percent > seek->GetLoaded()) {
        percent = seek->GetLoaded();
        seek->SetPosition(percent);
    }
    CallPlayer("SetVideoProcess", FormatPercent(percent));
}

void COvrinDlg::OnVolumeReleased(int percent)
{
    settings_.volume = percent;
    CallPlayer("SetVideoVolume", FormatPercent(settings_.soundOn ? percent : 0));
}

// Exit ----------------------------------------------------------------------

void COvrinDlg::closeEvent(QCloseEvent* event)
{
    RunExitSequence();
    event->accept();
}

// Preview-only videos go, the window's place is kept, and the exit options
// are applied; the settings are saved by the caller once the loop ends.
void COvrinDlg::RunExitSequence()
{
    if (exitDone_)
        return;
    exitDone_ = true;
    ClosePreview();
    StopPlayer();
    StopDetection();
    RemovePreviewOnlyVideos(settings_);
    if (!isMinimized() && !isMaximized() && isVisible()) {
        const QRect frame = geometry();
        settings_.posLeft = frame.left();
        settings_.posTop = frame.top();
        settings_.posRight = frame.right() + 1;
        settings_.posBottom = frame.bottom() + 1;
    }
    parts_.downloads.StopAllTasks();
    if (settings_.exitClearHistory)
        ClearHistory(settings_);
    if (settings_.exitDeletePlaylist)
        ::ClearPlayList(settings_);
}

void COvrinDlg::RunSaveDialog(const std::vector<SaveItem>& items)
{
    DlgSaveVideo dialog(settings_, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString(),
                        this);
    for (const SaveItem& item : items)
        dialog.AddItem(item);
    dialog.exec();
}

bool COvrinDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PREVIEW_CLOSE) {
        control_->EndPreview();
        return true;
    }
    if (msg == WM_PREVIEW_TO_MAIN) {
        control_->PlayPreviewInMain();
        return true;
    }
    if (msg == WM_TAB_CLOSE) {
        // (band, view id): the browsing tab's page goes with its button.
        if (static_cast<int>(wParam) == control::kTabBand)
            browseTabs_->CloseTab(static_cast<int>(lParam));
        return true;
    }
    if (msg == WM_SAVE_VIDEO_KEY) {
        const std::unique_ptr<std::vector<std::string>> keys(reinterpret_cast<std::vector<std::string>*>(wParam));
        std::vector<SaveItem> items;
        std::string refusal;
        for (const std::string& key : keys ? *keys : std::vector<std::string>{}) {
            // Only what is there whole: a local file, a complete cache, or
            // a segmented video with every segment cached.
            const InfoVideo* video = FindVideo(settings_, key);
            SaveDecision decision = DecideSave(DecideVideoSource(key, video), video);
            if (decision.item)
                items.push_back(std::move(*decision.item));
            else if (decision.missingSegments > 0 && refusal.empty())
                refusal = FormatMissingSegments(decision);
        }
        if (!refusal.empty())
            ShowTip(refusal);
        else if (items.empty())
            ShowTip(LoadString(IDS_SAVE_AFTER_DOWNLOAD));
        if (!items.empty())
            RunSaveDialog(items);
        return true;
    }
    if (msg != WM_PLAY_VIDEO_KEY && msg != WM_REMOVE_VIDEO_KEY && msg != WM_PREVIEW_VIDEO_KEY)
        return false;
    const std::unique_ptr<std::string> key(reinterpret_cast<std::string*>(wParam));
    if (!key || !control_)
        return true;
    const InfoVideo* video = FindVideo(settings_, *key);
    const std::string title = video ? video->a1 : std::string();
    if (msg == WM_PLAY_VIDEO_KEY) {
        control_->AddVideo(title, *key, kAddPlayNow);
    } else if (msg == WM_PREVIEW_VIDEO_KEY) {
        control_->AddVideo(title, *key, kAddPreview);
    } else {
        control_->RemoveVideoByKey(*key);
        // The views rebuild without it.
        const std::string none;
        BroadcastEvent(WM_EVENT_VIDEO_UPDATED, reinterpret_cast<WPARAM>(&none));
    }
    return true;
}

LRESULT COvrinDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        OnCommand(static_cast<int>(wParam & 0xFFFF));
        return 0;
    }
    if (OnMessage(msg, wParam, lParam))
        return 0;
    return FCPanelWindow::WindowProc(msg, wParam, lParam);
}
