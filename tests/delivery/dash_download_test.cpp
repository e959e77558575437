// DASH videos through the download manager and the play server: the player
// gets a manifest of the play server, the init sections and segments of the
// chosen representations come from the cache byte for byte, completeness
// counts only what arrived, and a cached stream plays again without the
// site.
#include "delivery/dash_manifest.h"
#include "delivery/hls_stream.h"
#include "flv_download_fixture.h"

#include "records/info_video.h"

namespace flv_test {
namespace {

class DashDownloadTest : public DownloadTest {
protected:
    void Serve(test_site::DashKind kind)
    {
        media = test_site::MakeTestDash(4, kind);
        ASSERT_FALSE(media.empty()) << "ffmpeg could not make the DASH test stream";
        ASSERT_TRUE(test_site::ServeFolder(site, "/dash", media));
    }

    // The play server's manifest and its entries (init sections and
    // segments) as the player addresses them.
    std::vector<std::string> Entries(CPlayRequestManager& playServer, const std::string& key)
    {
        const std::string url = playServer.BuildPlayUrl(key);
        const std::string text = Fetch(url);
        EXPECT_EQ(text.find(site.Url("/")), std::string::npos) << "the page must never fetch from the site";
        return DashEntryUrls(ParseDashManifest(text, url));
    }

    std::vector<std::string> PlayAll(CPlayRequestManager& playServer, const std::string& key)
    {
        std::vector<std::string> bodies;
        for (const std::string& entry : Entries(playServer, key))
            bodies.push_back(Fetch(entry));
        return bodies;
    }

    // The files of the site's stream in entry order: the video of highest
    // bandwidth (representation 0), then the audio (1), each init first.
    std::vector<std::string> SiteFiles(int segments, bool timeNamed = false) const
    {
        std::vector<std::string> files;
        for (int id : timeNamed ? std::vector<int>{0} : std::vector<int>{0, 1}) {
            files.push_back(FileBytes(media + "/init-stream" + std::to_string(id) + ".m4s"));
            for (int i = 1; i <= segments; ++i) {
                char name[64];
                if (timeNamed)
                    std::snprintf(name, sizeof name, "/chunk-%d-%d.m4s", id, (i - 1) * 12800);
                else
                    std::snprintf(name, sizeof name, "/chunk-stream%d-%05d.m4s", id, i);
                files.push_back(FileBytes(media + name));
            }
        }
        return files;
    }

    void ExpectPlaysWhileCaching(bool timeNamed = false)
    {
        const InfoVideo* video = AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
        Play("dash");
        const std::vector<std::string> bodies = PlayAll(server, "dash");
        const std::vector<std::string> files = SiteFiles(4, timeNamed);
        ASSERT_EQ(bodies.size(), files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            ASSERT_FALSE(files[i].empty()) << i;
            EXPECT_TRUE(SameBytes(bodies[i], files[i])) << i;
        }
        ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("dash").IsComplete(); }));
        EXPECT_EQ(manager.GetHlsStatus("dash").count, files.size());
        // A save takes the cached files track by track: the video's init
        // section and segments, then the audio's.
        const SegmentedCache cache = ReadSegmentedCache(*video);
        EXPECT_TRUE(cache.IsComplete());
        EXPECT_EQ(cache.tracks.size(), timeNamed ? 1u : 2u);
        std::vector<std::string> saved;
        for (const auto& track : cache.tracks)
            for (const std::string& file : track)
                saved.push_back(FileBytes(file));
        ASSERT_EQ(saved.size(), files.size());
        for (std::size_t i = 0; i < files.size(); ++i)
            EXPECT_TRUE(SameBytes(saved[i], files[i])) << i;
        EXPECT_TRUE(site.RequestsFor("/dash/init-stream2.m4s").empty()) << "the lower representation is not fetched";
        for (const auto& request : site.RequestsFor("/dash/init-stream0.m4s"))
            EXPECT_EQ(request.Value("Referer"), "http://page.test/dash");
        EXPECT_TRUE(observer.missingSegments.empty());
    }

    std::string media;
};

TEST_F(DashDownloadTest, ANumberTimelineStreamPlaysFromThePlayServerWhileEverySegmentIsCached)
{
    Serve(test_site::DashKind::NumberTimeline);
    ExpectPlaysWhileCaching();
}

TEST_F(DashDownloadTest, ANumberDurationStreamPlaysFromThePlayServerWhileEverySegmentIsCached)
{
    Serve(test_site::DashKind::NumberDuration);
    ExpectPlaysWhileCaching();
}

