// The download manager with the play server and the test site: streaming
// while downloading, resuming, serving from the cache, failures.
#include "flv_download_fixture.h"

#include "common/event_window.h"
#include "common/ids/string_ids.h"

#include "delivery/flv_probe.h"

namespace flv_test {
namespace {

using test_site::Behaviour;

std::string FlvSource()
{
    static const std::string bytes =
        test_site::ReadFileBytes(test_site::MakeTestVideo(test_site::VideoKind::Flv, 4));
    return bytes;
}

class StreamingTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        source = FlvSource();
        ASSERT_GT(source.size(), 100000u);
        site.AddFile("/clip.flv", source, "video/x-flv");
    }
    std::string source;
};

TEST_F(StreamingTest, PlayerReceivesTheBytesWhileTheyArriveAndTheCacheKeepsThem)
{
    Behaviour slow;
    slow.trickleBytes = 16384;
    slow.trickleDelayMs = 3;
    site.SetBehaviour("/clip.flv", slow);
    InfoVideo* video = AddVideo("page-1", "/clip.flv");
    Play("page-1");

    PlayClient client(server.BuildPlayUrl("page-1"));
    bool sawBytesDuringDownload = false;
    ASSERT_TRUE(Wait([&] {
        if (!client.Body().empty() && !manager.GetRunningTasksForUrl(video->a4).empty())
            sawBytesDuringDownload = true;
        return client.Closed();
    }));
    EXPECT_TRUE(sawBytesDuringDownload);
    EXPECT_TRUE(SameBytes(client.Body(), source));
    EXPECT_NE(client.Header().find("Content-Length: " + std::to_string(source.size()) + "\r\n"), std::string::npos);
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), source));
    EXPECT_EQ(GetCachePath(*video), folder + "temp/" + Md5Hex(video->a4));
    EXPECT_EQ(video->a5, std::to_string(source.size()));
    EXPECT_TRUE(IsComplete(*video));
    EXPECT_EQ(observer.refreshes, 1);

    const auto requests = site.RequestsFor("/clip.flv");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].Values("Range").empty());
    EXPECT_EQ(requests[0].Value("Referer"), "http://page.test/page-1");
    EXPECT_EQ(requests[0].Value("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(requests[0].Value("x-flash-version"), "9,0,115,0");
}

TEST_F(StreamingTest, InterruptedAndResumedSeveralTimesTheStreamStaysByteForByte)
{
    Behaviour dropping;
    dropping.dropAfter = 30000;  // every response breaks off after 30000 bytes
    site.SetBehaviour("/clip.flv", dropping);
    InfoVideo* video = AddVideo("page-1", "/clip.flv");
    Play("page-1");

    PlayClient player(server.BuildPlayUrl("page-1"));
    std::unique_ptr<PlayClient> preview;
    std::size_t downloads = 1;
    for (;;) {
        ASSERT_TRUE(Wait([&] {
            return site.RequestsFor("/clip.flv").size() == downloads && manager.GetTaskCount() == 0;
        }));
        if (IsComplete(*video))
            break;
        ASSERT_EQ(video->state, VIDEO_STATE_INCOMPLETE);
        ASSERT_LT(downloads, 100u);
        if (downloads == 2)  // a second request joins half-way and resumes the download
            preview = std::make_unique<PlayClient>(server.BuildPlayUrl("page-1"));
        else
            manager.StartDownload(video);
        ++downloads;
    }
    ASSERT_TRUE(Wait([&] { return player.Closed() && preview && preview->Closed(); }));
    EXPECT_GE(downloads, 4u);
    EXPECT_TRUE(SameBytes(player.Body(), source));
    EXPECT_TRUE(SameBytes(preview->Body(), source));
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), source));
    EXPECT_TRUE(observer.messages.empty()) << "an interrupted transfer shows no message";

    const auto requests = site.RequestsFor("/clip.flv");
    ASSERT_GE(requests.size(), 3u);
    EXPECT_TRUE(requests[0].Values("Range").empty());
    for (std::size_t i = 1; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].Value("Range"), "bytes=" + std::to_string(30000 * i) + "-");
}

