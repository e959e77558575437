#pragma once
// The local play server: a hidden window that listens on 127.0.0.1 (from
// port 20155 upward), owns one CPlayRequest per accepted connection, hands
// every parsed request to the request server (the download manager), and
// deletes ended requests from its own message. It keeps the number of
// connections and the time a request head may take within limits.
// User-interface thread only.
#include "common/ids/message_ids.h"
#include "common/composite.h"
#include "delivery/play_request.h"
#include "platform/async_socket.h"
#include "platform/window.h"

#include <cstdint>
#include <string>
#include <vector>

// Decides where a parsed request gets its data from (the download manager).
class IPlayRequestServer {
public:
    virtual ~IPlayRequestServer() = default;
    virtual void ServeRequest(CPlayRequest& request) = 0;
    // A request has ended and been deleted.
    virtual void OnRequestEnded() {}
};

class CPlayRequestManager;

// The listening socket of the play server.
class CPlayRequestNotify : public platform::AsyncSocket {
public:
    explicit CPlayRequestNotify(CPlayRequestManager& manager) : manager_(manager) {}
    // Listens on the first free port from firstPort upward; false when none.
    bool Start(int firstPort);
    int GetPort() const { return port_; }

protected:
    void OnAccept() override;

private:
    CPlayRequestManager& manager_;
    int port_ = 0;
};

class CPlayRequestManager : public CWnd, public PCL_Interface_Composite<CPlayRequest> {
public:
    static constexpr int kFirstPort = 20155;
    // Unsent pushed data a request may hold before it reads it back from
    // its cache file instead.
    static constexpr std::int64_t kDefaultLiveDataLimit = 16 * 1024 * 1024;
    // Open play connections at once; the next one is answered 503.
    static constexpr std::size_t kMaxConnections = 64;
    // A request head not complete this long after the connection opened is
    // dropped, so that idle connections cannot pile up.
    static constexpr unsigned kHeaderTimeoutMs = 10000;

    // Creates the window and starts listening.
    explicit CPlayRequestManager(int firstPort = kFirstPort);
    ~CPlayRequestManager() override;

    // "http://127.0.0.1:<port>/" + Base64(key) + "-&flag&-" + a serial
    // that makes every URL of the process unique.
    std::string BuildPlayUrl(const std::string& key);
    std::vector<CPlayRequest*> FindRequestsByKey(const std::string& key) const;
    // Sets complete on every request of the key, so each closes after its
    // last byte.
    void MarkRequestsComplete(const std::string& key);
    // Closes the first request whose path occurs in url.
    void CloseRequestByPath(const std::string& url);

    // The server that receives parsed requests; null while there is none
    // (the request is then answered 503).
    void SetRequestServer(IPlayRequestServer* server) { server_ = server; }
    // The listening port, 0 when the server could not listen.
    int GetPort() const { return listener_.GetPort(); }
    void SetLiveDataLimit(std::int64_t bytes) { liveDataLimit_ = bytes; }
    std::int64_t GetLiveDataLimit() const { return liveDataLimit_; }
    // The folder of the player page's files, served under "/player/" so
    // that the page and the videos it fetches share one origin. Only plain
    // file names of that folder are served; empty serves none.
    void SetPageFolder(const std::string& folder) { pageFolder_ = folder; }
    const std::string& GetPageFolder() const { return pageFolder_; }
    // "http://127.0.0.1:<port>/player/<name>".
    std::string BuildPageUrl(const std::string& name) const;

    // Tests make the limits small; the program keeps the constants.
    void SetConnectionLimit(std::size_t count) { maxConnections_ = count; }
    void SetHeaderTimeout(unsigned ms) { headerTimeoutMs_ = ms; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CPlayRequest;
    friend class CPlayRequestNotify;
    void AcceptConnection();
    // Makes room for one more connection; false when the server is full.
    bool MakeRoom();
    void DropUnfinishedHeads();
    void OnRequestParsed(CPlayRequest& request);
    bool IsAllowedHost(const std::string& host) const;

    CPlayRequestNotify listener_;
    IPlayRequestServer* server_ = nullptr;
    std::int64_t liveDataLimit_ = kDefaultLiveDataLimit;
    std::size_t maxConnections_ = kMaxConnections;
    unsigned headerTimeoutMs_ = kHeaderTimeoutMs;
    bool headerTimerRunning_ = false;
    std::string pageFolder_;
};