TEST_F(DashDownloadTest, ATimeTimelineStreamPlaysFromThePlayServerWhileEverySegmentIsCached)
{
    Serve(test_site::DashKind::TimeTimeline);
    ExpectPlaysWhileCaching(true);
}

TEST_F(DashDownloadTest, ASegmentListStreamPlaysFromThePlayServerWhileEverySegmentIsCached)
{
    Serve(test_site::DashKind::SegmentList);
    ExpectPlaysWhileCaching();
}

TEST_F(DashDownloadTest, ASegmentNeverServedIsReportedAndNeverCountedAsCached)
{
    Serve(test_site::DashKind::NumberTimeline);
    test_site::Behaviour gone;
    gone.status = 404;
    site.SetBehaviour("/dash/chunk-stream1-00002.m4s", gone);
    InfoVideo* video = AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
    Play("dash");
    const std::vector<std::string> entries = Entries(server, "dash");
    ASSERT_EQ(entries.size(), 10u);
    std::string header;
    EXPECT_TRUE(Fetch(entries[7], &header).empty());
    EXPECT_TRUE(header.starts_with("HTTP/1.1 404")) << header;
    ASSERT_TRUE(Wait([&] { return !observer.missingSegments.empty(); }));
    EXPECT_EQ(observer.missingSegments, std::vector<std::string>{"dash|1/10"});
    const auto status = manager.GetHlsStatus("dash");
    EXPECT_FALSE(status.IsComplete());
    EXPECT_EQ(status.done, 9u);
    EXPECT_EQ(status.missing, 1u);
    EXPECT_EQ(video->state, VIDEO_STATE_INCOMPLETE);
    const SegmentedCache cache = ReadSegmentedCache(*video);
    EXPECT_FALSE(cache.IsComplete()) << "an incomplete stream is not saved";
    EXPECT_EQ(cache.missing, 1u);
    EXPECT_EQ(cache.count, 10u);
}

// A segment whose transfer breaks off keeps what arrived and is resumed
// from there with a Range request; the cached file is byte for byte the
// site's.
TEST_F(DashDownloadTest, ASegmentCutShortIsResumedFromItsPartByteForByte)
{
    Serve(test_site::DashKind::NumberTimeline);
    test_site::Behaviour cut;
    cut.dropAfter = 300;
    cut.dropOnce = true;
    site.SetBehaviour("/dash/chunk-stream0-00002.m4s", cut);
    AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
    Play("dash");
    const std::vector<std::string> entries = Entries(server, "dash");
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_TRUE(SameBytes(Fetch(entries[2]), FileBytes(media + "/chunk-stream0-00002.m4s")));
    const auto requests = site.RequestsFor("/dash/chunk-stream0-00002.m4s");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Value("Range"), "bytes=300-");
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("dash").IsComplete(); }));
}

TEST_F(DashDownloadTest, ACachedStreamPlaysAgainWithoutTheSiteAfterARestart)
{
    Serve(test_site::DashKind::NumberTimeline);
    InfoVideo* video = AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
    Play("dash");
    const std::vector<std::string> first = PlayAll(server, "dash");
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("dash").IsComplete(); }));
    site.Stop();

    video->state = VIDEO_STATE_LOADED;
    CPlayRequestManager server2;
    CFLVDownloadManager manager2{downloadSettings, &server2, &observer};
    manager2.SetBackgroundPeriod(0);
    server2.SetRequestServer(&manager2);
    const std::vector<std::string> again = PlayAll(server2, "dash");
    ASSERT_EQ(again.size(), 10u);
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(SameBytes(again[i], first[i])) << i;
    EXPECT_TRUE(manager2.GetHlsStatus("dash").IsComplete());
    EXPECT_EQ(manager2.GetTaskCount(), 0);
    server2.SetRequestServer(nullptr);
}

// A stream address taken for a plain video that answers with a DASH
// manifest plays as DASH instead of failing.
TEST_F(DashDownloadTest, AStreamAddressThatIsAManifestPlaysAsDash)
{
    Serve(test_site::DashKind::NumberTimeline);
    InfoVideo* video = AddVideo("dash", "/dash/manifest.mpd");
    Play("dash");
    manager.StartDownload(video);
    ASSERT_TRUE(Wait([&] { return video->state != VIDEO_STATE_RESOLVED; }));
    EXPECT_EQ(video->state, VIDEO_STATE_MANIFEST);
    EXPECT_EQ(PlayAll(server, "dash").size(), 10u);
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("dash").IsComplete(); }));
}

}  // namespace
}  // namespace flv_test
