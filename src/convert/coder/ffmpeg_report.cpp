#include "convert/coder/ffmpeg_report.h"

#include <cstdio>
#include <cstdlib>

namespace coder {
namespace {

constexpr size_t kRecentLogLines = 12;

template <typename OnLine>
void SplitLines(std::string& partial, std::string_view bytes, OnLine onLine)
{
    for (char c : bytes) {
        if (c == '\n' || c == '\r') {
            if (!partial.empty())
                onLine(partial);
            partial.clear();
        } else {
            partial.push_back(c);
        }
    }
}

std::string Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::vector<std::string> FfmpegReport::FeedLog(std::string_view bytes)
{
    std::vector<std::string> out;
    SplitLines(logPartial_, bytes, [&](const std::string& line) { LogLine(line, out); });
    return out;
}

std::vector<std::string> FfmpegReport::FeedProgress(std::string_view bytes)
{
    std::vector<std::string> out;
    SplitLines(progressPartial_, bytes, [&](const std::string& line) { ProgressLine(line, out); });
    return out;
}

void FfmpegReport::LogLine(const std::string& line, std::vector<std::string>& out)
{
    recentLog_.push_back(line);
    if (recentLog_.size() > kRecentLogLines)
        recentLog_.pop_front();

    static constexpr std::string_view kUnknownEncoder = "Unknown encoder '";
    if (const auto at = line.find(kUnknownEncoder); at != std::string::npos) {
        const auto start = at + kUnknownEncoder.size();
        missingEncoder_ = line.substr(start, line.find('\'', start) - start);
    }

    // Only the first input's duration counts; "N/A" is not announced at all.
    static constexpr std::string_view kDuration = "Duration:";
    const auto at = line.find(kDuration);
    if (durationSent_ || at == std::string::npos)
        return;
    const auto comma = line.find(',', at);
    const std::string value = Trim(std::string_view(line).substr(at + kDuration.size(), comma - at - kDuration.size()));
    int hours = 0, minutes = 0;
    double seconds = 0;
    if (std::sscanf(value.c_str(), "%d:%d:%lf", &hours, &minutes, &seconds) != 3)
        return;
    durationSent_ = true;
    out.push_back("  Duration: " + value + ", start\n");
    // A progress block that came first on the other pipe is only readable
    // now that the duration is out.
    if (!heldProgress_.empty())
        out.push_back(std::move(heldProgress_));
    heldProgress_.clear();
}

void FfmpegReport::ProgressLine(const std::string& line, std::vector<std::string>& out)
{
    const auto equals = line.find('=');
    if (equals == std::string::npos)
        return;
    const std::string key = line.substr(0, equals);
    const std::string value = Trim(std::string_view(line).substr(equals + 1));
    if (key == "frame")
        frame_ = value;
    else if (key == "out_time_us")
        outTimeMicros_ = value;
    else if (key == "bitrate")
        bitrate_ = value;
    else if (key == "progress") {
        char* end = nullptr;
        const double micros = std::strtod(outTimeMicros_.c_str(), &end);
        if (end == outTimeMicros_.c_str() || micros < 0)
            return;
        char text[160];
        std::snprintf(text, sizeof text, "frame=%s time=%.2f bitrate=%s\n", frame_.c_str(), micros / 1e6,
                      bitrate_.c_str());
        if (durationSent_)
            out.push_back(text);
        else
            heldProgress_ = text;
    }
}

}  // namespace coder
