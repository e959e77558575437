// HLS videos through the download manager and the play server: the player
// gets a playlist of the play server, every segment comes from the cache,
// completeness counts only segments that arrived, and a cached stream plays
// again without the site.
#include "delivery/hls_playlist.h"
#include "delivery/hls_stream.h"
#include "flv_download_fixture.h"

#include "records/info_video.h"

namespace flv_test {
namespace {

class HlsDownloadTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        media = test_site::MakeTestHls(4);
        ASSERT_FALSE(media.empty()) << "ffmpeg could not make the HLS test stream";
        ASSERT_TRUE(test_site::ServeFolder(site, "/hls", media));
    }

    // Plays the video the way a player does: its playlist, then every
    // segment in order. Returns the segments' bodies.
    std::vector<std::string> PlayAll(CPlayRequestManager& playServer, const std::string& key)
    {
        const std::string url = playServer.BuildPlayUrl(key);
        const HlsPlaylist playlist = ParseHlsPlaylist(Fetch(url), url);
        std::vector<std::string> bodies;
        for (const HlsSegment& segment : playlist.segments)
            bodies.push_back(Fetch(segment.url));
        return bodies;
    }

    std::string Segment(int variant, int index) const
    {
        return FileBytes(media + "/v" + std::to_string(variant) + "/seg" + std::to_string(index) + ".ts");
    }

    std::string media;
};

TEST_F(HlsDownloadTest, PlaysTheHighestVariantFromThePlayServerWhileCachingEverySegment)
{
    const InfoVideo* video = AddVideo("hls", "/hls/master.m3u8", VIDEO_STATE_MANIFEST);
    Play("hls");
    const std::string url = server.BuildPlayUrl("hls");
    std::string header;
    const std::string text = Fetch(url, &header);
    const HlsPlaylist playlist = ParseHlsPlaylist(text, url);
    ASSERT_EQ(playlist.segments.size(), 4u) << text;
    // The page keeps no copy of what the cache holds (it grew with the stream).
    EXPECT_NE(header.find("Cache-Control: no-store"), std::string::npos) << header;
    EXPECT_EQ(text.find(site.Url("/")), std::string::npos) << "the page must never fetch from the site";
    for (std::size_t i = 0; i < playlist.segments.size(); ++i) {
        EXPECT_TRUE(playlist.segments[i].url.starts_with(url.substr(0, url.find('-'))));
        EXPECT_TRUE(SameBytes(Fetch(playlist.segments[i].url, &header), Segment(0, static_cast<int>(i)))) << i;
        EXPECT_NE(header.find("Cache-Control: no-store"), std::string::npos) << header;
    }
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("hls").IsComplete(); }));
    const auto status = manager.GetHlsStatus("hls");
    EXPECT_EQ(status.done, 4u);
    EXPECT_EQ(status.missing, 0u);
    EXPECT_TRUE(site.RequestsFor("/hls/v1/index.m3u8").empty()) << "the lower variant is not fetched";
    // A save takes the cached segments in play order, as one track.
    const SegmentedCache cache = ReadSegmentedCache(*video);
    EXPECT_TRUE(cache.IsComplete());
    ASSERT_EQ(cache.tracks.size(), 1u);
    ASSERT_EQ(cache.tracks[0].size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(SameBytes(FileBytes(cache.tracks[0][static_cast<std::size_t>(i)]), Segment(0, i))) << i;
    for (const auto& request : site.RequestsFor("/hls/v0/seg0.ts"))
        EXPECT_EQ(request.Value("Referer"), "http://page.test/hls");
    EXPECT_TRUE(observer.missingSegments.empty());
}

TEST_F(HlsDownloadTest, ASegmentRefusedOnceIsFetchedAgainAndTheStreamCompletes)
{
    test_site::Behaviour refuseOnce;
    refuseOnce.status = 503;
    refuseOnce.statusOnce = true;
    site.SetBehaviour("/hls/v0/seg2.ts", refuseOnce);
    AddVideo("hls", "/hls/master.m3u8", VIDEO_STATE_MANIFEST);
    Play("hls");
    const std::vector<std::string> bodies = PlayAll(server, "hls");
    ASSERT_EQ(bodies.size(), 4u);
    EXPECT_TRUE(SameBytes(bodies[2], Segment(0, 2)));
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("hls").IsComplete(); }));
    EXPECT_EQ(site.RequestsFor("/hls/v0/seg2.ts").size(), 2u);
    EXPECT_TRUE(observer.missingSegments.empty());
}

