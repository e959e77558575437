#pragma once
// Reads what ffmpeg writes while it encodes (its log on one stream, the
// "-progress" key=value blocks on the other) and produces the lines that
// coder prints for the conversion library: "Duration: hh:mm:ss.xx," once and
// "time=<seconds> bitrate" per progress block.
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace coder {

class FfmpegReport {
public:
    // Each call returns the lines to print now, each ending in "\n".
    std::vector<std::string> FeedLog(std::string_view bytes);
    std::vector<std::string> FeedProgress(std::string_view bytes);

    // The last lines of ffmpeg's log, for the message after a failure.
    const std::deque<std::string>& RecentLog() const { return recentLog_; }
    // The name in "Unknown encoder 'x'" when ffmpeg printed that.
    const std::string& MissingEncoder() const { return missingEncoder_; }

private:
    void LogLine(const std::string& line, std::vector<std::string>& out);
    void ProgressLine(const std::string& line, std::vector<std::string>& out);

    std::string logPartial_;
    std::string progressPartial_;
    bool durationSent_ = false;
    // The latest progress line seen before the duration was printed.
    std::string heldProgress_;
    std::string frame_ = "0";
    std::string outTimeMicros_;
    std::string bitrate_ = "N/A";
    std::deque<std::string> recentLog_;
    std::string missingEncoder_;
};

}  // namespace coder
