// coder: the encoder program that the conversion library starts. It takes
// the conversion presets' old-style command lines, runs this machine's
// ffmpeg with today's equivalents, and prints progress in the form the
// library reads: "Duration: hh:mm:ss.xx," and "time=<seconds> bitrate".
#include "convert/coder/child_process.h"
#include "convert/coder/ffmpeg_report.h"
#include "convert/coder/join_options.h"
#include "convert/coder/legacy_options.h"

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

void Print(const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(1, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

std::string FfmpegProgram()
{
    const char* custom = std::getenv("CODER_FFMPEG");
    return custom && *custom ? custom : "ffmpeg";
}

// The encoder names of "ffmpeg -encoders": lines like " V....D libx264  ...".
std::set<std::string> ListEncoders(const std::string& ffmpeg)
{
    std::set<std::string> names;
    std::istringstream lines(coder::CaptureOutput(ffmpeg, {"-hide_banner", "-encoders"}));
    std::string flags, name;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        if (words >> flags >> name && flags.size() == 6 && flags.find('=') == std::string::npos)
            names.insert(name);
    }
    return names;
}

// Copies ffmpeg's two streams into the report until both end.
void Relay(const coder::Child& child, coder::FfmpegReport& report)
{
    pollfd fds[2] = {{child.stdoutFd, POLLIN, 0}, {child.stderrFd, POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        for (auto& fd : fds) {
            if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = read(fd.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                close(fd.fd);
                fd.fd = -1;
                --open;
                continue;
            }
            const std::string_view bytes(buffer, static_cast<size_t>(n));
            const auto lines = fd.fd == child.stdoutFd ? report.FeedProgress(bytes) : report.FeedLog(bytes);
            for (const auto& line : lines)
                Print(line);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string ffmpeg = FfmpegProgram();
    std::vector<std::string> args(argv + 1, argv + argc);

    bool listed = false;
    std::set<std::string> encoders;
    const auto hasEncoder = [&](const std::string& name) {
        if (!listed) {
            encoders = ListEncoders(ffmpeg);
            listed = true;
        }
        return encoders.count(name) > 0;
    };
    coder::EncodePlan plan;
    if (!args.empty() && args[0] == coder::kJoinOption) {
        // A segmented video joined into one MP4: no encoder is involved.
        if (args.size() < 3) {
            Print("coder: error: -join needs an output and at least one list\n");
            return 2;
        }
        plan.outputPath = args[1];
        plan.inputPath = args[2];
        plan.ffmpegArgs = coder::BuildJoinArgs(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    } else {
        plan = coder::TranslateLegacyArgs(args, hasEncoder);
    }
    if (listed && encoders.empty()) {
        Print("coder: error: cannot run " + ffmpeg + "\n");
        return 127;
    }
    if (!plan.error.empty()) {
        Print("coder: error: " + plan.error + "\n");
        return 2;
    }
    for (const auto& note : plan.notes)
        Print("coder: note: " + note + "\n");
    Print("Input: " + plan.inputPath + "\nOutput: " + plan.outputPath + "\n");

    std::vector<std::string> ffmpegArgs = {"-hide_banner", "-nostdin", "-nostats", "-loglevel", "info",
                                           "-progress", "pipe:1", "-stats_period", "0.5"};
    ffmpegArgs.insert(ffmpegArgs.end(), plan.ffmpegArgs.begin(), plan.ffmpegArgs.end());
    const coder::Child child = coder::StartChild(ffmpeg, ffmpegArgs);
    if (child.pid < 0) {
        Print("coder: error: cannot start " + ffmpeg + "\n");
        return 127;
    }
    coder::FfmpegReport report;
    Relay(child, report);
    const int code = coder::WaitChild(child.pid);
    if (code == 0) {
        Print("coder: done\n");
        return 0;
    }
    for (const auto& line : report.RecentLog())
        Print("ffmpeg: " + line + "\n");
    if (code == 127)
        Print("coder: error: cannot run " + ffmpeg + "\n");
    else if (!report.MissingEncoder().empty())
        Print("coder: error: this machine's ffmpeg has no encoder '" + report.MissingEncoder() +
              "' and coder has no stand-in for it\n");
    else
        Print("coder: error: ffmpeg failed with code " + std::to_string(code) + "\n");
    return code == 127 ? 127 : 1;
}
