// The download manager's HLS videos: the manifest (and, for a master
// playlist, the variant of highest bandwidth) is fetched once, kept in the
// video's HLS folder, and the player gets a playlist of its own whose
// segments lead back to the play server; the segments are fetched into the
// folder, the one the player waits for first, each tried again after a
// failure and counted missing after the last try. A request for a segment
// that is not cached yet waits until it arrived whole. Live playlists are
// reloaded by flv_download_hls_live.cpp.
#include "delivery/flv_download_manager.h"

#include "common/event_window.h"
#include "common/ids/message_ids.h"
#include "common/ids/string_ids.h"
#include "common/stream_start.h"
#include "delivery/cache_file_reader.h"
#include "delivery/content_range.h"
#include "delivery/flv_cache.h"
#include "platform/http_client.h"
#include "records/info_video.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr const char* kHlsTaskPrefix = "hls:";
constexpr const char* kMarker = "-&flag&-";
constexpr int kPlaylistEntry = -1;

// The part of a play path after the play URL's serial: "" or "/s<i>" ...
std::string_view ResourceOf(const std::string& path)
{
    const std::size_t marker = path.find(kMarker);
    if (marker == std::string::npos)
        return "/invalid";
    std::size_t at = marker + std::string_view(kMarker).size();
    while (at < path.size() && path[at] >= '0' && path[at] <= '9')
        ++at;
    return std::string_view(path).substr(at);
}

void ServeWholeFile(CPlayRequest& request, const std::string& path)
{
    request.SetCacheFilePath(path);
    request.SetContentLength(GetFileSize64(path));
    request.AttachCacheFile(path);
    request.SetComplete(true);
}

}  // namespace

bool CFLVDownloadManager::IsHlsTask(const HttpTask& task)
{
    return task.key.starts_with(kHlsTaskPrefix);
}

bool CFLVDownloadManager::IsHlsVideo(const InfoVideo& video)
{
    return !video.a4.empty() && (video.state == VIDEO_STATE_MANIFEST || HasHlsFolder(video));
}

CHlsStream& CFLVDownloadManager::HlsStreamOf(const InfoVideo& video)
{
    std::unique_ptr<CHlsStream>& stream = hlsStreams_[video.a2];
    if (!stream) {
        stream = std::make_unique<CHlsStream>(video.a2, HlsFolderOf(video));
        stream->LoadFromCache();
    }
    return *stream;
}

CFLVDownloadManager::HlsStatus CFLVDownloadManager::GetHlsStatus(const std::string& key) const
{
    HlsStatus status;
    const auto it = hlsStreams_.find(key);
    if (it == hlsStreams_.end() || !it->second->HasPlaylist())
        return status;
    const HlsSegmentBook& book = it->second->Book();
    status.known = true;
    status.done = book.DoneCount();
    status.missing = book.MissingCount();
    status.count = book.Count();
    status.bytes = it->second->CachedBytes();
    status.live = it->second->IsLive();
    return status;
}

// A task the program stopped (the user went to another video) never
// reports its end: its job is forgotten here, costing the segment no try;
// its part stays and is resumed.
void CFLVDownloadManager::SweepHlsJobs()
{
    const std::vector<HttpTask*> running = GetRunningTasks();
    std::erase_if(hlsJobs_, [&](const auto& entry) {
        const bool alive = std::any_of(running.begin(), running.end(),
                                       [&](const HttpTask* task) { return task->key == entry.first; });
        if (alive)
            return false;
        const auto it = hlsStreams_.find(entry.second.videoKey);
        if (it != hlsStreams_.end() && entry.second.kind == HlsJob::Segment) {
            it->second->Book().FetchStopped(entry.second.entry);
            --it->second->fetching;
        }
        if (it != hlsStreams_.end() && entry.second.kind == HlsJob::Reload)
            it->second->reloading = false;
        return true;
    });
}

void CFLVDownloadManager::StartHls(InfoVideo& video)
{
    SweepHlsJobs();
    CHlsStream& stream = HlsStreamOf(video);
    if (stream.HasPlaylist()) {
        KeepReloading(video, stream);
        FetchHlsSegments(video, stream);
        return;
    }
    for (const auto& [taskKey, job] : hlsJobs_)
        if (job.videoKey == video.a2 && (job.kind == HlsJob::Manifest || job.kind == HlsJob::Key))
            return;
    stream.failed = false;
    AddHlsTask(video, HlsJob{HlsJob::Manifest, video.a2, 0, false}, video.a4, 0);
}

