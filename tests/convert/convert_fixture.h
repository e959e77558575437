#pragma once
// Shared pieces of the library tests: generated clips, a recording
// CMediaConvert, and ffprobe.
#include "convert/media_convert.h"
#include "temp_dir.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace convert_test {

// A clip generated with ffmpeg on first use and kept in the build tree:
// seconds of 320x240 test picture with a tone, FLV with Sorenson video and MP3.
std::string GeneratedClip(int seconds);

// A segmented video as a web server sends it, made by ffmpeg's own muxers
// with their defaults on first use and kept in the build tree, 4 seconds
// in one-second segments: the files of each track in play order. Hls: one
// track of TS segments ("seg<i>.ts"). Dash: a video track and an audio track,
// each an fMP4 init section and its fragments.
enum class SegmentedKind { Hls, Dash };
std::vector<std::vector<std::string>> GeneratedSegments(SegmentedKind kind);

// ffprobe's duration of a file in seconds (0 when it cannot read it), and
// its streams' codec names in order, joined by ",".
double ProbeDuration(const std::string& path);
std::string ProbeCodecs(const std::string& path);

// The container names ffprobe gives for a file ("mpeg", "avi", ...), empty
// when it cannot read it.
std::string ProbeContainer(const std::string& path);

class RecordingConvert : public CMediaConvert {
public:
    ~RecordingConvert() override;

    void OnFinishRate(float rate) override;
    void OnFinishResult(MEDIA_CONVERT_RESULT result) override;

    // Called on the worker thread, before the rate or result is recorded.
    std::function<void(float)> onRate;
    std::function<void(MEDIA_CONVERT_RESULT)> onResult;

    std::vector<float> Rates() const;
    std::vector<int> Results() const;
    bool HasResult() const { return !Results().empty(); }
    // Waits (running the event loop) until a result has arrived.
    bool WaitForResult() const;

private:
    mutable std::mutex lock_;
    std::vector<float> rates_;
    std::vector<int> results_;
};

}  // namespace convert_test
