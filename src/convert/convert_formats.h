#pragma once
// The output formats: the encoder's command line per format number, the
// extension of the result, and whether the result joins the media library.
#include <string>
#include <vector>

namespace convert {

enum class LibraryKind { None, Video, Music };

struct FormatPreset {
    int format;
    const char* arguments;  // "%s" is the input path, the second "%s" the output base
    const char* extension;
    LibraryKind library;
};

constexpr int kCopyFlvFormat = 29;
constexpr int kCopyMp4Format = 30;

// nullptr for the two copy formats and for numbers outside the table.
const FormatPreset* FindPreset(int format);

// Splits the preset at its blanks, then puts each path in as one whole
// argument: no path can add an option, whatever characters it holds.
std::vector<std::string> BuildEncoderArguments(const FormatPreset& preset, const std::string& input,
                                               const std::string& outputBase);

}  // namespace convert
