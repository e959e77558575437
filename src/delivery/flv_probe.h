#pragma once
// Probes of video files: the duration an FLV file records in its last tag,
// and what a player needs to know of a file before it asks for it. Whether
// bytes start a video at all is judged by ClassifyStreamStart (common).
#include <cstddef>
#include <string>

// The timestamp of the last tag of an FLV file in milliseconds; 0 for any
// other file or on a read failure.
int GetFlvDuration(const std::string& path);
// What a player needs to know of a video file before it asks for it: its
// container and, for an FLV, whether its codecs are the ones browsers
// decode (H.264 video; AAC or MP3 audio). Read from the file's first 256 KiB.
enum class VideoStartKind { Unknown, Mp4, FlvH264, FlvOther };
VideoStartKind DescribeVideoStart(const std::string& path);
