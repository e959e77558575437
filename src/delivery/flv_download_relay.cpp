// Relays from the origin: a Range request for bytes far beyond what the
// cache holds gets them from a transient download of its own, written to a
// file beside the cache file, while the main download goes on filling the
// cache in order. A browser playing an MP4 whose index ("moov") sits at the
// end asks for those last bytes before anything else; without the relay it
// would wait for the whole download. The relay's bytes are not merged into
// the cache, whose file holds the video from byte 0 without gaps.
#include "delivery/flv_download_manager.h"

#include "delivery/content_range.h"
#include "delivery/flv_cache.h"
#include "platform/http_client.h"
#include "records/info_video.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::string_view kRelayKeyPrefix = "relay:";
constexpr std::string_view kRelayFileMark = ".relay-";

}  // namespace

bool CFLVDownloadManager::IsRelayTask(const HttpTask& task)
{
    return task.key.starts_with(kRelayKeyPrefix);
}

// Removes relay files a killed program left in the cache folder.
void CFLVDownloadManager::RemoveStaleRelayFiles()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(GetCacheFolder(), error))
        if (entry.path().filename().string().find(kRelayFileMark) != std::string::npos)
            std::filesystem::remove(entry.path(), error);
}

bool CFLVDownloadManager::MaybeRelay(InfoVideo& video, CPlayRequest& request, std::int64_t cached, std::int64_t total)
{
    const std::optional<ByteSpan> span = request.ResolveRange(total);
    if (!span || span->first < cached + relayGap_ || request.IsHeadRequest())
        return false;
    SweepRelays();
    const std::string key = std::string(kRelayKeyPrefix) + std::to_string(++lastRelay_);
    Relay relay;
    relay.videoKey = video.a2;
    relay.request = request.Serial();
    relay.path = GetCachePath(video) + std::string(kRelayFileMark) + std::to_string(lastRelay_);
    relay.offset = span->first;
    std::remove(relay.path.c_str());
    relays_[key] = relay;
    AddTask(video.a4, span->first, span->last - span->first + 1, false, key, RequestHeadersOf(video), kBlockSize, 0);
    return true;
}

void CFLVDownloadManager::OnRequestEnded()
{
    if (!relays_.empty())
        SweepRelays();
}

CPlayRequest* CFLVDownloadManager::RelayRequest(const Relay& relay) const
{
    for (CPlayRequest* request : RequestsOf(relay.videoKey))
        if (request->Serial() == relay.request && !request->HasEnded())
            return request;
    return nullptr;
}

// Only an answer with exactly the asked-for bytes is relayed; anything else
// (an origin that ignores Range, an error) leaves the request waiting for
// the main download, as it would without a relay.
void CFLVDownloadManager::OnRelayHeader(HttpTask& task, const platform::HttpResponse& response)
{
    const auto it = relays_.find(task.key);
    if (it == relays_.end())
        return;
    CPlayRequest* request = RelayRequest(it->second);
    const ContentRange range = ParseContentRange(response.QueryHeader("Content-Range"));
    if (!request || task.statusCode != 206 || range.first != it->second.offset) {
        AbandonRelay(task);
        return;
    }
    std::FILE* file = std::fopen(it->second.path.c_str(), "wb");
    if (!file) {
        AbandonRelay(task);
        return;
    }
    std::fclose(file);
    request->ReadSpanFrom(it->second.path, it->second.offset);
}

void CFLVDownloadManager::OnRelayReceive(HttpTask& task, const char* data, std::size_t count)
{
    const auto it = relays_.find(task.key);
    if (it == relays_.end())
        return;
    CPlayRequest* request = RelayRequest(it->second);
    // The player has gone (it seeks elsewhere, or closed): nobody needs more.
    if (!request || !AppendToCacheFile(it->second.path, data, count)) {
        AbandonRelay(task);
        return;
    }
    request->PushData(data, count);
}

void CFLVDownloadManager::OnRelayFinish(HttpTask& task, bool success)
{
    const auto it = relays_.find(task.key);
    if (it == relays_.end())
        return;
    if (!success) {
        AbandonRelay(task);
        return;
    }
    // The file stays while its request reads it.
    it->second.ended = true;
    SweepRelays();
}

void CFLVDownloadManager::AbandonRelay(HttpTask& task)
{
    task.running.exchange(0);
    const auto it = relays_.find(task.key);
    if (it == relays_.end())
        return;
    if (CPlayRequest* request = RelayRequest(it->second))
        request->ReadSpanFrom({}, 0);
    std::remove(it->second.path.c_str());
    relays_.erase(it);
}

void CFLVDownloadManager::SweepRelays()
{
    for (auto it = relays_.begin(); it != relays_.end();) {
        const bool running = IsTaskRunning(it->first);
        CPlayRequest* request = RelayRequest(it->second);
        if (request && (running || it->second.ended)) {
            ++it;
            continue;
        }
        // The player has gone, or the relay was stopped from outside: a
        // request still reading goes back to the cache file.
        if (running)
            StopTasksByKey(it->first);
        if (request)
            request->ReadSpanFrom({}, 0);
        std::remove(it->second.path.c_str());
        it = relays_.erase(it);
    }
}

void CFLVDownloadManager::RemoveRelayFiles()
{
    for (const auto& [key, relay] : relays_)
        std::remove(relay.path.c_str());
    relays_.clear();
}

const std::string& CFLVDownloadManager::VideoKeyOf(const HttpTask& task) const
{
    const auto it = relays_.find(task.key);
    if (it != relays_.end())
        return it->second.videoKey;
    const auto job = hlsJobs_.find(task.key);
    return job == hlsJobs_.end() ? task.key : job->second.videoKey;
}

bool CFLVDownloadManager::IsTaskRunning(const std::string& key) const
{
    for (const HttpTask* task : GetRunningTasks())
        if (task->key == key)
            return true;
    return false;
}
