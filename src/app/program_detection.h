#pragma once
// Stream detection as play control and the download manager see it: the
// detection service first, then one local detection at a time; a found
// stream plays (or previews) at once when its video is the one shown.
// Until a window is connected, found streams only update their records.
#include "delivery/flv_download_observer.h"
#include "detection/detect_manager.h"
#include "shell/player/player_surface.h"

class CAppSetting;
class CFLVDownloadManager;
class CPlayControl;
class CTerminalReport;

class CProgramDetection : public IStreamDetection, public IFlvDownloadObserver {
public:
    // downloads: sets a video's state when detection ends it. The download
    // manager is built with this observer, so it may not exist yet: it is
    // not used before the first detection ends. report: the terminal hears
    // of the playing video's lookup, its stream and its failure.
    CProgramDetection(CAppSetting& settings, CFLVDownloadManager& downloads, CTerminalReport& report);

    // The window's play control and its surface (status line, player).
    void ConnectPlayer(CPlayControl& control, IPlayerSurface& surface);

    // IStreamDetection
    void StopDetection() override { manager_.CancelAllDetection(); }
    void CancelDetection(const std::string& key) override { manager_.CancelDetection(key); }
    bool IsDetectingForPlayer() const override { return manager_.IsDetectingCurrent(); }
    bool StartDetection(InfoVideo& video) override;

    // IFlvDownloadObserver
    bool IsDetectionIdle() const override { return manager_.IsDetectionIdle(); }
    void StartBackgroundDetection(InfoVideo& video) override { manager_.StartDetection(video); }
    void SendDetectionReport(const std::string& key, const std::string& url, const std::string& referer) override;
    void ShowStateMessage(int stringId, const InfoVideo& video) override;
    void ReportMissingSegments(const InfoVideo& video, std::size_t missing, std::size_t count) override;
    void RefreshPlayingSizeAndDuration() override;
    void StreamIsManifest(const InfoVideo& video) override;

private:
    CDetectManager::Hooks ManagerHooks();

    CAppSetting& settings_;
    CFLVDownloadManager& downloads_;
    CTerminalReport& report_;
    CPlayControl* control_ = nullptr;
    IPlayerSurface* surface_ = nullptr;
    CDetectManager manager_;
};
