#pragma once
// One connection of the local play server: it reads the player's request
// line, then sends one HTTP response whose body is the video from byte 0 —
// first what the cache file holds, then the bytes the download pushes —
// and closes once the request is complete and everything went out.
// Lives on the user-interface thread only.
#include "delivery/play_request_buffer.h"
#include "platform/async_socket.h"

#include <cstdint>
#include <memory>
#include <string>

class CPlayRequestManager;
class CacheFileReader;

class CPlayRequest : public platform::AsyncSocket {
public:
    explicit CPlayRequest(CPlayRequestManager& manager);
    ~CPlayRequest() override;

    // The request path from the first "/" up to the blank that ends it.
    const std::string& GetPath() const { return path_; }
    // The video key taken from the path; empty once the request has ended.
    const std::string& GetKey() const { return key_; }

    // Complete: no more data will come; the request closes after its last
    // byte. Setting it re-arms sending.
    bool IsComplete() const { return complete_; }
    void SetComplete(bool complete);

    // Replaces the response header with one that carries Content-Length,
    // but only while nothing of the header has gone out yet.
    void SetContentLength(std::int64_t length);
    // Serves the file's present bytes before any pushed data: from byte 0,
    // or for a request that has already sent part of the body, from there
    // on (its unsent pushed bytes are in the file too and come from it).
    // A missing or empty file changes nothing. The path is also remembered
    // as the request's cache file (see SetCacheFilePath).
    void AttachCacheFile(const std::string& path);
    // Names the cache file that holds every byte pushed to this request (the
    // download appends each block there before pushing it). With it, a
    // request whose unsent pushed data grows past the live limit drops that
    // data and reads it back from the file, so a paused player does not
    // make memory grow. The download manager sets it in ServeRequest.
    void SetCacheFilePath(const std::string& path) { cachePath_ = path; }
    // Queues downloaded bytes behind whatever is still unsent.
    void PushData(const char* data, std::size_t count);
    // Ends the request: no more data is routed to it, and the manager
    // deletes it (closing the connection) from its own message.
    void EndRequest();
    // Asks for the next write notification.
    void Rearm() { RearmSend(); }

    // State, for the manager and for tests.
    bool HasEnded() const { return ended_; }
    bool HasCacheReader() const { return reader_ != nullptr; }
    std::string GetUnsentHeader() const { return header_.UnsentText(); }
    std::int64_t GetUnsentLiveSize() const { return live_.Unsent(); }
    std::int64_t GetBodyBytesSent() const { return bodySent_; }

protected:
    void OnReceive() override;
    void OnSend() override;
    void OnClose() override;

private:
    // Source of the next block, or null when there is nothing to send now.
    PlayRequestBuffer* NextSource();
    void HandleRequestText();
    bool ParseRequestLine(const std::string& line);
    void MoveLiveDataToFile();

    CPlayRequestManager& manager_;
    std::string path_;
    std::string key_;
    bool complete_ = false;
    bool parsed_ = false;
    bool ended_ = false;
    PlayRequestBuffer header_;
    std::unique_ptr<CacheFileReader> reader_;
    PlayRequestBuffer live_;
    std::string cachePath_;
    // Cache-file offset of live's first unsent byte; body bytes sent so far.
    std::int64_t liveFileOffset_ = 0;
    std::int64_t bodySent_ = 0;
    // The request as received so far, until its header is complete.
    std::string received_;
};
