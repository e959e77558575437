// The multi-site search in real QtWebEngine (offscreen) over the demo's
// video sites: each site's page loads, its parse script reads it, and the
// results reach the subscriber; a page that never finishes times out; bad
// parse scripts end by the rules. One engine for all cases.
#include "common/app_folder.h"
#include "platform/web/player_page_view.h"
#include "search/list_keeper.h"
#include "search/multi_search.h"
#include "search/views/parse_html_view.h"
#include "support/event_wait.h"
#include "test_site/demo_lists.h"
#include "test_site/demo_search_sites.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::RunEventsUntil;

class Collector : public I_QueltMultiSearchEvent {
public:
    std::vector<std::vector<SearchResultItem>> results;
    std::vector<std::string> xmls;
    std::vector<std::string> timeouts;
    std::vector<std::string> requested;
    int finished = 0;

    void OnSearchResult(const std::vector<SearchResultItem>& items, const std::string& xml) override
    {
        results.push_back(items);
        xmls.push_back(xml);
    }
    void OnSearchStart(std::vector<SearchRequest>& requests) override
    {
        for (const SearchRequest& request : requests)
            requested.push_back(request.url);
    }
    void OnSiteTimeout(const std::string& url) override { timeouts.push_back(url); }
    void OnSearchFinished() override { ++finished; }
};

class SearchViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform::PrepareWebEngineEnvironment();
        folder = (fs::temp_directory_path() / ("quelt-search-view-" + std::to_string(::getpid()))).string() + "/";
        fs::create_directories(folder);
        SetAppFolderForTesting(folder);
        sites = std::make_unique<test_site::DemoSearchSites>();
        ASSERT_TRUE(sites->Start(0, test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 2)));
        lists = std::make_unique<test_site::TestSite>();
        ASSERT_TRUE(lists->Start());
        test_site::PublishDemoLists(*lists, sites.get());
        // The site list reaches the cache as the search view manager fetches it.
        CListKeeper keeper;
        keeper.CheckForUpdate(lists->Url("/file/8/f.xml"));
        ASSERT_TRUE(RunEventsUntil([&] { return keeper.List().size() == 4 && keeper.GetDownloadCount() == 0; }));
    }
    static void TearDownTestSuite()
    {
        sites.reset();
        lists.reset();
        SetAppFolderForTesting("");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void SetUp() override
    {
        search = std::make_unique<CQueltMultiSearch>(CQueltParseHtmlView::Factory(),
                                                     CQueltMultiSearch::Timing{200, 20});
        search->Advise(&collector);
        search->Initialize(lists->Url("/file/8/f.xml"));
    }
    void TearDown() override
    {
        search->Unadvise(&collector);
        search.reset();
    }
    bool WaitFinished(int count = 1)
    {
        return RunEventsUntil([&] { return collector.finished >= count; }, std::chrono::seconds(60));
    }
    std::string Host(const std::string& name) const
    {
        for (const auto& site : sites->Sites())
            if (site.name == name)
                return site.Host();
        return {};
    }

    inline static std::string folder;
    inline static std::unique_ptr<test_site::DemoSearchSites> sites;
    inline static std::unique_ptr<test_site::TestSite> lists;
    Collector collector;
    std::unique_ptr<CQueltMultiSearch> search;
};

TEST_F(SearchViewTest, EveryDemoSiteAnswersAndTheSlowOneTimesOut)
{
    search->Search("测试 it's", 1);
    ASSERT_TRUE(WaitFinished());
    ASSERT_EQ(collector.requested.size(), 4u);
    ASSERT_EQ(collector.timeouts.size(), 1u);
    EXPECT_EQ(collector.timeouts[0].rfind(Host("Demo Slow"), 0), 0u) << collector.timeouts[0];
    ASSERT_EQ(collector.results.size(), 3u) << "GBK, Clips (after its delay) and Tube, in that order";

    const auto& gbk = collector.results[0];
    ASSERT_EQ(gbk.size(), 3u);
    EXPECT_EQ(gbk[0].name, "演示视频 测试 it's 1") << "the keyword went in GBK and came back";
    const auto& clips = collector.results[1];
    ASSERT_EQ(clips.size(), 5u) << "filled in by the page's script before the delayed parse";
    EXPECT_EQ(clips[4].name, "测试 it's clip 5");
    const auto& tube = collector.results[2];
    ASSERT_EQ(tube.size(), 20u);
    EXPECT_EQ(tube[0].name, "测试 it's video 1");
    EXPECT_EQ(tube[0].url, Host("Demo Tube") + "/watch/1.html");
    EXPECT_EQ(tube[0].imageUrl, Host("Demo Tube") + "/thumb/1.svg");
    EXPECT_EQ(tube[0].viewCount, 10);
    EXPECT_EQ(tube[0].memo, "Demo Tube");
    EXPECT_EQ(tube[0].tags, (std::vector<std::string>{"demo", "tube"}));
    EXPECT_EQ(tube[0].rate, 100000);

    // The next page, and a search over it that starts again at once.
    search->Search("more", 3);
    search->Search("again", 3);
    ASSERT_TRUE(WaitFinished(2));
    ASSERT_EQ(collector.results.size(), 6u);
    EXPECT_EQ(collector.results[5].size(), 5u) << "page 3 of 45 videos, 20 a page";
    EXPECT_EQ(collector.results[5][0].name, "again video 41");
}

