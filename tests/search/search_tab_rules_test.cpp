// The rules of the search tabs, the related view and the search box: result
// merging and filtering, the page calls (run in a script engine with
// stand-ins for the page's functions, to see that nothing a site sent
// gets out of its string), the related view's fill and the search box.
#include "common/string_table.h"
#include "platform/script/script_engine.h"
#include "search/page_calls.h"
#include "search/relation_fill.h"
#include "search/result_list.h"
#include "search/search_box.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace {

SearchResultItem Item(const std::string& url, const std::string& name = "name", const std::string& image = "img")
{
    SearchResultItem item;
    item.url = url;
    item.name = name;
    item.imageUrl = image;
    return item;
}

SpeedInfoRecord Record(const std::string& pattern, int rate, bool done)
{
    SpeedInfoRecord record;
    record.pattern = pattern;
    record.rate = rate;
    record.done = done;
    return record;
}

std::vector<std::string> Urls(const std::vector<SearchResultItem>& items)
{
    std::vector<std::string> urls;
    for (const auto& item : items)
        urls.push_back(item.url);
    return urls;
}

// The attribute of every item of a result XML text.
std::vector<std::string> Attributes(const std::string& xml, const char* name)
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(xml.c_str())) << xml;
    std::vector<std::string> values;
    for (pugi::xml_node item : document.child("xml").child("root").children("item"))
        values.push_back(item.attribute(name).value());
    return values;
}

// Runs a page call against stand-ins of the page's functions that keep
// their arguments in globals; "ok" is set only when the whole call ran.
struct PageStandIn {
    platform::ScriptEngine engine;
    bool Run(const std::string& call)
    {
        engine.Reset();
        return engine.AddCode(
                   "var nowSortBy = 'rate'; var got = null, got2 = null, got3 = null, got4 = null, got5 = null, "
                   "got6 = null, ok = 'no';"
                   "function getMovieData(a, b, c) { got = a; got2 = String(b); got3 = String(c); }"
                   "function doSort() {} function inputData() {} function RSSRequest(k) { got = k; }"
                   "function makePage(a, b, c, d, e, f) { got = a; got2 = b; got3 = typeof c + ':' + String(c);"
                   "  got4 = typeof d + ':' + String(d); got5 = e; got6 = String(f); }"
                   + call + "ok = 'yes';")
               && engine.GlobalString("ok") == "yes";
    }
    std::string Global(const std::string& name) const { return engine.GlobalString(name).value_or("<none>"); }
};

// Titles a site could send to break out of a script string or into a page.
const std::vector<std::string> kHostileTexts = {
    "it's",
    "back\\slash\\",
    "\\'); pwned = 'yes'; //",
    "</script><script>pwned='yes'</script>",
    "<img src=x onerror=\"pwned='yes'\">",
    "two\r\nlines\u2028and\u2029more",
    "\"double\" & 'single' \\\\'",
};

TEST(ResultListTest, ASecondPageMergesByExactUrl)
{
    std::vector<SearchResultItem> list;
    MergeResults(list, {Item("http://a/1", "first"), Item("http://a/2")});
    SearchResultItem again = Item("http://a/1", "second title");
    MergeResults(list, {again, Item("http://a/3"), Item("http://A/1"), Item("http://a/1/")});
    EXPECT_EQ(Urls(list), (std::vector<std::string>{"http://a/1", "http://a/2", "http://a/3", "http://A/1",
                                                    "http://a/1/"}));
    EXPECT_EQ(list[0].name, "first") << "a shown item keeps its fields";
    // The same URL twice within one page is shown once.
    MergeResults(list, {Item("http://a/4"), Item("http://a/4")});
    EXPECT_EQ(list.size(), 6u);
}

TEST(ResultListTest, OnlyItemsOfListedSitesReachThePageRatedWhenTheirTestHasEnded)
{
    std::vector<SearchResultItem> list = {Item("http://tube/v1"), Item("http://clips/v2"), Item("http://other/v3")};
    std::vector<SpeedInfoRecord> records = {Record("tube", 1200, true), Record("clips", 5000, false)};
    records[1].siteName = "Clips site";
    RateResults(list, &records);
    EXPECT_EQ(list[0].rate, 1200);
    EXPECT_EQ(list[1].rate, 100000) << "an unfinished test leaves the parser's rate";
    EXPECT_EQ(list[2].rate, 100000);

    const std::string xml = BuildResultXml(list, &records);
    EXPECT_EQ(Attributes(xml, "url"), (std::vector<std::string>{"http://tube/v1", "http://clips/v2"}))
        << "no speed record: not shown";
    EXPECT_EQ(Attributes(xml, "mrate"), (std::vector<std::string>{"1200", "100000"}));
    EXPECT_EQ(Attributes(xml, "mimage")[0], "img");
    EXPECT_EQ(Attributes(xml, "playcount")[0], "0");
    EXPECT_EQ(Attributes(xml, "msite")[1], "Clips site");

    // Without the speed information every item is shown, unrated.
    RateResults(list, nullptr);
    EXPECT_EQ(Attributes(BuildResultXml(list, nullptr), "url").size(), 3u);
    // No record at all: nothing is shown.
    const std::vector<SpeedInfoRecord> none;
    EXPECT_TRUE(Attributes(BuildResultXml(list, &none), "url").empty());
    // A negative rate goes out as the unsigned number it is.
    list[0].rate = -1;
    EXPECT_EQ(Attributes(BuildResultXml(list, nullptr), "mrate")[0], "4294967295");
}

