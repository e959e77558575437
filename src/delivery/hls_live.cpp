#include "delivery/hls_live.h"

#include <algorithm>
#include <cstdio>

namespace {

bool Knows(const HlsPlaylist& known, const std::string& url)
{
    return std::any_of(known.segments.begin(), known.segments.end(),
                       [&](const HlsSegment& segment) { return segment.url == url; });
}

}  // namespace

HlsMerge MergeHlsPlaylist(HlsPlaylist& known, const HlsPlaylist& reloaded)
{
    HlsMerge merge;
    known.ended = known.ended || reloaded.ended;
    merge.ended = known.ended;
    if (reloaded.targetDuration > 0)
        known.targetDuration = reloaded.targetDuration;
    if (reloaded.segments.empty())
        return merge;
    const std::size_t before = known.segments.size();
    const std::uint64_t first = reloaded.segments.front().sequence;
    const std::uint64_t last = reloaded.segments.back().sequence;
    if (known.segments.empty()) {
        known.segments = reloaded.segments;
        known.windowStart = 0;
        merge.appended = known.segments.size();
        return merge;
    }
    const std::uint64_t next = known.segments.back().sequence + 1;
    if (first <= next && next <= last + 1) {
        // The usual case: the reload overlaps what is known, or follows it.
        for (const HlsSegment& segment : reloaded.segments)
            if (segment.sequence >= next)
                known.segments.push_back(segment);
        known.windowStart = before - std::min<std::size_t>(before, static_cast<std::size_t>(next - first));
    } else if (first > next) {
        // Segments slid out unseen between two reloads: what follows does
        // not join on to the last one known.
        known.segments.insert(known.segments.end(), reloaded.segments.begin(), reloaded.segments.end());
        known.segments[before].discontinuity = true;
        known.windowStart = before;
    } else {
        // The numbering went back: a new count, or a stale copy of the list.
        for (const HlsSegment& segment : reloaded.segments)
            if (!Knows(known, segment.url))
                known.segments.push_back(segment);
        if (known.segments.size() > before)
            known.segments[before].discontinuity = true;
        known.windowStart = known.segments.size() > before ? before : known.windowStart;
    }
    merge.appended = known.segments.size() - before;
    return merge;
}

std::string WriteHlsRecord(const HlsPlaylist& media)
{
    std::string text = "#EXTM3U\n#EXT-X-VERSION:3\n";
    text += "#EXT-X-TARGETDURATION:" + std::to_string(media.targetDuration) + "\n";
    char duration[32];
    for (std::size_t i = 0; i < media.segments.size(); ++i) {
        const HlsSegment& segment = media.segments[i];
        if (i == 0 || segment.sequence != media.segments[i - 1].sequence + 1)
            text += "#EXT-X-MEDIA-SEQUENCE:" + std::to_string(segment.sequence) + "\n";
        if (segment.discontinuity)
            text += "#EXT-X-DISCONTINUITY\n";
        std::snprintf(duration, sizeof duration, "%.6f", segment.duration);
        text += "#EXTINF:" + std::string(duration) + ",\n" + segment.url + "\n";
    }
    if (media.ended)
        text += "#EXT-X-ENDLIST\n";
    return text;
}
