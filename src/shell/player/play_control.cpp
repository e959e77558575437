#include "shell/player/play_control.h"

#include "common/event_window.h"
#include "common/lang/translate.h"
#include "common/string_table.h"
#include "delivery/flv_cache.h"
#include "delivery/flv_download_manager.h"
#include "delivery/flv_probe.h"
#include "delivery/play_request_manager.h"
#include "shell/player/flash_call.h"
#include "shell/player/video_source.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"

#include <filesystem>

namespace {


std::string FormatWithSite(int id, const std::string& site)
{
    std::string text = LoadString(id);
    const std::size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, site);
    return text;
}

}  // namespace

CPlayControl::CPlayControl(CAppSetting& settings, CFLVDownloadManager& downloads, CPlayRequestManager& playServer,
                           IPlayerSurface& surface, IStreamDetection& detection)
    : settings_(settings), downloads_(downloads), playServer_(playServer), surface_(surface), detection_(detection)
{
}

const std::string& CPlayControl::PlayingKey() const
{
    static const std::string none;
    return settings_.nowPlaying ? settings_.nowPlaying->key : none;
}

const std::string& CPlayControl::PreviewingKey() const
{
    static const std::string none;
    return settings_.nowPreviewing ? settings_.nowPreviewing->key : none;
}

std::string CPlayControl::SiteNameOf(const InfoVideo& video) const
{
    if (siteNames_)
        for (const std::string* address : {&video.a2, &video.a4})
            if (std::string name = siteNames_->SiteNameOf(*address); !name.empty())
                return name;
    for (const std::string* address : {&video.a2, &video.a4}) {
        const std::size_t scheme = address->find("://");
        if (scheme == std::string::npos)
            continue;
        const std::size_t start = scheme + 3;
        const std::size_t end = address->find_first_of(":/?#", start);
        std::string host = address->substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!host.empty())
            return host;
    }
    return {};
}

void CPlayControl::PlayItem(const std::string& key)
{
    PlayItem(key, false);
}

void CPlayControl::PlayItem(const std::string& key, bool keepPreview)
{
    keepPreview = keepPreview && !PreviewingKey().empty() && PreviewingKey() != key;
    if (!keepPreview)
        surface_.ClosePreview();
    const std::string product = LoadString(IDS_PRODUCT_NAME);
    InfoVideo* video = FindVideo(settings_, key);
    const VideoSource source = DecideVideoSource(key, video);
    const bool local = source.kind == VideoSource::LocalFile;
    if (local || video)
        surface_.SetTitle(TitleOf(key, video, local) + " - " + product);
    // A history entry made without a title (a page handed over by a second
    // start) takes the one detection found.
    if (video && !video->a1.empty())
        if (InfoHistory* entry = FindHistory(settings_, key); entry && (entry->title.empty() || entry->title == key))
            entry->title = video->a1;

    settings_.nowPlaying = std::make_unique<PlayingInfo>(PlayingInfo{key});
    if (!keepPreview)
        settings_.nowPreviewing.reset();

    surface_.StopPlayer();
    // A message about the video before (a failure) is not this video's.
    surface_.ShowStatus("");
    if (video && !local) {
        const std::string site = SiteNameOf(*video);
        surface_.CallPlayer("SetWebStationName", site);
        surface_.CallPlayer("SetConnectStatus", FormatWithSite(IDS_CONNECTING, site));
    }
    surface_.ResetControls();
    StartSource(source, video, Target::Player, keepPreview);
}

std::string CPlayControl::TitleOf(const std::string& key, const InfoVideo* video, bool local) const
{
    if (local) {
        // A favorite's file is named by the digest of its address.
        for (const InfoFavorite* favorite : settings_.favorites)
            if (!favorite->title.empty() && GetFavoritePath(favorite->url) == key)
                return favorite->title;
        return std::filesystem::path(key).filename().string();
    }
    return video && !video->a1.empty() ? video->a1 : key;
}

// What is on disk plays at once. Otherwise the other downloads give way
// (all but this video's, or for a preview all but the two shown) and the
// stream plays as it downloads, or is looked for first.
void CPlayControl::StartSource(const VideoSource& source, InfoVideo* video, Target target, bool keepPreview)
{
    const auto play = [&] {
        const std::string url = BuildSourcePlayUrl(playServer_, source);
        if (target == Target::Player)
            surface_.PlayInPlayer(url);
        else
            surface_.PlayInPreview(url);
    };
    if (source.IsWhole()) {
        play();
        return;
    }
    if (source.kind == VideoSource::Unknown || !video)
        return;
    detection_.StopDetection();
    if (target == Target::Player && !keepPreview)
        downloads_.StopDownloadsExceptPlaying();
    else
        downloads_.StopDownloadsExceptCurrent();
    const auto tell = [&](const std::string& text) {
        if (target == Target::Player)
            surface_.ShowStatus(text);
        else
            surface_.ShowTip(text);
    };
    if (source.kind == VideoSource::KnownStream || source.kind == VideoSource::Manifest)
        play();
    else if (!detection_.StartDetection(*video))
        tell(lang::Tr(kNoDetectionYet));
}

