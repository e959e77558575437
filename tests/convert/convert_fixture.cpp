#include "convert_fixture.h"

#include "support/event_wait.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace convert_test {
namespace {

std::string RunAndRead(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    if (!pipe)
        return text;
    std::array<char, 512> buffer{};
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe.get()))
        text.append(buffer.data(), n);
    return text;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::string GeneratedClip(int seconds)
{
    const std::string folder = QUELT_CONVERT_MEDIA_DIR;
    const std::string clip = folder + "/clip-" + std::to_string(seconds) + "s.flv";
    if (std::filesystem::exists(clip))
        return clip;
    std::filesystem::create_directories(folder);
    // Written under a name of this process and renamed, since other test
    // processes may generate the same clip at the same time.
    const std::string part = clip + "." + std::to_string(getpid()) + ".part.flv";
    const std::string duration = std::to_string(seconds);
    RunAndRead("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=duration=" + duration +
               ":size=320x240:rate=25 -f lavfi -i sine=duration=" + duration +
               " -c:v flv1 -c:a libmp3lame -f flv " + Quoted(part));
    std::filesystem::rename(part, clip);
    return clip;
}

std::vector<std::vector<std::string>> GeneratedSegments(SegmentedKind kind)
{
    const bool hls = kind == SegmentedKind::Hls;
    const std::string folder = std::string(QUELT_CONVERT_MEDIA_DIR) + (hls ? "/hls-4s" : "/dash-4s");
    const auto list = [&](const std::string& first, const std::string& pattern) {
        std::vector<std::string> files;
        if (!first.empty())
            files.push_back(folder + "/" + first);
        for (int i = hls ? 0 : 1; i < (hls ? 4 : 5); ++i) {
            char name[64];
            std::snprintf(name, sizeof name, pattern.c_str(), i);
            files.push_back(folder + "/" + name);
        }
        return files;
    };
    std::vector<std::vector<std::string>> tracks;
    if (hls) {
        tracks.push_back(list("", "seg%d.ts"));
    } else {
        tracks.push_back(list("init-stream0.m4s", "chunk-stream0-%05d.m4s"));
        tracks.push_back(list("init-stream1.m4s", "chunk-stream1-%05d.m4s"));
    }
    if (std::filesystem::exists(folder))
        return tracks;
    const std::string part = folder + "." + std::to_string(getpid()) + ".part";
    std::filesystem::create_directories(part);
    const std::string input = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
                              "testsrc=duration=4:size=320x240:rate=25 -f lavfi -i sine=duration=4 "
                              "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac ";
    RunAndRead("cd " + Quoted(part) + " && " + input +
               (hls ? "-f hls -hls_time 1 -hls_playlist_type vod -hls_segment_filename 'seg%d.ts' index.m3u8"
                    : "-map 0:v -map 1:a -seg_duration 1 -adaptation_sets 'id=0,streams=v id=1,streams=a' "
                      "-f dash manifest.mpd"));
    std::filesystem::rename(part, folder);
    return tracks;
}

double ProbeDuration(const std::string& path)
{
    const std::string text = RunAndRead("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 " + Quoted(path));
    return std::strtod(text.c_str(), nullptr);
}

std::string ProbeCodecs(const std::string& path)
{
    std::string text = RunAndRead("ffprobe -v error -show_entries stream=codec_name -of default=nw=1:nk=1 " + Quoted(path));
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    for (char& c : text)
        if (c == '\n')
            c = ',';
    return text;
}

std::string ProbeContainer(const std::string& path)
{
    std::string name = RunAndRead("ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 " + Quoted(path));
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
        name.pop_back();
    return name;
}

RecordingConvert::~RecordingConvert()
{
    EndConvert();
    test_support::RunEventsUntil([this] { return IsFinishConvert() == 1; });
}

void RecordingConvert::OnFinishRate(float rate)
{
    if (onRate)
        onRate(rate);
    std::lock_guard<std::mutex> hold(lock_);
    rates_.push_back(rate);
}

void RecordingConvert::OnFinishResult(MEDIA_CONVERT_RESULT result)
{
    if (onResult)
        onResult(result);
    std::lock_guard<std::mutex> hold(lock_);
    results_.push_back(result);
}

std::vector<float> RecordingConvert::Rates() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return rates_;
}

std::vector<int> RecordingConvert::Results() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return results_;
}

bool RecordingConvert::WaitForResult() const
{
    return test_support::RunEventsUntil([this] { return HasResult(); }, std::chrono::seconds(60));
}

}  // namespace convert_test
