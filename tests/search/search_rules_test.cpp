// The rules of the search that need neither a display nor the network: the
// list files' cipher and reader, the XML walk, categories and speed records.
#include "search/link_script.h"
#include "search/list_cipher.h"
#include "search/list_file.h"
#include "search/search_category.h"
#include "search/search_result.h"
#include "search/speed_info.h"
#include "search/xml_walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ListCipherTest, Base64ThenTheRepeatingKey)
{
    // 'A' ^ '7' = 0x76, 'B' ^ 'E' = 0x07; the bytes 76 07 in Base64 are "dgc=".
    EXPECT_EQ(DecipherListFile("dgc="), "AB");
    EXPECT_EQ(EncipherListFile("AB"), "dgc=");
    // Characters outside the alphabet (line breaks, blanks, "=") are skipped.
    EXPECT_EQ(DecipherListFile("CzddDkAY\r\nNVVLEVgr KA4XchRMDg=="), "<root version=\"3\"/>");
    EXPECT_EQ(DecipherListFile(""), "");
    // The key repeats from its first character past 32 bytes.
    const std::string long_text(100, 'x');
    EXPECT_EQ(DecipherListFile(EncipherListFile(long_text)), long_text);
    const std::string enciphered = EncipherListFile(std::string(64, '\0'));
    EXPECT_EQ(DecipherListFile(enciphered).substr(32), std::string(32, '\0'));
}

TEST(ListFileTest, RecordsTakeTheirTextsAndTheRootItsVersion)
{
    const ParsedList list = ParseListText(
        "<root version=\"7\"><i><n>one</n><s>parse</s><l>link</l><c>utf-8</c></i>"
        "<i><n>two</n><s>p2</s><c>ajax5</c></i></root>");
    ASSERT_TRUE(list.loaded);
    EXPECT_EQ(list.version, 7);
    ASSERT_EQ(list.records.size(), 2u);
    EXPECT_EQ(list.records[0].linkScript, "link");
    EXPECT_EQ(list.records[0].name, "one");
    EXPECT_EQ(list.records[0].parseScript, "parse");
    EXPECT_EQ(list.records[0].coding, "utf-8");
    EXPECT_EQ(list.records[1].linkScript, "") << "a missing \"l\" leaves the field empty";
    EXPECT_EQ(list.records[1].name, "two");
    EXPECT_TRUE(list.records[1].requestUrl.empty());

    // CDATA scripts, and a record's texts never leak into the next one.
    const ParsedList scripts = ParseListText(
        "<root version=\"1\"><i><n>a</n><s><![CDATA[if (x < 2 && y) {}]]></s></i><i><n>b</n></i></root>");
    ASSERT_EQ(scripts.records.size(), 2u);
    EXPECT_EQ(scripts.records[0].parseScript, "if (x < 2 && y) {}");
    EXPECT_EQ(scripts.records[1].parseScript, "");

    EXPECT_FALSE(ParseListText("").loaded);
    EXPECT_FALSE(ParseListText("not xml at all <").loaded);
    const ParsedList empty = ParseListText("<root version=\"9\"></root>");
    EXPECT_TRUE(empty.loaded);
    EXPECT_TRUE(empty.records.empty());
}

TEST(ListFileTest, AVersionThatIsNoNumberReadsAsZero)
{
    EXPECT_EQ(ParseListVersion("6"), 6);
    EXPECT_EQ(ParseListVersion(" 6\r\n"), 6);
    EXPECT_EQ(ParseListVersion("abc"), 0);
    EXPECT_EQ(ParseListVersion("-5"), -5) << "a negative number is a number, and never newer";
    EXPECT_EQ(ParseListVersion("99999999999999999999"), 0);
    EXPECT_EQ(ParseListVersion(""), 0);
    EXPECT_EQ(ParseListVersion("6x"), 0);
}

// Records the callbacks as a flat trace.
class Trace : public IMSXmlParseHandle {
public:
    int OnStartElement(const TOLMsXmlPaserDecorate& element) override
    {
        std::string id;
        trace += "<" + element.Name() + (element.GetAttribute("id", id) ? "#" + id : "");
        return element.Name() != stopAt;
    }
    int OnEndElement(const TOLMsXmlPaserDecorate& element) override
    {
        trace += ">" + element.Name();
        return 1;
    }
    int OnText(const std::string& text, const TOLMsXmlPaserDecorate& element) override
    {
        trace += "[" + text + "@" + element.Name() + "]";
        return 1;
    }
    std::string trace;
    std::string stopAt;
};