void CPlayControl::PreviewItem(const std::string& key)
{
    if (key == PlayingKey() || key == PreviewingKey()) {
        surface_.ShowTip(LoadString(IDS_ALREADY_PLAYING));
        return;
    }
    if (detection_.IsDetectingForPlayer()) {
        surface_.ShowTip(LoadString(IDS_PREVIEW_AFTER_START));
        return;
    }
    if (!surface_.OpenPreview())
        return;
    settings_.nowPreviewing = std::make_unique<PlayingInfo>(PlayingInfo{key});
    InfoVideo* video = FindVideo(settings_, key);
    StartSource(DecideVideoSource(key, video), video, Target::Preview);
}

void CPlayControl::ContinuePreview(const std::string& key)
{
    if (key.empty() || key != PreviewingKey())
        return;
    InfoVideo* video = FindVideo(settings_, key);
    StartSource(DecideVideoSource(key, video), video, Target::Preview);
}

std::string CPlayControl::MessageForSite(int stringId, const InfoVideo& video) const
{
    return FormatWithSite(stringId, SiteNameOf(video));
}

void CPlayControl::EndPreview()
{
    surface_.ClosePreview();
    if (!PreviewingKey().empty() && PreviewingKey() != PlayingKey())
        downloads_.StopTasksByKey(PreviewingKey());
    settings_.nowPreviewing.reset();
}

void CPlayControl::PlayPreviewInMain()
{
    const std::string key = PreviewingKey();
    if (!key.empty())
        AddVideo("", key, kAddPlayNow);
}

void CPlayControl::RemoveVideoByKey(const std::string& key)
{
    if (key == PlayingKey())
        StopPlaying();
    if (key == PreviewingKey())
        EndPreview();
    detection_.CancelDetection(key);
    downloads_.StopTasksByKey(key);
    RemoveVideo(settings_, key);
}

void CPlayControl::AddVideo(const std::string& title, const std::string& key, const std::string& mode)
{
    AddHistory(settings_, title, key);
    const bool listWasEmpty = settings_.playList.PCL_GetObjectCount() == 0;
    InfoVideo* video = FindVideo(settings_, key);
    if (!video) {
        video = MakeVideoRecord(key, title, mode).release();
        settings_.playList.PCL_PushObject(video);
    }
    if (mode == kAddPreview) {
        PreviewItem(key);
        return;
    }
    if (video->a0 == kAddPreview)
        video->a0 = mode;
    if (mode == kAddPlayNow) {
        // (A stream that failed for good, 12, 13 or 15, has already lost its
        // URL, so it is looked for again; 11 and 17 resume.)
        PlayItem(key);
    } else if (mode == kAddQueue && listWasEmpty) {
        PlayItem(key);
    }
    BroadcastEvent(WM_EVENT_VIDEO_UPDATED, reinterpret_cast<WPARAM>(&key));
}

bool CPlayControl::PlayNextVideo()
{
    const std::string playing = PlayingKey();
    for (std::size_t i = 0; i + 1 < settings_.playList.PCL_GetObjectCount(); ++i) {
        if (settings_.playList.PCL_GetObject(i)->a2 == playing) {
            const std::string next = settings_.playList.PCL_GetObject(i + 1)->a2;
            PlayItem(next, true);
            return true;
        }
    }
    return false;
}

void CPlayControl::StopPlaying()
{
    surface_.StopPlayer();
    surface_.ResetControls();
    settings_.nowPlaying.reset();
}

void CPlayControl::SendSizeAndDuration()
{
    if (!settings_.nowPlaying)
        return;
    const std::string& key = settings_.nowPlaying->key;
    const VideoSource source = DecideVideoSource(key, FindVideo(settings_, key));
    const int durationMs = source.IsWhole() ? GetFlvDuration(source.file) : 0;
    const std::int64_t bytes = source.totalBytes;
    surface_.CallPlayer("SetVideoBytes", FormatFlashNumber(static_cast<double>(bytes)));
    surface_.CallPlayer("SetVideoDuration", FormatFlashNumber(durationMs / 1000));
}
