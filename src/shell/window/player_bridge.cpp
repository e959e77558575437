#include "shell/window/player_bridge.h"

#include "common/string_table.h"
#include "shell/player/play_control.h"
#include "shell/settings/app_setting.h"
#include "ui/widgets/button.h"
#include "ui/widgets/player_controls.h"

#include <QLabel>

namespace {
}  // namespace

CPlayerBridge::CPlayerBridge(CAppSetting& settings, CPlayControl& control, PlayerControls controls)
    : settings_(settings), control_(control), controls_(controls)
{
    SetPlayButton(controls.playButton);
}

void CPlayerBridge::OnFsCommand(const std::string& command, const std::string& args)
{
    DispatchFsCommand(command, args, *this);
}

void CPlayerBridge::ResetControls()
{
    if (controls_.seek) {
        controls_.seek->SetPosition(0);
        controls_.seek->SetLoaded(0);
    }
    SetTimeLabel(FormatTimeLabel(0, 0));
    ShowPlayState(false);
}

void CPlayerBridge::SetTimeLabel(const std::string& text)
{
    const QString label = QString::fromStdString(text);
    if (controls_.timeLabel && controls_.timeLabel->text() != label)
        controls_.timeLabel->setText(label);
}

void CPlayerBridge::SetPlayButton(ui::FCButtonBase* button)
{
    // The button left behind keeps its own image, so that it reads right
    // when its skin comes back.
    if (controls_.playButton && !playIcon_.empty())
        controls_.playButton->SetIconImage(playIcon_);
    controls_.playButton = button;
    playIcon_ = button ? button->IconImage() : std::string();
    const std::size_t slash = playIcon_.find_last_of('/');
    pauseIcon_ = playIcon_.empty() ? std::string() : playIcon_.substr(0, slash + 1) + "pause.png";
    ShowPlayState(playing_);
}

void CPlayerBridge::ShowPlayState(bool playing)
{
    playing_ = playing;
    if (!controls_.playButton)
        return;
    controls_.playButton->SetTooltipText(LoadString(playing ? IDS_PAUSE_TIP : IDS_PLAY_TIP));
    if (!playIcon_.empty())
        controls_.playButton->SetIconImage(playing ? pauseIcon_ : playIcon_);
}

void CPlayerBridge::OnVideoProcess(std::int64_t position, std::int64_t total)
{
    if (settings_.nowPlaying)
        settings_.nowPlaying->totalTime = static_cast<int>(std::min<std::int64_t>(total, INT32_MAX));
    SetTimeLabel(FormatTimeLabel(position, total));
    if (controls_.seek && total > 0)
        controls_.seek->SetPosition(static_cast<int>(std::min<std::int64_t>(position, total) * 100 / total));
}

void CPlayerBridge::OnLoadByteProcess(std::int64_t loaded, std::int64_t total)
{
    if (settings_.nowPlaying)
        settings_.nowPlaying->totalBytes = static_cast<int>(std::min<std::int64_t>(total, INT32_MAX));
    if (controls_.seek)
        controls_.seek->SetLoaded(LoadedPercent(loaded, total));
}

void CPlayerBridge::OnStatus(const std::string& status)
{
    if (status.find("Play.Start") != std::string::npos) {
        control_.SendSizeAndDuration();
        ShowPlayState(true);
        if (onPlayStart)
            onPlayStart();
    } else if (status.find("VideoPlayOver") != std::string::npos) {
        ShowPlayState(false);
        control_.PlayNextVideo();
    } else if (status.find("Our.Pause") != std::string::npos) {
        ShowPlayState(!playing_);
    }
}

void CPlayerBridge::OnSetStatus(const std::string& text)
{
    if (controls_.statusLabel)
        controls_.statusLabel->setText(QString::fromStdString(text));
}

void CPlayerBridge::OnStartCaptureScreen()
{
    if (onCapture)
        onCapture();
}

void CPlayerBridge::OnFullScreen()
{
    if (onFullScreen)
        onFullScreen();
}

void CPlayerBridge::OnVolume(int volume)
{
    settings_.volume = volume;
    if (controls_.volume)
        controls_.volume->SetPosition(volume);
}

void CPlayerBridge::OnStartPush()
{
    if (onStartPush)
        onStartPush();
}
