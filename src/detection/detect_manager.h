#pragma once
// Starting and ending the detections of videos whose stream is not known:
// one local detection at a time (a hidden view per page); a second one
// ends the first without a result. When a view found the stream, the
// owner hears of it and plays the video. The detection service and the
// segment lists are not asked yet. User-interface thread only.
#include "detection/detect_view.h"

#include <functional>
#include <memory>
#include <string>

class CDetectManager : public CWnd, private IDetectViewHost {
public:
    struct Hooks {
        std::function<InfoVideo*(const std::string& key)> findVideo;
        std::function<void(int code, InfoVideo& video)> setVideoState;
        // The stream of the video with this key is known now.
        std::function<void(const std::string& key)> streamKnown;
    };

    CDetectManager(Hooks hooks, std::string agent, CDetectView::Limits limits);
    ~CDetectManager() override;

    void StartDetection(InfoVideo& video);
    // Ends the running detection without a result.
    void CancelDetection();
    bool IsDetectionIdle() const { return !view_; }
    // The page key of the running detection, or empty.
    std::string DetectingKey() const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    InfoVideo* FindVideo(const std::string& key) override { return hooks_.findVideo ? hooks_.findVideo(key) : nullptr; }
    void SetVideoState(int code, InfoVideo& video) override
    {
        if (hooks_.setVideoState)
            hooks_.setVideoState(code, video);
    }
    HWND ManagerWindow() const override { return GetSafeHwnd(); }

    Hooks hooks_;
    std::string agent_;
    CDetectView::Limits limits_;
    std::unique_ptr<CDetectView> view_;
};