TEST_F(HlsDownloadTest, ASegmentNeverServedIsReportedAndNeverCountedAsCached)
{
    test_site::Behaviour gone;
    gone.status = 404;
    site.SetBehaviour("/hls/v0/seg1.ts", gone);
    InfoVideo* video = AddVideo("hls", "/hls/master.m3u8", VIDEO_STATE_MANIFEST);
    Play("hls");
    const std::string url = server.BuildPlayUrl("hls");
    const HlsPlaylist playlist = ParseHlsPlaylist(Fetch(url), url);
    ASSERT_EQ(playlist.segments.size(), 4u);
    std::string header;
    EXPECT_TRUE(Fetch(playlist.segments[1].url, &header).empty());
    EXPECT_TRUE(header.starts_with("HTTP/1.1 404")) << header;
    EXPECT_TRUE(SameBytes(Fetch(playlist.segments[3].url), Segment(0, 3)));
    ASSERT_TRUE(Wait([&] { return !observer.missingSegments.empty(); }));
    EXPECT_EQ(observer.missingSegments, std::vector<std::string>{"hls|1/4"});
    const auto status = manager.GetHlsStatus("hls");
    EXPECT_FALSE(status.IsComplete());
    EXPECT_EQ(status.done, 3u);
    EXPECT_EQ(status.missing, 1u);
    EXPECT_EQ(video->state, VIDEO_STATE_INCOMPLETE);
    EXPECT_EQ(site.RequestsFor("/hls/v0/seg1.ts").size(), static_cast<std::size_t>(HlsSegmentBook::kMaxAttempts));
    const SegmentedCache cache = ReadSegmentedCache(*video);
    EXPECT_FALSE(cache.IsComplete()) << "an incomplete stream is not saved";
    EXPECT_EQ(cache.missing, 1u);
    EXPECT_EQ(cache.count, 4u);
}

TEST_F(HlsDownloadTest, ACachedStreamPlaysAgainWithoutTheSiteAfterARestart)
{
    InfoVideo* video = AddVideo("hls", "/hls/master.m3u8", VIDEO_STATE_MANIFEST);
    Play("hls");
    const std::vector<std::string> first = PlayAll(server, "hls");
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("hls").IsComplete(); }));
    site.Stop();

    // A new run: the record comes back from the saved play list.
    video->state = VIDEO_STATE_LOADED;
    NextRun next(downloadSettings, observer);
    const std::vector<std::string> again = PlayAll(next.server, "hls");
    ASSERT_EQ(again.size(), 4u);
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(SameBytes(again[i], first[i])) << i;
    EXPECT_TRUE(next.manager.GetHlsStatus("hls").IsComplete());
    EXPECT_EQ(next.manager.GetTaskCount(), 0);

    // Clearing the cache (the play list was cleared) takes the segments too.
    next.manager.ClearCache();
    EXPECT_FALSE(std::filesystem::exists(HlsFolderOf(*video)));
    EXPECT_FALSE(next.manager.GetHlsStatus("hls").known);
}

// The background step caches an HLS video of the play list as it does an
// ordinary one, while nothing plays; a single download setting still lets
// both of its parallel fetches run, and a complete stream starts nothing.
TEST_F(HlsDownloadTest, TheBackgroundStepCachesAnHlsVideoWhileThePlayerIsIdle)
{
    settings.idleDownEnable = 1;
    settings.maxDownload = 1;
    AddVideo("hls", "/hls/master.m3u8", VIDEO_STATE_MANIFEST);
    manager.RunBackgroundStep();
    ASSERT_TRUE(Wait([&] {
        manager.RunBackgroundStep();
        return manager.GetHlsStatus("hls").IsComplete();
    }));
    ASSERT_TRUE(WaitIdle());
    manager.RunBackgroundStep();
    EXPECT_EQ(manager.GetTaskCount(), 0) << "a complete stream is not fetched again";
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(site.RequestsFor("/hls/v0/seg" + std::to_string(i) + ".ts").size(), 1u) << i;
}

// A stream address found without detection (typed, or from the segment
// service) that turns out to be a playlist is played as HLS: the video
// becomes a manifest, the player is told to start it again, and its
// segments are cached.
TEST_F(HlsDownloadTest, AStreamAddressThatIsAPlaylistPlaysAsHlsInsteadOfFailing)
{
    InfoVideo* video = AddVideo("hls", "/hls/master.m3u8");
    Play("hls");
    manager.StartDownload(video);
    ASSERT_TRUE(Wait([&] { return video->state != VIDEO_STATE_RESOLVED; }));
    EXPECT_EQ(video->state, VIDEO_STATE_MANIFEST);
    EXPECT_EQ(observer.manifests, (std::vector<std::string>{"hls"}));
    const std::vector<std::string> bodies = PlayAll(server, "hls");
    ASSERT_EQ(bodies.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(SameBytes(bodies[static_cast<std::size_t>(i)], Segment(0, i))) << i;
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("hls").IsComplete(); }));
    EXPECT_FALSE(std::filesystem::exists(GetCachePath(*video))) << "no cache file of a plain stream is left";
}

}  // namespace
}  // namespace flv_test