TEST(XmlWalkerTest, ElementsInDocumentOrderWithTheirTextsAndAStartThatStops)
{
    Trace walk;
    EXPECT_TRUE(WalkXmlText("<a id=\"1\">x<b>y</b><c/>z</a>", walk));
    EXPECT_EQ(walk.trace, "<a#1[x@a]<b[y@b]>b<c>c[z@a]>a");

    Trace stopped;
    stopped.stopAt = "b";
    EXPECT_TRUE(WalkXmlText("<a><b><x/></b><c/></a>", stopped));
    EXPECT_EQ(stopped.trace, "<a<b");

    Trace none;
    EXPECT_FALSE(WalkXmlText("<a><b></a>", none));
    EXPECT_EQ(none.trace, "") << "a document that does not load is not walked";

    // A deep document does not exhaust the stack.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<d>";
    for (int i = 0; i < 100000; ++i)
        deep += "</d>";
    Trace deepWalk;
    EXPECT_TRUE(WalkXmlText(deep, deepWalk));
}

TEST(SearchCategoryTest, CategoriesSelectAndNarrowTheRequests)
{
    const std::vector<SearchSite> list = {{"", "hot music", "SiteA|SiteB", "", ""},
                                          {"", "music", "SiteC", "hj", ""},
                                          {"", "films", "", "", ""}};
    const std::vector<SearchCategory> categories = BuildCategories(list);
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].siteNames, (std::vector<std::string>{"SiteA", "SiteB"}));
    EXPECT_EQ(categories[1].flags, "hj");
    EXPECT_EQ(categories[2].siteNames, (std::vector<std::string>{""}));

    EXPECT_EQ(SelectCategory(categories, "")->name, "hot music") << "no name: the first";
    EXPECT_EQ(SelectCategory(categories, "music")->name, "hot music") << "the first whose name contains it";
    EXPECT_EQ(SelectCategory(categories, "none"), nullptr);
    EXPECT_EQ(SelectCategory({}, ""), nullptr);

    const auto request = [](const std::string& site) { return SearchRequest{"http://" + site, {"", site, "", "", ""}}; };
    std::vector<SearchRequest> requests = {request("SiteC"), request("SiteB"), request("sitea"), request("SiteA")};
    FilterRequestsByCategory(requests, categories, "hot");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].site.name, "SiteB");
    EXPECT_EQ(requests[1].site.name, "SiteA");
    std::vector<SearchRequest> untouched = {request("SiteC")};
    FilterRequestsByCategory(untouched, categories, "none");
    EXPECT_EQ(untouched.size(), 1u) << "no category selected: every request stays";
}

TEST(SpeedInfoTest, RatesOffsetsAndTheFirstMatchingPattern)
{
    const SpeedInfoRecord measured = MakeSpeedInfoRecord({"200|5000", "videos.test", "http://videos.test/t", "Videos", ""});
    EXPECT_EQ(measured.pattern, "videos.test");
    EXPECT_EQ(measured.testUrl, "http://videos.test/t");
    EXPECT_EQ(measured.siteName, "Videos");
    EXPECT_EQ(measured.offset, 200);
    EXPECT_EQ(measured.rate, 5000);
    EXPECT_FALSE(measured.done);
    EXPECT_EQ(MeasuredRate(1200, measured.offset), 1000);
    const SpeedInfoRecord plain = MakeSpeedInfoRecord({"5000", "p", "", "", ""});
    EXPECT_EQ(plain.rate, 7000);
    EXPECT_EQ(plain.offset, 0);
    EXPECT_EQ(MakeSpeedInfoRecord({"", "p", "", "", ""}).rate, 7000);
    EXPECT_EQ(MakeSpeedInfoRecord({"a|b", "p", "", "", ""}).rate, 0) << "numbers that do not convert are 0";

    std::vector<SpeedInfoRecord> records = {MakeSpeedInfoRecord({"", "x", "", "X", ""}),
                                            MakeSpeedInfoRecord({"", "yx", "", "YX", ""})};
    EXPECT_EQ(FindSpeedRecord(records, "http://a.yx/v")->siteName, "X") << "x occurs too, and comes first";
    EXPECT_EQ(FindSpeedRecord(records, "http://a.b/v"), nullptr);
    records.insert(records.begin(), MakeSpeedInfoRecord({"", "", "", "any", ""}));
    EXPECT_EQ(FindSpeedRecord(records, "http://a.b/v")->siteName, "any") << "an empty pattern matches every URL";
}

}  // namespace

