#include "app/delivery_demo.h"

#include "delivery/flv_cache.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"

#include <cstdio>
#include <filesystem>

CDeliveryDemo::CDeliveryDemo(CAppSetting& settings, StatusSink status)
    : settings_(settings), status_(std::move(status)), downloads_(settings, &playServer_)
{
    Create();
    playServer_.SetRequestServer(&downloads_);
}

CDeliveryDemo::~CDeliveryDemo()
{
    playServer_.SetRequestServer(nullptr);
}

std::string CDeliveryDemo::Play(const std::string& streamUrl)
{
    InfoVideo* video = FindVideo(settings_, streamUrl);
    if (!video) {
        video = new InfoVideo;
        video->a0 = "1";
        video->a2 = streamUrl;
        video->a4 = streamUrl;
        video->a1 = std::filesystem::path(streamUrl).filename().string();
        settings_.playList.PCL_PushObject(video);
    }
    AddHistory(settings_, video->a1, video->a2);
    settings_.nowPlaying = std::make_unique<PlayingInfo>(PlayingInfo{video->a2});
    downloads_.StopDownloadsExceptPlaying();
    downloads_.StartDownload(video);
    OnEventFlvDownloadProgress(video);
    return playServer_.BuildPlayUrl(video->a2);
}

void CDeliveryDemo::OnEventFlvDownloadProgress(InfoVideo* video)
{
    if (!video)
        return;
    const CacheSizes sizes = GetCacheSizes(*video);
    const int percent = sizes.total > 0 ? static_cast<int>(sizes.cached * 100 / sizes.total) : 0;
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    char text[256];
    std::snprintf(text, sizeof text, "%s: %d%% cached (%.2f MB of %.2f MB)", video->a1.c_str(), percent,
                  static_cast<double>(sizes.cached) / 1048576.0, static_cast<double>(sizes.total) / 1048576.0);
    status_(text);
}
