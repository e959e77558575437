// What the main player is told to play: local files and cached or
// downloading videos through the play server, AddVideo's modes, the next
// video, and the sizes sent at "Play.Start".
#include "common/app_folder.h"
#include "common/base64.h"
#include "delivery/flv_cache.h"
#include "delivery/flv_download_manager.h"
#include "delivery/play_request_manager.h"
#include "shell/player/flash_call.h"
#include "shell/player/play_control.h"
#include "shell/settings/app_setting_downloads.h"
#include "shell/settings/records_ops.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

namespace {

struct RecordingSurface : IPlayerSurface {
    std::vector<std::string> calls;
    std::string title;
    std::string status;
    void CallPlayer(const std::string& name, const std::string& argument) override
    {
        calls.push_back(name + "(" + argument + ")");
    }
    void StopPlayer() override { calls.push_back("stop"); }
    void PlayInPlayer(const std::string& url) override { calls.push_back("play " + url); }
    void ResetControls() override { calls.push_back("reset"); }
    void SetTitle(const std::string& text) override { title = text; }
    void ShowStatus(const std::string& text) override { status = text; }
    void ShowTip(const std::string& text) override { calls.push_back("tip " + text); }
    bool OpenPreview() override
    {
        calls.push_back("open preview");
        return true;
    }
    void PlayInPreview(const std::string& url) override { calls.push_back("preview " + url); }
    void ClosePreview() override { calls.push_back("close preview"); }
};

class PlayControlTest : public ::testing::Test {
protected:
    PlayControlTest()
    {
        SetAppFolderForTesting(folder.path());
        std::filesystem::create_directories(folder / "temp");
        downloads.SetBackgroundPeriod(0);
    }
    ~PlayControlTest() override
    {
        downloads.StopAllTasks();
        SetAppFolderForTesting("");
    }
    InfoVideo* AddRecord(const std::string& key, const std::string& stream)
    {
        auto* video = new InfoVideo;
        video->a0 = "2";
        video->a1 = "Title of " + key;
        video->a2 = key;
        video->a4 = stream;
        settings.playList.PCL_PushObject(video);
        return video;
    }
    // The play URL the player was given, decoded back to its key.
    std::string PlayedKey() const
    {
        for (auto it = surface.calls.rbegin(); it != surface.calls.rend(); ++it) {
            if (!it->starts_with("play "))
                continue;
            const std::string url = it->substr(5);
            const std::string prefix = "http://127.0.0.1:" + std::to_string(server.GetPort()) + "/";
            if (!url.starts_with(prefix))
                return "not a play URL: " + url;
            return url.substr(prefix.size(), url.find("-&flag&-") - prefix.size());
        }
        return {};
    }

