// The player page's protocol as the main window speaks it: the invoke XML
// and number formats going out, the FSCommand events coming back, with the
// malformed ones a broken page could send.
#include "shell/player/flash_call.h"
#include "shell/player/fs_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RecordingSink : IPlayerEventSink {
    std::vector<std::string> calls;
    void Add(const std::string& text) { calls.push_back(text); }
    void OnVideoProcess(std::int64_t p, std::int64_t t) override { Add("process " + std::to_string(p) + "/" + std::to_string(t)); }
    void OnLoadByteProcess(std::int64_t l, std::int64_t t) override { Add("loaded " + std::to_string(l) + "/" + std::to_string(t)); }
    void OnStatus(const std::string& s) override { Add("status " + s); }
    void OnSetStatus(const std::string& s) override { Add("text " + s); }
    void OnStartCaptureScreen() override { Add("capture"); }
    void OnFullScreen() override { Add("full screen"); }
    void OnVolume(int v) override { Add("volume " + std::to_string(v)); }
    void OnStartPush() override { Add("push"); }
};

TEST(PlayerCalls, InvokeXmlAndTheNumberFormatsOfTheArguments)
{
    EXPECT_EQ(BuildInvokeXml("PlayVideo", "http://127.0.0.1:20155/YWJj-&flag&-1"),
              "<invoke name=\"PlayVideo\" returntype=\"xml\"><arguments><string>"
              "http://127.0.0.1:20155/YWJj-&flag&-1</string></arguments></invoke>");
    EXPECT_EQ(FormatFlashNumber(12345678), "1.23457e+07");
    EXPECT_EQ(FormatFlashNumber(300), "300");
    EXPECT_EQ(FormatFlashNumber(0), "0");
    EXPECT_EQ(FormatPercent(-3), "0");
    EXPECT_EQ(FormatPercent(0), "0");
    EXPECT_EQ(FormatPercent(150), "100");
}

TEST(PlayerEvents, WellFormedEventsReachTheirHandlers)
{
    RecordingSink sink;
    const std::vector<std::pair<std::string, std::string>> events = {
        {"VideoProcess", "12/300"},      {"LoadByteProcess", "1000/4000"}, {"OnStatus", "NetStream.Play.Start"},
        {"PauseVideo", "x"},             {"OnSetStatus", "正在缓冲"},     {"StartCaptureScreen", "true"},
        {"OnFullScreen", "true"},        {"OnVolProcess", "150"},          {"OnVolProcess", "-5"},
        {"OnVolProcess", "42.9"},        {"OnStartPush", "1"},             {"VideoProcess", "12.7/300.2"},
    };
    for (const auto& [command, args] : events)
        EXPECT_TRUE(DispatchFsCommand(command, args, sink)) << command << " " << args;
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"process 12/300", "loaded 1000/4000", "status NetStream.Play.Start",
                                                    "status Our.Pause", "text 正在缓冲", "capture", "full screen",
                                                    "volume 100", "volume 0", "volume 42", "push", "process 12/300"}));
}

TEST(PlayerEvents, MalformedEventsAreIgnoredOrClamped)
{
    RecordingSink sink;
    const std::vector<std::pair<std::string, std::string>> ignored = {
        {"OnStatus", ""},        {"", "Play.Start"},         {"VideoProcess", "12"},     {"VideoProcess", "a/b"},
        {"VideoProcess", "/"},   {"VideoProcess", "1/2/3"},  {"LoadByteProcess", "5/x"}, {"OnVolProcess", "loud"},
        {"OnVolProcess", "nan"}, {"OnFullScreen", "false"}, {"videoprocess", "1/2"},     {"Unknown", "1"},
    };
    for (const auto& [command, args] : ignored)
        EXPECT_FALSE(DispatchFsCommand(command, args, sink)) << command << " " << args;
    EXPECT_TRUE(sink.calls.empty());

    // Negative values count as 0; absurd ones are capped, never wrapped.
    EXPECT_TRUE(DispatchFsCommand("VideoProcess", "-30/-1", sink));
    EXPECT_TRUE(DispatchFsCommand("LoadByteProcess", "1e300/1e300", sink));
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"process 0/0", "loaded 9007199254740992/9007199254740992"}));
}

TEST(PlayerEvents, TimeLabelHasNoHoursAndTheLoadedShareItsBounds)
{
    EXPECT_EQ(FormatTimeLabel(3725, 7200), "62:05 / 120:00");
    EXPECT_EQ(FormatTimeLabel(30, 0), "00:30 / 00:00");
    EXPECT_EQ(FormatTimeLabel(0, 0), "00:00 / 00:00");
    EXPECT_EQ(LoadedPercent(995, 1000), 100) << "above 99 shows as 100";
    EXPECT_EQ(LoadedPercent(5, 1000), 0) << "below 1 shows as 0";
    EXPECT_EQ(LoadedPercent(500, 1000), 50);
    EXPECT_EQ(LoadedPercent(500, 0), 0);
    EXPECT_EQ(LoadedPercent(9007199254740992, 9007199254740992), 100);
}

}  // namespace
