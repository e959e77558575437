#pragma once
// The video cache's downloads: starts and resumes the download of a play
// list video, appends every block to its cache file, pushes the same block
// to the play requests showing that video, decides where a new play request
// gets its data from, records failures in the video's state, and fills the
// cache of the other play list videos in the background while the user
// watches nothing that is still downloading. User-interface thread only.
#include "delivery/flv_download_observer.h"
#include "delivery/http_task_manager.h"
#include "delivery/play_request_manager.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CAppSetting;
class InfoVideo;

class CFLVDownloadManager : public FCHttpTaskManager<CWnd>, public IPlayRequestServer {
public:
    static constexpr UINT_PTR kBackgroundTimerId = 567;
    static constexpr unsigned kBackgroundPeriodMs = 3000;
    static constexpr int kBlockSize = 65536;
    static constexpr int kStartDelayMs = 500;

    // Creates the window and starts the background timer. The play server
    // and the observer may be null (no requests, no window or detection).
    CFLVDownloadManager(CAppSetting& settings, CPlayRequestManager* playServer,
                        IFlvDownloadObserver* observer = nullptr);
    ~CFLVDownloadManager() override;

    void StartDownload(InfoVideo* video);
    void ServeRequest(CPlayRequest& request) override;
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

protected:
    void OnTaskResponseHeader(HttpTask* task, const platform::HttpResponse& response) override;
    void OnTaskReceive(HttpTask* task, const char* data, int count, int elapsedMs) override;
    void OnTaskFinish(HttpTask* task, bool success) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    InfoVideo* FindVideo(const std::string& key) const;
    std::string PlayingKey() const;
    std::string PreviewingKey() const;
    std::vector<CPlayRequest*> RequestsOf(const std::string& key) const;
    static bool JudgeStreamStart(HttpTask& task, const char* data, std::size_t count);
    void PushToRequests(const std::string& key, const char* data, std::size_t count);
    void MarkForRestart(const std::string& key, std::int64_t alreadyGiven);
    // The cache file holds the whole video of `total` bytes.
    void CompleteFromCache(InfoVideo& video, std::int64_t total);

    CAppSetting& settings_;
    CPlayRequestManager* playServer_;
    IFlvDownloadObserver defaultObserver_;
    IFlvDownloadObserver& observer_;
    int startDelayMs_ = kStartDelayMs;

    // Requests that were given the first bytes of a download that had to
    // start again from byte 0: those bytes are not pushed to them twice.
    struct Restarted {
        std::string key;
        std::int64_t skip = 0;
    };
    std::map<const CPlayRequest*, Restarted> restarted_;
};
