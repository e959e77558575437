// DASH videos through the download manager and the play server: the player
// gets a manifest of the play server, the init sections and segments of the
// chosen representations come from the cache byte for byte, completeness
// counts only what arrived, and a cached stream plays again without the
// site.
#include "common/ids/string_ids.h"
#include "delivery/dash_manifest.h"
#include "delivery/hls_stream.h"
#include "flv_download_fixture.h"

#include "records/info_video.h"

#include <algorithm>
#include <filesystem>
#include <regex>

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

    // The byte ranges a manifest lists for the representation whose file is
    // "manifest-stream<id>.mp4", in order, of the attributes named (such as
    // "range|mediaRange": Initialization@range, then each
    // SegmentURL@mediaRange).
    static std::vector<std::pair<std::uint64_t, std::uint64_t>> ListedRanges(const std::string& manifest, int id,
                                                                              const std::string& attributes)
    {
        const std::string base = "<BaseURL>manifest-stream" + std::to_string(id) + ".mp4</BaseURL>";
        const std::size_t from = manifest.find(base);
        const std::size_t to = manifest.find("</Representation>", from);
        const std::string block = from == std::string::npos ? std::string() : manifest.substr(from, to - from);
        const std::regex range("\\s(" + attributes + R"re()="(\d+)-(\d+)")re");
        std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
        for (std::sregex_iterator it(block.begin(), block.end(), range), end; it != end; ++it)
            ranges.emplace_back(std::stoull((*it)[2].str()), std::stoull((*it)[3].str()));
        return ranges;
    }

    // The site's single-file stream in entry order: the ranges the muxer
    // listed of the video's file (representation 0), then of the audio's
    // (1). A SegmentBase stream's init section ends where its index starts.
    std::vector<std::string> SiteRanges(bool segmentBase) const
    {
        std::vector<std::string> parts;
        for (int id : {0, 1}) {
            const std::string file = FileBytes(media + "/manifest-stream" + std::to_string(id) + ".mp4");
            auto ranges = ListedRanges(FileBytes(media + (segmentBase ? "/muxer.mpd" : "/manifest.mpd")), id,
                                       "range|mediaRange");
            EXPECT_EQ(ranges.size(), 5u) << id;
            if (segmentBase && !ranges.empty()) {
                const auto index = ListedRanges(FileBytes(media + "/manifest.mpd"), id, "indexRange|range");
                EXPECT_EQ(index.size(), 2u) << "an index and an init section";
                ranges.front().second = index.at(0).first - 1;
            }
            for (const auto& [first, last] : ranges)
                parts.push_back(file.substr(first, last - first + 1));
        }
        return parts;
    }

    void ExpectPlaysWhileCaching(bool timeNamed = false)
    {
        ExpectPlaysWhileCaching(SiteFiles(4, timeNamed), timeNamed ? 1u : 2u);
    }

    void ExpectPlaysWhileCaching(const std::vector<std::string>& files, std::size_t trackCount)
    {
        const InfoVideo* video = AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
        Play("dash");
        const std::vector<std::string> bodies = PlayAll(server, "dash");
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
        EXPECT_EQ(cache.tracks.size(), trackCount);
        std::vector<std::string> saved;
        for (const auto& track : cache.tracks)
            for (const std::string& file : track)
                saved.push_back(FileBytes(file));
        ASSERT_EQ(saved.size(), files.size());
        for (std::size_t i = 0; i < files.size(); ++i)
            EXPECT_TRUE(SameBytes(saved[i], files[i])) << i;
        EXPECT_TRUE(site.RequestsFor("/dash/init-stream2.m4s").empty()) << "the lower representation is not fetched";
        EXPECT_TRUE(site.RequestsFor("/dash/manifest-stream2.mp4").empty()) << "the lower representation is not fetched";
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
    NextRun next(downloadSettings, observer);
    const std::vector<std::string> again = PlayAll(next.server, "dash");
    ASSERT_EQ(again.size(), 10u);
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(SameBytes(again[i], first[i])) << i;
    EXPECT_TRUE(next.manager.GetHlsStatus("dash").IsComplete());
    EXPECT_EQ(next.manager.GetTaskCount(), 0);
}

