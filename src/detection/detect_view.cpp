#include "detection/detect_view.h"

#include "common/stream_start.h"
#include "platform/web/media_request_header.h"
#include "records/info_video.h"

#include <chrono>
#include <cstdio>

namespace {

constexpr UINT_PTR kTimerId = 100;
constexpr int kStateDetected = 5;
constexpr int kStateNoResponse = 11;
constexpr int kStateRemoved = 12;
constexpr int kStateHttpError = 13;
// A page whose server cannot be reached: its name does not resolve (-105,
// when the browser goes direct), or the interception proxy could not reach
// it — 502 for HTTP, a failed tunnel (-111) for HTTPS.
bool IsServerUnreachable(int code)
{
    return code == -105 || code == -111 || code == 502;
}

std::int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The largest player of the page, as "width height": VIDEO elements and
// OBJECT/EMBED elements of the Flash player.
constexpr const char* kPlayerTest = R"JS((function () {
  var best = [0, 0], found = false;
  var flash = /d27cdb6e-ae6d-11cf-96b8-444553540000|application\/x-shockwave-flash/i;
  var all = [].slice.call(document.getElementsByTagName('video'))
    .concat([].slice.call(document.getElementsByTagName('object')))
    .concat([].slice.call(document.getElementsByTagName('embed')));
  all.forEach(function (e) {
    if (e.tagName !== 'VIDEO' && !flash.test((e.getAttribute('classid') || '') + ' ' + (e.getAttribute('type') || ''))) return;
    found = true;
    if (e.offsetWidth * e.offsetHeight > best[0] * best[1]) best = [e.offsetWidth, e.offsetHeight];
  });
  return found ? best[0] + ' ' + best[1] : '';
})())JS";

}  // namespace

CDetectView::CDetectView(IDetectViewHost& host, const std::string& agent, Limits limits)
    : host_(host), agent_(agent), limits_(limits)
{
    Create();
    // A profile of its own: what other views fetch meanwhile passes the same
    // proxy, and only what this view's page asked for can be its stream.
    view_ = std::make_unique<platform::HtmlView>(nullptr, false, platform::HtmlView::Profile::Own);
    platform::HtmlView::Options options;
    options.loadImages = false;
    options.muted = true;
    view_->SetOptions(options);
    platform::HtmlView::Events events;
    // Pop-ups never open.
    events.newWindow = [this] {
        ++refusedWindows_;
        return static_cast<platform::HtmlView*>(nullptr);
    };
    events.documentComplete = [this](const std::string&) { documentMs_ = NowMs(); };
    events.navigationError = [this](const std::string&, int code) {
        if (IsServerUnreachable(code) && !finished_)
            EndWith(kStateHttpError);
    };
    view_->SetEvents(events);
    // What goes over HTTPS the proxy cannot read: it is fetched again.
    watch_ = platform::WatchPlayerRequests([this](const platform::PlayerRequest& request) {
        if (!finished_ && IsTarget() && probe_ && request.url.rfind("https://", 0) == 0
            && (request.pageUrl == view_->Url() || request.pageUrl == pageKey_) && view_->Requested(request.url))
            probe_->Probe(request.url);
    });
}

CDetectView::~CDetectView()
{
    platform::UnwatchPlayerRequests(watch_);
    if (IsTarget())
        DetectTargetWindow = 0;
    KillTimer(kTimerId);
    view_.reset();
}

void CDetectView::Start(const std::string& pageKey)
{
    DetectTargetWindow = GetSafeHwnd();
    pageKey_ = pageKey;
    startMs_ = NowMs();
    documentMs_ = 0;
    SetTimer(kTimerId, static_cast<unsigned>(limits_.tickMs));
    probe_ = std::make_unique<CHttpsStreamProbe>(pageKey, view_->UserAgent(),
                                                 [this](const std::string& url, StreamStart kind) {
                                                     if (!finished_ && IsTarget())
                                                         Take(url, view_->Url(), kind);
                                                 });
    view_->Navigate(pageKey);
}

