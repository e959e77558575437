#pragma once
// Deciding what the main player shows: PlayItem (a local file, a cached or
// downloading video through the play server, or detection first), AddVideo
// (the one entry for playing and queueing from lists, pages and searches),
// the next video of the play list, and the durations sent at "Play.Start".
// User-interface thread only; no display needed.
#include "shell/player/player_surface.h"

#include <cstdint>
#include <string>

class CAppSetting;
class CFLVDownloadManager;
class CPlayRequestManager;
class InfoVideo;
struct VideoSource;

// AddVideo modes, as the list records keep them in a0.
inline constexpr const char* kAddPlayNow = "1";
inline constexpr const char* kAddQueue = "2";
inline constexpr const char* kAddPreview = "3";

// Until stream detection is built, a page without a known stream says so.
inline constexpr const char* kNoDetectionYet = "还不能从网页查找视频地址：此版本尚无视频检测";

// A page whose stream is an HLS or DASH manifest says so.

class CPlayControl {
public:
    CPlayControl(CAppSetting& settings, CFLVDownloadManager& downloads, CPlayRequestManager& playServer,
                 IPlayerSurface& surface, IStreamDetection& detection);

    void PlayItem(const std::string& key);
    void AddVideo(const std::string& title, const std::string& key, const std::string& mode);
    // Shows the video in the preview window without touching the main player.
    void PreviewItem(const std::string& key);
    // The stream of the previewed video was found: the preview plays it.
    void ContinuePreview(const std::string& key);
    // The preview ends: its window closes and its downloads stop (WM_PREVIEW_CLOSE).
    void EndPreview();
    // The previewed video moves to the main player (WM_PREVIEW_TO_MAIN).
    void PlayPreviewInMain();
    // Stops whatever shows the video and removes it with its cache (WM_REMOVE_VIDEO_KEY).
    void RemoveVideoByKey(const std::string& key);
    // Plays the play-list video after the playing one; false when there is
    // none (the playing one is last, or not listed).
    bool PlayNextVideo();
    // Stops the main player and forgets the playing video.
    void StopPlaying();
    // SetVideoBytes and SetVideoDuration of the playing video, sent when
    // the page reports "Play.Start".
    void SendSizeAndDuration();

    // The site a video comes from, for the connecting message: its listed
    // name when the site names know its page (or stream) address, else the
    // host of its page address.
    std::string SiteNameOf(const InfoVideo& video) const;
    // A string-table message with the video's site name for its "%s".
    std::string MessageForSite(int stringId, const InfoVideo& video) const;
    void SetSiteNames(const ISiteNames* names) { siteNames_ = names; }
    const std::string& PlayingKey() const;
    const std::string& PreviewingKey() const;

private:
    enum class Target { Player, Preview };
    // keepPreview: the main player moves on by itself (the next video), and
    // a preview the user opened stays, with its download.
    void PlayItem(const std::string& key, bool keepPreview);
    void StartSource(const VideoSource& source, InfoVideo* video, Target target, bool keepPreview = false);
    // What the window's title names: a favorite's title for its file, a
    // file's name, a video's title or, until that is known, its address.
    std::string TitleOf(const std::string& key, const InfoVideo* video, bool local) const;

    CAppSetting& settings_;
    CFLVDownloadManager& downloads_;
    CPlayRequestManager& playServer_;
    IPlayerSurface& surface_;
    IStreamDetection& detection_;
    const ISiteNames* siteNames_ = nullptr;
};
