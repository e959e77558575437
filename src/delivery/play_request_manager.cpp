#include "delivery/play_request_manager.h"

#include "common/base64.h"

#include <algorithm>
#include <cctype>

namespace {

// Loopback only: the cached videos are the user's, not the network's.
constexpr const char* kListenAddress = "127.0.0.1";
constexpr int kSendBufferSize = 65536;
constexpr UINT_PTR kHeaderTimerId = 1;

// Makes every play URL, and so every request path, unique in the process.
std::uint64_t g_playUrlSerial = 0;

}  // namespace

bool CPlayRequestNotify::Start(int firstPort)
{
    port_ = 0;
    for (int port = firstPort; port <= 65535; ++port) {
        switch (Listen(kListenAddress, port, platform::SystemListenBacklog())) {
        case ListenResult::Listening:
            port_ = port;
            return true;
        case ListenResult::AddressInUse:
            continue;
        case ListenResult::Failed:
            Close();
            return false;
        }
    }
    return false;
}

void CPlayRequestNotify::OnAccept()
{
    manager_.AcceptConnection();
}

CPlayRequestManager::CPlayRequestManager(int firstPort) : listener_(*this)
{
    Create();
    listener_.Start(firstPort);
}

CPlayRequestManager::~CPlayRequestManager()
{
    listener_.Close();
    PCL_DeleteAllObjects();
    Destroy();
}

std::string CPlayRequestManager::BuildPlayUrl(const std::string& key)
{
    ++g_playUrlSerial;
    return "http://127.0.0.1:" + std::to_string(GetPort()) + "/" + Base64Encode(key) + "-&flag&-"
           + std::to_string(g_playUrlSerial);
}

std::string CPlayRequestManager::BuildPageUrl(const std::string& name) const
{
    return "http://127.0.0.1:" + std::to_string(GetPort()) + "/player/" + name;
}

std::vector<CPlayRequest*> CPlayRequestManager::FindRequestsByKey(const std::string& key) const
{
    std::vector<CPlayRequest*> found;
    for (CPlayRequest* request : *this) {
        if (request->GetKey() == key)
            found.push_back(request);
    }
    return found;
}

void CPlayRequestManager::MarkRequestsComplete(const std::string& key)
{
    for (CPlayRequest* request : FindRequestsByKey(key))
        request->SetComplete(true);
}

namespace {

// Whether path occurs in url as a whole: the path of serial 5 is also the
// start of the path of serial 50, so a match may not go on with a digit.
bool UrlHoldsPath(const std::string& url, const std::string& path)
{
    for (std::size_t at = url.find(path); at != std::string::npos; at = url.find(path, at + 1)) {
        const std::size_t end = at + path.size();
        if (end == url.size() || !std::isdigit(static_cast<unsigned char>(url[end])))
            return true;
    }
    return false;
}

}  // namespace

void CPlayRequestManager::CloseRequestByPath(const std::string& url)
{
    // Requests without a path have not been parsed yet, and ended ones go
    // away by their own notice (deleting them here could let that notice
    // reach a new request at the same address).
    for (std::size_t i = 0; i < PCL_GetObjectCount(); ++i) {
        const CPlayRequest* request = PCL_GetObject(i);
        if (!request->HasEnded() && !request->GetPath().empty() && UrlHoldsPath(url, request->GetPath())) {
            PCL_DeleteObject(i);
            return;
        }
    }
}

LRESULT CPlayRequestManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PLAYREQUEST_DONE) {
        PCL_DeleteObject(reinterpret_cast<const CPlayRequest*>(wParam));
        if (server_)
            server_->OnRequestEnded();
        return 0;
    }
    if (msg == WM_TIMER && wParam == kHeaderTimerId) {
        DropUnfinishedHeads();
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CPlayRequestManager::AcceptConnection()
{
    auto* request = new CPlayRequest(*this);
    if (!listener_.Accept(*request)) {
        delete request;
        return;
    }
    request->SetSendBufferSize(kSendBufferSize);
    const bool room = MakeRoom();
    PCL_PushObject(request);
    if (!room) {
        request->AnswerError(503);
        return;
    }
    if (!headerTimerRunning_) {
        // Checked five times per time-out, at most once a second.
        SetTimer(kHeaderTimerId, std::clamp(headerTimeoutMs_ / 5, 10u, 1000u));
        headerTimerRunning_ = true;
    }
}

bool CPlayRequestManager::MakeRoom()
{
    std::size_t open = 0;
    CPlayRequest* idle = nullptr;
    for (CPlayRequest* request : *this) {
        if (request->HasEnded() || request->IsAnsweringError())
            continue;
        ++open;
        if (!idle && request->IsIdleAfterPeerFinished())
            idle = request;
    }
    if (open < maxConnections_)
        return true;
    // A player that closed its side and waits for data it will not read is
    // most likely gone: it gives way before a new player is refused.
    if (!idle)
        return false;
    idle->EndRequest();
    return true;
}

void CPlayRequestManager::DropUnfinishedHeads()
{
    const auto now = std::chrono::steady_clock::now();
    bool waiting = false;
    for (CPlayRequest* request : *this) {
        if (request->IsParsed() || request->HasEnded())
            continue;
        if (now - request->AcceptedAt() >= std::chrono::milliseconds(headerTimeoutMs_))
            request->EndRequest();
        else
            waiting = true;
    }
    if (!waiting) {
        KillTimer(kHeaderTimerId);
        headerTimerRunning_ = false;
    }
}

void CPlayRequestManager::OnRequestParsed(CPlayRequest& request)
{
    if (server_)
        server_->ServeRequest(request);
    else
        request.AnswerError(503);
}

// A web page can reach 127.0.0.1 under a name of its own (DNS rebinding);
// only requests addressed to the loopback names with our port are served.
bool CPlayRequestManager::IsAllowedHost(const std::string& host) const
{
    std::string lower = host;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string port = ":" + std::to_string(GetPort());
    return lower == "127.0.0.1" + port || lower == "localhost" + port;
}
