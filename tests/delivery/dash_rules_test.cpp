// The DASH rules without I/O: template expansion, the timeline, the choice
// of representations, the segment addresses of each addressing form and
// the manifest the player page gets.
#include "delivery/dash_manifest.h"
#include "sidx_bytes.h"

#include <gtest/gtest.h>

namespace {

// As ffmpeg's dash muxer writes it by default (two video representations
// in one adaptation set, one audio), with a BaseURL added.
constexpr const char* kNumberTimeline = R"(<?xml version="1.0" encoding="utf-8"?>
<MPD xmlns="urn:mpeg:dash:schema:mpd:2011" profiles="urn:mpeg:dash:profile:isoff-live:2011" type="static"
     mediaPresentationDuration="PT3.0S" minBufferTime="PT2.0S">
  <BaseURL>media/</BaseURL>
  <Period id="0" start="PT0.0S">
    <AdaptationSet id="0" contentType="video" segmentAlignment="true">
      <Representation id="2" mimeType="video/mp4" codecs="avc1.42c00d" bandwidth="200000" width="160" height="120">
        <SegmentTemplate timescale="12800" initialization="init-stream$RepresentationID$.m4s"
                         media="chunk-stream$RepresentationID$-$Number%05d$.m4s" startNumber="1">
          <SegmentTimeline><S t="0" d="12800" r="2" /></SegmentTimeline>
        </SegmentTemplate>
      </Representation>
      <Representation id="0" mimeType="video/mp4" codecs="avc1.42c014" bandwidth="600000" width="320" height="240">
        <SegmentTemplate timescale="12800" initialization="init-stream$RepresentationID$.m4s"
                         media="chunk-stream$RepresentationID$-$Number%05d$.m4s" startNumber="1">
          <SegmentTimeline><S t="0" d="12800" r="2" /></SegmentTimeline>
        </SegmentTemplate>
      </Representation>
    </AdaptationSet>
    <AdaptationSet id="1" contentType="audio">
      <Representation id="1" mimeType="audio/mp4" codecs="mp4a.40.2" bandwidth="69000" audioSamplingRate="44100">
        <SegmentTemplate timescale="44100" initialization="init-stream$RepresentationID$.m4s"
                         media="chunk-stream$RepresentationID$-$Number%05d$.m4s" startNumber="1">
          <SegmentTimeline><S t="0" d="44032" /><S d="45056" /><S d="43212" /></SegmentTimeline>
        </SegmentTemplate>
      </Representation>
    </AdaptationSet>
  </Period>
</MPD>)";

std::vector<std::string> Urls(const DashTrack& track)
{
    std::vector<std::string> urls;
    for (const DashSegment& segment : track.segments)
        urls.push_back(segment.url);
    return urls;
}

TEST(DashTemplate, IdentifiersWidthsAndEscapesAreFilledIn)
{
    EXPECT_EQ(ExpandDashTemplate("chunk-stream$RepresentationID$-$Number%05d$.m4s", "v1", 0, 7, 0),
              "chunk-streamv1-00007.m4s");
    EXPECT_EQ(ExpandDashTemplate("$Bandwidth$/$Time$.m4s", "a", 128000, 3, 90000), "128000/90000.m4s");
    EXPECT_EQ(ExpandDashTemplate("$Time%08d$_$Number$", "a", 0, 12, 512), "00000512_12");
    // A wider number than its width keeps all its digits.
    EXPECT_EQ(ExpandDashTemplate("$Number%02d$", "a", 0, 12345, 0), "12345");
    EXPECT_EQ(ExpandDashTemplate("cost$$5-$Other$-$Number", "a", 0, 1, 0), "cost$5-$Other$-$Number");
}

TEST(DashTemplate, IsoDurations)
{
    EXPECT_DOUBLE_EQ(ParseIsoDuration("PT3.0S"), 3.0);
    EXPECT_DOUBLE_EQ(ParseIsoDuration("PT1H2M3.5S"), 3723.5);
    EXPECT_DOUBLE_EQ(ParseIsoDuration("P1DT1S"), 86401.0);
    EXPECT_DOUBLE_EQ(ParseIsoDuration("PT0S"), 0.0);
    EXPECT_DOUBLE_EQ(ParseIsoDuration("3 seconds"), 0.0);
    EXPECT_DOUBLE_EQ(ParseIsoDuration("PT3"), 0.0);
}

