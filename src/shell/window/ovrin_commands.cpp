// The main window's commands: skin buttons, menus and keys, by the ids the
// skin, the menus and the accelerators share.
#include "shell/window/ovrin_dlg.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/event_window.h"
#include "common/stream_start.h"
#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "shell/player/flash_call.h"
#include "shell/player/video_source.h"
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
#include "ui/widgets/ui_text.h"

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

// Controls shown only with the player tab.
constexpr int kPlayerTabCtrls[] = {control::kRelatedView, control::kSeekSlider, command::kPlayPause, command::kStop,
                                   command::kSaveVideo,   control::kTimeLabel,  command::kCapture,   command::kBrightness,
                                   command::kFullScreen,  command::kWideScreen, command::kMute,      control::kVolumeSlider};
// Controls shown only with the browsing tabs: the band (which shows its
// selected view) and the hot searches behind the views.
constexpr int kBrowseTabCtrls[] = {control::kTabBand, control::kHotTabList};

}  // namespace

// A local file, a complete cache or a segmented video can be asked to be
// saved (WM_SAVE_VIDEO_KEY); anything else only once its download is done.
void COvrinDlg::SaveVideo()
{
    const std::string key = control_->PlayingKey();
    const VideoSource source = DecideVideoSource(key, FindVideo(settings_, key));
    // A segmented video's segments are counted when the save is asked for.
    if (source.IsWhole() || source.kind == VideoSource::Manifest)
        PostKeysMessage(GetSafeHwnd(), WM_SAVE_VIDEO_KEY, {key});
    else
        QToolTip::showText(QCursor::pos(), ui::Text(IDS_SAVE_AFTER_DOWNLOAD), this);
}

void COvrinDlg::ShowLightPopup()
{
    QWidget* button = GetCtrl(command::kBrightness);
    if (!button)
        return;
    if (!light_)
        light_ = new CWndSliderLight(this, [this](int light) { CallPlayer("SetVideoLight", FormatPercent(light)); });
    light_->Popup(button->mapToGlobal(QPoint(4, -93)));
}

// One side panel shows at a time, and its button is checked.
void COvrinDlg::SelectSidePanel(int id)
{
    static constexpr std::pair<int, int> kPanels[] = {{command::kMonitorPanel, control::kMonitorPanel},
                                                       {command::kPlayListPanel, control::kPlayList},
                                                       {command::kFavoritesPanel, control::kFavorites},
                                                       {command::kHistoryPanel, control::kHistory}};
    for (const auto& [button, panel] : kPanels) {
        if (auto* check = Ctrl<ui::FCButtonBase>(button))
            check->SetCheck(button == id);
        if (QWidget* window = GetCtrl(panel))
            window->setVisible(button == id);
    }
}

// The page-address dialog: every page queued (its detection goes straight to the page),
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
            video = MakeVideoRecord(lines[i], "", kAddQueue).release();
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
    auto* button = Ctrl<ui::FCButtonBase>(command::kMute);
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
        name = ui::Text(IDS_PRODUCT_NAME);
    // In the user's pictures folder, where there is one.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString path = QFileDialog::getSaveFileName(this, QString(), folder + '/' + name + QStringLiteral(".bmp"),
                                                      QStringLiteral("BMP files (*.bmp);;PNG files (*.png)"));
    if (!path.isEmpty() && !image.save(path))
        QMessageBox::warning(this, ui::Text(IDS_PRODUCT_NAME), ui::Tr("无法保存截图：%1").arg(path));
    if (std::exchange(resumeAfterCapture_, false))
        CallPlayer("PauseVideo", "null");
}

void COvrinDlg::SelectMainTab(int id)
{
    auto* chosen = Ctrl<ui::FCButtonBase>(id);
    if (chosen && chosen->GetCheck())
        return;
    for (int tab = command::kPlayerTab; tab <= command::kLastMainTab; ++tab)
        if (auto* button = Ctrl<ui::FCButtonBase>(tab))
            button->SetCheck(tab == id);
    mainTab_ = id;
    const bool playerTab = id == command::kPlayerTab;
    for (const int ctrl : kPlayerTabCtrls)
        if (QWidget* widget = GetCtrl(ctrl))
            widget->setVisible(playerTab);
    PlacePlayer();
    for (const int ctrl : kBrowseTabCtrls)
        if (QWidget* widget = GetCtrl(ctrl))
            widget->setVisible(id == command::kBrowseTab);
}

void COvrinDlg::ClearPlayList()
{
    if (QMessageBox::warning(this, ui::Text(IDS_PRODUCT_NAME), ui::Text(IDS_CLEAR_PLAY_LIST_CONFIRM), QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    control_->StopPlaying();
    // The preview shows a video of the list too: its window closes.
    control_->EndPreview();
    StopDetection();
    parts_.downloads.StopAllTasks();
    parts_.downloads.ClearCache();
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
        QMessageBox::critical(this, ui::Text(IDS_PRODUCT_NAME), QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    char head[kStreamStartBytes] = {};
    in.read(head, sizeof head);
    if (!IsVideoStart(head, static_cast<std::size_t>(in.gcount()))) {
        QMessageBox::critical(this, ui::Text(IDS_PRODUCT_NAME), ui::Text(IDS_NOT_A_VIDEO));
        return;
    }
    control_->PlayItem(key);
    SelectMainTab(command::kPlayerTab);
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
