#pragma once
// A live HLS playlist for the tests and the demo: the window of a site that
// broadcasts, made from the segments of an HLS VOD written by ffmpeg's hls
// muxer. The window's position is the caller's (a step a test controls, or
// the time that passed).
#include <cstddef>
#include <cstdint>
#include <string>

namespace test_site {

// The live media playlist whose window starts at sequence number `first`
// and holds `window` segments. Segment number n is the VOD's segment
// n % (its count), named as the VOD names it, so the stream loops; each
// loop begins with EXT-X-DISCONTINUITY. `ended` adds EXT-X-ENDLIST. Empty
// when the VOD text lists no segment.
std::string LiveHlsPlaylist(const std::string& vodPlaylist, std::uint64_t first, std::size_t window,
                            bool ended = false);

}  // namespace test_site