bool CFLVDownloadManager::HlsHasWork(const InfoVideo& video)
{
    SweepHlsJobs();
    for (const auto& [taskKey, job] : hlsJobs_)
        if (job.videoKey == video.a2)
            return false;
    const CHlsStream& stream = HlsStreamOf(video);
    // A live stream would be cached for ever: only a player fetches it.
    if (stream.IsLive())
        return false;
    return stream.HasPlaylist() ? !stream.Book().IsSettled() : !stream.failed;
}

void CFLVDownloadManager::TurnToHls(InfoVideo& video)
{
    DeleteCacheFile(video);
    video.a5.assign(1, '0');
    video.state = VIDEO_STATE_MANIFEST;
    // The requests waiting for the plain stream get the play server's
    // playlist (a player that follows it, such as mpv, plays on).
    const std::vector<CPlayRequest*> requests = RequestsOf(video.a2);
    if (requests.empty())
        StartHls(video);
    for (CPlayRequest* request : requests)
        ServeHlsRequest(video, *request);
    observer_.StreamIsManifest(video);
}

void CFLVDownloadManager::AddHlsTask(const InfoVideo& video, const HlsJob& job, const std::string& url,
                                     std::int64_t rangeStart, std::int64_t rangeLast)
{
    const std::string key = kHlsTaskPrefix + std::to_string(++lastHlsTask_);
    HlsJob& added = hlsJobs_[key] = job;
    std::string headers = "Referer: " + video.a3 + "\r\n";
    std::int64_t byteLimit = -1;
    if (rangeLast >= 0) {
        // Both ends are asked for, and no byte past the range is read.
        added.rangeFirst = rangeStart;
        headers += "Range: bytes=" + std::to_string(rangeStart) + "-" + std::to_string(rangeLast) + "\r\n";
        byteLimit = rangeLast - rangeStart + 1;
    }
    // Playlists, keys and indexes are kept whole in the task; segments go to their files.
    AddTask(url, rangeStart, byteLimit, job.kind != HlsJob::Segment, key, headers, kBlockSize, 0);
}

void CFLVDownloadManager::FetchHlsSegments(InfoVideo& video, CHlsStream& stream)
{
    HlsSegmentBook& book = stream.Book();
    const bool live = stream.IsLive();
    if (live && !IsWatched(video.a2))
        return;
    for (int entry = book.NextToFetch(); entry >= 0 && stream.fetching < kHlsParallelFetches;
         entry = book.NextToFetch()) {
        const auto index = static_cast<std::size_t>(entry);
        book.StartFetch(index);
        ++stream.fetching;
        std::int64_t partial = std::max<std::int64_t>(0, GetFileSize64(stream.PartOf(index)));
        const HlsJob job{HlsJob::Segment, video.a2, index, false};
        const ByteRange range = stream.RangeOf(index);
        if (!range.set) {
            AddHlsTask(video, job, stream.UrlOf(index), partial);
            continue;
        }
        // A byte range of a file: its part resumes within the range.
        if (static_cast<std::uint64_t>(partial) >= range.Size()) {
            std::remove(stream.PartOf(index).c_str());
            partial = 0;
        }
        AddHlsTask(video, job, stream.UrlOf(index), static_cast<std::int64_t>(range.first) + partial,
                   static_cast<std::int64_t>(range.last));
    }
    if (!live && book.IsSettled() && book.MissingCount() > 0 && !stream.missingReported) {
        stream.missingReported = true;
        video.state = VIDEO_STATE_INCOMPLETE;
        observer_.ReportMissingSegments(video, book.MissingCount(), book.Count());
    }
}