    TempFolder folder;
    CAppSetting settings;
    CPlayRequestManager server;
    CAppSettingDownloads downloadSettings{settings};
    CFLVDownloadManager downloads{downloadSettings, &server};
    RecordingSurface surface;
    IStreamDetection noDetection;
    CPlayControl control{settings, downloads, server, surface, noDetection};
};

TEST_F(PlayControlTest, AVideoWithAStreamPlaysThroughThePlayServerAfterStoppingTheLastOne)
{
    // Port 9 refuses: the download fails quietly, which is not this test's matter.
    AddRecord("http://videos.example/watch/1", "http://127.0.0.1:9/v.flv");
    control.PlayItem("http://videos.example/watch/1");
    ASSERT_GE(surface.calls.size(), 5u);
    EXPECT_EQ(surface.calls[0], "close preview");
    EXPECT_EQ(surface.calls[1], "stop");
    EXPECT_EQ(surface.calls[2], "SetWebStationName(videos.example)");
    EXPECT_EQ(surface.calls[3], "SetConnectStatus(正在连接videos.example服务器)");
    EXPECT_EQ(surface.calls[4], "reset");
    EXPECT_EQ(PlayedKey(), "aHR0cDovL3ZpZGVvcy5leGFtcGxlL3dhdGNoLzE=");
    EXPECT_EQ(surface.title, "Title of http://videos.example/watch/1 - Quelt");
    ASSERT_TRUE(settings.nowPlaying);
    EXPECT_EQ(settings.nowPlaying->key, "http://videos.example/watch/1");
}

TEST_F(PlayControlTest, ALocalFilePlaysUnderItsNameAndAVideoWithoutStreamSaysWhy)
{
    const std::string file = folder / "holiday.flv";
    WriteWholeFile(file, "FLV\x01\x05");
    control.PlayItem(file);
    EXPECT_EQ(surface.title, "holiday.flv - Quelt");
    EXPECT_EQ(PlayedKey(), Base64Encode(file)) << "the play server serves the file under its path";
    EXPECT_TRUE(std::find(surface.calls.begin(), surface.calls.end(), "SetWebStationName()") == surface.calls.end())
        << "a local file has no site";

    surface.calls.clear();
    AddRecord("http://videos.example/watch/2", "");
    control.PlayItem("http://videos.example/watch/2");
    EXPECT_EQ(PlayedKey(), "") << "nothing to play before the stream is found";
    EXPECT_EQ(surface.status, kNoDetectionYet) << "without detection, the status line says so";
}

TEST_F(PlayControlTest, AFavoritePlaysUnderItsTitleNotItsFileName)
{
    std::filesystem::create_directories(folder / "favorite");
    auto* favorite = new InfoFavorite;
    favorite->title = "A loved video";
    favorite->url = "http://videos.example/loved";
    settings.favorites.PCL_PushObject(favorite);
    const std::string file = GetFavoritePath(favorite->url);
    WriteWholeFile(file, "FLV\x01\x05");

    control.PlayItem(file);  // what the favorites list does
    EXPECT_EQ(surface.title, "A loved video - Quelt");
    EXPECT_EQ(PlayedKey(), Base64Encode(file)) << "the favorite's file, served under its path";
}

TEST_F(PlayControlTest, AHandedOverPageTakesItsRealTitleInTheHistoryOnceKnown)
{
    // A second instance hands over the page's address without a title.
    const std::string page = "http://videos.example/watch/handed";
    control.AddVideo("", page, kAddPlayNow);
    ASSERT_NE(FindHistory(settings, page), nullptr);
    EXPECT_EQ(surface.title, page + " - Quelt") << "the address until the title is known";
    // Detection finds the stream and the page's title, and plays it.
    InfoVideo* video = FindVideo(settings, page);
    video->a1 = "The real title";
    video->a4 = "http://127.0.0.1:9/handed.flv";
    control.PlayItem(page);
    EXPECT_EQ(FindHistory(settings, page)->title, "The real title");
    EXPECT_EQ(surface.title, "The real title - Quelt");

    // A title the user's history already has stays.
    control.AddVideo("Named", "http://videos.example/named", kAddQueue);
    FindVideo(settings, "http://videos.example/named")->a1 = "Other";
    control.PlayItem("http://videos.example/named");
    EXPECT_EQ(FindHistory(settings, "http://videos.example/named")->title, "Named");
}

TEST_F(PlayControlTest, AListedSiteIsNamedByItsListedNameElseByItsHost)
{
    struct Names : ISiteNames {
        std::string SiteNameOf(const std::string& url) const override
        {
            return url.find("videos.example/") != std::string::npos ? "Example Videos" : "";
        }
    } names;
    AddRecord("http://videos.example/watch/3", "http://127.0.0.1:9/v.flv");
    AddRecord("http://other.test/watch/4", "http://127.0.0.1:9/v.flv");
    control.SetSiteNames(&names);
    control.PlayItem("http://videos.example/watch/3");
    EXPECT_TRUE(std::find(surface.calls.begin(), surface.calls.end(), "SetWebStationName(Example Videos)")
                != surface.calls.end());
    control.PlayItem("http://other.test/watch/4");
    EXPECT_TRUE(std::find(surface.calls.begin(), surface.calls.end(), "SetWebStationName(other.test)")
                != surface.calls.end()) << "an unlisted site by its host";
    EXPECT_EQ(control.MessageForSite(30034, *FindVideo(settings, "http://videos.example/watch/3")),
              "Example Videos服务器连接错误，请您稍后再试");
}

TEST_F(PlayControlTest, AddVideoModesQueuePlayAndRecordHistory)
{
    control.AddVideo("First", "http://videos.example/a", kAddQueue);
    EXPECT_EQ(settings.nowPlaying ? settings.nowPlaying->key : "", "http://videos.example/a")
        << "queued into an empty play list: it plays";
    control.AddVideo("Second", "http://videos.example/b", kAddQueue);
    EXPECT_EQ(settings.nowPlaying->key, "http://videos.example/a") << "queued behind: it waits";
    control.AddVideo("Preview", "http://videos.example/c", kAddPreview);
    EXPECT_EQ(FindVideo(settings, "http://videos.example/c")->a0, "3");
    control.AddVideo("Preview", "http://videos.example/c", kAddPlayNow);
    EXPECT_EQ(FindVideo(settings, "http://videos.example/c")->a0, "1") << "played: no longer preview-only";
    EXPECT_EQ(settings.nowPlaying->key, "http://videos.example/c");
    EXPECT_EQ(settings.playList.PCL_GetObjectCount(), 3u);
    EXPECT_EQ(settings.history.PCL_GetObjectCount(), 3u);
}

TEST_F(PlayControlTest, TheNextVideoFollowsThePlayingOneAndTheLastHasNone)
{
    AddRecord("k1", "http://127.0.0.1:9/1.flv");
    AddRecord("k2", "http://127.0.0.1:9/2.flv");
    control.PlayItem("k1");
    EXPECT_TRUE(control.PlayNextVideo());
    EXPECT_EQ(settings.nowPlaying->key, "k2");
    EXPECT_FALSE(control.PlayNextVideo());
    EXPECT_EQ(settings.nowPlaying->key, "k2");
    control.StopPlaying();
    EXPECT_FALSE(control.PlayNextVideo()) << "nothing plays: no next";
}

TEST_F(PlayControlTest, APreviewLeavesTheMainPlayerAloneAndCanMoveThere)
{
    AddRecord("playing", "http://127.0.0.1:9/1.flv");
    AddRecord("other", "http://127.0.0.1:9/2.flv");
    control.PlayItem("playing");
    surface.calls.clear();
    control.AddVideo("", "playing", kAddPreview);
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"tip 视频正在播放中"}));

    surface.calls.clear();
    control.AddVideo("", "other", kAddPreview);
    ASSERT_EQ(surface.calls.size(), 2u);
    EXPECT_EQ(surface.calls[0], "open preview");
    EXPECT_TRUE(surface.calls[1].starts_with("preview http://127.0.0.1:")) << surface.calls[1];
    EXPECT_EQ(control.PreviewingKey(), "other");
    EXPECT_EQ(control.PlayingKey(), "playing") << "the main player goes on";
    control.PreviewItem("other");
    EXPECT_EQ(surface.calls.back(), "tip 视频正在播放中");

    control.PlayPreviewInMain();
    EXPECT_EQ(control.PlayingKey(), "other");
    EXPECT_EQ(control.PreviewingKey(), "") << "playing it in the main player ends the preview";

    control.AddVideo("", "playing", kAddPreview);
    control.EndPreview();
    EXPECT_EQ(surface.calls.back(), "close preview");
    EXPECT_EQ(control.PreviewingKey(), "");
}

