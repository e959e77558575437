// Where a video plays from, decided once: each kind of source, the edges
// between them, the play URL each one gives the player, and what a save
// request takes of it.
#include "common/app_folder.h"
#include "common/base64.h"
#include "delivery/flv_cache.h"
#include "delivery/hls_stream.h"
#include "delivery/play_request_manager.h"
#include "records/info_video.h"
#include "shell/player/video_source.h"
#include "shell/save/save_plan.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class VideoSourceTest : public ::testing::Test {
protected:
    // A listed video whose cache file holds `cached` of its `total` bytes.
    std::unique_ptr<InfoVideo> CachedVideo(std::size_t cached, std::size_t total)
    {
        auto video = MakeVideoRecord("http://videos.example/watch/1", "Holiday: part 1", "2", "http://cdn.example/v.flv");
        video->a5 = std::to_string(total);
        WriteWholeFile(GetCachePath(*video), std::string(cached, 'x'));
        return video;
    }

    TempAppFolder folder;
};

TEST_F(VideoSourceTest, AnExistingFileIsALocalFileEvenWhenTheKeyIsListed)
{
    const std::string file = folder / "clip.flv";
    WriteWholeFile(file, "FLV\x01\x05 twelve");
    const auto listed = MakeVideoRecord(file, "listed", "2", "http://cdn.example/other.flv");

    for (const InfoVideo* video : {static_cast<const InfoVideo*>(nullptr), static_cast<const InfoVideo*>(listed.get())}) {
        const VideoSource source = DecideVideoSource(file, video);
        EXPECT_EQ(source.kind, VideoSource::LocalFile);
        EXPECT_EQ(source.file, file);
        EXPECT_EQ(source.totalBytes, 12);
        EXPECT_TRUE(source.IsWhole());
    }
}

TEST_F(VideoSourceTest, APathKeyThatIsAFolderOrMissingIsNoFile)
{
    // Not listed: nothing to play.
    EXPECT_EQ(DecideVideoSource(folder.path(), nullptr).kind, VideoSource::Unknown);
    EXPECT_EQ(DecideVideoSource(folder / "gone.flv", nullptr).kind, VideoSource::Unknown);
    EXPECT_FALSE(DecideVideoSource(folder / "gone.flv", nullptr).IsWhole());

    // Listed under such a key, the record decides.
    const auto record = MakeVideoRecord(folder / "gone.flv", "", "2", "http://cdn.example/v.flv");
    const VideoSource source = DecideVideoSource(record->a2, record.get());
    EXPECT_EQ(source.kind, VideoSource::KnownStream);
    EXPECT_TRUE(source.file.empty());
}

TEST_F(VideoSourceTest, ACacheThatHoldsTheWholeSizeIsACompleteCacheAndAShrunkOneIsNot)
{
    const auto whole = CachedVideo(1000, 1000);
    VideoSource source = DecideVideoSource(whole->a2, whole.get());
    EXPECT_EQ(source.kind, VideoSource::CompleteCache);
    EXPECT_EQ(source.file, GetCachePath(*whole));
    EXPECT_EQ(source.totalBytes, 1000);

    // The cache file lost bytes (deleted and fetched again from byte 0).
    WriteWholeFile(GetCachePath(*whole), std::string(999, 'x'));
    source = DecideVideoSource(whole->a2, whole.get());
    EXPECT_EQ(source.kind, VideoSource::KnownStream);
    EXPECT_TRUE(source.file.empty());
    EXPECT_EQ(source.totalBytes, 1000) << "the size stays the record's";

    // A size still unknown never makes a cache complete.
    whole->a5 = "0";
    EXPECT_EQ(DecideVideoSource(whole->a2, whole.get()).kind, VideoSource::KnownStream);
}

TEST_F(VideoSourceTest, AListedVideoWithoutWholeCacheStreamsWaitsForDetectionOrIsAManifest)
{
    auto video = MakeVideoRecord("http://videos.example/watch/2", "Two", "2", "http://cdn.example/two.flv");
    EXPECT_EQ(DecideVideoSource(video->a2, video.get()).kind, VideoSource::KnownStream) << "a stream URL, no cache";
    EXPECT_EQ(DecideVideoSource(video->a2, video.get()).totalBytes, 0);

    video->state = VIDEO_STATE_MANIFEST;
    EXPECT_EQ(DecideVideoSource(video->a2, video.get()).kind, VideoSource::Manifest);

    video->state = VIDEO_STATE_LOADED;
    video->a4.clear();
    EXPECT_EQ(DecideVideoSource(video->a2, video.get()).kind, VideoSource::NeedsDetection);
}

