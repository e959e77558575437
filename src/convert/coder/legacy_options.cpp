#include "convert/coder/legacy_options.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace coder {
namespace {

// What each output type is written as. The codecs are those the old encoder
// chose by itself for the extension, where this ffmpeg still has them.
struct Container {
    const char* extension;
    const char* muxer;
    const char* videoCodec;  // nullptr: audio only
    const char* audioCodec;
};

constexpr Container kContainers[] = {
    {".mpg", "mpeg", "mpeg1video", "mp2"},
    {".mov", "mov", "libx264", "aac"},
    {".mp4", "mp4", "libx264", "aac"},
    {".m4v", "mp4", "libx264", "aac"},
    {".3gp", "3gp", "h263", "aac"},
    {".3g2", "3g2", "h263", "aac"},
    {".avi", "avi", "mpeg4", "libmp3lame"},
    {".wmv", "asf", "wmv2", "wmav2"},
    {".flv", "flv", "flv", "libmp3lame"},
    {".wma", "asf", nullptr, "wmav2"},
    {".mp3", "mp3", nullptr, "libmp3lame"},
    {".m4a", "ipod", nullptr, "aac"},
};

const std::set<std::string> kFlags = {"-y", "-sameq", "-vn"};
const std::set<std::string> kValued = {"-i", "-vol", "-r", "-s", "-ac", "-ar", "-ab", "-b",
                                       "-acodec", "-vcodec", "-f", "-level"};

// Encoders that only take a bit rate have no "-q:v"; the x264 family takes a
// constant rate factor instead.
bool UsesRateFactor(const std::string& videoCodec)
{
    return videoCodec.rfind("libx26", 0) == 0;
}

std::string LowerExtension(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

const Container* FindContainer(const std::string& extension)
{
    for (const auto& c : kContainers)
        if (extension == c.extension)
            return &c;
    return nullptr;
}

// The old encoder read a bare "-ab 128" as kilobits.
std::string AudioBitrate(const std::string& value)
{
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (end != value.c_str() && *end == '\0' && number < 1000)
        return value + "k";
    return value;
}

// "-vol" counted 256 as the unchanged level.
std::string VolumeFilter(const std::string& value, std::string& error)
{
    char* end = nullptr;
    const long level = std::strtol(value.c_str(), &end, 10);
    if (end == value.c_str() || *end != '\0' || level < 0) {
        error = "invalid -vol value '" + value + "'";
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "volume=%.6g", static_cast<double>(level) / 256.0);
    return text;
}

// MPEG-1 video accepts only the standard rates, so 29.97 must be the exact
// NTSC fraction.
std::string FrameRate(const std::string& value)
{
    return value == "29.97" ? "30000/1001" : value;
}

}  // namespace

EncodePlan TranslateLegacyArgs(const std::vector<std::string>& args, const EncoderQuery& hasEncoder)
{
    EncodePlan plan;
    if (args.size() < 3) {
        plan.error = "usage: coder -y -i <input> [options] <output>";
        return plan;
    }
    plan.outputPath = args.back();
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        const std::string& arg = args[i];
        if (kFlags.count(arg)) {
            flags.insert(arg);
        } else if (kValued.count(arg)) {
            if (i + 2 >= args.size()) {
                plan.error = "option " + arg + " needs a value";
                return plan;
            }
            values[arg] = args[++i];
        } else {
            plan.error = "unsupported argument '" + arg + "'";
            return plan;
        }
    }
    if (!values.count("-i") || values["-i"].empty()) {
        plan.error = "no input file given (-i)";
        return plan;
    }
    plan.inputPath = values["-i"];

    const Container* container = FindContainer(LowerExtension(plan.outputPath));
    if (!container) {
        plan.error = "unsupported output type of '" + plan.outputPath + "'";
        return plan;
    }
    std::string muxer = container->muxer;
    const bool psp = values.count("-f") && values["-f"] == "psp";
    if (values.count("-f") && !psp)
        muxer = values["-f"];

    const bool withVideo = container->videoCodec && !flags.count("-vn");
    std::string videoCodec = container->videoCodec ? container->videoCodec : "";
    if (psp)
        videoCodec = "mpeg4";  // the portable player decodes MPEG-4 part 2 simple profile
    if (values.count("-vcodec"))
        videoCodec = values["-vcodec"];

    std::string audioCodec = container->audioCodec;
    if (values.count("-acodec")) {
        audioCodec = values["-acodec"];
        if (audioCodec == "libfaac")
            audioCodec = "aac";
        if (audioCodec == "libamr_nb") {
            if (hasEncoder("libopencore_amrnb")) {
                audioCodec = "libopencore_amrnb";
            } else {
                audioCodec = "aac";
                plan.notes.push_back("this ffmpeg has no AMR-NB encoder; the audio is written as AAC, "
                                     "which 3GP and 3G2 players accept");
            }
        }
    }

    auto& out = plan.ffmpegArgs;
    out.push_back(flags.count("-y") ? "-y" : "-n");
    // "file:" keeps ffmpeg from reading a path as a protocol or an option.
    out.insert(out.end(), {"-i", "file:" + plan.inputPath});
    if (withVideo) {
        out.insert(out.end(), {"-c:v", videoCodec});
        if (values.count("-s"))
            out.insert(out.end(), {"-s", values["-s"]});
        if (values.count("-r"))
            out.insert(out.end(), {"-r", FrameRate(values["-r"])});
        if (values.count("-b"))
            out.insert(out.end(), {"-b:v", values["-b"]});
        if (flags.count("-sameq")) {
            if (UsesRateFactor(videoCodec))
                out.insert(out.end(), {"-crf", "18"});
            else
                out.insert(out.end(), {"-q:v", "2"});
        }
        // The level (13 is H.264 level 1.3) only means something to x264.
        if (values.count("-level") && UsesRateFactor(videoCodec))
            out.insert(out.end(), {"-level", values["-level"]});
        if (UsesRateFactor(videoCodec))
            out.insert(out.end(), {"-pix_fmt", "yuv420p"});
        if (psp)
            out.insert(out.end(), {"-maxrate", "768k", "-bufsize", "1536k"});
    } else {
        out.push_back("-vn");
    }
    out.insert(out.end(), {"-c:a", audioCodec});
    if (values.count("-ac"))
        out.insert(out.end(), {"-ac", values["-ac"]});
    if (values.count("-ar"))
        out.insert(out.end(), {"-ar", values["-ar"]});
    if (values.count("-ab"))
        out.insert(out.end(), {"-b:a", AudioBitrate(values["-ab"])});
    if (values.count("-vol")) {
        const std::string filter = VolumeFilter(values["-vol"], plan.error);
        if (!plan.error.empty())
            return plan;
        out.insert(out.end(), {"-af", filter});
    }
    out.insert(out.end(), {"-f", muxer});
    if (psp)
        out.insert(out.end(), {"-brand", "MSNV"});
    out.push_back("file:" + plan.outputPath);
    return plan;
}

}  // namespace coder