TEST_F(StreamingTest, ACompleteCacheIsServedFromDiskAndClosedAfterTheLastByte)
{
    InfoVideo* video = AddVideo("page-1", "/clip.flv");
    WriteFile(GetCachePath(*video), source);
    video->a5 = std::to_string(source.size());

    PlayClient client(server.BuildPlayUrl("page-1"));
    ASSERT_TRUE(Wait([&] { return client.Closed(); }));
    EXPECT_EQ(client.Header(), "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Type: video/x-flv\r\nContent-Length: "
                                   + std::to_string(source.size()) + "\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(SameBytes(client.Body(), source));
    EXPECT_TRUE(site.Requests().empty());
    EXPECT_EQ(manager.GetTaskCount(), 0u);
}

TEST_F(StreamingTest, AResumeAnsweredWith200StartsAgainFromByteZero)
{
    // The first response breaks off; the server then stops honouring Range.
    Behaviour once;
    once.dropAfter = 50000;
    once.dropOnce = true;
    site.SetBehaviour("/clip.flv", once);
    InfoVideo* video = AddVideo("page-1", "/clip.flv");
    PlayClient client(server.BuildPlayUrl("page-1"));
    ASSERT_TRUE(Wait([&] { return video->state == VIDEO_STATE_INCOMPLETE && manager.GetTaskCount() == 0; }));
    ASSERT_TRUE(Wait([&] { return client.Body().size() == 50000; }));

    Behaviour noRange;
    noRange.honourRange = false;
    site.SetBehaviour("/clip.flv", noRange);
    manager.StartDownload(video);
    ASSERT_TRUE(Wait([&] { return client.Closed(); }));
    const auto requests = site.RequestsFor("/clip.flv");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].Value("Range"), "bytes=50000-");
    EXPECT_TRUE(requests[2].Values("Range").empty());
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), source));
    EXPECT_TRUE(SameBytes(client.Body(), source)) << "the bytes the player already had are not sent twice";
}

TEST_F(DownloadTest, AResumeFromTheCachedSizeCarriesTheKnownTotal)
{
    site.AddPatternFile("/big.flv", 1000000);
    InfoVideo* video = AddVideo("page-2", "/big.flv");
    WriteFile(GetCachePath(*video), test_site::PatternBytes(0, 300000));
    video->a5 = "1000000";

    PlayClient client(server.BuildPlayUrl("page-2"));
    ASSERT_TRUE(Wait([&] { return client.Closed(); }));
    const auto requests = site.RequestsFor("/big.flv");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Value("Range"), "bytes=300000-");
    EXPECT_NE(client.Header().find("Content-Length: 1000000\r\n"), std::string::npos);
    EXPECT_TRUE(SameBytes(client.Body(), test_site::PatternBytes(0, 1000000)));
    EXPECT_EQ(video->a5, "1000000");
}

TEST_F(DownloadTest, SizesBeyondFourGigabytesResumeAtTheRightByte)
{
    constexpr std::int64_t kGiB = std::int64_t{1} << 30;
    site.AddPatternFile("/huge.flv", 6 * kGiB);
    InfoVideo* video = AddVideo("page-huge", "/huge.flv");
    const std::string path = GetCachePath(*video);
    WriteFile(path, "");
    std::filesystem::resize_file(path, 5 * kGiB);  // sparse: takes no disk space
    video->a5 = std::to_string(6 * kGiB);

    manager.StartDownload(video);
    ASSERT_TRUE(Wait([&] { return GetCacheSizes(*video).cached > 5 * kGiB; }));
    manager.StopAllTasks();
    ASSERT_TRUE(WaitIdle());
    const auto requests = site.RequestsFor("/huge.flv");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Value("Range"), "bytes=5368709120-");
    EXPECT_EQ(video->a5, "6442450944");
    const std::int64_t cached = GetCacheSizes(*video).cached;
    std::ifstream in(path, std::ios::binary);
    in.seekg(5 * kGiB);
    std::string appended(static_cast<std::size_t>(cached - 5 * kGiB), '\0');
    in.read(appended.data(), static_cast<std::streamsize>(appended.size()));
    EXPECT_TRUE(SameBytes(appended, test_site::PatternBytes(5 * kGiB, cached - 5 * kGiB)));
}

