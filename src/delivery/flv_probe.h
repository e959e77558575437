#pragma once
// Two probes of video bytes: whether a block starts a video the player can
// show, and the duration an FLV file records in its last tag.
#include <cstddef>
#include <string>

// An FLV header of version 1 with a header size of 9, or an MP4 file whose
// first box is a small "ftyp" box with an "mp4" brand.
bool IsVideoSignature(const char* block, std::size_t length);
// The timestamp of the last tag of an FLV file in milliseconds; 0 for any
// other file or on a read failure.
int GetFlvDuration(const std::string& path);
// The media type a player should be told for a video starting with these
// bytes: "video/x-flv" for an FLV header, "video/mp4" for a file whose first
// box is "ftyp"; empty when the bytes say neither (or are too few to tell).
std::string SniffVideoType(const char* block, std::size_t length);

// What a player needs to know of a video file before it asks for it: its
// container and, for an FLV, whether its codecs are the ones browsers
// decode (H.264 video; AAC or MP3 audio). Read from the file's first 256 KiB.
enum class VideoStartKind { Unknown, Mp4, FlvH264, FlvOther };
VideoStartKind DescribeVideoStart(const std::string& path);
