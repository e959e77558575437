#pragma once
// A small HTTP/1.1 server on 127.0.0.1 that plays a video site for the tests
// and the demo service. Each path has a switchable behaviour (Range support,
// Content-Length, error status, HTML in place of the file, slow delivery, a
// dropped connection) and every request's headers are recorded.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_site {

struct Behaviour {
    bool honourRange = true;     // false: a Range request gets 200 and the whole file
    bool contentLength = true;   // false: no Content-Length, the body ends when the connection closes
    int status = 200;            // anything else: that status with a short HTML body
    bool htmlInstead = false;    // 200 with an HTML page in place of the file
    int trickleBytes = 0;        // > 0: write the body in pieces of this size ...
    int trickleDelayMs = 0;      // ... with this pause before each piece
    std::int64_t dropAfter = -1; // >= 0: close the connection after this many body bytes
    bool dropOnce = false;       // the drop applies only to the next response
    bool statusOnce = false;     // the status applies only to the next response
    bool headUnanswered = false; // a HEAD request gets no answer while the site runs
    bool chunked = false;        // the body goes in chunks (Transfer-Encoding: chunked), no length
};

struct RecordedRequest {
    std::chrono::steady_clock::time_point when;  // the head was read
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;  // in arrival order

    // The values of every header of that name (case-insensitive).
    std::vector<std::string> Values(const std::string& name) const;
    std::string Value(const std::string& name) const;  // first value or ""
};

// Content of one path: bytes held in memory, or a generated body of any
// size whose byte at offset i is PatternByte(i).
struct Content {
    std::shared_ptr<const std::string> bytes;
    std::int64_t patternSize = -1;
    std::string contentType = "application/octet-stream";

    std::int64_t Size() const { return bytes ? static_cast<std::int64_t>(bytes->size()) : patternSize; }
};
// A TCP connection to 127.0.0.1:port, or -1. receiveBuffer > 0 sets a small
// receive window before connecting, so that the server meets a full socket.
int ConnectToLoopback(int port, int receiveBuffer = 0);

unsigned char PatternByte(std::int64_t offset);
std::string PatternBytes(std::int64_t offset, std::int64_t count);

class TestSite {
public:
    TestSite();
    ~TestSite();
    TestSite(const TestSite&) = delete;
    TestSite& operator=(const TestSite&) = delete;

    // Listens on 127.0.0.1:port (0 picks a free port). False when it cannot.
    bool Start(int port = 0);
    void Stop();
    int Port() const { return port_; }
    std::string Url(const std::string& path) const;

    void AddFile(const std::string& path, std::string bytes,
                 const std::string& contentType = "application/octet-stream");
    bool AddFileFromDisk(const std::string& path, const std::string& file, const std::string& contentType);
    void AddPatternFile(const std::string& path, std::int64_t size);
    // A path whose body the handler makes for each request (query included
    // in the request's target); the path's behaviour still applies. The
    // handler runs on a connection thread.
    using Handler = std::function<std::string(const RecordedRequest&)>;
    void SetHandler(const std::string& path, Handler handler, const std::string& contentType = "text/plain");
    void SetBehaviour(const std::string& path, const Behaviour& behaviour);

    std::vector<RecordedRequest> Requests() const;
    std::vector<RecordedRequest> RequestsFor(const std::string& path) const;
    void ClearRequests();
    int OpenConnections() const { return openConnections_.load(); }

private:
    struct Route {
        Content content;
        Behaviour behaviour;
        Handler handler;
    };
    void AcceptLoop();
    void Serve(int fd);
    bool Answer(int fd, const RecordedRequest& request, bool& keepAlive);
    bool LookUp(const std::string& path, Route& out);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    mutable std::mutex mutex_;
    std::map<std::string, Route> routes_;
    std::vector<RecordedRequest> requests_;
    // Connection threads by id; a thread that ends moves its id to
    // finishedThreads_, and the accept loop joins those, so a long-running
    // demo service does not gather ended threads.
    std::map<std::thread::id, std::thread> connectionThreads_;
    std::vector<std::thread::id> finishedThreads_;
    std::vector<int> connectionFds_;
    std::atomic<int> openConnections_{0};
};

}  // namespace test_site