TEST_F(StreamingTest, WithoutContentLengthTheTotalIsLearntAtTheEnd)
{
    Behaviour b;
    b.contentLength = false;
    b.trickleBytes = 8192;
    b.trickleDelayMs = 2;
    site.SetBehaviour("/clip.flv", b);
    InfoVideo* video = AddVideo("page-1", "/clip.flv");
    PlayClient client(server.BuildPlayUrl("page-1"));
    std::vector<std::string> totalsDuringDownload;
    ASSERT_TRUE(Wait([&] {
        if (!manager.GetRunningTasks().empty())
            totalsDuringDownload.push_back(video->a5);
        return client.Closed();
    }));
    ASSERT_FALSE(totalsDuringDownload.empty());
    for (const auto& total : totalsDuringDownload)
        EXPECT_EQ(total, "0");
    EXPECT_EQ(video->a5, std::to_string(source.size()));
    EXPECT_EQ(client.Header(), "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Type: video/x-flv\r\nConnection: close\r\n\r\n")
        << "no Content-Length rather than a length of 0";
    EXPECT_TRUE(SameBytes(client.Body(), source));
}

TEST_F(StreamingTest, FailuresSetTheirStateCodes)
{
    struct Case {
        const char* name;
        Behaviour behaviour;
        bool serverDown;
        int state;
        int message;  // 0: none
        bool discardsUrl;
    };
    Behaviour notFound, broken, html, dropped;
    notFound.status = 404;
    broken.status = 500;
    html.htmlInstead = true;
    dropped.dropAfter = 20000;
    const Case cases[] = {
        {"404", notFound, false, VIDEO_STATE_REMOVED, IDS_VIDEO_DELETED, true},
        {"500", broken, false, VIDEO_STATE_HTTP_ERROR, IDS_SERVER_ERROR, true},
        // Its own text: in English, the address does not lead to a video.
        {"html", html, false, VIDEO_STATE_NOT_VIDEO, IDS_NOT_VIDEO_ADDRESS, true},
        {"no server", {}, true, VIDEO_STATE_NO_RESPONSE, IDS_SERVER_BUSY, false},
        {"dropped", dropped, false, VIDEO_STATE_INCOMPLETE, 0, false},
    };
    test_site::TestSite down;
    ASSERT_TRUE(down.Start());
    const std::string deadUrl = down.Url("/clip.flv");
    down.Stop();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        observer.messages.clear();
        observer.reports.clear();
        const std::string key = std::string("page-") + c.name;
        site.SetBehaviour("/clip.flv", c.behaviour);
        InfoVideo* video = AddVideo(key, "/clip.flv");
        if (c.serverDown)
            video->a4 = deadUrl;
        const std::string url = video->a4;
        const std::string cachePath = GetCachePath(*video);
        Play(key);
        PlayClient client(server.BuildPlayUrl(key));
        ASSERT_TRUE(Wait([&] { return video->state == c.state && manager.GetTaskCount() == 0; }));
        EXPECT_EQ(observer.messages, c.message ? std::vector<int>{c.message} : std::vector<int>{});
        if (c.discardsUrl) {
            EXPECT_TRUE(video->a4.empty());
            EXPECT_EQ(video->a5, "0");
            EXPECT_EQ(video->lookupDone, 1);
            EXPECT_EQ(observer.reports, std::vector<std::string>{key + "|d|d"});
            EXPECT_FALSE(std::filesystem::exists(cachePath)) << "nothing reaches the disk";
        } else {
            EXPECT_EQ(video->a4, url);
            EXPECT_TRUE(observer.reports.empty());
        }
        if (c.state == VIDEO_STATE_INCOMPLETE) {
            EXPECT_TRUE(SameBytes(FileBytes(cachePath), source.substr(0, 20000))) << "the partial file stays";
        }
        // Nothing but the pushed bytes of a good stream reaches the player.
        EXPECT_TRUE(Wait([&] { return c.state != VIDEO_STATE_INCOMPLETE || client.Body().size() == 20000; }));
        if (c.state != VIDEO_STATE_INCOMPLETE) {
            EXPECT_TRUE(client.Body().empty());
        }
        EXPECT_FALSE(client.Closed()) << "the request stays open and idle";
    }
}

