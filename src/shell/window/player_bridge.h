#pragma once
// The main window's side of the player page's events: the time label, the
// seek slider with its loaded share, the status line, the volume, the play
// button's tooltip, "Play.Start" and the next video at "VideoPlayOver".
#include "shell/player/fs_command.h"

#include <functional>
#include <string>

class CAppSetting;
class CPlayControl;
class QLabel;
namespace ui {
class CWndSlider;
class CWndSliderPlay;
class CWndSliderVolume;
class FCButtonBase;
}  // namespace ui

struct PlayerControls {
    QLabel* timeLabel = nullptr;
    QLabel* statusLabel = nullptr;
    ui::CWndSliderPlay* seek = nullptr;
    ui::CWndSliderVolume* volume = nullptr;
    ui::FCButtonBase* playButton = nullptr;
};

class CPlayerBridge : public IPlayerEventSink {
public:
    CPlayerBridge(CAppSetting& settings, CPlayControl& control, PlayerControls controls);

    // The page's FSCommand event.
    void OnFsCommand(const std::string& command, const std::string& args);
    // Back to no video: slider, loaded share and time label at 0.
    void ResetControls();
    // The play button of the skin now shown (main or mini), which takes
    // the current play state.
    void SetPlayButton(ui::FCButtonBase* button);
    // Screen capture, full screen and the web tab are window matters.
    std::function<void()> onCapture;
    std::function<void()> onFullScreen;
    std::function<void()> onStartPush;
    // A video started playing ("Play.Start"): its related videos.
    std::function<void()> onPlayStart;

    void OnVideoProcess(std::int64_t position, std::int64_t total) override;
    void OnLoadByteProcess(std::int64_t loaded, std::int64_t total) override;
    void OnStatus(const std::string& status) override;
    void OnSetStatus(const std::string& text) override;
    void OnStartCaptureScreen() override;
    void OnFullScreen() override;
    void OnVolume(int volume) override;
    void OnStartPush() override;

private:
    void SetTimeLabel(const std::string& text);
    // The play button's tooltip and icon: pause while a video plays.
    void ShowPlayState(bool playing);

    CAppSetting& settings_;
    CPlayControl& control_;
    PlayerControls controls_;
    bool playing_ = false;
    std::string playIcon_;   // the skin's own image of the play button
    std::string pauseIcon_;  // "pause.png" beside it
};
