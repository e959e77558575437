#pragma once
// Live HLS playlists: a media playlist without EXT-X-ENDLIST is a window
// that slides over the stream; the program reloads it and merges each
// reload into the list it knows, so the list only grows. No Qt, no I/O.
#include "delivery/hls_playlist.h"

#include <cstddef>
#include <string>

// What a reload changed.
struct HlsMerge {
    std::size_t appended = 0;  // segments added at the end
    bool ended = false;        // the reload carried EXT-X-ENDLIST (now or before)
};

// Merges a reloaded media playlist of the same stream into `known`, by
// media sequence number (EXT-X-MEDIA-SEQUENCE plus the place):
// - segments after the last one known are appended; segments that slid out
//   of the window stay in `known` (the cache may hold them);
// - a reload that starts beyond the next number expected (the window slid
//   past segments between two reloads) appends all of its segments, the
//   first marked as a discontinuity, since the ones between are lost;
// - numbers that went back (the site restarted its count) append the
//   segments whose addresses are new, the first marked as a discontinuity;
//   a reload that only repeats known addresses (a stale copy) adds nothing;
// - EXT-X-ENDLIST makes `known` an ended (VOD) list for good.
// known.windowStart becomes the place of the reload's first segment.
HlsMerge MergeHlsPlaylist(HlsPlaylist& known, const HlsPlaylist& reloaded);

// The merged list as a playlist text that ParseHlsPlaylist reads back to
// the same segments, sequence numbers and discontinuities (absolute
// addresses; a gap in the numbering carries its own EXT-X-MEDIA-SEQUENCE).
// What the cache keeps of a live stream.
std::string WriteHlsRecord(const HlsPlaylist& media);
