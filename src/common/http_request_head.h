#pragma once
// Reading an HTTP request head (the play server's and the interception
// proxy's) and a Range header. One line structure for the whole head:
// every line ends with LF, optionally preceded by CR; a CR anywhere else
// makes the head malformed, so that the request line and
// the header lines can never be split differently.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct HttpRequestHead {
    std::string method;
    std::string target;
    std::string version;  // "HTTP/1.0", "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;  // names as sent, values trimmed

    // The values of every header of that name (case-insensitive).
    std::vector<std::string> Values(std::string_view name) const;
};

// Where the head ends within text: the offset just past its empty line, or
// npos while it is not complete.
std::size_t FindHeadEnd(std::string_view text);

// Parses a complete head (as delimited by FindHeadEnd); nullopt when it is
// malformed.
std::optional<HttpRequestHead> ParseHttpRequestHead(std::string_view head);

// A single byte range as a request asks for it, before the size is known.
struct ByteRangeSpec {
    std::int64_t first = -1;   // -1: a suffix range
    std::int64_t last = -1;    // -1: open end (or, for a suffix, unused)
    std::int64_t suffix = 0;   // length of a suffix range
};

// The Range header's single range; nullopt for anything the server answers
// with the whole body instead: no header, an unknown unit, several ranges,
// or a syntax error (which HTTP says to ignore).
std::optional<ByteRangeSpec> ParseByteRange(const std::vector<std::string>& rangeHeaders);

// The bytes [first, last] of a body of `total` bytes that the range selects;
// nullopt when none of it lies within the body (the answer is then 416).
struct ByteSpan {
    std::int64_t first = 0;
    std::int64_t last = 0;
};
std::optional<ByteSpan> ResolveByteRange(const ByteRangeSpec& range, std::int64_t total);
