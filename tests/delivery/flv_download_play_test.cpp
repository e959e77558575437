// The download manager answering players through the play server: an
// unknown video, totals learnt from a resume's Content-Range, a 416 for a complete
// cache, Range requests while the video downloads, and ffmpeg seeking.
#include "flv_download_fixture.h"

#include <QProcess>
#include <QStandardPaths>

namespace flv_test {
namespace {

constexpr std::int64_t kSize = 1000000;

// A fresh download must start like a video, or it is refused as no video.
const std::string& FlvBytes()
{
    static const std::string bytes = std::string("FLV\x01\x05\0\0\0\x09", 9) + test_site::PatternBytes(9, kSize - 9);
    return bytes;
}

class PlayThroughManagerTest : public DownloadTest {
protected:
    static std::string Pattern(std::int64_t from, std::int64_t count)
    {
        return FlvBytes().substr(static_cast<std::size_t>(from), static_cast<std::size_t>(count));
    }
    void AddSiteVideo(std::int64_t size) { site.AddFile("/big.flv", Pattern(0, size), "video/x-flv"); }
};

TEST_F(PlayThroughManagerTest, AnUnknownVideoGets404AndTheConnectionCloses)
{
    PlayClient client(server.BuildPlayUrl("unknown"));
    ASSERT_TRUE(Wait([&] { return client.Closed(); }));
    EXPECT_EQ(client.Header(), "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(site.Requests().empty());
}

TEST_F(PlayThroughManagerTest, AResumeTeachesTheTotalThroughContentRange)
{
    // The record lost its total, as after a run that ended without saving.
    AddSiteVideo(kSize);
    InfoVideo* video = AddVideo("page", "/big.flv");
    WriteFile(GetCachePath(*video), Pattern(0, 300000));
    video->a5 = "0";

    PlayClient client(server.BuildPlayUrl("page"));
    ASSERT_TRUE(Wait([&] { return client.Closed(); }));
    EXPECT_EQ(site.RequestsFor("/big.flv").at(0).Value("Range"), "bytes=300000-");
    EXPECT_EQ(video->a5, std::to_string(kSize));
    EXPECT_NE(client.Header().find("Content-Length: 1000000\r\n"), std::string::npos) << client.Header();
    EXPECT_TRUE(SameBytes(client.Body(), Pattern(0, kSize)));
}

TEST_F(PlayThroughManagerTest, A416ForTheCachedSizeKeepsTheCompleteCache)
{
    AddSiteVideo(kSize);
    InfoVideo* video = AddVideo("page", "/big.flv");
    WriteFile(GetCachePath(*video), Pattern(0, kSize));
    video->a5 = "0";

    PlayClient client(server.BuildPlayUrl("page"));
    ASSERT_TRUE(Wait([&] { return client.Closed(); }));
    const auto requests = site.RequestsFor("/big.flv");
    ASSERT_EQ(requests.size(), 1u) << "nothing is downloaded again";
    EXPECT_EQ(requests[0].Value("Range"), "bytes=1000000-");
    EXPECT_EQ(video->a5, std::to_string(kSize));
    EXPECT_TRUE(IsComplete(*video));
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), Pattern(0, kSize)));
    EXPECT_NE(client.Header().find("Content-Length: 1000000\r\n"), std::string::npos) << client.Header();
    EXPECT_TRUE(SameBytes(client.Body(), Pattern(0, kSize)));
    EXPECT_GE(observer.refreshes, 1);
}

TEST_F(PlayThroughManagerTest, A416ForAnotherSizeStartsAgainFromByteZero)
{
    // The cache holds more than the site's file: it cannot be this video.
    AddSiteVideo(800000);
    InfoVideo* video = AddVideo("page", "/big.flv");
    WriteFile(GetCachePath(*video), Pattern(0, kSize));
    video->a5 = "0";

    PlayClient client(server.BuildPlayUrl("page"));
    ASSERT_TRUE(Wait([&] { return client.Closed() && manager.GetTaskCount() == 0; }));
    EXPECT_EQ(video->a5, "800000");
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), Pattern(0, 800000)));
}

TEST_F(PlayThroughManagerTest, ARangeRequestGetsItsBytesAsTheDownloadBringsThem)
{
    test_site::Behaviour slow;
    slow.trickleBytes = 65536;
    slow.trickleDelayMs = 5;
    AddSiteVideo(kSize);
    site.SetBehaviour("/big.flv", slow);
    AddVideo("page", "/big.flv");

    PlayClient client(server.BuildPlayUrl("page"), "Range: bytes=600000-\r\n");
    ASSERT_TRUE(Wait([&] { return client.Closed(); }));
    EXPECT_NE(client.Header().find("HTTP/1.1 206 Partial Content\r\n"), std::string::npos) << client.Header();
    EXPECT_NE(client.Header().find("Content-Range: bytes 600000-999999/1000000\r\n"), std::string::npos);
    EXPECT_NE(client.Header().find("Content-Length: 400000\r\n"), std::string::npos);
    EXPECT_NE(client.Header().find("Content-Type: video/x-flv\r\n"), std::string::npos)
        << "the head waited for the first bytes, which tell the type";
    EXPECT_TRUE(SameBytes(client.Body(), Pattern(600000, 400000)));
}

