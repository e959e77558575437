#include "convert/convert_formats.h"

#include <sstream>

namespace convert {
namespace {

constexpr const char* kMpegSharp = "-y -i %s -vol 200 -r 29.97 %s.mpg";
constexpr const char* kPsp368 = "-y -i %s -s 368x208 -r 29.97 -ac 1 -ar 24000 -ab 128 -vol 200 -f psp %s.mp4";
constexpr const char* kM4vVideo = "-y -i %s -level 13 -vcodec libx264 -acodec libfaac -f mp4 %s.m4v";
constexpr const char* kMp3 = "-y -i %s -vol 200 %s.mp3";
constexpr const char* kM4aAudio = "-y -i %s -vn -acodec libfaac %s.m4a";

const FormatPreset kPresets[] = {
    {1, kMpegSharp, ".mpg", LibraryKind::None},
    {2, "-y -i %s -vol 200 -r 29.97 -sameq %s.mpg", ".mpg", LibraryKind::None},
    {3, "-y -i %s -sameq %s.mov", ".mov", LibraryKind::None},
    {4, "-y -i %s -s 240x176 -r 29.97 -ac 1 -ar 24000 -ab 128 -vol 200 -f psp %s.mp4", ".mp4", LibraryKind::None},
    {5, kPsp368, ".mp4", LibraryKind::None},
    {6, "-y -i %s -s 320x240 -r 29.97 -ac 1 -ar 24000 -ab 128 -vol 200 -f psp %s.mp4", ".mp4", LibraryKind::None},
    {7, "-y -i %s -s 400x240 -r 29.97 -ac 1 -ar 24000 -ab 128 -vol 200 -f psp %s.mp4", ".mp4", LibraryKind::None},
    {8, "-y -i %s -ac 1 -acodec libamr_nb -b 128k -ar 8000 -ab 12.2k -s 128x96 -r 8 %s.3gp", ".3gp",
     LibraryKind::None},
    {9, "-y -i %s -ac 1 -acodec libamr_nb -b 128k -ar 8000 -ab 12.2k -s 176x144 -r 8 %s.3gp", ".3gp",
     LibraryKind::None},
    {10, "-y -i %s -ac 1 -acodec libamr_nb -b 128k -ar 8000 -ab 12.2k -s 352x288 -r 8 -f 3gp %s.3gp", ".3gp",
     LibraryKind::None},
    {11, "-y -i %s -ac 1 -acodec libfaac -b 128k -ar 8000 -ab 12.2k -s 128x96 -r 8 -f 3g2 %s.3g2", ".3g2",
     LibraryKind::None},
    {12, "-y -i %s -ac 1 -acodec libfaac -b 128k -ar 8000 -ab 12.2k -s 176x144 -r 8 -f 3g2 %s.3g2", ".3g2",
     LibraryKind::None},
    {13, "-y -i %s -ac 1 -acodec libfaac -b 128k -ar 8000 -ab 12.2k -s 352x288 -r 8 -f 3g2 %s.3g2", ".3g2",
     LibraryKind::None},
    {14, "-y -i %s -vcodec msmpeg4v2 -acodec libmp3lame -sameq %s.avi", ".avi", LibraryKind::None},
    {15, "-y -i %s -vcodec msmpeg4v2 -acodec libmp3lame %s.avi", ".avi", LibraryKind::None},
    {16, "-y -i %s -vcodec wmv2 -acodec wmav2 -sameq %s.wmv", ".wmv", LibraryKind::None},
    {17, "-y -i %s  -vcodec wmv2 -acodec wmav2 %s.wmv", ".wmv", LibraryKind::None},
    {18, kM4vVideo, ".m4v", LibraryKind::None},
    {19, "-y -i %s -vn -vol 200 -acodec wmav2 %s.wma", ".wma", LibraryKind::None},
    {20, kMp3, ".mp3", LibraryKind::None},
    {21, kM4aAudio, ".m4a", LibraryKind::None},
    {22, "-y -i %s -ac 1 -vn -acodec libamr_nb -b 128k -ar 8000 -ab 12.2k -r 8 -f 3gp %s.3gp", ".3gp",
     LibraryKind::None},
    {23, "-y -i %s -ac 1 -vn -acodec libfaac -b 128k -ar 8000 -ab 12.2k -r 8 -f 3g2 %s.3g2", ".3g2",
     LibraryKind::None},
    {24, kPsp368, ".mp4", LibraryKind::Video},
    {25, kM4vVideo, ".m4v", LibraryKind::Video},
    {26, kMp3, ".mp3", LibraryKind::Music},
    {27, kM4aAudio, ".m4a", LibraryKind::Music},
    {28, "-y -i %s -ar 44100 %s.flv", ".flv", LibraryKind::None},
};

}  // namespace

const FormatPreset* FindPreset(int format)
{
    for (const auto& preset : kPresets)
        if (preset.format == format)
            return &preset;
    return nullptr;
}

std::vector<std::string> BuildEncoderArguments(const FormatPreset& preset, const std::string& input,
                                               const std::string& outputBase)
{
    const std::string* paths[] = {&input, &outputBase};
    size_t nextPath = 0;
    std::vector<std::string> args;
    std::istringstream words(preset.arguments);
    for (std::string word; words >> word;) {
        const auto slot = word.find("%s");
        if (slot != std::string::npos && nextPath < 2)
            word.replace(slot, 2, *paths[nextPath++]);
        args.push_back(word);
    }
    return args;
}

}  // namespace convert