void CFLVDownloadManager::ServeHlsRequest(InfoVideo& video, CPlayRequest& request)
{
    const HlsResource resource = ParseHlsResource(ResourceOf(request.GetPath()));
    SweepHlsJobs();
    CHlsStream& stream = HlsStreamOf(video);
    if (resource.kind == HlsResource::Invalid || (resource.kind != HlsResource::Playlist && !stream.HasPlaylist())) {
        request.AnswerError(404);
        return;
    }
    if (resource.kind == HlsResource::Playlist) {
        if (stream.IsLive() && !stream.fresh) {
            // A recorded live stream: the site's window first; the cached
            // part alone when the site cannot be had.
            stream.waiting.emplace_back(request.Serial(), kPlaylistEntry);
            StartReload(video, stream);
        } else if (stream.HasPlaylist()) {
            KeepReloading(video, stream);
            ServeWholeFile(request, stream.LocalPlaylistPath());
            FetchHlsSegments(video, stream);
        } else {
            stream.waiting.emplace_back(request.Serial(), kPlaylistEntry);
            StartHls(video);
        }
        return;
    }
    const std::size_t entry =
        resource.kind == HlsResource::Init ? stream.InitEntry() : static_cast<std::size_t>(resource.index);
    HlsSegmentBook& book = stream.Book();
    if (entry >= book.Count() || book.StateOf(entry) == HlsSegmentBook::State::Missing) {
        request.AnswerError(404);
        return;
    }
    if (book.StateOf(entry) == HlsSegmentBook::State::Done) {
        ServeWholeFile(request, stream.FileOf(entry));
        return;
    }
    stream.waiting.emplace_back(request.Serial(), static_cast<int>(entry));
    book.Want(entry);
    FetchHlsSegments(video, stream);
}

void CFLVDownloadManager::AnswerHlsWaiting(const std::string& key, CHlsStream& stream, int entry)
{
    const std::vector<CPlayRequest*> requests = RequestsOf(key);
    std::erase_if(stream.waiting, [&](const std::pair<std::uint64_t, int>& waiter) {
        if (waiter.second != entry)
            return false;
        for (CPlayRequest* request : requests) {
            if (request->Serial() != waiter.first)
                continue;
            const bool have = entry == kPlaylistEntry
                                  ? stream.HasPlaylist()
                                  : stream.Book().StateOf(static_cast<std::size_t>(entry)) == HlsSegmentBook::State::Done;
            if (have)
                ServeWholeFile(*request, entry == kPlaylistEntry ? stream.LocalPlaylistPath()
                                                                 : stream.FileOf(static_cast<std::size_t>(entry)));
            else
                request->AnswerError(404);
        }
        return true;
    });
}

void CFLVDownloadManager::OnHlsHeader(HttpTask& task, HlsJob& job, const platform::HttpResponse& response)
{
    if (job.rangeFirst >= 0) {
        // A byte range counts only as the 206 of that range. An origin that
        // sends the whole file (200) or another part is not cut to size:
        // that would fetch the whole file for every segment. Such a fetch
        // fails at once (the task stops, the rest is never read) and is
        // tried again like any failed fetch.
        if (task.statusCode == 206 && ParseContentRange(response.QueryHeader("Content-Range")).first == job.rangeFirst)
            return;
        job.failed = true;
        if (task.statusCode < 200 || task.statusCode > 299)
            return;  // an error's body is read and dropped, so that its end is heard
        task.running.exchange(0);
        const HlsJob stopped = job;
        hlsJobs_.erase(task.key);
        SettleHlsJob(task, stopped, false);
        return;
    }
    const bool resumed = task.rangeStart > 0;
    if (task.statusCode == 200 || (resumed && task.statusCode == 206)) {
        if (job.kind == HlsJob::Segment && resumed && task.statusCode == 200) {
            // The origin ignored the range: the segment comes from byte 0.
            const auto it = hlsStreams_.find(job.videoKey);
            if (it != hlsStreams_.end())
                std::remove(it->second->PartOf(job.entry).c_str());
        }
        return;
    }
    // The refusal's body is read and dropped, so that its end is heard (a
    // stopped task's end is not).
    job.failed = true;
}

void CFLVDownloadManager::OnHlsReceive(HttpTask& task, const HlsJob& job, const char* data, std::size_t count)
{
    if (job.kind != HlsJob::Segment || job.failed || !task.running.load())
        return;
    const auto it = hlsStreams_.find(job.videoKey);
    if (it != hlsStreams_.end())
        AppendToCacheFile(it->second->PartOf(job.entry), data, count);
}