namespace {

TEST(LinkScriptTest, KeywordsAreEncodedAsTheSiteCodingWants)
{
    EXPECT_EQ(EncodeKeyword("love song", "gb2312"), "love%20song");
    EXPECT_EQ(EncodeKeyword("love song", "UTF-8"), "love song");
    EXPECT_EQ(EncodeKeyword("love song", "ajax3"), "love song");
    EXPECT_EQ(EncodeKeyword("a!'()*-./:_~%b&=?+#\"", "gbk"), "a!'()*-./:_~%b%26%3d%3f%2b%23%22");
    EXPECT_EQ(EncodeKeyword("\xc4\xe3", "gb2312"), "%c4%e3") << "bytes, lower-case hex";
}

TEST(LinkScriptTest, OnlyThePageThenTheKeywordAreFilledIn)
{
    EXPECT_EQ(FormatLinkScript("ret='/s?p=%d&q=%s';", 2, "abc"), "ret='/s?p=2&q=abc';");
    EXPECT_EQ(FormatLinkScript("ret='/s?p=%d';", 3, "abc"), "ret='/s?p=3';");
    EXPECT_EQ(FormatLinkScript("ret='/s?q=x%%20y';", 1, "k"), "ret='/s?q=x%20y';");
    EXPECT_EQ(FormatLinkScript("ret='/s';", 1, "k"), "ret='/s';");
    // A keyword cannot end the script's string or reach another conversion.
    EXPECT_EQ(FormatLinkScript("ret='%d/%s';", 1, "it's \"x\" \\ %s\n\x01"),
              "ret='1/it\\'s \\\"x\\\" \\\\ %s\\n\\x01';");
    for (const char* broken : {"ret='%s%d';", "ret='%s';", "ret='%d%d';", "ret='%d%s%s%s%s%s';", "ret='%n';",
                               "ret='%d%x';", "ret='%5d';", "ret='%"})
        EXPECT_EQ(FormatLinkScript(broken, 1, "k"), std::nullopt) << broken;
}

TEST(SearchResultTest, ItemsTakeTheirAttributesAllOrNothing)
{
    const auto items = ParseSearchResult(
        "<root curpage=\"1\">"
        "<item url=\"u1\" imgurl=\"i1\" name=\"n1\" memo=\"m1\" vcount=\"7\" playcount=\"x\">"
        "<tags><tag>a</tag><tag>b</tag></tags></item>"
        "<item url=\"u2\" imgurl=\"i2\" name=\"n2\" memo=\"m2\" vcount=\"\" playcount=\"3\"><tags><tag>c</tag></tags></item>"
        "<item url=\"u3\" imgurl=\"i3\" name=\"n3\" vcount=\"9\" playcount=\"9\"/>"
        "<item url=\"u4\" name=\"n4\"><tags><tag>lost</tag></tags></item>"
        "</root>");
    ASSERT_EQ(items.size(), 3u) << "an item without its image is dropped";
    EXPECT_EQ(items[0].url, "u1");
    EXPECT_EQ(items[0].imageUrl, "i1");
    EXPECT_EQ(items[0].name, "n1");
    EXPECT_EQ(items[0].viewCount, 7);
    EXPECT_EQ(items[0].playCount, 0) << "a count that does not convert";
    EXPECT_EQ(items[0].rate, 100000);
    EXPECT_EQ(items[0].tags, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(items[1].viewCount, 0);
    EXPECT_EQ(items[1].memo, "m2");
    EXPECT_EQ(items[1].tags, std::vector<std::string>{"c"}) << "never the previous item's tags";
    EXPECT_EQ(items[2].viewCount, 0) << "without memo the counts are not taken either";
    EXPECT_EQ(items[2].memo, "");
    EXPECT_TRUE(ParseSearchResult("<html><b>not xml").empty());

    std::string many = "<root>";
    for (int i = 0; i < 1500; ++i)
        many += "<item url=\"u\" imgurl=\"i\" name=\"n\"/>";
    EXPECT_EQ(ParseSearchResult(many + "</root>").size(), kMaxResultItems);
}

}  // namespace
