// Live HLS through the download manager and the play server: the test site
// serves a sliding window over segments ffmpeg's hls muxer wrote, moved on
// by the test; the program reloads it, the player gets a live window of the
// play server, the stream is never complete while live, and a recording
// plays again from the cache as a VOD.
#include "delivery/hls_playlist.h"
#include "delivery/hls_stream.h"
#include "flv_download_fixture.h"
#include "test_site/live_hls.h"

#include "records/info_video.h"

#include <atomic>
#include <chrono>

namespace flv_test {
namespace {

constexpr std::size_t kWindow = 3;
constexpr unsigned kReloadMs = 40;

class HlsLiveTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        media = test_site::MakeTestHls(8);
        ASSERT_FALSE(media.empty()) << "ffmpeg could not make the HLS test stream";
        ASSERT_TRUE(test_site::ServeFolder(site, "/hls", media));
        const std::string vod = FileBytes(media + "/v0/index.m3u8");
        // Two channels of the same broadcast, so that two videos can have one each.
        for (const char* path : {"/hls/v0/live.m3u8", "/hls/v0/other.m3u8"})
            site.SetHandler(
                path,
                [this, vod](const test_site::RecordedRequest&) {
                    return test_site::LiveHlsPlaylist(vod, head.load(), kWindow, ended.load());
                },
                "application/vnd.apple.mpegurl");
        manager.SetLiveReloadPeriod(kReloadMs);
    }

    std::string Segment(int index) const { return FileBytes(media + "/v0/seg" + std::to_string(index) + ".ts"); }
    std::size_t Reloads() const { return site.RequestsFor("/hls/v0/live.m3u8").size(); }
    // Lets the program run for a few reload periods: for checking that
    // something does not happen, there is nothing to wait on.
    void RunReloadPeriods(int periods)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReloadMs * periods);
        Wait([&] { return std::chrono::steady_clock::now() >= until; });
    }
    // The play server's playlist as the player reads it.
    HlsPlaylist PlayerList(std::string* text = nullptr)
    {
        const std::string url = server.BuildPlayUrl("live");
        const std::string body = Fetch(url);
        if (text)
            *text = body;
        return ParseHlsPlaylist(body, url);
    }

    std::string media;
    std::atomic<std::uint64_t> head{0};
    std::atomic<bool> ended{false};
};

TEST_F(HlsLiveTest, ALivePlaylistPlaysLiveGrowsWithTheSiteAndCompletesOnlyOnceItEnds)
{
    AddVideo("live", "/hls/v0/live.m3u8", VIDEO_STATE_MANIFEST);
    Play("live");
    std::string text;
    HlsPlaylist list = PlayerList(&text);
    ASSERT_EQ(list.segments.size(), kWindow) << text;
    EXPECT_FALSE(list.ended) << "the player's list is live too";
    EXPECT_EQ(text.find("VOD"), std::string::npos) << text;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SameBytes(Fetch(list.segments[static_cast<std::size_t>(i)].url), Segment(i))) << i;
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("live").done == 3; }));
    auto status = manager.GetHlsStatus("live");
    EXPECT_TRUE(status.live);
    EXPECT_FALSE(status.IsComplete()) << "every segment known is cached, but the stream goes on";

    // The site's window moves on by two: the player's window follows, with
    // the numbers of the segments it holds.
    head = 2;
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("live").count == 5; }));
    list = PlayerList(&text);
    ASSERT_EQ(list.segments.size(), kWindow) << text;
    EXPECT_EQ(list.segments[0].sequence, 2u) << text;
    EXPECT_TRUE(SameBytes(Fetch(list.segments[2].url), Segment(4)));

    // The site ends the stream: it becomes a VOD, and complete once every
    // segment arrived; the reloads stop.
    head = 5;
    ended = true;
    ASSERT_TRUE(Wait([&] { return !manager.GetHlsStatus("live").live; }));
    list = PlayerList(&text);
    EXPECT_TRUE(list.ended) << text;
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("live").IsComplete(); }));
    EXPECT_EQ(manager.GetHlsStatus("live").count, 8u);
    const std::size_t reloads = Reloads();
    RunReloadPeriods(5);
    EXPECT_EQ(Reloads(), reloads) << "an ended list is not reloaded";
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(site.RequestsFor("/hls/v0/seg" + std::to_string(i) + ".ts").size(), 1u) << i;
}