TEST(DashManifest, TheHighestVideoAndItsAudioAreChosenAndTheirSegmentsListed)
{
    const DashManifest manifest = ParseDashManifest(kNumberTimeline, "http://site.test/dash/manifest.mpd?k=1");
    ASSERT_TRUE(manifest.IsPlayable());
    EXPECT_DOUBLE_EQ(manifest.duration, 3.0);
    ASSERT_EQ(manifest.tracks.size(), 2u);
    const DashTrack& video = manifest.tracks[0];
    EXPECT_TRUE(video.video);
    EXPECT_EQ(video.representationId, "0");
    EXPECT_EQ(video.timescale, 12800u);
    EXPECT_EQ(video.initUrl, "http://site.test/dash/media/init-stream0.m4s");
    EXPECT_EQ(Urls(video), (std::vector<std::string>{"http://site.test/dash/media/chunk-stream0-00001.m4s",
                                                     "http://site.test/dash/media/chunk-stream0-00002.m4s",
                                                     "http://site.test/dash/media/chunk-stream0-00003.m4s"}));
    EXPECT_EQ(video.segments[2].time, 25600u);
    const DashTrack& audio = manifest.tracks[1];
    EXPECT_FALSE(audio.video);
    EXPECT_EQ(audio.representationId, "1");
    ASSERT_EQ(audio.segments.size(), 3u);
    EXPECT_EQ(audio.segments[1].time, 44032u);
    EXPECT_EQ(audio.segments[2].time, 89088u);
    EXPECT_EQ(audio.segments[2].duration, 43212u);
    const std::vector<std::string> entries = DashEntryUrls(manifest);
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries[0], video.initUrl);
    EXPECT_EQ(entries[4], audio.initUrl);
    EXPECT_EQ(entries[7], "http://site.test/dash/media/chunk-stream1-00003.m4s");
}

// $Time$ follows the timeline: explicit starts, repeats, a gap, and a last
// entry repeated (r="-1") up to the period's end.
TEST(DashManifest, TimeAddressesFollowTheTimelineWithRepeatsAndGaps)
{
    const char* text = R"(<MPD type="static" mediaPresentationDuration="PT10S"><Period>
      <AdaptationSet mimeType="video/mp4">
        <SegmentTemplate timescale="1000" media="v/$RepresentationID$/$Time$.m4s" initialization="v/$RepresentationID$/init.mp4">
          <SegmentTimeline><S t="0" d="2000" r="1"/><S t="5000" d="1000"/><S d="2000" r="-1"/></SegmentTimeline>
        </SegmentTemplate>
        <Representation id="hd" bandwidth="900"/>
      </AdaptationSet></Period></MPD>)";
    const DashManifest manifest = ParseDashManifest(text, "http://cdn.test/a/b.mpd");
    ASSERT_TRUE(manifest.IsPlayable());
    ASSERT_EQ(manifest.tracks.size(), 1u);
    EXPECT_EQ(manifest.tracks[0].initUrl, "http://cdn.test/a/v/hd/init.mp4");
    EXPECT_EQ(Urls(manifest.tracks[0]),
              (std::vector<std::string>{"http://cdn.test/a/v/hd/0.m4s", "http://cdn.test/a/v/hd/2000.m4s",
                                        "http://cdn.test/a/v/hd/5000.m4s", "http://cdn.test/a/v/hd/6000.m4s",
                                        "http://cdn.test/a/v/hd/8000.m4s"}));
}

