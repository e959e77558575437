// HLS streams encrypted with AES-128: the key is fetched once with the
// video's Referer and kept in its segment folder, every segment is
// decrypted on arrival so that the cache (and so the player and a save)
// holds clear segments, and a stream whose segments do not decrypt is never
// taken for complete. SAMPLE-AES is not played.
#include "common/ids/string_ids.h"
#include "delivery/hls_playlist.h"
#include "delivery/hls_stream.h"
#include "flv_download_fixture.h"

#include "records/info_video.h"
#include "support/thread_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace flv_test {
namespace {

class HlsAesTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        media = test_site::MakeTestHlsAes(4);
        ASSERT_FALSE(media.empty()) << "ffmpeg could not make the encrypted HLS test stream";
        ASSERT_TRUE(test_site::ServeFolder(site, "/enc", media));
    }

    std::vector<std::string> PlayAll(const std::string& key)
    {
        const std::string url = server.BuildPlayUrl(key);
        const HlsPlaylist playlist = ParseHlsPlaylist(Fetch(url), url);
        std::vector<std::string> bodies;
        for (const HlsSegment& segment : playlist.segments)
            bodies.push_back(Fetch(segment.url));
        return bodies;
    }

    std::string Clear(int index) const { return FileBytes(media + "/clear/seg" + std::to_string(index) + ".ts"); }

    std::string media;
};

TEST_F(HlsAesTest, SegmentsAreCachedAndPlayedInTheClearByteForByte)
{
    InfoVideo* video = AddVideo("aes", "/enc/aes/index.m3u8", VIDEO_STATE_MANIFEST);
    Play("aes");
    const std::vector<std::string> bodies = PlayAll("aes");
    ASSERT_EQ(bodies.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(SameBytes(FileBytes(media + "/aes/seg" + std::to_string(i) + ".ts"), Clear(i))) << "really encrypted";
        EXPECT_TRUE(SameBytes(bodies[static_cast<std::size_t>(i)], Clear(i))) << i;
    }
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("aes").IsComplete(); }));
    const SegmentedCache cache = ReadSegmentedCache(*video);
    ASSERT_TRUE(cache.IsComplete());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(SameBytes(FileBytes(cache.tracks[0][static_cast<std::size_t>(i)]), Clear(i))) << i;
    const auto keyRequests = site.RequestsFor("/enc/aes/key.bin");
    ASSERT_EQ(keyRequests.size(), 1u) << "one key, fetched once";
    EXPECT_EQ(keyRequests[0].Value("Referer"), "http://page.test/aes");
    EXPECT_EQ(FileBytes(HlsFolderOf(*video) + "key0"), test_site::kTestHlsKey) << "kept with the segments";
    EXPECT_TRUE(observer.missingSegments.empty());
}

// Decrypting a segment is work for a worker, not for the user-interface
// thread. A named pipe stands where the first segment's clear bytes are
// written: whichever thread writes them waits in open() until a watcher
// names it and reads the pipe empty, so neither way hangs.
TEST_F(HlsAesTest, SegmentsAreDecryptedOffTheUserInterfaceThread)
{
    InfoVideo* video = AddVideo("aes", "/enc/aes/index.m3u8", VIDEO_STATE_MANIFEST);
    std::filesystem::create_directories(HlsFolderOf(*video));
    const std::string pipe = HlsFolderOf(*video) + "s0.clear";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    test_support::PipeWriterWatch watch(pipe);
    Play("aes");
    const std::string url = server.BuildPlayUrl("aes");
    EXPECT_EQ(ParseHlsPlaylist(Fetch(url), url).segments.size(), 4u);
    const bool ended = Wait([&] { return watch.Drained(); });
    watch.Join();
    ASSERT_TRUE(ended);
    ASSERT_NE(watch.Writer(), 0) << "no thread wrote the clear segment";
    EXPECT_NE(watch.Writer(), static_cast<long>(::gettid())) << "decrypted on the user-interface thread";
    // The others arrive as ever (the first is the pipe, never served).
    EXPECT_TRUE(Wait([&] { return manager.GetHlsStatus("aes").IsComplete(); }));
}

TEST_F(HlsAesTest, AWrongKeyLeavesTheStreamIncompleteAndReported)
{
    site.AddFile("/enc/aes/key.bin", "not-the-real-key", "application/octet-stream");
    InfoVideo* video = AddVideo("aes", "/enc/aes/index.m3u8", VIDEO_STATE_MANIFEST);
    Play("aes");
    const std::string url = server.BuildPlayUrl("aes");
    const HlsPlaylist playlist = ParseHlsPlaylist(Fetch(url), url);
    ASSERT_EQ(playlist.segments.size(), 4u);
    std::string header;
    EXPECT_TRUE(Fetch(playlist.segments[0].url, &header).empty());
    EXPECT_TRUE(header.starts_with("HTTP/1.1 404")) << header;
    ASSERT_TRUE(Wait([&] { return !observer.missingSegments.empty(); }));
    EXPECT_EQ(observer.missingSegments, std::vector<std::string>{"aes|4/4"});
    EXPECT_FALSE(manager.GetHlsStatus("aes").IsComplete());
    EXPECT_EQ(video->state, VIDEO_STATE_INCOMPLETE);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(std::filesystem::exists(HlsFolderOf(*video) + "s" + std::to_string(i))) << i;
}

TEST_F(HlsAesTest, AKeyThatCannotBeFetchedRefusesTheStream)
{
    test_site::Behaviour gone;
    gone.status = 404;
    site.SetBehaviour("/enc/aes/key.bin", gone);
    AddVideo("aes", "/enc/aes/index.m3u8", VIDEO_STATE_MANIFEST);
    Play("aes");
    std::string header;
    EXPECT_TRUE(Fetch(server.BuildPlayUrl("aes"), &header).empty());
    EXPECT_TRUE(header.starts_with("HTTP/1.1 404")) << header;
    EXPECT_EQ(observer.messages, std::vector<int>{IDS_SERVER_ERROR});
    EXPECT_TRUE(site.RequestsFor("/enc/aes/seg0.ts").empty());
    EXPECT_FALSE(manager.GetHlsStatus("aes").known);
}

TEST_F(HlsAesTest, SampleAesIsRefusedWithAStatusThatSaysSo)
{
    site.AddFile("/enc/sample.m3u8",
                 "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"aes/key.bin\"\n"
                 "#EXTINF:1,\naes/seg0.ts\n#EXT-X-ENDLIST\n",
                 "application/vnd.apple.mpegurl");
    AddVideo("sample", "/enc/sample.m3u8", VIDEO_STATE_MANIFEST);
    Play("sample");
    std::string header;
    EXPECT_TRUE(Fetch(server.BuildPlayUrl("sample"), &header).empty());
    EXPECT_TRUE(header.starts_with("HTTP/1.1 404")) << header;
    EXPECT_EQ(observer.messages, std::vector<int>{IDS_HLS_KEY_UNSUPPORTED});
    EXPECT_TRUE(site.RequestsFor("/enc/aes/seg0.ts").empty());
}

}  // namespace
}  // namespace flv_test