TEST_F(HlsLiveTest, ReloadsStopWhenTheVideoStopsPlayingAndTheBackgroundStepLeavesALiveStream)
{
    settings.idleDownEnable = 1;
    AddVideo("live", "/hls/v0/live.m3u8", VIDEO_STATE_MANIFEST);
    Play("live");
    ASSERT_EQ(PlayerList().segments.size(), kWindow);
    ASSERT_TRUE(Wait([&] { return Reloads() >= 3; })) << "a live list is reloaded while it plays";

    Play("something else");
    ASSERT_TRUE(WaitIdle());
    const std::size_t reloads = Reloads();
    head = 3;
    // The background step passes live streams by and caches the next video:
    // one that stopped playing, and one never played, whose playlist it
    // learns but whose segments it leaves.
    AddVideo("idle", "/hls/v0/other.m3u8", VIDEO_STATE_MANIFEST);
    ASSERT_TRUE(Wait([&] {
        manager.RunBackgroundStep();
        return manager.GetHlsStatus("idle").known;
    }));
    ASSERT_TRUE(WaitIdle());
    site.AddFile("/plain.flv", FileBytes(test_site::MakeTestVideo(test_site::VideoKind::Flv, 2)), "video/x-flv");
    InfoVideo* plain = AddVideo("plain", "/plain.flv");
    ASSERT_TRUE(Wait([&] {
        manager.RunBackgroundStep();
        return IsComplete(*plain);
    }));
    ASSERT_TRUE(WaitIdle());
    RunReloadPeriods(5);
    manager.RunBackgroundStep();
    EXPECT_EQ(Reloads(), reloads) << "nobody watches the video";
    EXPECT_EQ(manager.GetTaskCount(), 0) << "the background step does not cache a live stream";
    EXPECT_TRUE(site.RequestsFor("/hls/v0/seg5.ts").empty());
    EXPECT_TRUE(manager.GetHlsStatus("live").live);
    EXPECT_TRUE(manager.GetHlsStatus("idle").live);
    EXPECT_EQ(manager.GetHlsStatus("idle").done, 0u);
    EXPECT_EQ(site.RequestsFor("/hls/v0/other.m3u8").size(), 1u);

    // Played again, it reloads and catches up with the site.
    Play("live");
    const HlsPlaylist list = PlayerList();
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("live").count == 6; }));
    EXPECT_FALSE(list.segments.empty());
}

TEST_F(HlsLiveTest, ARecordingPlaysAgainFromTheCacheAsAVodOfWhatItHolds)
{
    InfoVideo* video = AddVideo("live", "/hls/v0/live.m3u8", VIDEO_STATE_MANIFEST);
    Play("live");
    HlsPlaylist list = PlayerList();
    ASSERT_EQ(list.segments.size(), kWindow);
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("live").done == 3; }));
    // Two segments slide out unseen while nobody watches; the next window
    // is recorded after a discontinuity.
    Play("something else");
    ASSERT_TRUE(WaitIdle());
    head = 5;
    Play("live");
    PlayerList();
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("live").done == 6; }));
    EXPECT_EQ(manager.GetHlsStatus("live").missing, 0u) << "segments never listed are not counted";
    Play("something else");
    ASSERT_TRUE(WaitIdle());
    site.Stop();

    // A new run without the site.
    NextRun next(downloadSettings, observer);
    next.manager.SetLiveReloadPeriod(kReloadMs);
    Play("live");
    const std::string url = next.server.BuildPlayUrl("live");
    std::string text = Fetch(url);
    const HlsPlaylist vod = ParseHlsPlaylist(text, url);
    EXPECT_TRUE(vod.ended) << text;
    ASSERT_EQ(vod.segments.size(), 6u) << text;
    const int expected[] = {0, 1, 2, 5, 6, 7};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_TRUE(SameBytes(Fetch(vod.segments[i].url), Segment(expected[i]))) << i;
    EXPECT_TRUE(vod.segments[3].discontinuity) << text;
    EXPECT_FALSE(next.manager.GetHlsStatus("live").IsComplete());
    // A save joins what was cached: nothing between the recorded windows is
    // listed, so nothing is missing.
    const SegmentedCache cache = ReadSegmentedCache(*video);
    EXPECT_EQ(cache.count, 6u);
    EXPECT_EQ(cache.missing, 0u);
    Play("something else");
    next.manager.StopAllTasks();
    Wait([&] { return next.manager.GetTaskCount() == 0; });
}

}  // namespace
}  // namespace flv_test