// Without a timeline the segments cover the period at @duration each (the
// last one may be short), numbered from @startNumber.
TEST(DashManifest, AFixedDurationCoversThePeriod)
{
    const char* text = R"(<MPD type="static" mediaPresentationDuration="PT3.5S"><BaseURL>http://media.test/x/</BaseURL>
      <Period><AdaptationSet contentType="video">
        <Representation id="0" bandwidth="5" mimeType="video/mp4">
          <BaseURL>r0/</BaseURL>
          <SegmentTemplate timescale="1000000" duration="1000000" startNumber="5"
                           initialization="init.m4s" media="$Number$-$Bandwidth$.m4s"/>
        </Representation></AdaptationSet></Period></MPD>)";
    const DashManifest manifest = ParseDashManifest(text, "http://site.test/m.mpd");
    ASSERT_TRUE(manifest.IsPlayable());
    EXPECT_EQ(manifest.tracks[0].initUrl, "http://media.test/x/r0/init.m4s");
    EXPECT_EQ(Urls(manifest.tracks[0]),
              (std::vector<std::string>{"http://media.test/x/r0/5-5.m4s", "http://media.test/x/r0/6-5.m4s",
                                        "http://media.test/x/r0/7-5.m4s", "http://media.test/x/r0/8-5.m4s"}));
    EXPECT_EQ(manifest.tracks[0].segments[3].time, 3000000u);
}

TEST(DashManifest, ASegmentListNamesEachSegment)
{
    const char* text = R"(<MPD type="static" mediaPresentationDuration="PT2S"><Period>
      <AdaptationSet contentType="audio"><Representation id="a" bandwidth="64000" mimeType="audio/mp4">
        <SegmentList timescale="1000" duration="1000">
          <Initialization sourceURL="a/init.mp4"/>
          <SegmentURL media="a/1.m4s"/><SegmentURL media="/abs/2.m4s"/>
        </SegmentList></Representation></AdaptationSet></Period></MPD>)";
    const DashManifest manifest = ParseDashManifest(text, "http://site.test/d/m.mpd");
    ASSERT_TRUE(manifest.IsPlayable());
    ASSERT_EQ(manifest.tracks.size(), 1u);
    EXPECT_FALSE(manifest.tracks[0].video);
    EXPECT_EQ(manifest.tracks[0].initUrl, "http://site.test/d/a/init.mp4");
    EXPECT_EQ(Urls(manifest.tracks[0]),
              (std::vector<std::string>{"http://site.test/d/a/1.m4s", "http://site.test/abs/2.m4s"}));
    EXPECT_EQ(manifest.tracks[0].segments[1].time, 1000u);
}

// What is not played yet is refused as a whole instead of played in part.
TEST(DashManifest, LiveProtectedAndUnindexedSingleFileStreamsAreNotPlayable)
{
    const std::string tail = R"(<Period><AdaptationSet contentType="video"><Representation id="v" bandwidth="1">
        <SegmentTemplate timescale="1" duration="1" media="$Number$.m4s"/></Representation></AdaptationSet></Period></MPD>)";
    EXPECT_TRUE(ParseDashManifest(R"(<MPD type="static" mediaPresentationDuration="PT2S">)" + tail, "http://s.test/m.mpd")
                    .IsPlayable());
    EXPECT_FALSE(ParseDashManifest(R"(<MPD type="dynamic" availabilityStartTime="2024-01-01T00:00:00Z">)" + tail,
                                   "http://s.test/m.mpd")
                     .IsPlayable());
    const char* drm = R"(<MPD type="static" mediaPresentationDuration="PT2S"><Period><AdaptationSet contentType="video">
        <ContentProtection schemeIdUri="urn:mpeg:dash:mp4protection:2011" value="cenc"/>
        <Representation id="v" bandwidth="1"><SegmentTemplate timescale="1" duration="1" media="$Number$.m4s"/>
        </Representation></AdaptationSet></Period></MPD>)";
    EXPECT_TRUE(ParseDashManifest(drm, "http://s.test/m.mpd").protectedContent);
    EXPECT_FALSE(ParseDashManifest(drm, "http://s.test/m.mpd").IsPlayable());
    // One file without an index names no segments.
    const char* single = R"(<MPD type="static" mediaPresentationDuration="PT2S"><Period><AdaptationSet contentType="video">
        <Representation id="v" bandwidth="1"><BaseURL>v.mp4</BaseURL><SegmentBase/>
        </Representation></AdaptationSet></Period></MPD>)";
    EXPECT_FALSE(ParseDashManifest(single, "http://s.test/m.mpd").IsPlayable());
    EXPECT_FALSE(ParseDashManifest(single, "http://s.test/m.mpd").AwaitsIndex());
    EXPECT_FALSE(ParseDashManifest("#EXTM3U\n", "http://s.test/m.mpd").IsPlayable());
}

