// The HLS rules without I/O: reading playlists, the variant choice, the
// local playlist and the segment account that decides completeness.
#include "delivery/hls_live.h"
#include "delivery/hls_playlist.h"
#include "delivery/hls_segment_book.h"

#include <gtest/gtest.h>

namespace {

// As ffmpeg writes a master playlist with two variants.
constexpr const char* kMaster = "#EXTM3U\n#EXT-X-VERSION:3\n"
                                "#EXT-X-STREAM-INF:BANDWIDTH=295900,RESOLUTION=160x120,CODECS=\"avc1.42c00d,mp4a.40.2\"\n"
                                "v1/index.m3u8\n\n"
                                "#EXT-X-STREAM-INF:BANDWIDTH=735900,RESOLUTION=320x240,CODECS=\"avc1.42c014,mp4a.40.2\"\n"
                                "v0/index.m3u8\n";

constexpr const char* kMedia = "#EXTM3U\r\n#EXT-X-VERSION:3\r\n#EXT-X-TARGETDURATION:2\r\n"
                               "#EXT-X-MEDIA-SEQUENCE:0\r\n#EXT-X-PLAYLIST-TYPE:VOD\r\n"
                               "#EXTINF:2.000000,\r\nseg0.ts\r\n#EXTINF:1.500000,\r\n/abs/seg1.ts?t=1\r\n"
                               "#EXTINF:0.5,\r\nhttp://cdn.test/seg2.ts\r\n#EXT-X-ENDLIST\r\n";

TEST(HlsPlaylist, MasterListsVariantsAndTheHighestBandwidthIsChosen)
{
    const HlsPlaylist master = ParseHlsPlaylist(kMaster, "http://site.test/hls/master.m3u8");
    ASSERT_TRUE(master.master);
    ASSERT_EQ(master.variants.size(), 2u);
    EXPECT_EQ(master.variants[0].bandwidth, 295900);
    EXPECT_EQ(master.variants[0].url, "http://site.test/hls/v1/index.m3u8");
    const HlsVariant* chosen = ChooseVariant(master);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->url, "http://site.test/hls/v0/index.m3u8");
    EXPECT_EQ(ChooseVariant(HlsPlaylist{}), nullptr);
}

TEST(HlsPlaylist, MediaListsSegmentsWithDurationsAndResolvedAddresses)
{
    const HlsPlaylist media = ParseHlsPlaylist(kMedia, "http://site.test/hls/v0/index.m3u8?token=x");
    EXPECT_FALSE(media.master);
    EXPECT_TRUE(media.ended);
    EXPECT_TRUE(media.keyUrls.empty());
    EXPECT_EQ(media.segments[0].key, -1);
    EXPECT_EQ(media.targetDuration, 2);
    ASSERT_EQ(media.segments.size(), 3u);
    EXPECT_EQ(media.segments[0].url, "http://site.test/hls/v0/seg0.ts");
    EXPECT_DOUBLE_EQ(media.segments[1].duration, 1.5);
    EXPECT_EQ(media.segments[1].url, "http://site.test/abs/seg1.ts?t=1");
    EXPECT_EQ(media.segments[2].url, "http://cdn.test/seg2.ts");
}

TEST(HlsPlaylist, InitSectionKeysAndLiveListsAreRead)
{
    const HlsPlaylist media = ParseHlsPlaylist("\xEF\xBB\xBF#EXTM3U\n#EXT-X-MAP:URI=\"init.mp4\"\n"
                                               "#EXT-X-KEY:METHOD=AES-128,URI=\"k.bin\"\n#EXTINF:4,\na.m4s\n",
                                               "https://site.test/x/list.m3u8");
    EXPECT_EQ(media.initUrl, "https://site.test/x/init.mp4");
    EXPECT_EQ(media.keyUrls, std::vector<std::string>{"https://site.test/x/k.bin"});
    EXPECT_FALSE(media.ended);
    EXPECT_EQ(media.segments.size(), 1u);
    EXPECT_TRUE(ParseHlsPlaylist("<MPD/>", "http://a/b").segments.empty());
}

