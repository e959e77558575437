#pragma once
// Short test videos made with ffmpeg on first use and kept in a folder of
// the temporary directory, so that no media file lives in the repository.
#include <string>

namespace test_site {

enum class VideoKind { Flv, FlvH264, Mp4, Mp4FastStart };

// Path of a video of about `seconds` seconds (FLV: Sorenson Spark with MP3;
// FlvH264: H.264 with AAC in FLV; Mp4: H.264 with AAC as ffmpeg writes it by
// default, brand "isom" and the index ("moov") at the end, like most MP4 on
// the web; Mp4FastStart: the same with the index at the front).
// Empty when ffmpeg failed.
std::string MakeTestVideo(VideoKind kind, int seconds = 2, const std::string& folder = {});

// The whole file, or empty.
std::string ReadFileBytes(const std::string& path);

}  // namespace test_site
