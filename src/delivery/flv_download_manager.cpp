#include "delivery/flv_download_manager.h"

#include "common/event_window.h"
#include "common/ids/message_ids.h"
#include "common/ids/string_ids.h"
#include "delivery/content_range.h"
#include "delivery/flv_cache.h"
#include "common/stream_start.h"
#include "platform/http_client.h"
#include "records/info_video.h"

#include <algorithm>

namespace {

// A request that has not been given any byte of the body yet.
bool HasNoBodyYet(const CPlayRequest& request)
{
    return request.GetBodyBytesSent() == 0 && !request.HasCacheReader() && request.GetUnsentLiveSize() == 0;
}

}  // namespace

// What every request to a video's origin carries besides the agent: the
// page as Referer and the mark of a player's request.
std::string CFLVDownloadManager::RequestHeadersOf(const InfoVideo& video)
{
    return "Referer: " + video.a3 + "\r\n" + "Accept-Encoding: gzip, deflate\r\n" + "x-flash-version: 9,0,115,0\r\n";
}

CFLVDownloadManager::CFLVDownloadManager(IDownloadSettings& settings, CPlayRequestManager* playServer,
                                         IFlvDownloadObserver* observer)
    : settings_(settings), playServer_(playServer), observer_(observer ? *observer : defaultObserver_)
{
    RemoveStaleRelayFiles();
    Create();
    SetTimer(kBackgroundTimerId, kBackgroundPeriodMs);
}

CFLVDownloadManager::~CFLVDownloadManager()
{
    // No notification may reach this object once it is being destroyed.
    StopAllTasks();
    RemoveRelayFiles();
}

void CFLVDownloadManager::SetBackgroundPeriod(unsigned periodMs)
{
    if (periodMs == 0)
        KillTimer(kBackgroundTimerId);
    else
        SetTimer(kBackgroundTimerId, periodMs);
}

InfoVideo* CFLVDownloadManager::FindVideo(const std::string& key) const
{
    for (InfoVideo* video : settings_.PlayList())
        if (video->a2 == key)
            return video;
    return nullptr;
}

std::string CFLVDownloadManager::PlayingKey() const
{
    return settings_.PlayingKey();
}

std::string CFLVDownloadManager::PreviewingKey() const
{
    return settings_.PreviewingKey();
}

std::vector<CPlayRequest*> CFLVDownloadManager::RequestsOf(const std::string& key) const
{
    return playServer_ ? playServer_->FindRequestsByKey(key) : std::vector<CPlayRequest*>();
}

void CFLVDownloadManager::StartDownload(InfoVideo* video)
{
    if (video && IsHlsVideo(*video)) {
        StartHls(*video);
        return;
    }
    if (!video || !GetRunningTasksForUrl(video->a4).empty())
        return;
    const CacheSizes sizes = GetCacheSizes(*video);
    if (sizes.total > 0 && sizes.cached >= sizes.total)
        return;
    if (sizes.cached == 0)
        video->a5.assign(1, '0');  // (not = "0": g++ 12 -O3 warns falsely on that)
    AddTask(video->a4, sizes.cached, -1, false, video->a2, RequestHeadersOf(*video), kBlockSize, startDelayMs_);
}

void CFLVDownloadManager::ServeRequest(CPlayRequest& request)
{
    restarted_.erase(&request);
    InfoVideo* video = FindVideo(request.GetKey());
    if (!video) {
        request.AnswerError(404);
        return;
    }
    // A video whose stream is still to be found keeps its player waiting:
    // once detection finds the stream, its download feeds this request.
    if (video->a4.empty())
        return;
    if (IsHlsVideo(*video)) {
        ServeHlsRequest(*video, request);
        return;
    }
    const std::string path = GetCachePath(*video);
    // Every pushed block is in this file too, so the request may drop
    // unsent pushed data and read it back from there.
    request.SetCacheFilePath(path);
    const CacheSizes sizes = GetCacheSizes(*video);
    if (IsComplete(*video)) {
        request.SetContentLength(sizes.cached);
        request.AttachCacheFile(path);
        request.SetComplete(true);
        return;
    }
    if (sizes.total > 0)
        request.SetContentLength(sizes.total);
    MaybeRelay(*video, request, sizes.cached, sizes.total);
    const std::vector<HttpTask*> tasks = GetRunningTasksForUrl(video->a4);
    if (tasks.empty()) {
        StartDownload(video);
    } else if (tasks.front()->received > 0 || sizes.total > 0) {
        request.AttachCacheFile(path);
    } else {
        // Nothing has arrived yet and the size is unknown: start over so
        // that this request sees the response header and can carry its
        // Content-Length.
        tasks.front()->running.exchange(0);
        StartDownload(video);
    }
}

