#pragma once
// The events the player page sends back (FSCommand: a command and one text
// argument) turned into calls on the main window's player side. Malformed
// events are ignored or clamped: a page, even a broken one, cannot make the
// window misbehave.
#include <cstdint>
#include <optional>
#include <string>

class IPlayerEventSink {
public:
    virtual ~IPlayerEventSink() = default;
    // Whole seconds; total 0 while unknown.
    virtual void OnVideoProcess(std::int64_t position, std::int64_t total) = 0;
    virtual void OnLoadByteProcess(std::int64_t loaded, std::int64_t total) = 0;
    virtual void OnStatus(const std::string& status) = 0;
    virtual void OnSetStatus(const std::string& text) = 0;
    virtual void OnStartCaptureScreen() = 0;
    virtual void OnFullScreen() = 0;
    virtual void OnVolume(int volume) = 0;  // 0..100
    virtual void OnStartPush() = 0;
};

// Routes one event; false when it was ignored (empty command or argument,
// unknown command, unreadable numbers).
bool DispatchFsCommand(const std::string& command, const std::string& args, IPlayerEventSink& sink);

// "a/b" as two non-negative whole numbers (fractions are cut, values above
// 2^53 are capped); nullopt without "/" or when a side is not a number.
std::optional<std::pair<std::int64_t, std::int64_t>> ParseNumberPair(const std::string& text);

// "%.2d:%.2d / %.2d:%.2d" of minutes and seconds played and in total: no
// hours field, so 3725 of 7200 seconds is "62:05 / 120:00".
std::string FormatTimeLabel(std::int64_t position, std::int64_t total);

// loaded × 100 / total, above 99 shown as 100, below 1 as 0, 0 without a
// total.
int LoadedPercent(std::int64_t loaded, std::int64_t total);
