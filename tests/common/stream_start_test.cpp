// The one judgement of a stream's first bytes that detection, the download
// manager, the play server and the player share.
#include "common/stream_start.h"

#include <gtest/gtest.h>

#include <string>

namespace {

StreamStart Kind(const std::string& bytes)
{
    return ClassifyStreamStart(bytes.data(), bytes.size());
}

std::string Ftyp(const std::string& major, const std::string& compatible = {})
{
    const auto size = static_cast<char>(16 + compatible.size());
    return std::string("\0\0\0", 3) + size + "ftyp" + major + std::string("\0\0\x02\0", 4) + compatible;
}

TEST(StreamStartTest, FlvNeedsItsWholeHeaderAndOneByteMore)
{
    const std::string flv("FLV\x01\x05\0\0\0\x09", 9);
    EXPECT_EQ(Kind(flv + "x"), StreamStart::Flv);
    EXPECT_EQ(Kind(flv), StreamStart::Undecided) << "the header alone may be followed by its tags";
    EXPECT_EQ(Kind(flv.substr(0, 3)), StreamStart::Undecided);
    std::string otherVersion = flv + "x";
    otherVersion[3] = 2;
    EXPECT_EQ(Kind(otherVersion), StreamStart::None);
    std::string otherHeaderSize = flv + "x";
    otherHeaderSize[8] = 10;
    EXPECT_EQ(Kind(otherHeaderSize), StreamStart::None);
    EXPECT_EQ(Kind("FLAC data"), StreamStart::None);
}

TEST(StreamStartTest, Mp4CountsByEveryBrandFilesCarryToday)
{
    for (const std::string brand : {"isom", "mp42", "mp41", "avc1", "iso2", "iso6", "dash", "M4V ", "f4v ", "qt  ",
                                    "3gp4", "3gp6", "3g2a", "cmfc"})
        EXPECT_EQ(Kind(Ftyp(brand) + "x"), StreamStart::Mp4) << brand;
    // A vendor's own major brand still counts when an MP4 brand is compatible.
    EXPECT_EQ(Kind(Ftyp("XAVC", "XAVCmp42") + "x"), StreamStart::Mp4);
    EXPECT_EQ(Kind(Ftyp("M4A ", "M4A mp42isom") + "x"), StreamStart::Mp4);
    EXPECT_EQ(Kind(Ftyp("heic", "mif1heic")), StreamStart::None) << "an image in the same box format";
    // Too few bytes to see the brand or the compatible ones: undecided.
    EXPECT_EQ(Kind(Ftyp("isom").substr(0, 9)), StreamStart::Undecided);
    EXPECT_EQ(Kind(Ftyp("XAVC", "XAVCmp42").substr(0, 20)), StreamStart::Undecided);
    EXPECT_EQ(Kind(std::string("\0\0\0\x20moov", 8)), StreamStart::None);
    EXPECT_EQ(Kind(std::string("\0", 1)), StreamStart::Undecided);
}

TEST(StreamStartTest, ManifestsByTheirMarksAndEverythingElseIsNone)
{
    EXPECT_EQ(Kind("#EXTM3U\n#EXT-X-VERSION:3\n"), StreamStart::HlsManifest);
    EXPECT_EQ(Kind("\xEF\xBB\xBF#EXTM3U\n"), StreamStart::HlsManifest);
    EXPECT_EQ(Kind("#EXT"), StreamStart::Undecided);
    EXPECT_EQ(Kind("<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\">"),
              StreamStart::DashManifest);
    EXPECT_EQ(Kind("<html><body>&lt;MPD</body></html>"), StreamStart::None);
    EXPECT_EQ(Kind("{\"<MPD\": 1}"), StreamStart::None);
    EXPECT_EQ(Kind("<html><body>not here</body></html>"), StreamStart::None);
    EXPECT_EQ(Kind(""), StreamStart::Undecided);
}

TEST(StreamStartTest, OnlyVideosHaveAMediaType)
{
    EXPECT_EQ(MediaTypeOf(StreamStart::Flv), "video/x-flv");
    EXPECT_EQ(MediaTypeOf(StreamStart::Mp4), "video/mp4");
    EXPECT_EQ(MediaTypeOf(StreamStart::HlsManifest), "");
    EXPECT_EQ(MediaTypeOf(StreamStart::Undecided), "");
}

}  // namespace
