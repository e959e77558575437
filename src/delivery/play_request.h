#pragma once
// One connection of the local play server. It reads the player's request
// head and sends one HTTP response: the video from byte 0 (200) — first what
// the cache file holds, then the bytes the download pushes — or, for a
// request with a Range header, the asked-for bytes read from the cache file
// as they arrive (206); HEAD gets the head alone. It closes once the answer
// is complete and everything went out. User-interface thread only.
#include "common/stream_start.h"
#include "delivery/play_request_buffer.h"
#include "delivery/play_response.h"
#include "common/http_request_head.h"
#include "platform/async_socket.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CPlayRequestManager;
class CacheFileReader;

class CPlayRequest : public platform::AsyncSocket {
public:
    explicit CPlayRequest(CPlayRequestManager& manager);
    ~CPlayRequest() override;

    // The request target from its first "/" (the play URL's path).
    const std::string& GetPath() const { return path_; }
    // The video key taken from the path; empty once the request has ended
    // or is answering with an error.
    const std::string& GetKey() const { return key_; }
    bool IsHeadRequest() const { return headOnly_; }
    bool HasRange() const { return range_.has_value(); }
    // The bytes a Range request asks for, given the video's size; none for
    // a request without Range or one that cannot be satisfied.
    std::optional<ByteSpan> ResolveRange(std::int64_t total) const;
    // Unique for the life of the process: tells a request apart from a
    // later one at the same address.
    std::uint64_t Serial() const { return serial_; }

    // Complete: no more data will come; the request closes after its last
    // byte. Setting it re-arms sending.
    bool IsComplete() const { return complete_; }
    void SetComplete(bool complete);

    // The video's whole size in bytes. The response head is written when the
    // first body bytes are ready (or at once, for a Range request whose size
    // is known), so a size given before then is announced: as Content-Length,
    // or for a Range request as the total of Content-Range. 0 or less means
    // unknown. Ignored once the head is written.
    void SetContentLength(std::int64_t total);
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
    // make memory grow; and a Range request can be answered at all, since it
    // reads its bytes from this file. The download manager sets it in
    // ServeRequest.
    void SetCacheFilePath(const std::string& path) { cachePath_ = path; }
    // A Range request for bytes far beyond the cached part reads them from
    // a file of their own that a relay from the origin fills, holding the
    // video from fileBase on; an empty path goes back to the cache file
    // (the relay failed, or the cache file is complete). Bytes already sent
    // are never sent again.
    void ReadSpanFrom(const std::string& path, std::int64_t fileBase);
    // Queues downloaded bytes behind whatever is still unsent.
    void PushData(const char* data, std::size_t count);
    // Answers with an error status and no body, then ends (404 for a video
    // that cannot be served, 503 when the server is full). Only before the
    // head is written; later it just ends the request.
    void AnswerError(int status, std::int64_t total = -1);
    // Ends the request: no more data is routed to it, and the manager
    // deletes it (closing the connection) from its own message.
    void EndRequest();
    // Asks for the next write notification.
    void Rearm() { RearmSend(); }

    // State, for the manager and for tests.
    bool IsParsed() const { return parsed_; }
    bool HasEnded() const { return ended_; }
    bool IsAnsweringError() const { return mode_ == Mode::Error; }
    bool HasCacheReader() const { return reader_ != nullptr; }
    std::string GetUnsentHeader() const { return header_.UnsentText(); }
    std::int64_t GetUnsentLiveSize() const { return live_.Unsent(); }
    std::int64_t GetBodyBytesSent() const { return bodySent_; }
    // The player has closed its sending side (or gone) and the request has
    // nothing to send right now: the first to give way when the server is full.
    bool IsIdleAfterPeerFinished() const { return peerFinished_ && sleeping_; }
    std::chrono::steady_clock::time_point AcceptedAt() const { return acceptedAt_; }

protected:
    void OnReceive() override;
    void OnSend() override;
    void OnClose() override;

private:
    enum class Mode {
        Waiting,  // head not written yet
        Stream,   // 200: the file's bytes, then pushed data
        Span,     // 206: a byte span read from the cache file
        Error,    // an error answer without body
    };

    // Where the next block comes from: a buffer, the cache file, or
    // neither when there is nothing to send now.
    struct Source {
        PlayRequestBuffer* buffer = nullptr;
        CacheFileReader* file = nullptr;
    };
    Source NextSource();
    Source NextStreamSource();
    Source NextSpanSource();
    void SendFromFile(CacheFileReader& file);
    // Writes the response head once enough is known; false to wait.
    bool ComposeHead();
    PlayResponseHead NewHead() const;
    void StartSpan(const ByteSpan& span, std::int64_t total);
    void ExtendSpanToFile();
    const std::string& SpanFile() const;
    struct StartBytes {
        StreamStart kind;
        std::size_t count;
    };
    StartBytes ProbeStreamStart() const;
    std::string SniffContentType() const;
    void HandleRequestText();
    bool TakePlayTarget(const std::string& target);
    bool ServePageFile(const std::string& target);
    void HandlePeerGone();
    void MoveLiveDataToFile();

    CPlayRequestManager& manager_;
    std::string path_;
    std::string key_;
    Mode mode_ = Mode::Waiting;
    bool complete_ = false;
    bool parsed_ = false;
    bool ended_ = false;
    bool headOnly_ = false;
    bool peerFinished_ = false;
    bool sleeping_ = true;  // nothing to send until a source says otherwise
    std::optional<ByteRangeSpec> range_;
    std::int64_t total_ = 0;
    std::string contentType_;  // set for page files; videos are sniffed
    bool pageFile_ = false;    // a file of the player page, not a video
    PlayRequestBuffer header_;
    std::unique_ptr<CacheFileReader> reader_;
    PlayRequestBuffer live_;
    std::string cachePath_;
    // The file a span reads, when not the cache file, and the video offset
    // of its first byte.
    std::string spanPath_;
    std::int64_t spanFileBase_ = 0;
    std::uint64_t serial_ = 0;
    // Cache-file offset of live's first unsent byte; body bytes sent so far;
    // for a span, the offset just past its last byte.
    std::int64_t liveFileOffset_ = 0;
    std::int64_t bodySent_ = 0;
    std::int64_t spanEnd_ = 0;
    // The request as received so far, until its head is complete.
    std::string received_;
    std::chrono::steady_clock::time_point acceptedAt_;
};