// The special page gets the site's own result text; each item gains its
// site's name from the speed information, the rest stays as the site sent
// it, and a site's name with quotes or markup stays inside its attribute.
TEST(ResultListTest, TheSpecialPagesDataNamesEachItemsSiteAsTheSearchTabDoes)
{
    std::vector<SpeedInfoRecord> records = {Record("tube", 1200, true), Record("clips", 5000, false)};
    records[0].siteName = "Demo \"Tube\" </script>";
    records[1].siteName = "Clips site";
    const std::string site = "<xml><root curpage=\"1\">"
                             "<item url=\"http://tube/v1\" imgurl=\"i\" name=\"it's\"><tags><tag>t</tag></tags></item>"
                             "<item url=\"http://other/v2\" msite=\"made up\"></item>"
                             "<item><url>http://clips/v3</url><name>child fields</name></item>"
                             "</root></xml>";
    const std::string named = NameResultSites(site, &records);
    EXPECT_EQ(Attributes(named, "msite"), (std::vector<std::string>{records[0].siteName, "", "Clips site"}))
        << "the program names the sites, never the site itself: " << named;
    EXPECT_EQ(Attributes(named, "name")[0], "it's");
    EXPECT_EQ(Attributes(BuildResultXml({Item("http://tube/v1")}, &records), "msite")[0], records[0].siteName)
        << "one rule for both pages";

    EXPECT_EQ(Attributes(NameResultSites(site, nullptr), "msite"), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(NameResultSites("not <xml", &records), "not <xml") << "a text that is not XML goes as it is";

    PageStandIn page;
    ASSERT_TRUE(page.Run(SpecialResultCall(named)));
    EXPECT_EQ(page.Global("got"), named);
    EXPECT_EQ(page.Global("pwned"), "<none>");
}

TEST(PageCallTest, AnApostropheHasOneBackslashHoweverManyResultsArrive)
{
    std::vector<SearchResultItem> list;
    std::string call;
    for (int page = 0; page < 5; ++page) {
        MergeResults(list, {Item("http://tube/it", "it's a\\b"), Item("http://tube/" + std::to_string(page))});
        call = SearchResultCall(BuildResultXml(list, nullptr));
    }
    EXPECT_EQ(list[0].name, "it's a\\b") << "the stored name is never changed";
    EXPECT_NE(call.find("mtitle=\\\"it\\'s a\\\\b\\\""), std::string::npos) << call;
    EXPECT_EQ(call.find("\\\\'"), std::string::npos) << "an apostrophe with two backslashes: " << call;
    EXPECT_TRUE(call.starts_with("getMovieData('"));
    EXPECT_TRUE(call.ends_with("');doSort(nowSortBy,'','sys');"));
}

TEST(PageCallTest, NothingASiteSendsGetsOutOfItsString)
{
    PageStandIn page;
    for (const std::string& text : kHostileTexts) {
        SCOPED_TRACE(text);
        std::vector<SearchResultItem> list = {Item("http://t/" + text, text, "http://i/" + text)};
        list[0].memo = text;
        const std::string xml = BuildResultXml(list, nullptr);
        const std::string call = SearchResultCall(xml);
        EXPECT_EQ(call.find("</script"), std::string::npos);
        EXPECT_EQ(call.find_first_of("\r\n"), std::string::npos) << "the view removes line breaks before it runs";
        ASSERT_TRUE(page.Run(call)) << call;
        EXPECT_EQ(page.Global("got"), xml) << "the page receives the XML exactly";
        EXPECT_EQ(page.Global("pwned"), "<none>");
        EXPECT_EQ(Attributes(page.Global("got"), "mtitle")[0], text);

        ASSERT_TRUE(page.Run(FeedRequestCall(text)));
        EXPECT_EQ(page.Global("got"), text);

        ASSERT_TRUE(page.Run(RelationCall(BuildRelationXml(list), 4)));
        EXPECT_EQ(page.Global("got"), BuildRelationXml(list));
        EXPECT_EQ(page.Global("got2"), "4");
        EXPECT_EQ(page.Global("got3"), "movie");

        ASSERT_TRUE(page.Run(SpecialResultCall(text)));
        std::string flat = text;
        std::erase_if(flat, [](char c) { return c == '\r' || c == '\n'; });
        EXPECT_EQ(page.Global("got"), flat);
        EXPECT_EQ(page.Global("pwned"), "<none>");
    }
}

TEST(PageCallTest, MakePageTakesNumbersBareAndQuotesAnythingElse)
{
    PageStandIn page;
    ASSERT_TRUE(page.Run(MakePageCall({"Title", "t1 %20", "12", "-3.5", "t4", 2})));
    EXPECT_EQ(page.Global("got"), "Title");
    EXPECT_EQ(page.Global("got2"), "t1 %20");
    EXPECT_EQ(page.Global("got3"), "number:12");
    EXPECT_EQ(page.Global("got4"), "number:-3.5");
    EXPECT_EQ(page.Global("got5"), "t4");
    EXPECT_EQ(page.Global("got6"), "2");
    ASSERT_TRUE(page.Run(MakePageCall({"", "", "true", "null", "", 0})));
    EXPECT_EQ(page.Global("got3"), "boolean:true");
    EXPECT_EQ(page.Global("got4"), "object:null");

    for (const std::string& text : kHostileTexts) {
        SCOPED_TRACE(text);
        for (const std::string& bare : {text, std::string("1);pwned='yes';("), std::string("alert"),
                                        std::string(""), std::string("1."), std::string("0x10")}) {
            ASSERT_TRUE(page.Run(MakePageCall({text, text, bare, bare, text, 1})));
            EXPECT_EQ(page.Global("pwned"), "<none>");
            EXPECT_EQ(page.Global("got3"), "string:" + bare) << "anything but a plain value arrives as text";
            EXPECT_EQ(page.Global("got"), text);
            EXPECT_EQ(page.Global("got5"), text);
        }
    }
}

TEST(RelationFillTest, SearchItemsFirstThenTheDefaultsRoundFromTheStart)
{
    const std::vector<SearchResultItem> found = {Item("s1"), Item("s2", ""), Item("s3", "n", ""), Item("", "n"),
                                                 Item("s4")};
    const std::vector<SearchResultItem> defaults = {Item("d0"), Item("d1"), Item("d2", ""), Item("d3")};
    EXPECT_EQ(Urls(FillRelationItems(found, defaults, 1, 0)), (std::vector<std::string>{"s1"}));
    EXPECT_EQ(Urls(FillRelationItems(found, defaults, 4, 1)), (std::vector<std::string>{"s1", "s4", "d1", "d3"}))
        << "unusable items are skipped on both lists";
    EXPECT_EQ(Urls(FillRelationItems(found, defaults, 5, 3)),
              (std::vector<std::string>{"s1", "s4", "d3", "d0", "d1"}))
        << "the defaults wrap round from the start";
    EXPECT_EQ(Urls(FillRelationItems({}, defaults, 4, 1001)), (std::vector<std::string>{"d1", "d3", "d0"}))
        << "a start past the end wraps; a short list gives no video twice";
    EXPECT_TRUE(FillRelationItems(found, defaults, 0, 0).empty());
    EXPECT_TRUE(FillRelationItems({}, {}, 6, 5).empty());
}

TEST(SearchBoxTest, TheSchemeAddressOfAKeywordOrNothing)
{
    const std::string hint = LoadString(IDS_SEARCH_BOX_HINT);
    const std::vector<SearchCategory> categories = {{"视频", "", {"Demo Tube"}}, {"栏目", "hj", {"Demo Clips"}},
                                                    {"音乐", "hjx", {}}};
    EXPECT_EQ(SearchBoxUrl("  love song ", hint, categories, ""), "searchxev://视频&&&love song");
    EXPECT_EQ(SearchBoxUrl("news", hint, categories, "栏目"), "searchcolxev://栏目&&&news");
    EXPECT_EQ(SearchBoxUrl("news", hint, categories, "音乐"), "searchxev://音乐&&&news") << "flags exactly \"hj\"";

    EXPECT_EQ(SearchBoxUrl("", hint, categories, ""), std::nullopt);
    EXPECT_EQ(SearchBoxUrl(" \t \xE3\x80\x80 ", hint, categories, ""), std::nullopt) << "only blanks";
    EXPECT_EQ(SearchBoxUrl(hint, hint, categories, ""), std::nullopt) << "the hint is no keyword";
    EXPECT_EQ(SearchBoxUrl(" " + hint + " ", hint, categories, ""), std::nullopt);
    EXPECT_EQ(SearchBoxUrl("news", hint, {}, ""), std::nullopt) << "no category list yet";
    EXPECT_EQ(SearchBoxUrl("news", hint, categories, "none such"), std::nullopt);

    std::string long_text;
    while (long_text.size() < 5000)
        long_text += "长a";
    const auto url = SearchBoxUrl(long_text, hint, categories, "");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(*url, "searchxev://视频&&&" + long_text) << "a long keyword is kept whole";
}

}  // namespace
