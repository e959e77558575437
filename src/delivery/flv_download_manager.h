#pragma once
// The video cache's downloads: starts and resumes the download of a play
// list video, appends every block to its cache file, pushes the same block
// to the play requests showing that video, decides where a new play request
// gets its data from, records failures in the video's state, and fills the
// cache of the other play list videos in the background while the user
// watches nothing that is still downloading. A Range request for bytes far
// beyond the cached part (a player reading an MP4's index at its end, or
// seeking ahead) is relayed from the origin at once while the download goes
// on. User-interface thread only.
#include "delivery/download_settings.h"
#include "delivery/flv_download_observer.h"
#include "common/ids/string_ids.h"
#include "delivery/hls_status.h"
#include "delivery/hls_stream.h"
#include "delivery/http_task_manager.h"
#include "delivery/play_request_manager.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class InfoVideo;

class CFLVDownloadManager : public FCHttpTaskManager<CWnd>, public IPlayRequestServer {
public:
    static constexpr UINT_PTR kBackgroundTimerId = 567;
    static constexpr UINT_PTR kLiveReloadTimerId = 568;
    static constexpr unsigned kBackgroundPeriodMs = 3000;
    static constexpr int kBlockSize = 65536;
    static constexpr int kStartDelayMs = 500;
    // A Range request starting this far beyond the cached bytes is relayed
    // from the origin rather than left to wait for the download.
    static constexpr std::int64_t kRelayGap = 2 * kBlockSize;

    // Creates the window and starts the background timer. The play server
    // and the observer may be null (no requests, no window or detection).
    CFLVDownloadManager(IDownloadSettings& settings, CPlayRequestManager* playServer,
                        IFlvDownloadObserver* observer = nullptr);
    ~CFLVDownloadManager() override;

    void StartDownload(InfoVideo* video);
    void ServeRequest(CPlayRequest& request) override;
    void OnRequestEnded() override;
    void StopDownloadsExceptPlaying();
    void StopDownloadsExceptCurrent();
    std::vector<HttpTask*> GetRunningTasksForUrl(const std::string& url) const;
    bool IsCurrentVideoDownloading() const;
    void SetVideoState(int code, InfoVideo* video);
    void ClearCache();
    // One background step, as the timer runs it.
    void RunBackgroundStep();

    // Tests shorten the timer (0 stops it) and the start delay.
    void SetBackgroundPeriod(unsigned periodMs);
    void SetStartDelay(int delayMs) { startDelayMs_ = delayMs; }
    void SetRelayGap(std::int64_t bytes) { relayGap_ = bytes; }
    // Tests reload live playlists this often; 0 (the default) takes each
    // playlist's target duration.
    void SetLiveReloadPeriod(unsigned periodMs) { liveReloadMs_ = periodMs; }
    // Relays from the origin whose files are still kept, for tests.
    std::size_t GetRelayCount() const { return relays_.size(); }

    using HlsStatus = ::HlsStatus;
    HlsStatus GetHlsStatus(const std::string& key) const;
    // Segments fetched at once per HLS video.
    static constexpr int kHlsParallelFetches = 2;

protected:
    void OnTaskResponseHeader(HttpTask* task, const platform::HttpResponse& response) override;
    void OnTaskReceive(HttpTask* task, const char* data, int count, int elapsedMs) override;
    void OnTaskFinish(HttpTask* task, bool success) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static std::string RequestHeadersOf(const InfoVideo& video);
    InfoVideo* FindVideo(const std::string& key) const;
    std::string PlayingKey() const;
    std::string PreviewingKey() const;
    std::vector<CPlayRequest*> RequestsOf(const std::string& key) const;
    std::vector<HttpTask*> GetDownloadTasks() const;
    std::vector<HttpTask*> BackgroundDownloads() const;
    void StopDownload(HttpTask& task);

