#include "app/program_detection.h"

#include "app/terminal_report.h"
#include "common/lang/translate.h"
#include "delivery/flv_download_manager.h"
#include "delivery/http_task.h"
#include "shell/player/play_control.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "shell/settings/service_hosts.h"

CProgramDetection::CProgramDetection(CAppSetting& settings, CFLVDownloadManager& downloads, CTerminalReport& report)
    : settings_(settings), downloads_(downloads), report_(report),
      manager_(settings.playList,
               CDetectManager::Services{service_hosts::kDetectionService, service_hosts::kSegmentService},
               ManagerHooks(), HttpTaskUserAgent())
{
}

void CProgramDetection::ConnectPlayer(CPlayControl& control, IPlayerSurface& surface)
{
    control_ = &control;
    surface_ = &surface;
}

bool CProgramDetection::StartDetection(InfoVideo& video)
{
    if (control_ && video.a2 == control_->PlayingKey())
        report_.LookingUp(video.a2);
    manager_.StartDetection(video);
    return true;
}

void CProgramDetection::SendDetectionReport(const std::string& key, const std::string& url,
                                            const std::string& referer)
{
    manager_.Commit().SendDetectionReport(key, url, referer);
}

// The playing video failed: the status line says why, and so does the
// player, which otherwise would still say it is connecting.
// The status line names the video, since its fetches may end while another
// one plays.
void CProgramDetection::ReportMissingSegments(const InfoVideo& video, std::size_t missing, std::size_t count)
{
    if (!surface_)
        return;
    surface_->ShowStatus((video.a1.empty() ? video.a2 : video.a1) + ": "
                         + lang::Fill(lang::Tr("%1/%2 个分段未能下载，缓存不完整"),
                                      {std::to_string(missing), std::to_string(count)}));
}

void CProgramDetection::ShowStateMessage(int stringId, const InfoVideo& video)
{
    if (!control_ || !surface_)
        return;
    const std::string text = control_->MessageForSite(stringId, video);
    report_.Failed(text);
    surface_->ShowStatus(text);
    surface_->CallPlayer("SetConnectStatus", text);
}

// The player or the preview showing the video starts it again, now with
// the play server's playlist.
void CProgramDetection::StreamIsManifest(const InfoVideo& video)
{
    if (!control_)
        return;
    if (video.a2 == control_->PlayingKey())
        control_->PlayItem(video.a2);
    else if (video.a2 == control_->PreviewingKey())
        control_->ContinuePreview(video.a2);
}

void CProgramDetection::RefreshPlayingSizeAndDuration()
{
    if (control_)
        control_->SendSizeAndDuration();
}

CDetectManager::Hooks CProgramDetection::ManagerHooks()
{
    CDetectManager::Hooks hooks;
    hooks.setVideoState = [this](int code, InfoVideo& video) { downloads_.SetVideoState(code, &video); };
    hooks.playingKey = [this] { return control_ ? control_->PlayingKey() : std::string(); };
    hooks.previewingKey = [this] { return control_ ? control_->PreviewingKey() : std::string(); };
    hooks.play = [this](const std::string& key) {
        if (const InfoVideo* video = FindVideo(settings_, key))
            report_.Detected(video->a4);
        if (control_)
            control_->PlayItem(key);
    };
    hooks.preview = [this](const std::string& key) {
        if (control_)
            control_->ContinuePreview(key);
    };
    return hooks;
}
