// The texts of the detection and segment services (requests built, answers
// accepted) and where segment records land in the play list.
#include "common/base64.h"
#include "common/composite.h"
#include "common/md5.h"
#include "detection/detection_service.h"
#include "detection/segment_records.h"
#include "records/info_video.h"

#include <gtest/gtest.h>

namespace {

using namespace detection_service;

const std::string kPage = "http://v.example/watch?id=7";

TEST(DetectionServiceText, LookupAndReportsCarryTheDigestsAndTheEncodedTexts)
{
    const std::string m = Md5Hex(kPage);
    EXPECT_EQ(LookupUrl("http://s:5678/c.quelt?", kPage),
              "http://s:5678/c.quelt?c=g&m=" + m + "&url=" + Base64Encode(kPage));
    const std::string signedPrefix = "P?c=r&m=" + m + "&v=" + Md5Hex(m + "B29D40615E7A4f1a903CE52A8D6B1F48");
    EXPECT_EQ(ReportUrl("P?", kPage, "d", "d"), signedPrefix + "&x=d");
    EXPECT_EQ(ReportUrl("P?", kPage, "http://c/v.flv", kPage),
              signedPrefix + "&x=" + Base64Encode("http://c/v.flv\r" + kPage));
}

TEST(DetectionServiceText, SegmentQueriesEscapeAllButTheirPlainBytesAndStopBeforeTheLimit)
{
    EXPECT_EQ(EscapeForSegmentQuery("http://c.example/a b?x=1&y=%41~_!'()*"),
              "http://c.example/a%20b%3fx%3d1%26y%3d%41~_!'()*");
    EXPECT_EQ(EscapeForSegmentQuery(std::string("\x00\xff\"#$+,;<@[^`{}\x7f", 16)),
              "%00%ff%22%23%24%2b%2c%3b%3c%40%5b%5e%60%7b%7d%7f");

    // 2045 plain bytes leave room for one escape, which ends exactly at
    // 2048, 2046 for none, and plain bytes go on to 2048.
    const std::string plain(2045, 'a');
    EXPECT_EQ(EscapeForSegmentQuery(plain + "  "), plain + "%20");
    EXPECT_EQ(EscapeForSegmentQuery(plain + "a bbb"), plain + "a");
    EXPECT_EQ(EscapeForSegmentQuery(std::string(3000, 'a')), std::string(kSegmentQueryLimit, 'a'));
    EXPECT_EQ(SegmentQueryUrl("S?url=", "a/b"), "S?url=a/b");
}

TEST(DetectionServiceText, OnlyAFramedPairIsALookupAnswer)
{
    const auto answer = [](const std::string& payload) { return "<\r" + Base64Encode(payload) + "\r>"; };
    const auto stream = ParseLookupAnswer(answer("http://c/v.flv\rhttp://v/page"));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->url, "http://c/v.flv");
    EXPECT_EQ(stream->referer, "http://v/page");
    // Empty pieces fall away, so doubled CRs still match, and so do CR LF
    // line ends.
    EXPECT_TRUE(ParseLookupAnswer("<\r\r" + Base64Encode("u\rr") + "\r\r>"));
    for (const std::string& crLf : {"<\r\n" + Base64Encode("u\rr") + "\r\n>", "<\r\n" + Base64Encode("u\rr") + "\r\n>\r\n",
                                    "<\r" + Base64Encode("u\rr") + "\r\n>"}) {
        const auto framed = ParseLookupAnswer(crLf);
        ASSERT_TRUE(framed) << crLf;
        EXPECT_EQ(framed->url, "u");
        EXPECT_EQ(framed->referer, "r");
    }

    for (const std::string& other :
         {answer("http://c/v.flv"), answer("a\rb\rc"), "<\r" + Base64Encode("u\rr") + "\rextra\r>",
          std::string("<\r>"), std::string(), std::string("<\r\0\r>", 5), std::string(1 << 20, '<')})
        EXPECT_FALSE(ParseLookupAnswer(other)) << other.substr(0, 40);

    // A truncated payload decodes to what it holds: one piece, no answer.
    const std::string full = Base64Encode("http://c/v.flv\rhttp://v/page");
    EXPECT_FALSE(ParseLookupAnswer("<\r" + full.substr(0, 12) + "\r>"));
    // The text ends at a zero byte.
    EXPECT_FALSE(ParseLookupAnswer(std::string("<\r", 2) + std::string(1, '\0') + answer("u\rr")));
}

// What a report says of a stream found without a Referer, a lookup that
// the service answers with it takes back: the stream and an empty referer.
TEST(DetectionServiceText, AReportedStreamWithoutARefererComesBackFromALookup)
{
    const std::string report = ReportUrl("P?", kPage, "http://c/v.flv", "");
    const std::string x = report.substr(report.find("&x=") + 3);
    const auto stream = ParseLookupAnswer("<\r" + x + "\r>");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->url, "http://c/v.flv");
    EXPECT_EQ(stream->referer, "");
}

