#include "shell/player/fs_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Beyond this a double no longer holds every whole number, and no video
// is that long or large.
constexpr double kMaxWhole = 9007199254740992.0;

std::optional<std::int64_t> ParseWhole(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || std::isnan(value))
        return std::nullopt;
    return static_cast<std::int64_t>(std::clamp(std::trunc(value), 0.0, kMaxWhole));
}

}  // namespace

std::optional<std::pair<std::int64_t, std::int64_t>> ParseNumberPair(const std::string& text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const auto first = ParseWhole(text.substr(0, slash));
    const auto second = ParseWhole(text.substr(slash + 1));
    if (!first || !second)
        return std::nullopt;
    return std::make_pair(*first, *second);
}

std::string FormatTimeLabel(std::int64_t position, std::int64_t total)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.2lld:%.2lld / %.2lld:%.2lld", static_cast<long long>(position / 60),
                  static_cast<long long>(position % 60), static_cast<long long>(total / 60),
                  static_cast<long long>(total % 60));
    return text;
}

int LoadedPercent(std::int64_t loaded, std::int64_t total)
{
    if (total <= 0)
        return 0;
    const double percent = static_cast<double>(loaded) * 100.0 / static_cast<double>(total);
    if (percent > 99)
        return 100;
    if (percent < 1)
        return 0;
    return static_cast<int>(percent);
}

bool DispatchFsCommand(const std::string& command, const std::string& args, IPlayerEventSink& sink)
{
    if (command.empty() || args.empty())
        return false;
    if (command == "VideoProcess" || command == "LoadByteProcess") {
        const auto pair = ParseNumberPair(args);
        if (!pair)
            return false;
        if (command == "VideoProcess")
            sink.OnVideoProcess(pair->first, pair->second);
        else
            sink.OnLoadByteProcess(pair->first, pair->second);
    } else if (command == "PauseVideo") {
        sink.OnStatus("Our.Pause");
    } else if (command == "OnStatus") {
        sink.OnStatus(args);
    } else if (command == "OnSetStatus") {
        sink.OnSetStatus(args);
    } else if (command == "StartCaptureScreen") {
        sink.OnStartCaptureScreen();
    } else if (command == "OnFullScreen") {
        if (args != "true")
            return false;
        sink.OnFullScreen();
    } else if (command == "OnVolProcess") {
        char* end = nullptr;
        const double value = std::strtod(args.c_str(), &end);
        if (end == args.c_str() || std::isnan(value))
            return false;
        sink.OnVolume(static_cast<int>(std::clamp(value, 0.0, 100.0)));
    } else if (command == "OnStartPush") {
        sink.OnStartPush();
    } else {
        return false;
    }
    return true;
}
