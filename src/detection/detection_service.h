#pragma once
// The texts exchanged with the detection service (lookups and reports) and
// the segment service: how requests are built and which answers count.
// Pure functions, no I/O.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace detection_service {

// Salt of the report signature, known to the service.
inline constexpr const char* kReportSalt = "B29D40615E7A4f1a903CE52A8D6B1F48";
// Longest escaped stream URL put into a segment query.
inline constexpr std::size_t kSegmentQueryLimit = 2048;

// prefix is the service address up to and including "?".
std::string LookupUrl(const std::string& prefix, const std::string& pageKey);
// A stream URL of exactly "d" reports a failure ("&x=d").
std::string ReportUrl(const std::string& prefix, const std::string& pageKey, const std::string& streamUrl,
                      const std::string& referer);
// prefix ends with "url=".
std::string SegmentQueryUrl(const std::string& prefix, const std::string& streamUrl);
// The stream URL escaped for the segment query, cut short (never inside an
// escape) where it would pass kSegmentQueryLimit bytes.
std::string EscapeForSegmentQuery(std::string_view streamUrl);

struct Stream {
    std::string url;
    std::string referer;
};
// The stream as reports carry it and lookups give it back: url CR referer
// (the referer may be empty).
std::string StreamPayload(const std::string& streamUrl, const std::string& referer);
std::optional<Stream> ParseStreamPayload(std::string_view payload);
// A lookup answer "<" CR Base64(url CR referer) CR ">" (CR LF line ends
// too); any other shape is no answer. The body is read as text, up to its
// first zero byte.
std::optional<Stream> ParseLookupAnswer(std::string_view body);
// A segment answer "<" CR url CR ... CR ">" (CR LF line ends too): the URLs
// in order; empty for any other shape.
std::vector<std::string> ParseSegmentAnswer(std::string_view body);

}  // namespace detection_service