// AES-128: each key address is listed once; a segment's IV is the tag's,
// else its media sequence number; METHOD=NONE ends the encryption, and
// SAMPLE-AES is marked as a method that is not played.
TEST(HlsPlaylist, Aes128KeysAndTheirIvsAreReadPerSegment)
{
    const HlsPlaylist media = ParseHlsPlaylist("#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:258\n"
                                               "#EXT-X-KEY:METHOD=AES-128,URI=\"/keys/a\"\n#EXTINF:1,\ns0.ts\n#EXTINF:1,\ns1.ts\n"
                                               "#EXT-X-KEY:METHOD=AES-128,URI=\"k2\",IV=0x0102030405060708090a0b0c0d0e0fAB\n"
                                               "#EXTINF:1,\ns2.ts\n"
                                               "#EXT-X-KEY:METHOD=AES-128,URI=\"/keys/a\",IV=0x1F\n#EXTINF:1,\ns3.ts\n"
                                               "#EXT-X-KEY:METHOD=NONE\n#EXTINF:1,\ns4.ts\n#EXT-X-ENDLIST\n",
                                               "http://site.test/v/index.m3u8");
    EXPECT_FALSE(media.unsupportedKey);
    EXPECT_EQ(media.keyUrls, (std::vector<std::string>{"http://site.test/keys/a", "http://site.test/v/k2"}));
    ASSERT_EQ(media.segments.size(), 5u);
    EXPECT_EQ(media.segments[0].key, 0);
    EXPECT_EQ(media.segments[0].iv, (std::array<unsigned char, 16>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}));
    EXPECT_EQ(media.segments[1].iv, (std::array<unsigned char, 16>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 3}));
    EXPECT_EQ(media.segments[2].key, 1);
    EXPECT_EQ(media.segments[2].iv, (std::array<unsigned char, 16>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0xAB}));
    EXPECT_EQ(media.segments[3].key, 0);
    EXPECT_EQ(media.segments[3].iv, (std::array<unsigned char, 16>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x1F}));
    EXPECT_EQ(media.segments[4].key, -1);
    EXPECT_EQ(BuildLocalPlaylist(media, "/p").find("EXT-X-KEY"), std::string::npos)
        << "the player gets the segments in the clear";

    EXPECT_TRUE(ParseHlsPlaylist("#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k\"\n#EXTINF:1,\na.ts\n", "http://a/b")
                    .unsupportedKey);
}

TEST(HlsPlaylist, ReferencesResolveAsBrowsersDo)
{
    const std::string base = "http://h.test:81/a/b/c.m3u8?q=1";
    EXPECT_EQ(ResolveUrl(base, "d.ts"), "http://h.test:81/a/b/d.ts");
    EXPECT_EQ(ResolveUrl(base, "../d.ts"), "http://h.test:81/a/d.ts");
    EXPECT_EQ(ResolveUrl(base, "./e/../d.ts"), "http://h.test:81/a/b/d.ts");
    EXPECT_EQ(ResolveUrl(base, "/d.ts"), "http://h.test:81/d.ts");
    EXPECT_EQ(ResolveUrl(base, "//cdn.test/d.ts"), "http://cdn.test/d.ts");
    EXPECT_EQ(ResolveUrl(base, "?r=2"), "http://h.test:81/a/b/c.m3u8?r=2");
    EXPECT_EQ(ResolveUrl("http://h.test", "d.ts"), "http://h.test/d.ts");
}