    // Relays (flv_download_relay.cpp).
    struct Relay {
        std::string videoKey;
        std::uint64_t request = 0;  // the request's serial
        std::string path;           // the relayed bytes, from offset on
        std::int64_t offset = 0;
        bool ended = false;         // its task is over
    };
    static bool IsRelayTask(const HttpTask& task);
    bool MaybeRelay(InfoVideo& video, CPlayRequest& request, std::int64_t cached, std::int64_t total);
    CPlayRequest* RelayRequest(const Relay& relay) const;
    void OnRelayHeader(HttpTask& task, const platform::HttpResponse& response);
    void OnRelayReceive(HttpTask& task, const char* data, std::size_t count);
    void OnRelayFinish(HttpTask& task, bool success);
    // Stops the relay; its request goes back to the cache file.
    void AbandonRelay(HttpTask& task);
    // Forgets relays whose request has gone or whose task was stopped,
    // deleting their files.
    void SweepRelays();
    void RemoveRelayFiles();
    static void RemoveStaleRelayFiles();
    bool IsTaskRunning(const std::string& key) const;
    // The video a task downloads for: its key, or a relay's video.
    const std::string& VideoKeyOf(const HttpTask& task) const;
    // HLS and DASH (flv_download_hls.cpp). A video plays from segments when
    // detection found a manifest or its segment folder ("<md5>.hls")
    // exists; its manifests and segments are fetched by tasks keyed
    // "hls:<n>".
    struct HlsJob {
        enum Kind { Manifest, Segment, Key, Index, Reload } kind = Manifest;
        std::string videoKey;
        std::size_t entry = 0;  // Segment: the book entry; Key: the key's index; Index: the DASH track
        bool failed = false;    // refused by the origin
        std::int64_t rangeFirst = -1;  // a byte range's first byte asked for; -1: no range of its own
    };
    static bool IsHlsVideo(const InfoVideo& video);
    CHlsStream& HlsStreamOf(const InfoVideo& video);
    void StartHls(InfoVideo& video);
    // Whether the background step has something to fetch for the video:
    // nothing of it runs, and its playlist or some segment is still to come.
    bool HlsHasWork(const InfoVideo& video);
    // A plain download found a manifest: the video plays from segments from now on.
    void TurnToHls(InfoVideo& video);
    void ServeHlsRequest(InfoVideo& video, CPlayRequest& request);
    void FetchHlsSegments(InfoVideo& video, CHlsStream& stream);
    // rangeLast >= 0: only bytes rangeStart to rangeLast are asked for, and
    // only a 206 answer of them is taken.
    void AddHlsTask(const InfoVideo& video, const HlsJob& job, const std::string& url, std::int64_t rangeStart,
                    std::int64_t rangeLast = -1);
    void OnHlsHeader(HttpTask& task, HlsJob& job, const platform::HttpResponse& response);
    void OnHlsReceive(HttpTask& task, const HlsJob& job, const char* data, std::size_t count);
    void OnHlsFinish(HttpTask& task, bool success);
    // A job is over (its task finished, or was stopped for a wrong answer).
    void SettleHlsJob(HttpTask& task, const HlsJob& job, bool whole);
    void OnDashIndex(InfoVideo& video, CHlsStream& stream, HttpTask& task, const HlsJob& job, bool ok);
    void OnHlsPlaylist(InfoVideo& video, CHlsStream& stream, HttpTask& task, bool ok);
    // failure: the status line's string when nothing was adopted.
    void FinishManifest(InfoVideo& video, CHlsStream& stream, bool adopted, int failure = IDS_SERVER_ERROR);
    void OnHlsKey(InfoVideo& video, CHlsStream& stream, HttpTask& task, const HlsJob& job, bool ok);
    // Answers the requests waiting for an entry (-1: the playlist) from the
    // cache, or with 404 when it cannot be had.
    void AnswerHlsWaiting(const std::string& key, CHlsStream& stream, int entry);
    // A segment's fetch is over: its file is there (committed), or it is
    // tried again or missing; a part the origin refused goes.
    void EndHlsFetch(InfoVideo& video, CHlsStream& stream, std::size_t entry, bool committed, bool refused);
    // An encrypted segment is decrypted on a worker, which answers with
    // WM_HLS_SEGMENT_DECRYPTED and the number of its HlsDecrypt.
    void DecryptHlsSegment(const InfoVideo& video, const SegmentDecryption& work, std::size_t entry);
    void OnHlsDecrypted(std::uint64_t number, bool ok);
    static bool IsHlsTask(const HttpTask& task);
    void SweepHlsJobs();
    // Live playlists (flv_download_hls_live.cpp): reloaded on the task
    // workers every target duration while the video plays or previews.
    bool IsWatched(const std::string& key) const;
    void ScheduleReload(CHlsStream& stream, bool changed);
    void ArmReloadTimer();
    void ReloadDueStreams();
    void StartReload(InfoVideo& video, CHlsStream& stream);
    void OnHlsReload(InfoVideo& video, CHlsStream& stream, HttpTask& task, bool ok);
    // A live stream that plays reloads when none runs or is due.
    void KeepReloading(InfoVideo& video, CHlsStream& stream);
    unsigned liveReloadMs_ = 0;
    std::map<std::string, std::unique_ptr<CHlsStream>> hlsStreams_;  // by video key
    std::map<std::string, HlsJob> hlsJobs_;                           // by task key
    std::uint64_t lastHlsTask_ = 0;
    struct HlsDecrypt {
        std::string videoKey;
        std::size_t entry = 0;
    };
    std::map<std::uint64_t, HlsDecrypt> hlsDecrypts_;  // by number
    std::uint64_t lastHlsDecrypt_ = 0;

    static bool JudgeStreamStart(HttpTask& task, const char* data, std::size_t count);
    void PushToRequests(const std::string& key, const char* data, std::size_t count);
    void MarkForRestart(const std::string& key, std::int64_t alreadyGiven);
    // The cache file holds the whole video of `total` bytes.
    void CompleteFromCache(InfoVideo& video, std::int64_t total);

    IDownloadSettings& settings_;
    CPlayRequestManager* playServer_;
    IFlvDownloadObserver defaultObserver_;
    IFlvDownloadObserver& observer_;
    int startDelayMs_ = kStartDelayMs;
    std::int64_t relayGap_ = kRelayGap;
    std::map<std::string, Relay> relays_;  // by task key
    std::uint64_t lastRelay_ = 0;

    // Requests that were given the first bytes of a download that had to
    // start again from byte 0: those bytes are not pushed to them twice.
    struct Restarted {
        std::string key;
        std::int64_t skip = 0;
    };
    std::map<const CPlayRequest*, Restarted> restarted_;
};