TEST_F(VideoSourceTest, OnlyPlayableSourcesGetAPlayUrlAndWholeFilesSayWhatTheyHold)
{
    CPlayRequestManager server;
    const std::string prefix = "http://127.0.0.1:" + std::to_string(server.GetPort()) + "/";
    const std::string file = folder / "clip.mp4";
    WriteWholeFile(file, std::string("\0\0\0\x18" "ftypisom", 12) + std::string(64, '\0'));

    const std::string local = BuildSourcePlayUrl(server, DecideVideoSource(file, nullptr));
    EXPECT_TRUE(local.starts_with(prefix + Base64Encode(file) + "-&flag&-")) << local;
    EXPECT_TRUE(local.ends_with("#type=mp4")) << local;

    auto video = MakeVideoRecord("http://videos.example/watch/3", "Three", "2", "http://cdn.example/three.flv");
    const std::string streaming = BuildSourcePlayUrl(server, DecideVideoSource(video->a2, video.get()));
    EXPECT_TRUE(streaming.starts_with(prefix + Base64Encode(video->a2) + "-&flag&-")) << streaming;
    EXPECT_EQ(streaming.find('#'), std::string::npos) << "what a download holds is not known yet";

    video->a4.clear();
    EXPECT_EQ(BuildSourcePlayUrl(server, DecideVideoSource(video->a2, video.get())), "");
    EXPECT_EQ(BuildSourcePlayUrl(server, DecideVideoSource("http://unlisted.example/", nullptr)), "");
}

TEST_F(VideoSourceTest, AnHlsStreamPlaysFromThePlayServerAlsoAfterARestart)
{
    CPlayRequestManager server;
    auto video = MakeVideoRecord("http://videos.example/watch/4", "Four", "2", "http://cdn.example/four/master.m3u8");
    video->state = VIDEO_STATE_MANIFEST;
    const std::string url = BuildSourcePlayUrl(server, DecideVideoSource(video->a2, video.get()));
    EXPECT_TRUE(url.ends_with("#type=manifest")) << url;

    // A restored record has lost the state; its HLS cache folder tells.
    video->state = VIDEO_STATE_LOADED;
    EXPECT_EQ(DecideVideoSource(video->a2, video.get()).kind, VideoSource::KnownStream);
    std::filesystem::create_directories(HlsFolderOf(*video));
    EXPECT_EQ(DecideVideoSource(video->a2, video.get()).kind, VideoSource::Manifest);
}

TEST_F(VideoSourceTest, ASaveTakesAFileUnderItsNameAndACompleteCacheUnderItsTitle)
{
    const auto itemOf = [](const std::string& key, const InfoVideo* video) {
        return DecideSave(DecideVideoSource(key, video), video).item;
    };
    const std::string file = folder / "clip.flv";
    WriteWholeFile(file, "FLV\x01\x05");
    EXPECT_EQ(itemOf(file, nullptr), (SaveItem{file, "clip", {}}));

    const auto whole = CachedVideo(10, 10);
    EXPECT_EQ(itemOf(whole->a2, whole.get()), (SaveItem{GetCachePath(*whole), "Holiday_ part 1", {}}));

    const auto partial = CachedVideo(5, 10);
    EXPECT_EQ(itemOf(partial->a2, partial.get()), std::nullopt);
    EXPECT_EQ(itemOf(folder / "gone.flv", nullptr), std::nullopt);
}

// A segmented video is saved from its segment files, track by track, once
// every one is cached; before that the save is refused with the count of
// segments still missing. An fMP4 stream's init section leads its track.
TEST_F(VideoSourceTest, ASegmentedVideoIsSavedFromItsSegmentsOnlyWhenEveryOneIsCached)
{
    auto video = MakeVideoRecord("http://videos.example/watch/5", "Five: the end", "2", "http://cdn.example/five/index.m3u8");
    video->state = VIDEO_STATE_MANIFEST;
    const std::string hls = HlsFolderOf(*video);
    std::filesystem::create_directories(hls);
    WriteWholeFile(hls + "source.url", video->a4);
    WriteWholeFile(hls + "source.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXT-X-MAP:URI=\"init.mp4\"\n"
                                        "#EXTINF:1,\na.m4s\n#EXTINF:1,\nb.m4s\n#EXTINF:1,\nc.m4s\n#EXT-X-ENDLIST\n");
    for (const char* name : {"init", "s0", "s2"})
        WriteWholeFile(hls + name, name);

    const SaveDecision refused = DecideSave(DecideVideoSource(video->a2, video.get()), video.get());
    EXPECT_EQ(refused.item, std::nullopt);
    EXPECT_EQ(refused.missingSegments, 1u);
    EXPECT_EQ(refused.segmentCount, 4u);

    WriteWholeFile(hls + "s1", "s1");
    const SaveDecision whole = DecideSave(DecideVideoSource(video->a2, video.get()), video.get());
    ASSERT_TRUE(whole.item);
    EXPECT_EQ(whole.item->name, "Five_ the end");
    EXPECT_EQ(whole.item->tracks,
              (std::vector<std::vector<std::string>>{{hls + "init", hls + "s0", hls + "s1", hls + "s2"}}));
    EXPECT_EQ(SaveFormatOf(29, *whole.item), 30) << "its plain copy is the joined MP4";
    EXPECT_EQ(SaveFormatOf(20, *whole.item), 20);
    EXPECT_FALSE(std::filesystem::exists(hls + "play.m3u8")) << "looking changes nothing in the cache";
}

}  // namespace