// As ffmpeg's dash muxer writes a single file per representation
// (-single_file 1): a SegmentList of byte ranges of the representation's
// BaseURL, the init section a range too.
constexpr const char* kByteRanges = R"(<?xml version="1.0" encoding="utf-8"?>
<MPD xmlns="urn:mpeg:dash:schema:mpd:2011" profiles="urn:mpeg:dash:profile:isoff-live:2011" type="static"
     mediaPresentationDuration="PT3.0S" minBufferTime="PT2.0S">
  <Period id="0" start="PT0.0S">
    <AdaptationSet id="0" contentType="video" segmentAlignment="true" bitstreamSwitching="true">
      <Representation id="0" mimeType="video/mp4" codecs="avc1.42c014" bandwidth="600000" width="320" height="240">
        <BaseURL>manifest-stream0.mp4</BaseURL>
        <SegmentList timescale="1000000" duration="1000000" startNumber="1">
          <Initialization range="0-825" />
          <SegmentURL mediaRange="826-50011" indexRange="826-877" />
          <SegmentURL mediaRange="50012-105255" indexRange="50012-50063" />
          <SegmentURL mediaRange="105256-166147" indexRange="105256-105307" />
        </SegmentList>
      </Representation>
    </AdaptationSet>
    <AdaptationSet id="1" contentType="audio" segmentAlignment="true" bitstreamSwitching="true">
      <Representation id="1" mimeType="audio/mp4" codecs="mp4a.40.2" bandwidth="69000" audioSamplingRate="44100">
        <BaseURL>manifest-stream1.mp4</BaseURL>
        <SegmentList timescale="1000000" duration="1000000" startNumber="1">
          <Initialization range="0-764" />
          <SegmentURL mediaRange="765-10085" />
          <SegmentURL mediaRange="10086-19234" />
          <SegmentURL media="other.mp4" mediaRange="0-99" />
        </SegmentList>
      </Representation>
    </AdaptationSet>
  </Period>
</MPD>)";

TEST(DashManifest, ByteRangesOfOneFileAreEntriesOfTheirOwn)
{
    const DashManifest manifest = ParseDashManifest(kByteRanges, "http://site.test/d/manifest.mpd");
    ASSERT_TRUE(manifest.IsPlayable());
    ASSERT_EQ(manifest.tracks.size(), 2u);
    const std::vector<DashEntry> entries = DashEntries(manifest);
    ASSERT_EQ(entries.size(), 8u);
    const std::string video = "http://site.test/d/manifest-stream0.mp4";
    EXPECT_EQ(entries[0].url, video);
    ASSERT_TRUE(entries[0].range.set);
    EXPECT_EQ(entries[0].range.first, 0u);
    EXPECT_EQ(entries[0].range.last, 825u);
    EXPECT_EQ(entries[2].url, video);
    EXPECT_EQ(entries[2].range.first, 50012u);
    EXPECT_EQ(entries[2].range.last, 105255u);
    EXPECT_EQ(entries[2].range.Size(), 55244u);
    EXPECT_EQ(entries[4].url, "http://site.test/d/manifest-stream1.mp4");
    EXPECT_EQ(entries[4].range.last, 764u);
    // A SegmentURL may name another file than the BaseURL.
    EXPECT_EQ(entries[7].url, "http://site.test/d/other.mp4");
    EXPECT_EQ(entries[7].range.last, 99u);
    EXPECT_EQ(manifest.tracks[0].segments[2].time, 2000000u);
}

