#pragma once
// A blocking HTTP client for one worker thread at a time: a GET whose
// response head and body blocks are handed to callbacks as they arrive, and a
// HEAD on the same connection. No library header leaks from here.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Request header lines in the order they will be sent.
class HttpHeaderList {
public:
    // Adds "Name: value" unless a header of that name is present.
    void AddIfNew(std::string_view line);
    // Adds every "\r\n"-ended line of `lines`, each replacing any header of
    // the same name.
    void AddOrReplace(std::string_view lines);
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    int Find(std::string_view name) const;
    std::vector<std::string> lines_;
};

// What a worker may ask of a response while its head is being handled.
class HttpResponse {
public:
    virtual ~HttpResponse() = default;
    virtual unsigned StatusCode() const = 0;
    // The value of the first header of that name (case-insensitive), or "".
    virtual std::string QueryHeader(std::string_view name) const = 0;
};

class HttpClient {
public:
    // Certificates trusted in place of the system's for every client made
    // afterwards. Only tests call this, for their throw-away TLS servers.
    static void TrustOnlyCertificatesIn(const std::string& pemFile);

    enum class Outcome {
        Complete,   // the body ended as the server announced (or at connection end)
        Aborted,    // a callback asked to stop
        Failed,     // no connection, a time-out or a broken transfer
    };
    struct Callbacks {
        // The final response head has arrived; false aborts.
        std::function<bool(const HttpResponse&)> onHead;
        // A block of the body; false aborts.
        std::function<bool(const char* data, std::size_t size)> onBody;
        // Polled while waiting for the network; false aborts.
        std::function<bool()> keepGoing;
    };

    explicit HttpClient(std::string userAgent, long timeoutMs = 30000);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // A GET of url with the headers; body blocks are at most blockSize bytes.
    Outcome Get(const std::string& url, const HttpHeaderList& headers, std::size_t blockSize,
                const Callbacks& callbacks);
    // A HEAD of url, reusing the connection of the last Get when it is still
    // open; true when any response arrived. keepGoing is polled as in Get,
    // so that a server which never answers cannot hold the caller.
    bool Head(const std::string& url, const std::function<bool()>& keepGoing = {});
    // Whether the last Get saw a response head at all.
    bool GotResponse() const;
    // A short reason for the log when the last exchange failed.
    std::string ErrorText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