// A player reading an MP4 whose index sits at the end asks for the last
// bytes first: they come from the origin at once, not after the download.
TEST_F(PlayThroughManagerTest, ARangeFarBeyondTheCacheIsRelayedFromTheOriginWhileTheDownloadGoesOn)
{
    test_site::Behaviour slow;
    slow.trickleBytes = 8192;
    slow.trickleDelayMs = 10;
    AddSiteVideo(kSize);
    site.SetBehaviour("/big.flv", slow);
    InfoVideo* video = AddVideo("page", "/big.flv");

    PlayClient player(server.BuildPlayUrl("page"));
    ASSERT_TRUE(Wait([&] { return video->a5 == std::to_string(kSize); }));
    PlayClient tail(server.BuildPlayUrl("page"), "Range: bytes=900000-\r\n");
    ASSERT_TRUE(Wait([&] { return tail.Closed(); }));
    EXPECT_FALSE(manager.GetRunningTasksForUrl(video->a4).empty()) << "answered before the download got there";
    EXPECT_LT(GetCacheSizes(*video).cached, 900000);
    EXPECT_NE(tail.Header().find("HTTP/1.1 206 Partial Content\r\n"), std::string::npos) << tail.Header();
    EXPECT_NE(tail.Header().find("Content-Range: bytes 900000-999999/1000000\r\n"), std::string::npos);
    EXPECT_TRUE(SameBytes(tail.Body(), Pattern(900000, 100000)));

    ASSERT_TRUE(Wait([&] { return player.Closed() && manager.GetTaskCount() == 0; }));
    EXPECT_TRUE(SameBytes(player.Body(), Pattern(0, kSize)));
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), Pattern(0, kSize))) << "the cache keeps its prefix rule";
    const auto requests = site.RequestsFor("/big.flv");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Value("Range"), "bytes=900000-");
    EXPECT_EQ(requests[1].Value("Referer"), requests[0].Value("Referer"));
    EXPECT_TRUE(Wait([&] { return manager.GetRelayCount() == 0; }));
    for (const auto& entry : std::filesystem::directory_iterator(GetCacheFolder()))
        EXPECT_EQ(entry.path().filename().string().find(".relay-"), std::string::npos) << entry.path();
}

// An origin that ignores Range, or a relay cut short: the request falls back
// to the download's bytes and still gets exactly the bytes it asked for.
TEST_F(PlayThroughManagerTest, ARelayTheOriginRefusesOrCutsShortFallsBackToTheDownload)
{
    for (const bool honoursRange : {false, true}) {
        SCOPED_TRACE(honoursRange ? "cut short" : "Range ignored");
        test_site::Behaviour behaviour;
        behaviour.trickleBytes = 16384;
        behaviour.trickleDelayMs = 5;
        behaviour.honourRange = honoursRange;
        AddSiteVideo(kSize);
        site.SetBehaviour("/big.flv", behaviour);
        const std::string key = honoursRange ? "page-cut" : "page-ignored";
        InfoVideo* video = AddVideo(key, "/big.flv");

        PlayClient player(server.BuildPlayUrl(key));
        ASSERT_TRUE(Wait([&] { return video->a5 == std::to_string(kSize); }));
        if (honoursRange) {
            test_site::Behaviour cut = behaviour;
            cut.dropAfter = 30000;
            cut.dropOnce = true;
            site.SetBehaviour("/big.flv", cut);
        }
        PlayClient tail(server.BuildPlayUrl(key), "Range: bytes=700000-\r\n");
        ASSERT_TRUE(Wait([&] { return tail.Closed() && player.Closed() && manager.GetTaskCount() == 0; }));
        EXPECT_TRUE(SameBytes(tail.Body(), Pattern(700000, 300000)));
        EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), Pattern(0, kSize)));
        EXPECT_TRUE(Wait([&] { return manager.GetRelayCount() == 0; }));
        DeleteCacheFile(*video);
    }
}

// ffmpeg as a player: it reads a complete file to its end without
// complaint, and seeks with -ss through Range requests.
class FfmpegPlayTest : public DownloadTest {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            GTEST_SKIP() << "ffmpeg is not installed";
        DownloadTest::SetUp();
    }
    // Runs ffmpeg on the URL while this thread serves it; its stderr.
    std::string RunFfmpeg(const QStringList& before, const std::string& url)
    {
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::SeparateChannels);
        ffmpeg.start("ffmpeg", QStringList{"-nostdin", "-v", "error"} + before
                                   + QStringList{"-i", QString::fromStdString(url), "-f", "null", "-"});
        EXPECT_TRUE(ffmpeg.waitForStarted());
        EXPECT_TRUE(Wait([&] { return ffmpeg.state() == QProcess::NotRunning; }));
        EXPECT_EQ(ffmpeg.exitCode(), 0);
        return ffmpeg.readAllStandardError().toStdString();
    }
};

TEST_F(FfmpegPlayTest, ReadsACompleteCacheToItsEndAndSeeksWithRanges)
{
    for (const auto kind : {test_site::VideoKind::Flv, test_site::VideoKind::Mp4}) {
        const std::string bytes = test_site::ReadFileBytes(test_site::MakeTestVideo(kind, 4));
        ASSERT_FALSE(bytes.empty());
        const std::string key = kind == test_site::VideoKind::Flv ? "flv" : "mp4";
        site.AddFile("/" + key, bytes);
        InfoVideo* video = AddVideo(key, "/" + key);
        WriteFile(GetCachePath(*video), bytes);
        video->a5 = std::to_string(bytes.size());
        EXPECT_EQ(RunFfmpeg({}, server.BuildPlayUrl(key)), "") << key;
        EXPECT_EQ(RunFfmpeg({"-ss", "2.5"}, server.BuildPlayUrl(key)), "") << key;
    }
    EXPECT_TRUE(site.Requests().empty()) << "served from the cache alone";
}

}  // namespace
}  // namespace flv_test
