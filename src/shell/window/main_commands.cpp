// The main window's commands: what each id of the skins' buttons, the menus
// and the keys does, one line each.
#include "shell/window/ovrin_dlg.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/string_table.h"
#include "shell/dialogs/dlg_color_scheme.h"
#include "shell/dialogs/dlg_setting.h"
#include "shell/settings/app_setting.h"
#include "shell/lists/wnd_play_list.h"
#include "shell/lists/wnd_record_lists.h"
#include "ui/tab_band/wnd_tab_band.h"
#include "ui/widgets/button.h"
#include "ui/widgets/ui_text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QUrl>

namespace {

void OpenUrl(const std::string& url)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace

void COvrinDlg::RegisterCommands()
{
    using namespace command;
    CCommandTable& c = commands_;
    c.Add(kPlayPause, [this] { CallPlayer("PauseVideo", "null"); });
    c.Add(kStop, [this] { control_->StopPlaying(); });
    c.Add(kMute, [this] { ToggleMute(); });
    c.Add(kCapture, [this] { StartCapture(); });
    c.Add(kSaveVideo, [this] { SaveVideo(); });
    c.Add(kBrightness, [this] { ShowLightPopup(); });
    c.Add(kFullScreen, [this] { ToggleFullScreen(); });
    c.Add(kWideScreen, [this] { ToggleWideScreen(); });
    c.Add(kMiniMode, [this] { EnterMiniMode(); });
    c.Add(kLeaveMiniMode, [this] { LeaveMiniMode(); });
    c.Add(kOnTop, [this] { ToggleOnTop(); });
    c.Add(kMiniOnTop, [this] { ToggleOnTop(); });
    c.Add(kSettings, [this] { DlgSetting(settings_, desktop_, parts_.downloads, this).exec(); });
    c.Add(kColourScheme, [this] { DlgColorScheme(settings_, this).exec(); });
    c.Add(kOpenFile, [this] { OpenFile(); });
    c.Add(kOpenPages, [this] { OpenPageAddresses(); });
    c.Add(kSelectAllPlayList, [this] { SelectAllOfPlayList(); });
    c.Add(kExit, [this] { close(); });
    c.Add(kMaximize, [this] { isMaximized() ? showNormal() : showMaximized(); });
    c.Add(kMainMenu, [this] { ShowMainMenuAtButton(); });
    c.Add(kToTray, [this] { HideToTray(); });
    c.Add(kHomePage, [this] { OpenUrl(settings_.homeUrl); });
    c.Add(kFeedbackPage, [this] { OpenUrl(settings_.feedbackUrl); });
    c.Add(kAboutLink, [this] { OpenUrl(settings_.aboutUrl); });
    c.Add(kAboutBox, [this] { ShowAboutBox(); });
    c.Add(kClearPlayList, [this] { ClearPlayList(); });
    c.Add(kDeletePlayListSelection, [this] { DeletePlayListSelection(); });
    c.Add(kCloseAllTabs, [this] { CloseAllBrowseTabs(); });
    c.Add(kStartSearch, [this] { StartSearch(); });
    c.AddRange(kPlayerTab, kLastMainTab, [this](int id) { SelectMainTab(id); });
    c.AddRange(kMonitorPanel, kHistoryPanel, [this](int id) { SelectSidePanel(id); });
    c.AddRange(kHistoryDelete, kHistoryClear, [this](int id) {
        if (auto* history = Ctrl<CWndHistoryList>(control::kHistory))
            history->RunCommand(id);
    });
    c.AddRange(kFavoriteDelete, kFavoriteClear, [this](int id) {
        if (auto* favorites = Ctrl<CWndFavoriteList>(control::kFavorites))
            favorites->RunCommand(id);
    });
}

void COvrinDlg::OnCommand(int id)
{
    commands_.Run(id);
}

void COvrinDlg::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Enter and Alt+Enter are shortcuts (CreateFullScreenKeys), so
    // that they work wherever the focus is.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier)
        OnCommand(command::kPlayPause);
    else if (event->key() == Qt::Key_D && event->modifiers() == Qt::ControlModifier)
        OnCommand(command::kStop);
    else if (event->key() == Qt::Key_M && event->modifiers() == Qt::ControlModifier)
        OnCommand(command::kMute);
    else
        FCPanelWindow::keyPressEvent(event);
}

// The page pauses first, then echoes the capture request back; a video
// paused for the picture plays on once the picture is saved.
void COvrinDlg::StartCapture()
{
    if (!player_)
        return;
    player_->CallFunction("IsPause", "null", [this](const std::string& result) {
        resumeAfterCapture_ = result.find("true") == std::string::npos;
        if (resumeAfterCapture_)
            CallPlayer("PauseVideo", "null");
        CallPlayer("StartCaptureScreen", "null");
    });
}

void COvrinDlg::ToggleWideScreen()
{
    if (auto* wide = Ctrl<ui::FCButtonBase>(command::kWideScreen)) {
        wide->SetCheck(!wide->GetCheck());
        CallPlayer("SetWideScreenMode", wide->GetCheck() ? "true" : "false");
    }
}

void COvrinDlg::ShowMainMenuAtButton()
{
    if (QWidget* button = GetCtrl(command::kMainMenu))
        menus_->ShowMainMenu(button->mapToGlobal(QPoint(0, button->height())));
}

// Into the tray where there is one; else just minimised.
void COvrinDlg::HideToTray()
{
    if (menus_->HasTrayIcon())
        hide();
    else
        showMinimized();
}

void COvrinDlg::ShowAboutBox()
{
    const QString product = ui::Text(IDS_PRODUCT_NAME);
    QMessageBox::about(this, product, product + QStringLiteral(" — ") + ui::Tr("在线视频播放器"));
}

void COvrinDlg::SelectAllOfPlayList()
{
    if (auto* list = Ctrl<CWndPlayList>(control::kPlayList)) {
        list->Layout().SelectAll();
        list->update();
    }
}

// The play list deletes its selection on Delete.
void COvrinDlg::DeletePlayListSelection()
{
    if (QWidget* list = GetCtrl(control::kPlayList)) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
    }
}

void COvrinDlg::CloseAllBrowseTabs()
{
    if (auto* band = Ctrl<ui::CWndTabBand>(control::kTabBand))
        for (int view = control::kFirstBrowseView; view <= control::kLastBrowseView; ++view)
            if (band->FindButton(view))
                platform::PostMessage(GetSafeHwnd(), WM_TAB_CLOSE, control::kTabBand, view);
}