void CFLVDownloadManager::OnHlsFinish(HttpTask& task, bool success)
{
    const auto jobIt = hlsJobs_.find(task.key);
    if (jobIt == hlsJobs_.end())
        return;
    const HlsJob job = jobIt->second;
    hlsJobs_.erase(jobIt);
    SettleHlsJob(task, job, success && !job.failed && task.statusCode != 0);
}

void CFLVDownloadManager::SettleHlsJob(HttpTask& task, const HlsJob& job, bool whole)
{
    InfoVideo* video = FindVideo(job.videoKey);
    const auto streamIt = hlsStreams_.find(job.videoKey);
    if (!video || streamIt == hlsStreams_.end())
        return;
    CHlsStream& stream = *streamIt->second;
    if (job.kind == HlsJob::Manifest) {
        OnHlsPlaylist(*video, stream, task, whole);
        return;
    }
    if (job.kind == HlsJob::Key) {
        OnHlsKey(*video, stream, task, job, whole);
        return;
    }
    if (job.kind == HlsJob::Index) {
        OnDashIndex(*video, stream, task, job, whole);
        return;
    }
    if (job.kind == HlsJob::Reload) {
        OnHlsReload(*video, stream, task, whole);
        return;
    }
    --stream.fetching;
    // The segment stays in fetching while it is decrypted, so that nothing
    // fetches it again meanwhile; the next fetch starts at once.
    if (const std::optional<SegmentDecryption> work = stream.DecryptionOf(job.entry); work && whole)
        DecryptHlsSegment(*video, *work, job.entry);
    else
        EndHlsFetch(*video, stream, job.entry, whole && stream.CommitPart(job.entry), job.failed);
    FetchHlsSegments(*video, stream);
}

void CFLVDownloadManager::EndHlsFetch(InfoVideo& video, CHlsStream& stream, std::size_t entry, bool committed,
                                      bool refused)
{
    HlsSegmentBook& book = stream.Book();
    if (committed) {
        book.MarkDone(entry);
        AnswerHlsWaiting(video.a2, stream, static_cast<int>(entry));
        BroadcastEvent(WM_FLV_DOWNLOAD_PROGRESS, reinterpret_cast<WPARAM>(&video));
        return;
    }
    // A transfer cut short keeps its part, which the next try resumes.
    if (refused)
        std::remove(stream.PartOf(entry).c_str());
    if (!book.FetchFailed(entry))
        AnswerHlsWaiting(video.a2, stream, static_cast<int>(entry));
}

void CFLVDownloadManager::DecryptHlsSegment(const InfoVideo& video, const SegmentDecryption& work, std::size_t entry)
{
    const std::uint64_t number = ++lastHlsDecrypt_;
    hlsDecrypts_[number] = HlsDecrypt{video.a2, entry};
    StartSegmentDecrypt(GetSafeHwnd(), WM_HLS_SEGMENT_DECRYPTED, static_cast<LPARAM>(number), work);
}

// A segment that does not decrypt (a wrong key) counts as a failed fetch:
// after the last try it is missing, and the stream is never complete.
void CFLVDownloadManager::OnHlsDecrypted(std::uint64_t number, bool ok)
{
    const auto it = hlsDecrypts_.find(number);
    if (it == hlsDecrypts_.end())
        return;  // the cache was cleared meanwhile
    const HlsDecrypt done = it->second;
    hlsDecrypts_.erase(it);
    InfoVideo* video = FindVideo(done.videoKey);
    const auto stream = hlsStreams_.find(done.videoKey);
    if (!video || stream == hlsStreams_.end())
        return;
    EndHlsFetch(*video, *stream->second, done.entry, ok, false);
    FetchHlsSegments(*video, *stream->second);
}

