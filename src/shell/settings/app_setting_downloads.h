#pragma once
// The settings store as the download manager reads it.
#include "delivery/download_settings.h"
#include "shell/settings/app_setting.h"

class CAppSettingDownloads : public IDownloadSettings {
public:
    explicit CAppSettingDownloads(CAppSetting& settings) : settings_(settings) {}

    PCL_Interface_Composite<InfoVideo>& PlayList() override { return settings_.playList; }
    std::string PlayingKey() const override { return settings_.nowPlaying ? settings_.nowPlaying->key : std::string(); }
    std::string PreviewingKey() const override
    {
        return settings_.nowPreviewing ? settings_.nowPreviewing->key : std::string();
    }
    bool IsBackgroundCachingOn() const override { return settings_.idleDownEnable; }
    int MaxBackgroundDownloads() const override { return settings_.maxDownload; }

private:
    CAppSetting& settings_;
};
