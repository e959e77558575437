#pragma once
// HLS playlists as text: reading a master playlist (its variants) or a media
// playlist (its segments), choosing the variant to play, and writing the
// playlist the player page gets, whose segment addresses lead to the play
// server instead of the site. No Qt, no I/O.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct HlsVariant {
    std::int64_t bandwidth = 0;  // BANDWIDTH of its EXT-X-STREAM-INF, 0 when absent
    std::string url;             // absolute
};

struct HlsSegment {
    double duration = 0;  // EXTINF
    std::string url;      // absolute
    // AES-128 (EXT-X-KEY): the index of its key in HlsPlaylist::keyUrls, -1
    // when the segment is in the clear; and its IV: the tag's IV, else its
    // media sequence number as a 128-bit big-endian number.
    int key = -1;
    std::array<unsigned char, 16> iv{};
    std::uint64_t sequence = 0;  // its media sequence number
    bool discontinuity = false;  // EXT-X-DISCONTINUITY before it
};

struct HlsPlaylist {
    bool master = false;              // lists variants rather than segments
    std::vector<HlsVariant> variants;  // master playlist
    std::vector<HlsSegment> segments;  // media playlist, in play order
    std::string initUrl;               // EXT-X-MAP (fMP4 segments), absolute; empty for TS
    bool ended = false;                // EXT-X-ENDLIST: the list will not grow (VOD)
    std::vector<std::string> keyUrls;  // the AES-128 keys, absolute, each once, in order
    // An EXT-X-KEY whose method is neither NONE nor AES-128 (SAMPLE-AES,
    // which encrypts inside the samples): not played.
    bool unsupportedKey = false;
    int targetDuration = 0;
    // Live: the first segment the site's latest playlist lists; the player's
    // playlist is this window. 0 for a list read in one piece.
    std::size_t windowStart = 0;
};

// Reads a playlist fetched from baseUrl; relative addresses are resolved
// against it. A text that does not start with "#EXTM3U" gives an empty
// playlist.
HlsPlaylist ParseHlsPlaylist(std::string_view text, const std::string& baseUrl);

// A reference resolved against an absolute http(s) URL (RFC 3986:
// absolute, "//host/…", "/path", "?query", relative path with "." and "..").
std::string ResolveUrl(const std::string& base, const std::string& reference);

// The variant with the highest bandwidth (the first of equals); null when
// the playlist lists none.
const HlsVariant* ChooseVariant(const HlsPlaylist& master);

// The media playlist the player gets: the same segments and durations,
// segment i at "<prefix>/s<i>" and the init section at "<prefix>/init", from
// windowStart on (numbered by the segments' places; a list read in one
// piece starts at 0). A finished list (ended) is a VOD; a live one has no
// end, and the player reloads it.
// `cached` (when not empty) keeps only the segments marked there, with a
// discontinuity where others were left out: the part of a recorded live
// stream that the cache holds.
std::string BuildLocalPlaylist(const HlsPlaylist& media, const std::string& prefix,
                               const std::vector<bool>& cached = {});

// What a play-server path after the play URL's serial asks for: "" the
// playlist, "/init" the init section, "/s<i>" segment i.
struct HlsResource {
    enum Kind { Playlist, Init, Segment, Invalid } kind = Invalid;
    int index = -1;
};
HlsResource ParseHlsResource(std::string_view rest);
