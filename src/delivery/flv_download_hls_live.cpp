// The download manager's live HLS streams: a media playlist without
// EXT-X-ENDLIST is reloaded every target duration (half of it when a reload
// brought nothing new) by a task on the workers, while its video plays or
// previews, and each reload is merged into the list known. Reloads stop
// when nobody watches the video, and for good once the list ends.
#include "delivery/flv_download_manager.h"

#include "common/event_window.h"
#include "records/info_video.h"

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

bool CFLVDownloadManager::IsWatched(const std::string& key) const
{
    return key == PlayingKey() || key == PreviewingKey();
}

void CFLVDownloadManager::ScheduleReload(CHlsStream& stream, bool changed)
{
    const unsigned targetMs = static_cast<unsigned>(std::max(1, stream.TargetDuration())) * 1000;
    const unsigned periodMs = liveReloadMs_ ? liveReloadMs_ : (changed ? targetMs : targetMs / 2);
    stream.reloadDue = Clock::now() + std::chrono::milliseconds(periodMs);
    stream.reloadScheduled = true;
    ArmReloadTimer();
}

// One timer serves every live stream: it fires when the earliest reload is due.
void CFLVDownloadManager::ArmReloadTimer()
{
    bool any = false;
    Clock::time_point earliest = Clock::time_point::max();
    for (const auto& [key, stream] : hlsStreams_)
        if (stream->reloadScheduled) {
            any = true;
            earliest = std::min(earliest, stream->reloadDue);
        }
    KillTimer(kLiveReloadTimerId);
    if (!any)
        return;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(earliest - Clock::now()).count();
    SetTimer(kLiveReloadTimerId, static_cast<unsigned>(std::max<long long>(1, wait)));
}

void CFLVDownloadManager::ReloadDueStreams()
{
    SweepHlsJobs();
    const Clock::time_point now = Clock::now();
    for (auto& [key, stream] : hlsStreams_) {
        if (!stream->reloadScheduled || stream->reloadDue > now)
            continue;
        stream->reloadScheduled = false;
        InfoVideo* video = FindVideo(key);
        if (video && IsWatched(key))
            StartReload(*video, *stream);
    }
    ArmReloadTimer();
}

void CFLVDownloadManager::StartReload(InfoVideo& video, CHlsStream& stream)
{
    if (stream.reloading || stream.SourceUrl().empty())
        return;
    stream.reloading = true;
    AddHlsTask(video, HlsJob{HlsJob::Reload, video.a2, 0, false}, stream.SourceUrl(), 0);
}

void CFLVDownloadManager::KeepReloading(InfoVideo& video, CHlsStream& stream)
{
    if (stream.IsLive() && !stream.reloading && !stream.reloadScheduled && IsWatched(video.a2))
        StartReload(video, stream);
}

// A reload arrived (or not). A list that cannot be read changes nothing: a
// recording read from the cache then stays a VOD of what it holds, and a
// live stream keeps its window until the next reload.
void CFLVDownloadManager::OnHlsReload(InfoVideo& video, CHlsStream& stream, HttpTask& task, bool ok)
{
    stream.reloading = false;
    const std::string text = ok && task.body ? *task.body : std::string();
    const HlsPlaylist reloaded = ParseHlsPlaylist(text, task.url);
    bool changed = false;
    if (!reloaded.master && !reloaded.segments.empty() && reloaded.keyUrls.empty() && reloaded.initUrl.empty()) {
        const HlsMerge merge = stream.TakeReload(reloaded);
        changed = merge.appended > 0 || merge.ended;
    }
    AnswerHlsWaiting(video.a2, stream, -1);
    FetchHlsSegments(video, stream);
    if (changed)
        BroadcastEvent(WM_FLV_DOWNLOAD_PROGRESS, reinterpret_cast<WPARAM>(&video));
    if (stream.IsLive())
        ScheduleReload(stream, changed);
}
