#pragma once
// The ffmpeg arguments that join a segmented video into one MP4 by stream
// copy: each input is a list file of segment files (one per line) read
// through ffmpeg's "concatf" protocol, which reads the listed files one
// after the other as one stream (TS segments, or an fMP4 init section and
// its fragments); the video and audio of all inputs go into the MP4
// unchanged.
#include <string>
#include <vector>

namespace coder {

// The command line that coder takes for a join:
//   coder -join <output> <list file>...
constexpr const char* kJoinOption = "-join";

// ffmpeg's arguments after its global options; the output is the last one.
std::vector<std::string> BuildJoinArgs(const std::string& output, const std::vector<std::string>& lists);

}  // namespace coder