TEST_F(SearchViewTest, BadParseScriptsEndByTheRulesAndTheNextSearchWorks)
{
    const std::string page = Host("Demo Tube") + "/search?page=%d&q=%s";
    const std::vector<std::pair<std::string, std::string>> scripts = {
        {"throws", "throw new Error('broken');"},
        {"syntax", "var x = ;"},
        {"silent", "var nothing = 1;"},
        {"twice", "OutputResult([]); var r = new searchres(); r.url='u'; r.imgurl='i'; r.name='n'; OutputResult([r]);"},
        {"many", "var a=[]; for (var i=0;i<100000;i++){var r=new searchres(); r.url='u'+i; r.imgurl='i'; r.name='n'; a.push(r);} OutputResult(a);"},
        {"html", "document.open(); document.write('<div id=SEARCH_QUELT_ID><p>not <b>xml</div>'); document.close();"},
        {"huge", "var r = new searchres(); r.url='u'; r.imgurl='i'; r.name=new Array(10*1024*1024).join('x'); OutputResult([r]);"},
        {"huge page", "document.open(); document.write('<div id=SEARCH_QUELT_ID>' + new Array(10*1024*1024).join('<') + '</div>'); document.close();"},
    };
    std::map<std::string, std::size_t> items;
    std::map<std::string, bool> timedOut;
    for (const auto& [name, script] : scripts) {
        SCOPED_TRACE(name);
        collector = Collector();
        search->ClearSites();
        search->SetSingleSite({"ret = '" + page + "';", name, script, "utf-8", ""});
        search->Search("k", 1);
        ASSERT_TRUE(WaitFinished());
        timedOut[name] = !collector.timeouts.empty();
        items[name] = collector.results.empty() ? 0 : collector.results[0].size();
    }
    EXPECT_TRUE(timedOut["throws"]);
    EXPECT_TRUE(timedOut["syntax"]);
    EXPECT_FALSE(timedOut["silent"]) << "parsed, with no items";
    EXPECT_EQ(items["silent"], 0u);
    EXPECT_EQ(items["twice"], 1u) << "the last call wins";
    EXPECT_EQ(items["many"], kMaxResultItems);
    EXPECT_EQ(items["html"], 0u);
    EXPECT_FALSE(timedOut["html"]);
    EXPECT_EQ(items["huge"], 1u) << "10 MB of text: the name is cut at 4,096 characters";
    EXPECT_EQ(items["huge page"], 0u) << "parsed without items, or given up at its time-out";
}

TEST_F(SearchViewTest, ResultPagesThatRedirectFailOrAreBinaryTimeOutAndLongKeywordsGoThrough)
{
    test_site::TestSite pages;
    ASSERT_TRUE(pages.Start());
    pages.SetHandler("/redirect", [](const test_site::RecordedRequest&) {
        return std::string("<html><script>location.replace('/elsewhere');</script></html>");
    }, "text/html");
    pages.AddFile("/elsewhere", "<html><body>moved</body></html>", "text/html");
    pages.AddFile("/missing", "x", "text/html");
    test_site::Behaviour missing;
    missing.status = 404;
    pages.SetBehaviour("/missing", missing);
    pages.AddPatternFile("/binary", 100000);
    pages.SetHandler("/echo", [](const test_site::RecordedRequest& request) {
        return "<html><body><div class=\"v\"><a class=\"t\" href=\"/v\">" + std::to_string(request.target.size())
               + "</a><span class=\"n\">1</span></div></body></html>";
    }, "text/html");

    CQueltMultiSearch quick(CQueltParseHtmlView::Factory(), CQueltMultiSearch::Timing{100, 10});
    Collector events;
    quick.Advise(&events);
    quick.Initialize(lists->Url("/file/8/f.xml"));
    for (const char* path : {"/redirect", "/missing", "/binary"}) {
        SCOPED_TRACE(path);
        events = Collector();
        quick.ClearSites();
        quick.SetSingleSite({"ret = '" + pages.Url(path) + "';", path, "OutputResult([]);", "utf-8", ""});
        quick.Search("k", 1);
        ASSERT_TRUE(RunEventsUntil([&] { return events.finished == 1; }, std::chrono::seconds(30)));
        EXPECT_EQ(events.timeouts.size(), 1u);
        EXPECT_TRUE(events.results.empty());
    }
    // A keyword of 2,000 bytes with quotes, backslashes and "%s" reaches the site whole.
    std::string keyword;
    while (keyword.size() < 2000)
        keyword += "a'b\\c\"%s ";
    events = Collector();
    quick.ClearSites();
    quick.SetSingleSite({"ret = '" + pages.Url("/echo") + "?q=' + encodeURIComponent('%d%s');", "echo",
                         "var r = new searchres(); r.url = 'u'; r.imgurl = 'i'; r.name = document.querySelector('a.t').textContent; OutputResult([r]);",
                         "utf-8", ""});
    quick.Search(keyword, 1);
    ASSERT_TRUE(RunEventsUntil([&] { return events.finished == 1; }, std::chrono::seconds(30)));
    ASSERT_EQ(events.results.size(), 1u);
    ASSERT_EQ(events.results[0].size(), 1u);
    std::vector<test_site::RecordedRequest> echoed;
    for (const auto& request : pages.Requests())
        if (request.target.rfind("/echo?q=", 0) == 0)
            echoed.push_back(request);
    ASSERT_EQ(echoed.size(), 1u);
    EXPECT_GT(echoed[0].target.size(), 2000u * 2) << "every byte, percent-encoded by the script";
    quick.Unadvise(&events);
}

}  // namespace
