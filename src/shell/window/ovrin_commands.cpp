// The main window's commands: skin buttons, menus and keys, by the ids the
// skin, the menus and the accelerators share.
#include "shell/window/ovrin_dlg.h"

#include "common/event_window.h"
#include "common/stream_start.h"
#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "shell/player/flash_call.h"
#include "shell/settings/app_setting.h"
#include "shell/dialogs/dlg_color_scheme.h"
#include "shell/dialogs/dlg_input_video_html.h"
#include "shell/dialogs/dlg_setting.h"
#include "shell/settings/records_ops.h"
#include "shell/lists/wnd_play_list.h"
#include "shell/lists/wnd_record_lists.h"
#include "shell/window/main_messages.h"
#include "ui/tab_band/wnd_tab_band.h"
#include "ui/widgets/button.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>
#include <QToolTip>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

namespace {


// Controls shown only with the player tab (20200).
constexpr int kPlayerTabCtrls[] = {213, 201, 20000, 20001, 20004, 270, 20003, 20005, 20006, 20007, 20002, 220};

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

}  // namespace

void COvrinDlg::OnCommand(int id)
{
    switch (id) {
    case 20000: CallPlayer("PauseVideo", "null"); break;
    case 20001: control_->StopPlaying(); break;
    case 20002: ToggleMute(); break;
    case 20003:
        // The page pauses first, then echoes the capture request back.
        if (player_)
            player_->CallFunction("IsPause", "null", [this](const std::string& result) {
                // Paused for the picture, it plays on once the picture is saved.
                resumeAfterCapture_ = result.find("true") == std::string::npos;
                if (resumeAfterCapture_)
                    CallPlayer("PauseVideo", "null");
                CallPlayer("StartCaptureScreen", "null");
            });
        break;
    case 20004: SaveVideo(); break;
    case 20005: ShowLightPopup(); break;
    case 20006: ToggleFullScreen(); break;
    case 20007:
        if (auto* wide = Ctrl<ui::FCButtonBase>(20007)) {
            wide->SetCheck(!wide->GetCheck());
            CallPlayer("SetWideScreenMode", wide->GetCheck() ? "true" : "false");
        }
        break;
    case 20008: EnterMiniMode(); break;
    case 20050: LeaveMiniMode(); break;
    case 20021:
    case 20051: ToggleOnTop(); break;
    case 20020: {
        DlgSetting dialog(settings_, desktop_, downloads_, this);
        dialog.exec();
        break;
    }
    case 20033: {
        DlgColorScheme dialog(settings_, this);
        dialog.exec();
        break;
    }
    case 20030: OpenFile(); break;
    case 20100: close(); break;
    case 20102: isMaximized() ? showNormal() : showMaximized(); break;
    case 20103:
        if (QWidget* button = GetCtrl(20103))
            menus_->ShowMainMenu(button->mapToGlobal(QPoint(0, button->height())));
        break;
    case 20105:
        // Into the tray where there is one; else just minimised.
        if (menus_->HasTrayIcon())
            hide();
        else
            showMinimized();
        break;
    case 20150: QDesktopServices::openUrl(QUrl(QString::fromStdString(settings_.homeUrl))); break;
    case 20151: QDesktopServices::openUrl(QUrl(QString::fromStdString(settings_.feedbackUrl))); break;
    case 20153: QDesktopServices::openUrl(QUrl(QString::fromStdString(settings_.aboutUrl))); break;
    case 20152:
        QMessageBox::about(this, Text(IDS_PRODUCT_NAME),
                           Text(IDS_PRODUCT_NAME) + QStringLiteral(" — 在线视频播放器"));
        break;
    case 20300: ClearPlayList(); break;
    case 20601:
    case 20602:
        if (auto* history = Ctrl<CWndHistoryList>(216))
            history->RunCommand(id);
        break;
    case 20612:
    case 20613:
        if (auto* favorites = Ctrl<CWndFavoriteList>(211))
            favorites->RunCommand(id);
        break;
    case 20035:
        if (auto* list = Ctrl<CWndPlayList>(209)) {
            list->Layout().SelectAll();
            list->update();
        }
        break;
    case 20031: OpenPageAddresses(); break;
    case 20299:
        // The play list deletes its selection on Delete.
        if (QWidget* list = GetCtrl(209)) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            QApplication::sendEvent(list, &press);
        }
        break;
    case ui::CWndTabBand::kCloseAllCommand:
        if (auto* band = Ctrl<ui::CWndTabBand>(233))
            for (int view = 2100; view <= 2199; ++view)
                if (band->FindButton(view))
                    platform::PostMessage(GetSafeHwnd(), WM_TAB_CLOSE, 233, view);
        break;
    default:
        if (id >= 20200 && id <= 20209)
            SelectMainTab(id);
        else if (id >= 20700 && id <= 20703)
            SelectSidePanel(id);
        break;
    }
}

