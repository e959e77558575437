#pragma once
// Turns the encoder command lines of the conversion presets, written for an
// old ffmpeg, into an argument list for the ffmpeg of this machine.
#include <functional>
#include <string>
#include <vector>

namespace coder {

struct EncodePlan {
    std::vector<std::string> ffmpegArgs;  // options after "ffmpeg", paths last
    std::vector<std::string> notes;       // printed before encoding starts
    std::string inputPath;
    std::string outputPath;
    std::string error;                    // non-empty: the command line is refused
};

// Answers whether the machine's ffmpeg has an encoder of that name. Asked
// only where a stand-in exists (AMR-NB); any other missing encoder shows as
// ffmpeg's "Unknown encoder" when it runs, which coder reports.
using EncoderQuery = std::function<bool(const std::string& encoder)>;

// args are the command line without the program name. The last argument is
// always the output path, so that an output path beginning with "-" is not
// read as an option.
EncodePlan TranslateLegacyArgs(const std::vector<std::string>& args, const EncoderQuery& hasEncoder);

}  // namespace coder
