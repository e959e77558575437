#pragma once
// The response heads the play server sends.
#include <cstdint>
#include <string>

struct PlayResponseHead {
    int status = 200;                  // 200 or 206
    std::int64_t contentLength = -1;   // -1: unknown, left out
    std::string contentType;           // empty: left out
    std::string contentRange;          // "bytes first-last/total" for 206
    // "Cache-Control: no-store": the browser keeps no copy of a video the
    // cache on disk holds already.
    bool noStore = false;
};

// "HTTP/1.1 <status> <reason>", "Accept-Ranges: bytes", the optional
// fields (Cache-Control first), "Connection: close", and the empty line.
std::string BuildPlayResponseHead(const PlayResponseHead& head);

// A complete answer without body for a request the server refuses or cannot
// serve: 400, 404, 405 (with "Allow: GET, HEAD"), 416 (with
// "Content-Range: bytes */<total>"), 503.
std::string BuildPlayErrorAnswer(int status, std::int64_t total = -1);