TEST(DashManifest, ByteRangesThatCannotBeReadAreRefused)
{
    EXPECT_EQ(ParseByteRange("12-34").first, 12u);
    EXPECT_EQ(ParseByteRange("12-34").last, 34u);
    for (const char* bad : {"", "12", "-34", "34-12", "a-b", "12-34x", "1 2-34"})
        EXPECT_FALSE(ParseByteRange(bad).set) << bad;
    std::string text = kByteRanges;
    text.replace(text.find("50012-105255"), 12, "50012-");
    EXPECT_FALSE(ParseDashManifest(text, "http://site.test/d/manifest.mpd").IsPlayable());
}

// SegmentBase: one file per representation, its segments named by the
// index at indexRange, which is read first.
constexpr const char* kSegmentBase = R"(<MPD type="static" mediaPresentationDuration="PT3S"><Period>
  <AdaptationSet contentType="video">
    <Representation id="v" bandwidth="600000" mimeType="video/mp4"><BaseURL>v/stream0.mp4</BaseURL>
      <SegmentBase timescale="1000" indexRange="830-917"><Initialization range="0-829"/></SegmentBase>
    </Representation></AdaptationSet>
  <AdaptationSet contentType="audio">
    <Representation id="a" bandwidth="64000" mimeType="audio/mp4"><BaseURL>a/stream1.mp4</BaseURL>
      <SegmentBase indexRange="700-787"/>
    </Representation></AdaptationSet></Period></MPD>)";

TEST(DashManifest, ASegmentBaseTrackIsPlayableOnceItsIndexIsRead)
{
    DashManifest manifest = ParseDashManifest(kSegmentBase, "http://site.test/m/manifest.mpd");
    EXPECT_FALSE(manifest.IsPlayable());
    ASSERT_TRUE(manifest.AwaitsIndex());
    ASSERT_EQ(manifest.tracks.size(), 2u);
    DashTrack& video = manifest.tracks[0];
    EXPECT_TRUE(AwaitsIndex(video));
    EXPECT_EQ(video.indexUrl, "http://site.test/m/v/stream0.mp4");
    EXPECT_EQ(video.indexRange.first, 830u);
    EXPECT_EQ(video.indexRange.last, 917u);
    EXPECT_EQ(video.initUrl, video.indexUrl);
    EXPECT_EQ(video.initRange.last, 829u);
    // Without an Initialization the init section is what lies before the index.
    EXPECT_EQ(manifest.tracks[1].initRange.first, 0u);
    EXPECT_EQ(manifest.tracks[1].initRange.last, 699u);

    const std::string index = sidx_test::Sidx(1, 12800, 0, 0, {{49134, 12800}, {55192, 12800}, {60840, 12800}});
    EXPECT_FALSE(ApplyDashIndex(video, index.substr(0, 20))) << "no whole index";
    EXPECT_TRUE(AwaitsIndex(video));
    ASSERT_TRUE(ApplyDashIndex(video, index));
    EXPECT_FALSE(AwaitsIndex(video));
    EXPECT_TRUE(manifest.AwaitsIndex()) << "the audio's index is not read yet";
    const std::string audioIndex = sidx_test::Sidx(0, 44100, 0, 0, {{9000, 44100}, {9100, 44100}});
    ASSERT_TRUE(ApplyDashIndex(manifest.tracks[1], audioIndex));
    EXPECT_FALSE(manifest.AwaitsIndex());
    ASSERT_TRUE(manifest.IsPlayable());

    EXPECT_EQ(video.timescale, 12800u) << "times are in the index's timescale";
    ASSERT_EQ(video.segments.size(), 3u);
    EXPECT_EQ(video.segments[0].url, video.indexUrl);
    // The fragments follow the index box, which starts at the range's first byte.
    const std::uint64_t start = 830 + index.size();
    EXPECT_EQ(video.segments[0].range.first, start);
    EXPECT_EQ(video.segments[0].range.last, start + 49134 - 1);
    EXPECT_EQ(video.segments[2].range.last, start + 49134 + 55192 + 60840 - 1);
    EXPECT_EQ(video.segments[2].time, 25600u);
    EXPECT_EQ(video.segments[2].duration, 12800u);
    const std::vector<DashEntry> entries = DashEntries(manifest);
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0].range.last, 829u);
    EXPECT_EQ(entries[5].url, "http://site.test/m/a/stream1.mp4");
    EXPECT_EQ(entries[5].range.first, 700 + audioIndex.size());
}