void COvrinDlg::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Enter and Alt+Enter are shortcuts (CreateFullScreenKeys), so
    // that they work wherever the focus is.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier)
        OnCommand(20000);
    else if (event->key() == Qt::Key_D && event->modifiers() == Qt::ControlModifier)
        OnCommand(20001);
    else if (event->key() == Qt::Key_M && event->modifiers() == Qt::ControlModifier)
        OnCommand(20002);
    else
        FCPanelWindow::keyPressEvent(event);
}

// A local file or a complete cache can be saved (0x8217); anything else
// only once its download is done.
void COvrinDlg::SaveVideo()
{
    const std::string key = control_->PlayingKey();
    const InfoVideo* video = FindVideo(settings_, key);
    const bool whole = (!key.empty() && key.front() == '/' && QFileInfo(QString::fromStdString(key)).isFile())
                       || (video && IsComplete(*video));
    if (whole)
        PostKeysMessage(GetSafeHwnd(), WM_SAVE_VIDEO_KEY, {key});
    else
        QToolTip::showText(QCursor::pos(), Text(IDS_SAVE_AFTER_DOWNLOAD), this);
}

void COvrinDlg::ShowLightPopup()
{
    QWidget* button = GetCtrl(20005);
    if (!button)
        return;
    if (!light_)
        light_ = new CWndSliderLight(this, [this](int light) { CallPlayer("SetVideoLight", FormatPercent(light)); });
    light_->Popup(button->mapToGlobal(QPoint(4, -93)));
}

// Side panels: 20700 the fourth panel (212), 20701 the play list (209),
// 20702 favorites (211), 20703 history (216).
void COvrinDlg::SelectSidePanel(int id)
{
    static constexpr std::pair<int, int> kPanels[] = {{20700, 212}, {20701, 209}, {20702, 211}, {20703, 216}};
    for (const auto& [button, panel] : kPanels) {
        if (auto* check = Ctrl<ui::FCButtonBase>(button))
            check->SetCheck(button == id);
        if (QWidget* window = GetCtrl(panel))
            window->setVisible(button == id);
    }
}

// Dialog 205: every page queued (its detection goes straight to the page),
// and with "立即播放" the last one played.
void COvrinDlg::OpenPageAddresses()
{
    DlgInputVideoHtml dialog(QGuiApplication::clipboard()->text(), this);
    const int button = dialog.exec();
    if (button != DlgInputVideoHtml::kPlayNow && button != DlgInputVideoHtml::kAddToList)
        return;
    QueuePages(dialog.Lines(), button == DlgInputVideoHtml::kPlayNow);
}

void COvrinDlg::QueuePages(const std::vector<std::string>& lines, bool playLast)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        InfoVideo* video = FindVideo(settings_, lines[i]);
        if (!video) {
            video = new InfoVideo;
            video->a0 = kAddQueue;
            video->a2 = lines[i];
            settings_.playList.PCL_PushObject(video);
        }
        video->a4.clear();
        video->lookupDone = 1;
        control_->AddVideo("", lines[i], kAddQueue);
        if (playLast && i + 1 == lines.size())
            control_->AddVideo("", lines[i], kAddPlayNow);
    }
}

void COvrinDlg::ToggleMute()
{
    settings_.soundOn = settings_.soundOn ? 0 : 1;
    ShowMuteState();
    CallPlayer("SetVideoVolume", FormatPercent(settings_.soundOn ? settings_.volume : 0));
}

