#pragma once
// DASH manifests (MPD) of on-demand streams as text: the representations
// chosen to play (the video of highest bandwidth and the audio of highest
// bandwidth), the address of every segment each of them lists
// (SegmentTemplate with $Number$ or $Time$, with or without a
// SegmentTimeline; SegmentList), and the manifest the player page gets,
// whose segments lead to the play server instead of the site. No Qt, no I/O.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Bytes first to last (both included) of a file; unset: the whole file.
struct ByteRange {
    bool set = false;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t Size() const { return set ? last - first + 1 : 0; }
};
// "first-last" as a manifest writes it; unset when it cannot be read.
ByteRange ParseByteRange(std::string_view text);

struct DashSegment {
    std::string url;             // absolute
    std::uint64_t time = 0;      // start, in the track's timescale
    std::uint64_t duration = 0;  // in the track's timescale
    ByteRange range;             // a part of the file at url (mediaRange, or from the index)
};

struct DashTrack {
    bool video = false;  // else audio
    std::string representationId;
    std::int64_t bandwidth = 0;
    std::uint64_t timescale = 1;
    std::uint64_t presentationTimeOffset = 0;
    std::string initUrl;  // absolute; empty when the segments carry their own
    ByteRange initRange;  // Initialization@range: a part of the file at initUrl
    // SegmentBase: the file's segment index (indexRange), which must be read
    // (ApplyDashIndex) before the segments are known.
    std::string indexUrl;
    ByteRange indexRange;
    std::vector<DashSegment> segments;
    // Where the representation sits in the first period, for the rewrite.
    std::size_t adaptationSet = 0;
    std::size_t representation = 0;
};

struct DashManifest {
    bool valid = false;        // an MPD element with a period was read
    bool dynamic = false;      // type="dynamic": a live stream
    bool protectedContent = false;  // a ContentProtection element (DRM)
    bool unsupported = false;  // a chosen track addressed in a way not read here
    double duration = 0;       // seconds, of the first period
    std::vector<DashTrack> tracks;  // the chosen video first, then the chosen audio

    // An on-demand stream whose every segment address is known.
    bool IsPlayable() const;
    // An on-demand stream that is playable once the segment index of each
    // track that has one is read (AwaitsIndex of the track).
    bool AwaitsIndex() const;
};

// A SegmentBase track still waiting for its index.
bool AwaitsIndex(const DashTrack& track);

// The segments of a SegmentBase track from its index: the bytes of its
// indexRange (a sidx box). False, and the track unchanged, when they hold
// no usable index.
bool ApplyDashIndex(DashTrack& track, std::string_view indexBytes);

// Reads a manifest fetched from url; relative addresses are resolved
// against it and the BaseURL elements. Only the first period is read.
DashManifest ParseDashManifest(std::string_view text, const std::string& url);

// A SegmentTemplate pattern with its identifiers filled in:
// $RepresentationID$, $Number$, $Bandwidth$, $Time$ (each with an optional
// width such as %05d) and $$.
std::string ExpandDashTemplate(std::string_view pattern, const std::string& representationId,
                               std::int64_t bandwidth, std::uint64_t number, std::uint64_t time);

// An xs:duration such as "PT1H2M3.5S" in seconds; 0 when it cannot be read.
double ParseIsoDuration(std::string_view text);

// What to cache, one entry each: for every track its init section (when it
// has one), then its segments; each an address with the part of it to
// fetch (unset: all of it).
struct DashEntry {
    std::string url;
    ByteRange range;
};
std::vector<DashEntry> DashEntries(const DashManifest& manifest);
// The addresses of DashEntries.
std::vector<std::string> DashEntryUrls(const DashManifest& manifest);

// The manifest the player gets: the site's manifest (text) with only the
// chosen representations, each addressing entry i at "<prefix>/s<i>" by a
// SegmentTemplate with a SegmentTimeline of the same times, and no BaseURL.
std::string BuildLocalMpd(std::string_view text, const DashManifest& manifest, const std::string& prefix);