TEST(HlsPlaylist, LocalPlaylistLeadsEverySegmentToThePlayServer)
{
    const HlsPlaylist media = ParseHlsPlaylist(kMedia, "http://site.test/v/index.m3u8");
    const std::string local = BuildLocalPlaylist(media, "/a2V5-&flag&-0");
    const HlsPlaylist back = ParseHlsPlaylist(local, "http://127.0.0.1:20155/a2V5-&flag&-7");
    ASSERT_EQ(back.segments.size(), 3u);
    EXPECT_EQ(back.segments[2].url, "http://127.0.0.1:20155/a2V5-&flag&-0/s2");
    EXPECT_DOUBLE_EQ(back.segments[1].duration, 1.5);
    EXPECT_TRUE(back.ended);
    EXPECT_TRUE(back.initUrl.empty());
    EXPECT_EQ(local.find("site.test"), std::string::npos);

    HlsPlaylist fmp4 = media;
    fmp4.initUrl = "http://site.test/v/init.mp4";
    EXPECT_EQ(ParseHlsPlaylist(BuildLocalPlaylist(fmp4, "/k-&flag&-0"), "http://127.0.0.1:1/x").initUrl,
              "http://127.0.0.1:1/k-&flag&-0/init");
}

TEST(HlsPlaylist, PlayServerPathsNameThePlaylistTheInitSectionOrOneSegment)
{
    EXPECT_EQ(ParseHlsResource("").kind, HlsResource::Playlist);
    EXPECT_EQ(ParseHlsResource("/init").kind, HlsResource::Init);
    const HlsResource segment = ParseHlsResource("/s12");
    EXPECT_EQ(segment.kind, HlsResource::Segment);
    EXPECT_EQ(segment.index, 12);
    for (const char* bad : {"/s", "/s-1", "/s1x", "/x", "/s99999999999"})
        EXPECT_EQ(ParseHlsResource(bad).kind, HlsResource::Invalid) << bad;
}

TEST(HlsSegmentBook, CompleteOnlyWhenEverySegmentArrived)
{
    HlsSegmentBook book(3);
    EXPECT_FALSE(book.IsComplete());
    book.MarkDone(0);
    book.MarkDone(2);
    EXPECT_FALSE(book.IsComplete());
    EXPECT_EQ(book.NextToFetch(), 1);
    book.StartFetch(1);
    EXPECT_EQ(book.NextToFetch(), -1);
    book.MarkDone(1);
    EXPECT_TRUE(book.IsComplete());
    EXPECT_TRUE(book.IsSettled());
    EXPECT_FALSE(HlsSegmentBook(0).IsComplete());
}

TEST(HlsSegmentBook, ARefusedSegmentIsRetriedThenCountedMissingNeverDone)
{
    HlsSegmentBook book(2);
    book.MarkDone(0);
    for (int attempt = 1; attempt < HlsSegmentBook::kMaxAttempts; ++attempt) {
        ASSERT_EQ(book.NextToFetch(), 1);
        book.StartFetch(1);
        EXPECT_TRUE(book.FetchFailed(1)) << "attempt " << attempt;
    }
    book.StartFetch(1);
    EXPECT_FALSE(book.FetchFailed(1));
    EXPECT_EQ(book.StateOf(1), HlsSegmentBook::State::Missing);
    EXPECT_EQ(book.MissingCount(), 1u);
    EXPECT_EQ(book.DoneCount(), 1u);
    EXPECT_TRUE(book.IsSettled());
    EXPECT_FALSE(book.IsComplete());
    EXPECT_EQ(book.NextToFetch(), -1);
}

TEST(HlsSegmentBook, FetchOrderFollowsThePlayerAndAStoppedFetchCostsNoAttempt)
{
    HlsSegmentBook book(5);
    EXPECT_EQ(book.NextToFetch(), 0);
    book.Want(3);
    EXPECT_EQ(book.NextToFetch(), 3);
    book.StartFetch(3);
    EXPECT_EQ(book.NextToFetch(), 4);
    book.StartFetch(4);
    EXPECT_EQ(book.NextToFetch(), 0);  // then from the start
    for (int i = 0; i < HlsSegmentBook::kMaxAttempts + 2; ++i) {
        book.FetchStopped(4);
        book.StartFetch(4);
    }
    EXPECT_TRUE(book.FetchFailed(4));
}