// ffmpeg's single files: every byte range is fetched with its own Range
// request and cached as an entry of its own.
TEST_F(DashDownloadTest, AByteRangeStreamPlaysFromThePlayServerWhileEveryRangeIsCached)
{
    Serve(test_site::DashKind::ByteRanges);
    ExpectPlaysWhileCaching(SiteRanges(false), 2);
    std::vector<std::string> asked;
    for (const auto& request : site.RequestsFor("/dash/manifest-stream0.mp4"))
        asked.push_back(request.Value("Range"));
    std::vector<std::string> listed;
    for (const auto& [first, last] : ListedRanges(FileBytes(media + "/manifest.mpd"), 0, "range|mediaRange"))
        listed.push_back("bytes=" + std::to_string(first) + "-" + std::to_string(last));
    std::sort(asked.begin(), asked.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(asked, listed) << "each range once, with both ends";
}

// SegmentBase: the index (sidx) is fetched first, and the fragments it
// names are the ranges the muxer listed for the same file.
TEST_F(DashDownloadTest, ASegmentBaseStreamPlaysFromThePlayServerWhileEveryFragmentIsCached)
{
    Serve(test_site::DashKind::SegmentBase);
    ExpectPlaysWhileCaching(SiteRanges(true), 2);
    const auto index = ListedRanges(FileBytes(media + "/manifest.mpd"), 1, "indexRange").at(0);
    const std::string indexRange = "bytes=" + std::to_string(index.first) + "-" + std::to_string(index.second);
    int indexRequests = 0;
    for (const auto& request : site.RequestsFor("/dash/manifest-stream1.mp4"))
        indexRequests += request.Value("Range") == indexRange;
    EXPECT_EQ(indexRequests, 1);
}

// An origin that answers a range with the whole file (200) never has the
// file cached as one segment: the range counts as not served, and after its
// tries the stream is incomplete.
TEST_F(DashDownloadTest, ARangeAnsweredWithTheWholeFileIsNeverCachedAsItsSegment)
{
    Serve(test_site::DashKind::ByteRanges);
    test_site::Behaviour whole;
    whole.honourRange = false;
    site.SetBehaviour("/dash/manifest-stream1.mp4", whole);
    InfoVideo* video = AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
    Play("dash");
    const std::vector<std::string> entries = Entries(server, "dash");
    ASSERT_EQ(entries.size(), 10u);
    std::string header;
    EXPECT_TRUE(Fetch(entries[6], &header).empty());
    EXPECT_TRUE(header.starts_with("HTTP/1.1 404")) << header;
    ASSERT_TRUE(Wait([&] { return !observer.missingSegments.empty(); }));
    EXPECT_EQ(observer.missingSegments, std::vector<std::string>{"dash|5/10"});
    const auto status = manager.GetHlsStatus("dash");
    EXPECT_EQ(status.done, 5u);
    EXPECT_EQ(status.missing, 5u);
    EXPECT_EQ(video->state, VIDEO_STATE_INCOMPLETE);
    const SegmentedCache cache = ReadSegmentedCache(*video);
    EXPECT_FALSE(cache.IsComplete());
    EXPECT_EQ(cache.missing, 5u);
    const std::int64_t wholeFile = static_cast<std::int64_t>(FileBytes(media + "/manifest-stream1.mp4").size());
    EXPECT_LT(status.bytes, static_cast<std::int64_t>(FileBytes(media + "/manifest-stream0.mp4").size()) + wholeFile);
    for (std::size_t entry = 5; entry < 10; ++entry)
        EXPECT_FALSE(std::filesystem::exists(HlsFolderOf(*video) + "s" + std::to_string(entry))) << entry;
}

// Without its index a SegmentBase stream names no segments: it is refused
// as a whole, like a manifest that could not be had.
TEST_F(DashDownloadTest, ASegmentBaseStreamWhoseIndexIsNotServedIsRefused)
{
    Serve(test_site::DashKind::SegmentBase);
    test_site::Behaviour whole;
    whole.honourRange = false;
    site.SetBehaviour("/dash/manifest-stream0.mp4", whole);
    AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
    Play("dash");
    std::string header;
    Fetch(server.BuildPlayUrl("dash"), &header);
    EXPECT_TRUE(header.starts_with("HTTP/1.1 404")) << header;
    EXPECT_FALSE(manager.GetHlsStatus("dash").known);
    EXPECT_EQ(observer.messages, std::vector<int>{IDS_SERVER_ERROR});
}

// A range cut short keeps what arrived and goes on from there, up to the
// range's own end.
TEST_F(DashDownloadTest, ARangeCutShortIsResumedWithinItsRange)
{
    Serve(test_site::DashKind::ByteRanges);
    test_site::Behaviour cut;
    cut.dropAfter = 300;
    cut.dropOnce = true;
    site.SetBehaviour("/dash/manifest-stream0.mp4", cut);
    AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
    Play("dash");
    const std::vector<std::string> expected = SiteRanges(false);
    const std::vector<std::string> bodies = PlayAll(server, "dash");
    ASSERT_EQ(bodies.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(SameBytes(bodies[i], expected[i])) << i;
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("dash").IsComplete(); }));
    std::vector<std::string> resumes;
    for (const auto& [first, last] : ListedRanges(FileBytes(media + "/manifest.mpd"), 0, "range|mediaRange"))
        resumes.push_back("bytes=" + std::to_string(first + 300) + "-" + std::to_string(last));
    int resumed = 0;
    for (const auto& request : site.RequestsFor("/dash/manifest-stream0.mp4"))
        resumed += std::count(resumes.begin(), resumes.end(), request.Value("Range"));
    EXPECT_EQ(resumed, 1);
}

// The index is kept with the manifest, so a SegmentBase stream plays
// again from the cache alone.
TEST_F(DashDownloadTest, ACachedSegmentBaseStreamPlaysAgainWithoutTheSiteAfterARestart)
{
    Serve(test_site::DashKind::SegmentBase);
    InfoVideo* video = AddVideo("dash", "/dash/manifest.mpd", VIDEO_STATE_MANIFEST);
    Play("dash");
    PlayAll(server, "dash");
    ASSERT_TRUE(Wait([&] { return manager.GetHlsStatus("dash").IsComplete(); }));
    site.Stop();

    video->state = VIDEO_STATE_LOADED;
    NextRun next(downloadSettings, observer);
    const std::vector<std::string> again = PlayAll(next.server, "dash");
    const std::vector<std::string> expected = SiteRanges(true);
    ASSERT_EQ(again.size(), expected.size());
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(SameBytes(again[i], expected[i])) << i;
    EXPECT_TRUE(next.manager.GetHlsStatus("dash").IsComplete());
    EXPECT_TRUE(ReadSegmentedCache(*video).IsComplete());
    EXPECT_EQ(next.manager.GetTaskCount(), 0);
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
