#pragma once
// The local detection of one page: a hidden browser view opens the page
// while the interception reports its traffic; the first answer that a
// media player asked for (its request carries "x-flash-version: ") and
// that starts like an FLV or MP4 file is the stream. The view gives up after
// 30 s (state 11), 5 s after the page completed when it shows no player of
// a video's size (state 12), or on a page that cannot be reached (13).
// Streams over HTTPS are confirmed by fetching their first bytes again; an
// HLS or DASH manifest ends the detection with state 8. Finishing posts WM_DETECT_VIEW_DONE to the manager, which destroys the
// view. User-interface thread only.
#include "common/ids/message_ids.h"
#include "detection/hook_messages.h"
#include "detection/https_stream_probe.h"
#include "platform/web/html_view.h"
#include "platform/window.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>

class InfoVideo;

// What a view needs of the program around it.
class IDetectViewHost {
public:
    virtual ~IDetectViewHost() = default;
    virtual InfoVideo* FindVideo(const std::string& pageKey) = 0;
    virtual void SetVideoState(int code, InfoVideo& video) = 0;
    virtual void SendDetectionReport(const std::string& /*pageKey*/, const std::string& /*url*/,
                                     const std::string& /*referer*/) {}
    // Where WM_DETECT_VIEW_DONE goes.
    virtual HWND ManagerWindow() const = 0;
};

// The hidden window of one local detection, which holds its browser view:
// the manager's detection window (CDetectViewWindow) and the view that
// watches the traffic are one object here.
class CDetectView : public CWnd {
public:
    struct Limits {
        int totalMs = 30000;       // give up this long after the start
        int playerTestMs = 5000;   // test for a player this long after the page completed
        int tickMs = 1000;
    };

    CDetectView(IDetectViewHost& host, const std::string& agent, Limits limits);
    ~CDetectView() override;

    void Start(const std::string& pageKey);
    void Finish();
    bool IsFinished() const { return finished_; }
    const std::string& PageKey() const { return pageKey_; }
    // How many new windows the page asked for (every one refused).
    int RefusedWindows() const { return refusedWindows_; }
    bool IsAudioMuted() const { return view_->IsAudioMuted(); }


protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Request {
        std::string url;
        std::string agent;
        std::string referer;
        std::string rawHeaders;
    };
    bool IsTarget() const { return DetectTargetWindow.load() == GetSafeHwnd(); }
    void OnConnect(const HookConnectInfo& info);
    void OnOpenRequest(const HookOpenRequestInfo& info);
    void OnRead(const HookReadInfo& info);
    void OnTick();
    void TestForPlayer(InfoVideo& video);
    void EndWith(int state);
    void Take(const std::string& url, const std::string& referer, StreamStart kind);

    IDetectViewHost& host_;
    std::string agent_;
    Limits limits_;
    std::unique_ptr<platform::HtmlView> view_;
    std::unique_ptr<CHttpsStreamProbe> probe_;
    int watch_ = 0;
    std::string pageKey_;
    std::int64_t startMs_ = 0;
    std::int64_t documentMs_ = 0;
    bool finished_ = false;
    bool testing_ = false;
    int refusedWindows_ = 0;
    std::map<std::uint64_t, std::string> connections_;
    std::map<std::uint64_t, Request> requests_;
};

using CDetectViewWindow = CDetectView;
