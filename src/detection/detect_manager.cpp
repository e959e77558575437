#include "detection/detect_manager.h"

#include "shell/records/info_video.h"

CDetectManager::CDetectManager(Hooks hooks, std::string agent, CDetectView::Limits limits)
    : hooks_(std::move(hooks)), agent_(std::move(agent)), limits_(limits)
{
    Create();
}

CDetectManager::~CDetectManager()
{
    view_.reset();
}

void CDetectManager::StartDetection(InfoVideo& video)
{
    CancelDetection();
    video.state = VIDEO_STATE_NEW;
    view_ = std::make_unique<CDetectView>(static_cast<IDetectViewHost&>(*this), agent_, limits_);
    view_->Start(video.a2);
}

void CDetectManager::CancelDetection()
{
    // The view's own notice may still be on its way; it names a view that
    // is gone by then and is ignored.
    view_.reset();
}

std::string CDetectManager::DetectingKey() const
{
    return view_ ? view_->PageKey() : std::string();
}

LRESULT CDetectManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_DETECT_VIEW_DONE)
        return CWnd::WindowProc(msg, wParam, lParam);
    if (!view_ || reinterpret_cast<CDetectView*>(wParam) != view_.get())
        return 0;
    const std::string key = view_->PageKey();
    view_.reset();
    InfoVideo* video = FindVideo(key);
    if (video && !video->a4.empty() && video->state == VIDEO_STATE_DETECTED && hooks_.streamKnown)
        hooks_.streamKnown(key);
    return 0;
}
