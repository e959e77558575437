#include "convert_fixture.h"

#include "support/event_wait.h"

#include <array>
#include <cstdio>
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
