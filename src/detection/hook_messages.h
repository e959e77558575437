#pragma once
// The three reports of the traffic interception, sent synchronously to the
// window of the running detection (DetectTargetWindow) from the proxy's
// connection threads: a connection opened to a named server, a GET opened
// for an object path on it, and the first bytes of its final answer's body
// (de-chunked, as many as tell what the body is; none for an empty body). The
// records point into the sending thread, which waits while the report is
// handled, so the handler may read them (and the request's headers) then.
#include "common/ids/message_ids.h"
#include "platform/window_types.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>


// The window of the detection that runs, 0 while none does. Written on the
// user-interface thread, read by the connection threads.
extern std::atomic<HWND> DetectTargetWindow;

// A connection and a request are named by numbers the proxy gives them.
struct HookConnectInfo {
    const std::uint64_t* connection;  // the result
    const std::string* serverName;
};

// The request as the page sent it, for the handler's questions.
struct HookRequest {
    std::string method;
    std::string target;  // the absolute URL
    std::vector<std::pair<std::string, std::string>> headers;
    // The first value of a header (case-insensitive), or "".
    std::string Header(const std::string& name) const;
    // Every header as "Name: value\r\n" lines.
    std::string RawHeaders() const;
};

struct HookOpenRequestInfo {
    const std::uint64_t* connection;
    const std::uint64_t* request;  // the result
    const std::string* objectName;  // the path and query
    const HookRequest* headers;
};

struct HookReadInfo {
    const std::uint64_t* request;
    const char* buffer;
    const std::size_t* bytesRead;
};