// A live window as a site serves it: segments first .. first+count-1, named
// by their sequence numbers.
HlsPlaylist LiveWindow(std::uint64_t first, std::size_t count, bool ended = false, const std::string& name = "seg")
{
    std::string text = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n#EXT-X-MEDIA-SEQUENCE:"
                       + std::to_string(first) + "\n";
    for (std::size_t i = 0; i < count; ++i)
        text += "#EXTINF:1.000000,\n" + name + std::to_string(first + i) + ".ts\n";
    if (ended)
        text += "#EXT-X-ENDLIST\n";
    return ParseHlsPlaylist(text, "http://live.test/v/index.m3u8");
}

std::vector<std::string> Names(const HlsPlaylist& list)
{
    std::vector<std::string> names;
    for (const HlsSegment& segment : list.segments)
        names.push_back(segment.url.substr(segment.url.rfind('/') + 1) + (segment.discontinuity ? "|d" : ""));
    return names;
}

TEST(HlsLive, AReloadAppendsBySequenceNumberKeepsWhatSlidOutAndAnEndListEndsIt)
{
    HlsPlaylist known = LiveWindow(10, 3);
    EXPECT_FALSE(known.ended);
    EXPECT_EQ(known.segments[2].sequence, 12u);

    HlsMerge merge = MergeHlsPlaylist(known, LiveWindow(12, 3));  // 12 13 14
    EXPECT_EQ(merge.appended, 2u);
    EXPECT_EQ(Names(known), (std::vector<std::string>{"seg10.ts", "seg11.ts", "seg12.ts", "seg13.ts", "seg14.ts"}));
    EXPECT_EQ(known.windowStart, 2u);

    merge = MergeHlsPlaylist(known, LiveWindow(12, 3));  // nothing new
    EXPECT_EQ(merge.appended, 0u);
    EXPECT_EQ(known.segments.size(), 5u);

    merge = MergeHlsPlaylist(known, LiveWindow(15, 2));  // follows on directly
    EXPECT_EQ(merge.appended, 2u);
    EXPECT_FALSE(known.segments[5].discontinuity);
    EXPECT_EQ(known.windowStart, 5u);
    EXPECT_FALSE(merge.ended);

    merge = MergeHlsPlaylist(known, LiveWindow(16, 2, true));
    EXPECT_TRUE(merge.ended);
    EXPECT_TRUE(known.ended);
    EXPECT_EQ(known.segments.size(), 8u);
    merge = MergeHlsPlaylist(known, LiveWindow(17, 2));  // a later copy without the end does not undo it
    EXPECT_TRUE(known.ended);
}

TEST(HlsLive, AJumpOrANewCountIsADiscontinuityAndAStaleCopyAddsNothing)
{
    HlsPlaylist known = LiveWindow(10, 3);              // 10 11 12
    MergeHlsPlaylist(known, LiveWindow(20, 2));        // 13..19 slid out unseen
    EXPECT_EQ(Names(known), (std::vector<std::string>{"seg10.ts", "seg11.ts", "seg12.ts", "seg20.ts|d", "seg21.ts"}));
    EXPECT_EQ(known.windowStart, 3u);

    const HlsMerge stale = MergeHlsPlaylist(known, LiveWindow(10, 3));
    EXPECT_EQ(stale.appended, 0u);
    EXPECT_EQ(known.windowStart, 3u);

    const HlsMerge restart = MergeHlsPlaylist(known, LiveWindow(0, 2, false, "new"));
    EXPECT_EQ(restart.appended, 2u);
    EXPECT_EQ(Names(known).back(), "new1.ts");
    EXPECT_EQ(Names(known)[5], "new0.ts|d");
    EXPECT_EQ(known.windowStart, 5u);
    // The numbering follows the new count from here on.
    MergeHlsPlaylist(known, LiveWindow(1, 2, false, "new"));
    EXPECT_EQ(Names(known).back(), "new2.ts");
    EXPECT_EQ(known.segments.size(), 8u);
}