TEST_F(StreamingTest, AVideoArrivingInTinyPiecesIsStillRecognised)
{
    // The signature check must not see a first block of a few bytes.
    site.AddFile("/tiny.flv", source.substr(0, 3000), "video/x-flv");
    Behaviour tiny;
    tiny.trickleBytes = 7;
    tiny.trickleDelayMs = 1;
    site.SetBehaviour("/tiny.flv", tiny);
    InfoVideo* video = AddVideo("page-tiny", "/tiny.flv");
    manager.StartDownload(video);
    ASSERT_TRUE(Wait([&] { return site.RequestsFor("/tiny.flv").size() == 1 && manager.GetTaskCount() == 0; }));
    EXPECT_EQ(video->state, VIDEO_STATE_RESOLVED);
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*video)), source.substr(0, 3000)));
    EXPECT_EQ(video->a5, "3000");
}

TEST_F(StreamingTest, AStockMp4AndAnFlvHeaderSentOnItsOwnAreVideos)
{
    // ffmpeg's default MP4 (brand "isom", index at the end) is most of the web's.
    const std::string mp4 = test_site::ReadFileBytes(test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2));
    ASSERT_EQ(mp4.substr(8, 4), "isom");
    site.AddFile("/movie.mp4", mp4, "video/mp4");
    // A live FLV server writes its 9-byte header, then the tags.
    site.AddFile("/live.flv", source.substr(0, 900), "video/x-flv");
    Behaviour headerAlone;
    headerAlone.trickleBytes = 9;
    headerAlone.trickleDelayMs = 5;
    site.SetBehaviour("/live.flv", headerAlone);

    InfoVideo* movie = AddVideo("page-mp4", "/movie.mp4");
    InfoVideo* live = AddVideo("page-live", "/live.flv");
    Play("page-mp4");
    PlayClient client(server.BuildPlayUrl("page-mp4"));
    manager.StartDownload(live);
    ASSERT_TRUE(Wait([&] { return client.Closed() && manager.GetTaskCount() == 0; }));
    EXPECT_EQ(movie->state, VIDEO_STATE_RESOLVED);
    EXPECT_TRUE(SameBytes(client.Body(), mp4));
    EXPECT_NE(client.Header().find("Content-Type: video/mp4\r\n"), std::string::npos);
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*movie)), mp4));
    EXPECT_NE(live->state, VIDEO_STATE_NOT_VIDEO);
    EXPECT_TRUE(SameBytes(FileBytes(GetCachePath(*live)), source.substr(0, 900)));
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(StreamingTest, AnAnswerTooShortToTellIsNoVideo)
{
    site.AddFile("/stub.flv", source.substr(0, 9), "video/x-flv");
    InfoVideo* video = AddVideo("page-stub", "/stub.flv");
    manager.StartDownload(video);
    ASSERT_TRUE(Wait([&] { return manager.GetTaskCount() == 0; }));
    EXPECT_EQ(video->state, VIDEO_STATE_NOT_VIDEO);
}

// The list repaints a row when its video's download moves.
class ProgressListener : public CEventWindowBaseT<CWnd> {
public:
    ProgressListener() { Create(); }
    std::vector<const InfoVideo*> heard;

protected:
    void OnEventFlvDownloadProgress(InfoVideo* video) override { heard.push_back(video); }
};