// The mute button: checked, with the muted speaker (muted.png beside the
// skin's own image) and the tip to turn the sound on, while muted.
void COvrinDlg::ShowMuteState()
{
    auto* button = Ctrl<ui::FCButtonBase>(20002);
    if (!button)
        return;
    if (soundIcon_.empty())
        soundIcon_ = button->IconImage();
    const std::size_t slash = soundIcon_.find_last_of('/');
    const std::string mutedIcon = soundIcon_.empty() ? std::string() : soundIcon_.substr(0, slash + 1) + "muted.png";
    button->SetCheck(!settings_.soundOn);
    button->SetTooltipText(LoadString(settings_.soundOn ? IDS_MUTE_TIP : IDS_SOUND_TIP));
    if (!soundIcon_.empty())
        button->SetIconImage(settings_.soundOn ? soundIcon_ : mutedIcon);
}

void COvrinDlg::CaptureScreen()
{
    if (!player_)
        return;
    const QImage image = player_->Widget()->grab().toImage();
    QString name = windowTitle().section(QStringLiteral(" - "), 0, 0);
    if (name.isEmpty())
        name = Text(IDS_PRODUCT_NAME);
    // In the user's pictures folder, where there is one.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString path = QFileDialog::getSaveFileName(this, QString(), folder + '/' + name + QStringLiteral(".bmp"),
                                                      QStringLiteral("BMP files (*.bmp);;PNG files (*.png)"));
    if (!path.isEmpty() && !image.save(path))
        QMessageBox::warning(this, Text(IDS_PRODUCT_NAME), QStringLiteral("无法保存截图：") + path);
    if (std::exchange(resumeAfterCapture_, false))
        CallPlayer("PauseVideo", "null");
}

void COvrinDlg::SelectMainTab(int id)
{
    auto* chosen = Ctrl<ui::FCButtonBase>(id);
    if (chosen && chosen->GetCheck())
        return;
    for (int tab = 20200; tab <= 20209; ++tab)
        if (auto* button = Ctrl<ui::FCButtonBase>(tab))
            button->SetCheck(tab == id);
    const bool playerTab = id == 20200;
    for (const int ctrl : kPlayerTabCtrls)
        if (QWidget* widget = GetCtrl(ctrl))
            widget->setVisible(playerTab);
    if (player_)
        player_->Widget()->setVisible(playerTab);
    if (QWidget* band = GetCtrl(233))
        band->setVisible(id == 20201);
}

void COvrinDlg::ClearPlayList()
{
    if (QMessageBox::warning(this, Text(IDS_PRODUCT_NAME), Text(IDS_CLEAR_PLAY_LIST_CONFIRM), QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    control_->StopPlaying();
    // The preview shows a video of the list too: its window closes.
    control_->EndPreview();
    StopDetection();
    downloads_.StopAllTasks();
    downloads_.ClearCache();
    settings_.playList.PCL_DeleteAllObjects();
    const std::string none;
    BroadcastEvent(WM_EVENT_VIDEO_UPDATED, reinterpret_cast<WPARAM>(&none));
}

void COvrinDlg::OpenFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                      QStringLiteral("Flash Video (*.flv);;MP4 (*.mp4);;* (*)"));
    if (!path.isEmpty())
        PlayUserFile(path);
}

// A file the user opens or drops must look like a video; anything else is
// refused before the player is touched.
void COvrinDlg::PlayUserFile(const QString& path)
{
    const std::string key = QFileInfo(path).absoluteFilePath().toStdString();
    if (settings_.nowPlaying && settings_.nowPlaying->key == key)
        return;
    std::ifstream in(key, std::ios::binary);
    if (!in) {
        QMessageBox::critical(this, Text(IDS_PRODUCT_NAME), QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    char head[kStreamStartBytes] = {};
    in.read(head, sizeof head);
    if (!IsVideoStart(head, static_cast<std::size_t>(in.gcount()))) {
        QMessageBox::critical(this, Text(IDS_PRODUCT_NAME), Text(IDS_NOT_A_VIDEO));
        return;
    }
    control_->PlayItem(key);
    SelectMainTab(20200);
}

void COvrinDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// The first dropped file plays.
void COvrinDlg::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return;
    event->acceptProposedAction();
    PlayUserFile(urls.front().toLocalFile());
}