TEST_F(PlayControlTest, ThePreviewStaysOpenWhenTheMainPlayerMovesOnToItsNextVideo)
{
    AddRecord("first", "http://127.0.0.1:9/1.flv");
    AddRecord("second", "http://127.0.0.1:9/2.flv");
    AddRecord("previewed", "http://127.0.0.1:9/3.flv");
    control.PlayItem("first");
    control.AddVideo("", "previewed", kAddPreview);
    ASSERT_EQ(control.PreviewingKey(), "previewed");
    surface.calls.clear();
    ASSERT_TRUE(control.PlayNextVideo());
    EXPECT_EQ(control.PlayingKey(), "second");
    EXPECT_EQ(control.PreviewingKey(), "previewed") << "the preview goes on";
    EXPECT_TRUE(std::find(surface.calls.begin(), surface.calls.end(), "close preview") == surface.calls.end());

    // A video the user chooses still closes it, as before.
    control.PlayItem("first");
    EXPECT_EQ(control.PreviewingKey(), "");
    EXPECT_EQ(surface.calls.back().substr(0, 5), "play ");
}

TEST_F(PlayControlTest, RemovingThePlayingVideoStopsItAndDropsItsCache)
{
    InfoVideo* video = AddRecord("gone", "http://127.0.0.1:9/gone.flv");
    WriteWholeFile(GetCachePath(*video), "FLV partial");
    control.PlayItem("gone");
    control.RemoveVideoByKey("gone");
    EXPECT_EQ(control.PlayingKey(), "");
    EXPECT_EQ(FindVideo(settings, "gone"), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(folder / "temp"));
}

TEST_F(PlayControlTest, PlayStartSendsTheSizeAndTheDurationOfACompleteFlv)
{
    InfoVideo* video = AddRecord("k", "http://127.0.0.1:9/k.flv");
    // An FLV of 3000 bytes whose last tag has the timestamp 12,345 ms.
    const std::string lastTag = std::string("\x12\0\0\x01\0\x30\x39\0\0\0\0", 11) + "x" + std::string("\0\0\0\x0c", 4);
    std::string flv("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13);
    flv.resize(3000 - lastTag.size(), '\0');
    flv += lastTag;
    WriteWholeFile(GetCachePath(*video), flv);
    video->a5 = "3000";
    control.PlayItem("k");
    surface.calls.clear();
    control.SendSizeAndDuration();
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"SetVideoBytes(3000)", "SetVideoDuration(12)"}));
}

}  // namespace
