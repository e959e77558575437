// Times the conversion of one clip through CMediaConvert (library, coder,
// ffmpeg) and through ffmpeg started directly with the options coder would
// give it, for three common formats, and prints the ratios.
#include "convert/coder/legacy_options.h"
#include "convert/convert_formats.h"
#include "convert/media_convert.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

class WaitingConvert : public CMediaConvert {
public:
    void OnFinishResult(MEDIA_CONVERT_RESULT result) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        result_ = result;
        changed_.notify_all();
    }
    int Wait()
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return result_ >= 0; });
        const int result = result_;
        result_ = -1;
        return result;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    int result_ = -1;
};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double TimeLibrary(int format, const std::string& clip, const std::string& base)
{
    WaitingConvert job;
    FILEINFO info;
    info.format = format;
    info.source = clip;
    info.destination = base;
    const auto start = Clock::now();
    job.StartConvert(info);
    const int result = job.Wait();
    const double seconds = SecondsSince(start);
    while (!job.IsFinishConvert())
        std::this_thread::yield();
    return result == MEDIA_CONVERT_SUCCEEDED ? seconds : -1;
}

double TimeFfmpeg(int format, const std::string& clip, const std::string& base)
{
    const auto* preset = convert::FindPreset(format);
    const auto plan = coder::TranslateLegacyArgs(convert::BuildEncoderArguments(*preset, clip, base),
                                                 [](const std::string&) { return false; });
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error"};
    args.insert(args.end(), plan.ffmpegArgs.begin(), plan.ffmpegArgs.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = -1;
    if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = SecondsSince(start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: convert_bench <clip> <work folder> [repetitions]\n");
        return 2;
    }
    const std::string clip = argv[1];
    const std::string work = argv[2];
    const int repetitions = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const struct {
        int format;
        const char* name;
    } formats[] = {{6, "MP4_320x240"}, {15, "avi (msmpeg4v2 + mp3)"}, {20, "mp3 audio"}};

    bool failed = false;
    for (const auto& f : formats) {
        std::vector<double> library, direct;
        for (int i = 0; i < repetitions; ++i) {
            // Alternating the order keeps caches and clock boosts from
            // favouring one side.
            if (i % 2 == 0) {
                library.push_back(TimeLibrary(f.format, clip, work + "/library"));
                direct.push_back(TimeFfmpeg(f.format, clip, work + "/direct"));
            } else {
                direct.push_back(TimeFfmpeg(f.format, clip, work + "/direct"));
                library.push_back(TimeLibrary(f.format, clip, work + "/library"));
            }
        }
        if (*std::min_element(library.begin(), library.end()) < 0 ||
            *std::min_element(direct.begin(), direct.end()) < 0) {
            std::printf("format %2d %-22s FAILED\n", f.format, f.name);
            failed = true;
            continue;
        }
        const double l = Median(library), d = Median(direct);
        std::printf("format %2d %-22s library %6.2f s   ffmpeg direct %6.2f s   ratio %.3f\n", f.format, f.name, l,
                    d, l / d);
    }
    return failed ? 1 : 0;
}