void CFLVDownloadManager::StopDownloadsExceptPlaying()
{
    const std::string playing = PlayingKey();
    for (HttpTask* task : GetRunningTasks())
        if (VideoKeyOf(*task) != playing)
            task->running.exchange(0);
}

void CFLVDownloadManager::StopDownloadsExceptCurrent()
{
    const std::string playing = PlayingKey();
    const std::string previewing = PreviewingKey();
    for (HttpTask* task : GetRunningTasks())
        if (VideoKeyOf(*task) != playing && VideoKeyOf(*task) != previewing)
            task->running.exchange(0);
}

std::vector<HttpTask*> CFLVDownloadManager::GetRunningTasksForUrl(const std::string& url) const
{
    std::vector<HttpTask*> tasks = GetDownloadTasks();
    std::erase_if(tasks, [&](HttpTask* task) { return task->url != url; });
    return tasks;
}

// The running tasks that fill the cache, relays left out.
std::vector<HttpTask*> CFLVDownloadManager::GetDownloadTasks() const
{
    std::vector<HttpTask*> tasks = GetRunningTasks();
    std::erase_if(tasks, [](HttpTask* task) { return IsRelayTask(*task); });
    return tasks;
}

// The downloads the background step counts: an HLS video's parallel
// fetches count as one download, the oldest of them standing for it.
std::vector<HttpTask*> CFLVDownloadManager::BackgroundDownloads() const
{
    std::vector<HttpTask*> tasks = GetDownloadTasks();
    std::vector<std::string> hlsVideos;
    std::erase_if(tasks, [&](HttpTask* task) {
        if (!IsHlsTask(*task))
            return false;
        const std::string& key = VideoKeyOf(*task);
        if (std::find(hlsVideos.begin(), hlsVideos.end(), key) != hlsVideos.end())
            return true;
        hlsVideos.push_back(key);
        return false;
    });
    return tasks;
}

// Stops a download; for an HLS video, all of its fetches at once, so that
// none that ends meanwhile starts the next segment.
void CFLVDownloadManager::StopDownload(HttpTask& task)
{
    if (!IsHlsTask(task)) {
        task.running.exchange(0);
        return;
    }
    const std::string key = VideoKeyOf(task);
    for (HttpTask* other : GetDownloadTasks())
        if (IsHlsTask(*other) && VideoKeyOf(*other) == key)
            other->running.exchange(0);
}

bool CFLVDownloadManager::IsCurrentVideoDownloading() const
{
    const std::string playing = PlayingKey();
    const std::string previewing = PreviewingKey();
    for (HttpTask* task : GetDownloadTasks())
        if ((!playing.empty() && VideoKeyOf(*task) == playing) || (!previewing.empty() && VideoKeyOf(*task) == previewing))
            return true;
    return false;
}

void CFLVDownloadManager::SetVideoState(int code, InfoVideo* video)
{
    if (!video)
        return;
    if (code == VIDEO_STATE_REMOVED || code == VIDEO_STATE_HTTP_ERROR || code == VIDEO_STATE_NOT_VIDEO) {
        // The stream URL led to nothing usable: the next detection must
        // find a new one, starting from the page.
        DeleteCacheFile(*video);
        video->a5.assign(1, '0');  // (not = "0": g++ 12 -O3 warns falsely on that)
        video->a4.clear();
        video->lookupDone = 1;
        if (observer_.HasMainWindow())
            observer_.SendDetectionReport(video->a2, "d", "d");
    }
    video->state = code;
    if (video->a2.empty() || video->a2 != PlayingKey())
        return;
    switch (code) {
    case VIDEO_STATE_NO_RESPONSE: observer_.ShowStateMessage(IDS_SERVER_BUSY, *video); break;
    case VIDEO_STATE_REMOVED: observer_.ShowStateMessage(IDS_VIDEO_DELETED, *video); break;
    case VIDEO_STATE_HTTP_ERROR: observer_.ShowStateMessage(IDS_SERVER_ERROR, *video); break;
    case VIDEO_STATE_NOT_VIDEO: observer_.ShowStateMessage(IDS_NOT_VIDEO_ADDRESS, *video); break;
    default: break;
    }
}

void CFLVDownloadManager::ClearCache()
{
    ::ClearCache();
    // Fetches still running find neither their job nor their stream.
    hlsJobs_.clear();
    hlsDecrypts_.clear();
    hlsStreams_.clear();
}

void CFLVDownloadManager::MarkForRestart(const std::string& key, std::int64_t alreadyGiven)
{
    for (CPlayRequest* request : RequestsOf(key))
        if (!HasNoBodyYet(*request))
            restarted_[request] = Restarted{key, alreadyGiven};
}

