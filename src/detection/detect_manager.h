#pragma once
// Finding the stream of a play-list video whose stream is not known. The
// detection service is asked first; when it has no answer within 5 s the
// page opens in a hidden view that watches its traffic (one such local
// detection at a time; a second one ends the first without a result). A
// stream found locally is reported to the service. Every found stream is
// sent to the segment service, whose further segments become records of
// their own. A video the user waits for plays (or previews) at once.
// User-interface thread only.
#include "common/composite.h"
#include "delivery/http_task_manager.h"
#include "detection/detect_commit.h"
#include "detection/detect_flv_list.h"
#include "detection/detect_view.h"

#include <functional>
#include <memory>
#include <string>

class CDetectManager : public FCHttpTaskManager<CWnd>, private IDetectViewHost {
public:
    struct Services {
        std::string lookupPrefix;   // "http://host:5678/c.quelt?"
        std::string segmentPrefix;  // "http://host/flash_process_url.php?url="
    };
    struct Limits {
        CDetectView::Limits view;
        int lookupTimeoutMs = 5000;  // a lookup older than this falls back
        int lookupTickMs = 1000;     // how often lookups are looked at
    };
    struct Hooks {
        std::function<void(int code, InfoVideo& video)> setVideoState;
        std::function<std::string()> playingKey;
        std::function<std::string()> previewingKey;
        std::function<void(const std::string& key)> play;
        std::function<void(const std::string& key)> preview;
    };

    CDetectManager(PCL_Interface_Composite<InfoVideo>& playList, Services services, Hooks hooks, std::string agent,
                   Limits limits);
    CDetectManager(PCL_Interface_Composite<InfoVideo>& playList, Services services, Hooks hooks, std::string agent)
        : CDetectManager(playList, std::move(services), std::move(hooks), std::move(agent), Limits())
    {
    }
    ~CDetectManager() override;

    // Starts a lookup (or, when the service was asked before, a local
    // detection) for a video without a stream. Returns the detection window
    // of a local detection it started, else null.
    CDetectViewWindow* StartDetection(InfoVideo& video);
    CDetectViewWindow* StartLocalDetection(const std::string& pageKey);
    void CancelDetection(const std::string& pageKey);
    void CancelAllDetection();
    bool IsDetectionIdle() const;
    // Whether the video now playing is being looked for.
    bool IsDetectingCurrent() const;
    void OnStreamKnown(const std::string& pageKey);

    CDetectCommit& Commit() { return commit_; }
    CDetectFLVList& Segments() { return segments_; }
    // The page of the running local detection, or empty.
    std::string DetectingKey() const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnTaskFinish(HttpTask* task, bool success) override;

private:
    InfoVideo* FindVideo(const std::string& key) override;
    void SetVideoState(int code, InfoVideo& video) override;
    void SendDetectionReport(const std::string& pageKey, const std::string& url, const std::string& referer) override
    {
        commit_.SendDetectionReport(pageKey, url, referer);
    }
    HWND ManagerWindow() const override { return GetSafeHwnd(); }
    void CheckLookupAges();

    PCL_Interface_Composite<InfoVideo>& playList_;
    Services services_;
    Hooks hooks_;
    std::string agent_;
    Limits limits_;
    std::unique_ptr<CDetectViewWindow> view_;
    CDetectCommit commit_;
    CDetectFLVList segments_;
};