void CDetectView::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    KillTimer(kTimerId);
    view_->Stop();
    if (IsTarget())
        DetectTargetWindow = 0;
    if (host_.ManagerWindow())
        platform::PostMessage(host_.ManagerWindow(), WM_DETECT_VIEW_DONE, reinterpret_cast<WPARAM>(this), 0);
}

void CDetectView::EndWith(int state)
{
    if (InfoVideo* video = host_.FindVideo(pageKey_))
        host_.SetVideoState(state, *video);
    Finish();
}

LRESULT CDetectView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_HOOK_CONNECT: OnConnect(*reinterpret_cast<const HookConnectInfo*>(wParam)); return 0;
    case WM_HOOK_OPENREQUEST: OnOpenRequest(*reinterpret_cast<const HookOpenRequestInfo*>(wParam)); return 0;
    case WM_HOOK_READFILE: OnRead(*reinterpret_cast<const HookReadInfo*>(wParam)); return 0;
    case WM_TIMER:
        if (wParam == kTimerId) {
            OnTick();
            return 0;
        }
        break;
    default: break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CDetectView::OnConnect(const HookConnectInfo& info)
{
    if (IsTarget())
        connections_[*info.connection] = *info.serverName;
}

// The request's address, and what the read test asks of its headers, kept
// now: the report's records are valid only during the send.
void CDetectView::OnOpenRequest(const HookOpenRequestInfo& info)
{
    if (!IsTarget())
        return;
    const auto connection = connections_.find(*info.connection);
    if (connection == connections_.end())
        return;
    Request request;
    request.url = info.headers->target;  // absolute, with its port
    request.agent = info.headers->Header("User-Agent");
    request.referer = info.headers->Header("Referer");
    request.rawHeaders = info.headers->RawHeaders();
    requests_[*info.request] = std::move(request);
}

void CDetectView::OnRead(const HookReadInfo& info)
{
    if (!IsTarget())
        return;
    const auto it = requests_.find(*info.request);
    if (it == requests_.end())
        return;
    // Only the start of a request's body is ever looked at.
    const Request request = std::move(it->second);
    requests_.erase(it);
    // Not the local play server's traffic, nor the program's own downloads,
    // nor another view's; and only a player's request.
    if (request.url.find("//127.0.0.1") != std::string::npos || request.agent == agent_
        || !view_->Requested(request.url) || request.rawHeaders.find("x-flash-version: ") == std::string::npos)
        return;
    Take(request.url, request.referer, ClassifyStreamStart(info.buffer, *info.bytesRead));
}

// A video ends the detection with the stream (reported to the service); a
// manifest ends it too, recorded under a state of its own, since its
// segments would otherwise pass for videos.
void CDetectView::Take(const std::string& url, const std::string& referer, StreamStart kind)
{
    if (!IsVideoStart(kind) && !IsManifestStart(kind))
        return;
    if (InfoVideo* video = host_.FindVideo(pageKey_)) {
        if (video->a1.empty())
            video->a1 = view_->Title();
        host_.SetVideoState(IsVideoStart(kind) ? kStateDetected : VIDEO_STATE_MANIFEST, *video);
        video->a4 = url;
        video->a3 = referer;
        if (IsVideoStart(kind))
            host_.SendDetectionReport(pageKey_, url, referer);
    }
    Finish();
}

void CDetectView::OnTick()
{
    if (!IsTarget() || finished_)
        return;
    InfoVideo* video = host_.FindVideo(pageKey_);
    if (!video)
        return;
    const std::int64_t now = NowMs();
    if (now - startMs_ > limits_.totalMs) {
        EndWith(kStateNoResponse);
        return;
    }
    if (documentMs_ != 0 && now - documentMs_ >= limits_.playerTestMs)
        TestForPlayer(*video);
}

// A page without a player of a video's size (300 × 250) has nothing to find.
void CDetectView::TestForPlayer(InfoVideo&)
{
    if (testing_)
        return;
    testing_ = true;
    view_->ExecScript(kPlayerTest, [this](const std::string& size) {
        testing_ = false;
        if (finished_ || !IsTarget())
            return;
        int width = 0, height = 0;
        const bool found = std::sscanf(size.c_str(), "%d %d", &width, &height) == 2;
        if (!found || width < 300 || height < 250)
            EndWith(kStateRemoved);
    });
}