TEST(DetectionServiceText, ASegmentListIsEverythingBetweenTheMarks)
{
    EXPECT_EQ(ParseSegmentAnswer("<\rhttp://c/1\rhttp://c/2\r>"), (std::vector<std::string>{"http://c/1", "http://c/2"}));
    EXPECT_TRUE(ParseSegmentAnswer("<\r>").empty());
    EXPECT_EQ(ParseSegmentAnswer("<\r\nhttp://c/1\r\nhttp://c/2\r\n>\r\n"), (std::vector<std::string>{"http://c/1", "http://c/2"}));
    EXPECT_TRUE(ParseSegmentAnswer("http://c/1").empty());
}

class SegmentRecords : public ::testing::Test {
protected:
    InfoVideo* Add(const std::string& key, const std::string& title = "")
    {
        auto* video = new InfoVideo;
        video->a2 = key;
        video->a1 = title;
        list.PCL_PushObject(video);
        return video;
    }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const InfoVideo* video : list)
            keys.push_back(video->a2);
        return keys;
    }
    PCL_Interface_Composite<InfoVideo> list;
};

TEST_F(SegmentRecords, SegmentsLandAfterThePageInTheOrderOfTheirNumbers)
{
    Add("http://other/1");
    Add(kPage, "Seven");
    Add("http://other/2");
    InfoVideo* third = AddSegmentRecord(list, kPage, 3, "http://c/3");
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->a1, "Seven 3");
    EXPECT_EQ(third->a0, "2");
    EXPECT_EQ(third->a4, "http://c/3");
    AddSegmentRecord(list, kPage, 1, "http://c/1");
    AddSegmentRecord(list, kPage, 5, "http://c/5");
    AddSegmentRecord(list, kPage, 2, "http://c/2");
    EXPECT_EQ(Keys(), (std::vector<std::string>{"http://other/1", kPage, kPage + " 1", kPage + " 2", kPage + " 3",
                                                kPage + " 5", "http://other/2"}));

    // A known segment only takes the new address.
    EXPECT_EQ(AddSegmentRecord(list, kPage, 2, "http://c/2b"), list.PCL_GetObject(3));
    EXPECT_EQ(list.PCL_GetObject(3)->a4, "http://c/2b");
    EXPECT_EQ(list.PCL_GetObjectCount(), 7u);
}

// The page may stand after its segments (removed and added again) and the
// segments in any order: a segment is placed once, beside its siblings.
TEST_F(SegmentRecords, ASegmentIsPlacedOnceBesideItsSiblingsWhateverTheOrder)
{
    Add(kPage + " 1");
    Add(kPage + " 3");
    Add(kPage, "Seven");
    ASSERT_NE(AddSegmentRecord(list, kPage, 2, "http://c/2"), nullptr);
    EXPECT_EQ(Keys(), (std::vector<std::string>{kPage + " 1", kPage + " 2", kPage + " 3", kPage}));

    list.PCL_DeleteAllObjects();
    Add(kPage, "Seven");
    Add(kPage + " 1");
    Add(kPage + " 5");
    InfoVideo* two = Add(kPage + " 2");
    EXPECT_EQ(AddSegmentRecord(list, kPage, 2, "http://c/2b"), two);
    EXPECT_EQ(two->a4, "http://c/2b");
    AddSegmentRecord(list, kPage, 4, "http://c/4");
    AddSegmentRecord(list, kPage, 0, "http://c/0");
    // Right after the nearest lower number, or before the nearest higher.
    EXPECT_EQ(Keys(), (std::vector<std::string>{kPage, kPage + " 0", kPage + " 1", kPage + " 5", kPage + " 2", kPage + " 4"}));
}

TEST_F(SegmentRecords, NoPageNoSegmentAndOtherPagesAreNotSegments)
{
    EXPECT_EQ(AddSegmentRecord(list, kPage, 1, "http://c/1"), nullptr);
    EXPECT_EQ(list.PCL_GetObjectCount(), 0u);

    // A page whose address merely extends this one's is a page of its own.
    Add(kPage, "Seven");
    Add(kPage + "0", "Seventy");
    Add(kPage + " x", "Not a number");
    AddSegmentRecord(list, kPage, 1, "http://c/1");
    EXPECT_EQ(Keys(), (std::vector<std::string>{kPage, kPage + " 1", kPage + "0", kPage + " x"}));
    EXPECT_EQ(SegmentNumberOf(kPage + " 12", kPage), 12);
    EXPECT_EQ(SegmentNumberOf(kPage + "0", kPage), -1);
    EXPECT_EQ(SegmentNumberOf(kPage + " 1x", kPage), -1);
}

}  // namespace