// The player's manifest of byte-range streams addresses whole entries of
// the play server: no ranges, no index left.
TEST(DashManifest, TheLocalManifestOfByteRangesAddressesWholeEntries)
{
    DashManifest site = ParseDashManifest(kSegmentBase, "http://site.test/m/manifest.mpd");
    ASSERT_TRUE(ApplyDashIndex(site.tracks[0], sidx_test::Sidx(0, 12800, 0, 0, {{100, 12800}, {200, 12800}})));
    ASSERT_TRUE(ApplyDashIndex(site.tracks[1], sidx_test::Sidx(0, 44100, 0, 0, {{50, 44100}})));
    const std::vector<std::pair<std::string, DashManifest>> streams{
        {kSegmentBase, site}, {kByteRanges, ParseDashManifest(kByteRanges, "http://site.test/d/manifest.mpd")}};
    for (const auto& [text, manifest] : streams) {
        const std::string local = BuildLocalMpd(text, manifest, "/a2V5-&flag&-0");
        for (const char* gone : {"Range", "range=", "SegmentBase", "SegmentList", "stream0.mp4"})
            EXPECT_EQ(local.find(gone), std::string::npos) << gone << "\n" << local;
        const DashManifest back = ParseDashManifest(local, "http://127.0.0.1:9/a2V5-&flag&-0");
        ASSERT_TRUE(back.IsPlayable()) << local;
        const std::vector<DashEntry> entries = DashEntries(back);
        ASSERT_EQ(entries.size(), DashEntries(manifest).size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].url, "http://127.0.0.1:9/a2V5-&flag&-0/s" + std::to_string(i));
            EXPECT_FALSE(entries[i].range.set);
        }
        for (std::size_t t = 0; t < back.tracks.size(); ++t) {
            EXPECT_EQ(back.tracks[t].timescale, manifest.tracks[t].timescale);
            for (std::size_t i = 0; i < manifest.tracks[t].segments.size(); ++i)
                EXPECT_EQ(back.tracks[t].segments[i].time, manifest.tracks[t].segments[i].time);
        }
    }
}

// The player's manifest keeps the chosen representations only, and read
// back it addresses entry i at "<prefix>/s<i>" with the site's times.
TEST(DashManifest, TheLocalManifestLeadsEveryEntryToThePlayServer)
{
    const DashManifest site = ParseDashManifest(kNumberTimeline, "http://site.test/dash/manifest.mpd");
    const std::string prefix = "/a2V5-&flag&-0";
    const std::string local = BuildLocalMpd(kNumberTimeline, site, prefix);
    EXPECT_EQ(local.find("site.test"), std::string::npos) << local;
    EXPECT_EQ(local.find("BaseURL"), std::string::npos) << local;
    EXPECT_EQ(local.find("avc1.42c00d"), std::string::npos) << "the lower representation is dropped";
    EXPECT_NE(local.find("mp4a.40.2"), std::string::npos) << local;
    const DashManifest back = ParseDashManifest(local, "http://127.0.0.1:9/a2V5-&flag&-0");
    ASSERT_TRUE(back.IsPlayable()) << local;
    ASSERT_EQ(back.tracks.size(), 2u);
    const std::vector<std::string> entries = DashEntryUrls(back);
    ASSERT_EQ(entries.size(), DashEntryUrls(site).size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i], "http://127.0.0.1:9" + prefix + "/s" + std::to_string(i)) << i;
    for (std::size_t t = 0; t < 2; ++t)
        for (std::size_t i = 0; i < site.tracks[t].segments.size(); ++i) {
            EXPECT_EQ(back.tracks[t].segments[i].time, site.tracks[t].segments[i].time);
            EXPECT_EQ(back.tracks[t].segments[i].duration, site.tracks[t].segments[i].duration);
        }
}

}  // namespace
