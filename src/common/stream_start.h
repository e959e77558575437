#pragma once
// What the first bytes of an answer or a file say it is: the start of a
// video file the program plays (FLV, MP4), an adaptive-streaming manifest
// (HLS, DASH), or anything else. Detection, the download manager, the play
// server and the player all judge a stream by this one function.
#include <cstddef>
#include <string>

enum class StreamStart {
    None,       // not a stream the program knows
    Undecided,  // too few bytes to tell, and they could still start one
    Flv,
    Mp4,
    HlsManifest,
    DashManifest,
};

// Bytes that suffice to tell a video from anything else (an MP4's "ftyp"
// box with its compatible brands fits); a DASH manifest is looked for in
// the first kManifestWindow bytes of its text.
inline constexpr std::size_t kStreamStartBytes = 64;
inline constexpr std::size_t kManifestWindow = 512;

// An FLV header (version 1, header size 9) with at least one byte after it;
// an MP4 "ftyp" box whose major brand, or one of the compatible brands the
// block holds, is an MP4 brand ("mp4*", "isom", "iso2"-"iso9", "avc1",
// "M4V ", "dash", "f4v ", "qt  ", "3gp*", "3g2*", "cmfc"); "#EXTM3U" (after
// an optional UTF-8 byte order mark); an "<MPD" element near the start of
// an XML text.
StreamStart ClassifyStreamStart(const char* block, std::size_t count);

inline bool IsVideoStart(StreamStart kind)
{
    return kind == StreamStart::Flv || kind == StreamStart::Mp4;
}
inline bool IsVideoStart(const char* block, std::size_t count)
{
    return IsVideoStart(ClassifyStreamStart(block, count));
}

inline bool IsManifestStart(StreamStart kind)
{
    return kind == StreamStart::HlsManifest || kind == StreamStart::DashManifest;
}

// The media type a player is told for a video of this kind: "video/x-flv",
// "video/mp4", or empty.
std::string MediaTypeOf(StreamStart kind);
