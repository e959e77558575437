#include "detection/detect_manager.h"

#include "common/event_window.h"
#include "detection/detection_service.h"
#include "records/info_video.h"

namespace {

constexpr UINT_PTR kLookupTimerId = 201;

}  // namespace

CDetectManager::CDetectManager(PCL_Interface_Composite<InfoVideo>& playList, Services services, Hooks hooks,
                               std::string agent, Limits limits)
    : playList_(playList), services_(std::move(services)), hooks_(std::move(hooks)), agent_(std::move(agent)),
      limits_(limits), commit_(services_.lookupPrefix), segments_(playList, services_.segmentPrefix)
{
    Create();
}

// Members go first (segments, reports, the view), then the base stops the lookups.
CDetectManager::~CDetectManager() = default;

CDetectViewWindow* CDetectManager::StartDetection(InfoVideo& video)
{
    video.a3.clear();
    video.a4.clear();
    video.state = VIDEO_STATE_NEW;
    if (video.lookupDone == 1)
        return StartLocalDetection(video.a2);
    AddTask(detection_service::LookupUrl(services_.lookupPrefix, video.a2), 0, -1, true, video.a2);
    SetTimer(kLookupTimerId, static_cast<unsigned>(limits_.lookupTickMs));
    video.lookupDone = 1;
    return nullptr;
}

CDetectViewWindow* CDetectManager::StartLocalDetection(const std::string& pageKey)
{
    // The new view becomes the detection target as it starts, so the old
    // one hears nothing more and goes without a result.
    auto view = std::make_unique<CDetectViewWindow>(static_cast<IDetectViewHost&>(*this), agent_, limits_.view);
    view->Start(pageKey);
    view_ = std::move(view);
    return view_.get();
}

void CDetectManager::CancelDetection(const std::string& pageKey)
{
    StopTasksByKey(pageKey);
    // A view's notice may still be on its way; it then names no view of ours.
    if (view_ && view_->PageKey() == pageKey)
        view_.reset();
}

void CDetectManager::CancelAllDetection()
{
    StopAllTasks();
    DetectTargetWindow.store(0);
    view_.reset();
}

bool CDetectManager::IsDetectionIdle() const
{
    return GetRunningTasks().empty() && !view_ && DetectTargetWindow.load() == 0;
}

bool CDetectManager::IsDetectingCurrent() const
{
    const std::string playing = hooks_.playingKey ? hooks_.playingKey() : std::string();
    if (playing.empty())
        return false;
    for (const HttpTask* task : GetRunningTasks())
        if (task->key == playing)
            return true;
    return view_ && view_->PageKey() == playing;
}

std::string CDetectManager::DetectingKey() const
{
    return view_ ? view_->PageKey() : std::string();
}

InfoVideo* CDetectManager::FindVideo(const std::string& key)
{
    for (InfoVideo* video : playList_)
        if (video->a2 == key)
            return video;
    return nullptr;
}

void CDetectManager::SetVideoState(int code, InfoVideo& video)
{
    if (hooks_.setVideoState)
        hooks_.setVideoState(code, video);
    else
        video.state = code;
}

// A lookup older than the limit is taken as failed: it is stopped, so its
// own end is heard of no more, and local detection takes over.
void CDetectManager::CheckLookupAges()
{
    const std::vector<HttpTask*> running = GetRunningTasks();
    if (running.empty()) {
        KillTimer(kLookupTimerId);
        return;
    }
    const std::uint32_t now = HttpTaskTickCount();
    for (HttpTask* task : running)
        if (now - task->createTick > static_cast<std::uint32_t>(limits_.lookupTimeoutMs - 1)
            && task->running.exchange(0) != 0)
            OnTaskFinish(task, false);
}

void CDetectManager::OnTaskFinish(HttpTask* task, bool success)
{
    InfoVideo* video = FindVideo(task->key);
    if (!video)
        return;
    if (success && task->body) {
        if (const auto stream = detection_service::ParseLookupAnswer(*task->body)) {
            video->a4 = stream->url;
            video->a3 = stream->referer;
            SetVideoState(VIDEO_STATE_RESOLVED, *video);
            OnStreamKnown(video->a2);
            return;
        }
    }
    StartLocalDetection(task->key);
}

void CDetectManager::OnStreamKnown(const std::string& pageKey)
{
    InfoVideo* video = FindVideo(pageKey);
    if (!video || video->a4.empty())
        return;
    // The record now has its stream, title and state: its row shows them.
    BroadcastEvent(WM_FLV_DOWNLOAD_PROGRESS, reinterpret_cast<WPARAM>(video));
    // A manifest lists its own segments.
    if (video->state != VIDEO_STATE_MANIFEST)
        segments_.QuerySegments(video->a2, video->a4);
    if (hooks_.playingKey && hooks_.play && hooks_.playingKey() == pageKey)
        hooks_.play(pageKey);
    else if (hooks_.previewingKey && hooks_.preview && hooks_.previewingKey() == pageKey)
        hooks_.preview(pageKey);
}

LRESULT CDetectManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER) {
        CheckLookupAges();
        return 0;
    }
    if (msg == WM_DETECT_VIEW_DONE) {
        if (!view_ || reinterpret_cast<CDetectView*>(wParam) != view_.get())
            return 0;
        const std::string key = view_->PageKey();
        DetectTargetWindow.store(0);
        view_.reset();
        OnStreamKnown(key);
        return 0;
    }
    return FCHttpTaskManager<CWnd>::WindowProc(msg, wParam, lParam);
}