TEST_F(StreamingTest, ASecondPageSharingACachedStreamHasItsSizeAndItsRowRepainted)
{
    InfoVideo* first = AddVideo("page-1", "/clip.flv");
    WriteFile(GetCachePath(*first), source);
    first->a5 = std::to_string(source.size());
    // Another page whose player fetches the same stream: it knows no size yet.
    InfoVideo* second = AddVideo("page-2", "/clip.flv");
    ProgressListener list;
    Play("page-2");
    PlayClient client(server.BuildPlayUrl("page-2"));
    ASSERT_TRUE(Wait([&] { return client.Closed() && manager.GetTaskCount() == 0; }));
    EXPECT_TRUE(SameBytes(client.Body(), source));
    EXPECT_EQ(second->a5, std::to_string(source.size()));
    EXPECT_TRUE(IsComplete(*second));
    EXPECT_TRUE(std::find(list.heard.begin(), list.heard.end(), second) != list.heard.end())
        << "the row shows the size and title the record has";
}

TEST_F(StreamingTest, AStoppedDownloadNeverReportsAgain)
{
    Behaviour slow;
    slow.trickleBytes = 4096;
    slow.trickleDelayMs = 5;
    site.SetBehaviour("/clip.flv", slow);
    InfoVideo* video = AddVideo("page-1", "/clip.flv");
    manager.StartDownload(video);
    manager.StartDownload(video);  // one download per URL
    ASSERT_EQ(manager.GetRunningTasks().size(), 1u);
    ASSERT_TRUE(Wait([&] { return GetCacheSizes(*video).cached >= 20000; }));
    manager.StopTasksByKey("page-1");
    const std::int64_t cachedAtStop = GetCacheSizes(*video).cached;
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(GetCacheSizes(*video).cached, cachedAtStop);
    EXPECT_EQ(video->state, VIDEO_STATE_RESOLVED);
}

TEST(FlvProbeTest, DurationIsTheTimestampOfTheLastTag)
{
    const std::string path = test_site::MakeTestVideo(test_site::VideoKind::Flv, 4);
    const int duration = GetFlvDuration(path);
    EXPECT_GT(duration, 3800);
    EXPECT_LE(duration, 4100);
    EXPECT_EQ(GetFlvDuration(test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2)), 0);
    EXPECT_EQ(GetFlvDuration("/nonexistent/file.flv"), 0);

    // A hand-made file whose last tag carries the extended timestamp byte.
    std::string bytes = FlvSource().substr(0, 13);
    const unsigned char tag[] = {18, 0, 0, 0, 0x12, 0x34, 0x56, 0x01, 0, 0, 0};
    bytes.append(reinterpret_cast<const char*>(tag), sizeof tag);
    bytes.append({0, 0, 0, 11});
    const std::string file = std::filesystem::temp_directory_path() / ("quelt-probe-" + std::to_string(::getpid()));
    std::ofstream(file, std::ios::binary) << bytes;
    EXPECT_EQ(GetFlvDuration(file), 0x01123456);

    // A last tag of three gigabytes (a sparse file): its header is enough.
    const std::int64_t dataSize = std::int64_t{3} << 30;
    const std::uint32_t tagSize = static_cast<std::uint32_t>(11 + dataSize);
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << FlvSource().substr(0, 13);
        out.write(reinterpret_cast<const char*>(tag), sizeof tag);
        out.seekp(13 + 11 + dataSize);
        const unsigned char tail[] = {static_cast<unsigned char>(tagSize >> 24),
                                      static_cast<unsigned char>(tagSize >> 16),
                                      static_cast<unsigned char>(tagSize >> 8), static_cast<unsigned char>(tagSize)};
        out.write(reinterpret_cast<const char*>(tail), sizeof tail);
    }
    EXPECT_EQ(GetFlvDuration(file), 0x01123456);
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace flv_test