TEST(HlsLive, ThePlayerGetsTheWindowLiveAndTheRecordReadsBackTheSame)
{
    HlsPlaylist known = LiveWindow(10, 3);
    MergeHlsPlaylist(known, LiveWindow(20, 3));  // a gap: 20 is a discontinuity at place 3
    MergeHlsPlaylist(known, LiveWindow(21, 3));  // window: places 4..6
    const std::string local = BuildLocalPlaylist(known, "/k-&flag&-0");
    EXPECT_EQ(local.find("#EXT-X-ENDLIST"), std::string::npos) << local;
    EXPECT_EQ(local.find("VOD"), std::string::npos) << local;
    EXPECT_NE(local.find("#EXT-X-MEDIA-SEQUENCE:4\n"), std::string::npos) << local;
    EXPECT_NE(local.find("#EXT-X-DISCONTINUITY-SEQUENCE:1\n"), std::string::npos) << local;
    const HlsPlaylist window = ParseHlsPlaylist(local, "http://127.0.0.1:1/x");
    ASSERT_EQ(window.segments.size(), 3u);
    EXPECT_EQ(window.segments[0].url, "http://127.0.0.1:1/k-&flag&-0/s4");
    EXPECT_EQ(window.segments[0].sequence, 4u);

    // What the cache keeps reads back to the same list.
    const HlsPlaylist back = ParseHlsPlaylist(WriteHlsRecord(known), "http://elsewhere.test/");
    ASSERT_EQ(back.segments.size(), known.segments.size());
    for (std::size_t i = 0; i < back.segments.size(); ++i) {
        EXPECT_EQ(back.segments[i].url, known.segments[i].url) << i;
        EXPECT_EQ(back.segments[i].sequence, known.segments[i].sequence) << i;
        EXPECT_EQ(back.segments[i].discontinuity, known.segments[i].discontinuity) << i;
    }
    EXPECT_FALSE(back.ended);

    // Replayed from the cache, a recording is a VOD of the segments it holds,
    // with a discontinuity where some are missing.
    HlsPlaylist recording = back;
    recording.ended = true;
    const std::vector<bool> cached{false, true, true, false, true, true, true};
    const HlsPlaylist vod = ParseHlsPlaylist(BuildLocalPlaylist(recording, "/k-&flag&-0", cached), "http://127.0.0.1:1/x");
    EXPECT_TRUE(vod.ended);
    ASSERT_EQ(vod.segments.size(), 5u);
    EXPECT_EQ(vod.segments[0].url, "http://127.0.0.1:1/k-&flag&-0/s1");
    EXPECT_FALSE(vod.segments[0].discontinuity);
    EXPECT_EQ(vod.segments[2].url, "http://127.0.0.1:1/k-&flag&-0/s4");
    EXPECT_TRUE(vod.segments[2].discontinuity);
}

TEST(HlsSegmentBook, ALiveBookGrowsFetchesTheNewSegmentsNextAndGivesUpWhatSlidOut)
{
    HlsSegmentBook book(4);
    book.Want(2);  // the player starts near the live edge
    book.StartFetch(static_cast<std::size_t>(book.NextToFetch()));
    book.StartFetch(static_cast<std::size_t>(book.NextToFetch()));
    EXPECT_EQ(book.StateOf(3), HlsSegmentBook::State::Fetching);
    book.Grow(2);
    EXPECT_EQ(book.Count(), 6u);
    EXPECT_EQ(book.NextToFetch(), 4) << "the segments after the player's come before the older ones";
    book.GiveUp(0);
    book.GiveUp(3);  // being fetched: it may still arrive
    EXPECT_EQ(book.StateOf(0), HlsSegmentBook::State::Missing);
    EXPECT_EQ(book.StateOf(3), HlsSegmentBook::State::Fetching);
    EXPECT_FALSE(book.IsComplete());
}

}  // namespace