void CFLVDownloadManager::OnTaskResponseHeader(HttpTask* task, const platform::HttpResponse& response)
{
    if (IsHlsTask(*task)) {
        const auto it = hlsJobs_.find(task->key);
        if (it != hlsJobs_.end())
            OnHlsHeader(*task, it->second, response);
        return;
    }
    if (IsRelayTask(*task)) {
        OnRelayHeader(*task, response);
        return;
    }
    InfoVideo* video = FindVideo(task->key);
    if (!video || !observer_.HasMainWindow() || task->statusCode == 0)
        return;
    if (task->rangeStart != 0) {
        const std::int64_t rangeTotal = ParseContentRange(response.QueryHeader("Content-Range")).total;
        if (task->statusCode == 206) {
            // The record may have lost the total (an earlier run that ended
            // without saving, or a first answer without length); the
            // resume's Content-Range tells it.
            if (rangeTotal > 0)
                video->a5 = std::to_string(rangeTotal);
            const std::int64_t total = ParseSize(video->a5);
            const std::string path = GetCachePath(*video);
            for (CPlayRequest* request : RequestsOf(video->a2)) {
                if (total > 0)
                    request->SetContentLength(total);
                // A request that already has the cached part continues with
                // the new blocks; giving it the file again would repeat bytes.
                if (HasNoBodyYet(*request))
                    request->AttachCacheFile(path);
            }
        } else if (task->statusCode == 416 && rangeTotal == task->rangeStart) {
            // Nothing lies beyond the cached bytes: the cache is complete.
            task->running.exchange(0);
            CompleteFromCache(*video, rangeTotal);
        } else {
            // The server ignored the range: start again from byte 0.
            task->running.exchange(0);
            MarkForRestart(video->a2, task->rangeStart);
            DeleteCacheFile(*video);
            StartDownload(video);
        }
        return;
    }
    if (task->statusCode != 200) {
        task->running.exchange(0);
        SetVideoState(task->statusCode == 404 ? VIDEO_STATE_REMOVED : VIDEO_STATE_HTTP_ERROR, video);
        return;
    }
    DeleteCacheFile(*video);
    video->a5 = std::to_string(task->contentLength);
    // An unknown length is left out of the answer rather than announced as
    // 0, which a player would take for an empty video; the body then ends
    // when the connection closes.
    if (task->contentLength > 0) {
        for (CPlayRequest* request : RequestsOf(video->a2))
            request->SetContentLength(task->contentLength);
    }
}

void CFLVDownloadManager::CompleteFromCache(InfoVideo& video, std::int64_t total)
{
    video.a5 = std::to_string(total);
    const std::string path = GetCachePath(video);
    for (CPlayRequest* request : RequestsOf(video.a2)) {
        request->SetContentLength(total);
        if (HasNoBodyYet(*request))
            request->AttachCacheFile(path);
    }
    if (playServer_)
        playServer_->MarkRequestsComplete(video.a2);
    observer_.RefreshPlayingSizeAndDuration();
    // A video that shares a stream already cached gets its size here, with
    // no block downloaded: its row must show it all the same.
    BroadcastEvent(WM_FLV_DOWNLOAD_PROGRESS, reinterpret_cast<WPARAM>(&video));
}

void CFLVDownloadManager::OnTaskReceive(HttpTask* task, const char* data, int count, int)
{
    if (IsHlsTask(*task)) {
        const auto it = hlsJobs_.find(task->key);
        if (it != hlsJobs_.end())
            OnHlsReceive(*task, it->second, data, static_cast<std::size_t>(count));
        return;
    }
    if (IsRelayTask(*task)) {
        OnRelayReceive(*task, data, static_cast<std::size_t>(count));
        return;
    }
    InfoVideo* video = FindVideo(task->key);
    if (!video || !observer_.HasMainWindow())
        return;
    if (task->rangeStart == 0 && !JudgeStreamStart(*task, data, static_cast<std::size_t>(count))) {
        task->running.exchange(0);
        if (IsManifestStart(ClassifyStreamStart(task->streamStart.data(), task->streamStart.size())))
            TurnToHls(*video);
        else
            SetVideoState(VIDEO_STATE_NOT_VIDEO, video);
        return;
    }
    // A failed write loses the block on disk only; a later resume starts
    // from the file's real size.
    AppendToCacheFile(GetCachePath(*video), data, static_cast<std::size_t>(count));
    PushToRequests(video->a2, data, static_cast<std::size_t>(count));
    BroadcastEvent(WM_FLV_DOWNLOAD_PROGRESS, reinterpret_cast<WPARAM>(video));
}