// A manifest arrived: a master playlist leads to its variant of highest
// bandwidth; a finished media playlist or an on-demand DASH manifest is
// adopted and its segments fetched.
void CFLVDownloadManager::OnHlsPlaylist(InfoVideo& video, CHlsStream& stream, HttpTask& task, bool ok)
{
    const std::string text = ok && task.body ? *task.body : std::string();
    const StreamStart kind = ClassifyStreamStart(text.data(), text.size());
    if (kind == StreamStart::DashManifest) {
        const DashManifest manifest = ParseDashManifest(text, task.url);
        if (manifest.AwaitsIndex()) {
            // SegmentBase: each track's segment index first, with the
            // video's Referer like everything else.
            stream.AwaitDashIndexes(manifest, text, task.url);
            for (std::size_t t = 0; t < manifest.tracks.size(); ++t) {
                const DashTrack& track = manifest.tracks[t];
                if (AwaitsIndex(track))
                    AddHlsTask(video, HlsJob{HlsJob::Index, video.a2, t, false}, track.indexUrl,
                               static_cast<std::int64_t>(track.indexRange.first),
                               static_cast<std::int64_t>(track.indexRange.last));
            }
            return;
        }
        if (manifest.IsPlayable())
            stream.AdoptDash(manifest, text, task.url);
        FinishManifest(video, stream, manifest.IsPlayable());
        return;
    }
    const HlsPlaylist playlist = kind == StreamStart::HlsManifest ? ParseHlsPlaylist(text, task.url) : HlsPlaylist{};
    if (playlist.master) {
        if (const HlsVariant* variant = ChooseVariant(playlist)) {
            AddHlsTask(video, HlsJob{HlsJob::Manifest, video.a2, 0, false}, variant->url, 0);
            return;
        }
    }
    if (playlist.unsupportedKey) {
        FinishManifest(video, stream, false, IDS_HLS_KEY_UNSUPPORTED);
        return;
    }
    // A live list plays live; not yet when it is encrypted or fMP4, whose
    // keys and init section would have to follow the reloads.
    const bool liveNotYet = !playlist.ended && (!playlist.keyUrls.empty() || !playlist.initUrl.empty());
    const bool playable = !playlist.master && !playlist.segments.empty() && !liveNotYet;
    if (playable && !playlist.keyUrls.empty()) {
        // AES-128: the keys first, with the video's Referer like everything else.
        stream.AwaitKeys(playlist, text, task.url);
        for (std::size_t k = 0; k < playlist.keyUrls.size(); ++k)
            AddHlsTask(video, HlsJob{HlsJob::Key, video.a2, k, false}, playlist.keyUrls[k], 0);
        return;
    }
    if (playable)
        stream.Adopt(playlist, text, task.url);
    FinishManifest(video, stream, playable);
}

// A key of an AES-128 playlist arrived (or not). A key is 16 bytes; the
// playlist is adopted once all are here, and refused at the first one that
// cannot be had.
void CFLVDownloadManager::OnHlsKey(InfoVideo& video, CHlsStream& stream, HttpTask& task, const HlsJob& job, bool ok)
{
    if (stream.AwaitedKeyUrls().empty())
        return;  // refused already by another key
    const std::string bytes = ok && task.body ? *task.body : std::string();
    if (bytes.size() != 16) {
        stream.AwaitKeys(HlsPlaylist{}, {}, {});
        FinishManifest(video, stream, false);
        return;
    }
    if (stream.TakeKey(job.entry, bytes))
        FinishManifest(video, stream, true);
}

// The segment index of a SegmentBase track arrived (or not). The manifest
// is adopted once every track's index is here, and refused at the first
// one that cannot be had or read.
void CFLVDownloadManager::OnDashIndex(InfoVideo& video, CHlsStream& stream, HttpTask& task, const HlsJob& job, bool ok)
{
    if (stream.AwaitedDash().tracks.empty())
        return;  // refused already by another index
    switch (stream.TakeDashIndex(job.entry, ok && task.body ? *task.body : std::string())) {
    case CHlsStream::IndexTaken::Adopted: FinishManifest(video, stream, true); break;
    case CHlsStream::IndexTaken::Refused: FinishManifest(video, stream, false); break;
    case CHlsStream::IndexTaken::Waiting: break;
    }
}

// The waiting player gets the play server's manifest, or 404 and the status
// line's word when none could be had.
void CFLVDownloadManager::FinishManifest(InfoVideo& video, CHlsStream& stream, bool adopted, int failure)
{
    stream.failed = !adopted;
    AnswerHlsWaiting(video.a2, stream, kPlaylistEntry);
    if (adopted)
        FetchHlsSegments(video, stream);
    if (adopted && stream.IsLive())
        ScheduleReload(stream, true);
    else if (video.a2 == PlayingKey())
        observer_.ShowStateMessage(failure, video);
}
