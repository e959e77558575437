#pragma once
// What the first bytes of an answer say it is: the start of a video file
// the program plays (FLV, MP4), an adaptive-streaming manifest (HLS, DASH),
// or anything else.
#include <cstddef>

enum class StreamStart { None, Video, HlsManifest, DashManifest };

// An FLV header with at least one byte after it; an MP4 "ftyp" box whose
// major brand is "mp4*", "isom", "iso2"-"iso6", "avc1", "M4V " or "dash";
// "#EXTM3U"; an "<MPD" element near the start of an XML text.
StreamStart ClassifyStreamStart(const char* block, std::size_t count);