// A download from byte 0 must start like a video. Its first blocks are
// collected until they tell (a server may send an FLV header on its own);
// false once they say it is something else.
bool CFLVDownloadManager::JudgeStreamStart(HttpTask& task, const char* data, std::size_t count)
{
    if (task.streamStartJudged)
        return true;
    task.streamStart.append(data, std::min(count, kStreamStartBytes - task.streamStart.size()));
    const StreamStart kind = ClassifyStreamStart(task.streamStart.data(), task.streamStart.size());
    if (kind == StreamStart::Undecided && task.streamStart.size() < kStreamStartBytes)
        return true;
    task.streamStartJudged = true;
    return IsVideoStart(kind);
}

void CFLVDownloadManager::PushToRequests(const std::string& key, const char* data, std::size_t count)
{
    const std::vector<CPlayRequest*> requests = RequestsOf(key);
    std::erase_if(restarted_, [&](const auto& entry) {
        return entry.second.key == key && std::find(requests.begin(), requests.end(), entry.first) == requests.end();
    });
    for (CPlayRequest* request : requests) {
        std::size_t offset = 0;
        const auto it = restarted_.find(request);
        if (it != restarted_.end()) {
            offset = static_cast<std::size_t>(std::min<std::int64_t>(it->second.skip, static_cast<std::int64_t>(count)));
            it->second.skip -= static_cast<std::int64_t>(offset);
            if (it->second.skip == 0)
                restarted_.erase(it);
        }
        if (offset < count)
            request->PushData(data + offset, count - offset);
    }
}

void CFLVDownloadManager::OnTaskFinish(HttpTask* task, bool success)
{
    if (IsHlsTask(*task)) {
        OnHlsFinish(*task, success);
        return;
    }
    if (IsRelayTask(*task)) {
        OnRelayFinish(*task, success);
        return;
    }
    InfoVideo* video = FindVideo(task->key);
    if (!video || !observer_.HasMainWindow())
        return;
    if (task->statusCode == 0) {
        task->running.exchange(0);
        SetVideoState(VIDEO_STATE_NO_RESPONSE, video);
        return;
    }
    if (!success) {
        // The partial file stays; the next download resumes it.
        SetVideoState(VIDEO_STATE_INCOMPLETE, video);
        return;
    }
    if (task->rangeStart == 0 && !task->streamStartJudged) {
        // The whole answer was too short to tell: it is no video.
        SetVideoState(VIDEO_STATE_NOT_VIDEO, video);
        return;
    }
    const CacheSizes sizes = GetCacheSizes(*video);
    CompleteFromCache(*video, sizes.total == 0 ? sizes.cached : sizes.total);
}

void CFLVDownloadManager::RunBackgroundStep()
{
    SweepRelays();
    if (!observer_.HasMainWindow() || IsCurrentVideoDownloading() || !settings_.IsBackgroundCachingOn())
        return;
    const std::vector<HttpTask*> running = BackgroundDownloads();
    const int r = static_cast<int>(running.size());
    // A hand-edited "setting.xml" may hold any number; the setting means 1 to 3.
    const int m = std::clamp(settings_.MaxBackgroundDownloads(), 1, 3);
    if (r == m)
        return;
    if (r > m) {
        // The oldest give way.
        for (int i = 0; i < r - m; ++i)
            StopDownload(*running[static_cast<std::size_t>(i)]);
        return;
    }
    if (!observer_.IsDetectionIdle())
        return;
    for (InfoVideo* video : settings_.PlayList()) {
        if (IsHlsVideo(*video)) {
            if (!HlsHasWork(*video))
                continue;
            StartHls(*video);
            return;
        }
        if (IsComplete(*video) || !GetRunningTasksForUrl(video->a4).empty())
            continue;
        if (!video->a4.empty()) {
            const bool segment = video->a2.find(' ') != std::string::npos;
            if (video->state == VIDEO_STATE_LOADED || video->state == VIDEO_STATE_DETECTED
                || video->state == VIDEO_STATE_RESOLVED || segment) {
                StartDownload(video);
                return;
            }
        } else if (video->state == VIDEO_STATE_NEW || video->state == VIDEO_STATE_LOADED) {
            observer_.StartBackgroundDetection(*video);
            return;
        }
    }
}

LRESULT CFLVDownloadManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kBackgroundTimerId) {
        RunBackgroundStep();
        return 0;
    }
    if (msg == WM_TIMER && wParam == kLiveReloadTimerId) {
        ReloadDueStreams();
        return 0;
    }
    if (msg == WM_HLS_SEGMENT_DECRYPTED) {
        OnHlsDecrypted(static_cast<std::uint64_t>(lParam), wParam != 0);
        return 0;
    }
    return FCHttpTaskManager<CWnd>::WindowProc(msg, wParam, lParam);
}
