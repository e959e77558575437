// The multi-site search's rules with a stand-in parse view: the order of
// the sites, the link scripts, the countdown and its events, a second
// search over the first, and sinks that narrow the requests.
#include "search/list_cache.h"
#include "search/list_cipher.h"
#include "search/multi_search.h"
#include "search/search_category.h"
#include "support/temp_app_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every navigation and stop, and lets the test finish a page.
class FakeView : public CQueltParseView {
public:
    explicit FakeView(std::vector<std::string>& log) : log_(log) {}
    void Navigate(const SearchSite& site) override
    {
        site_ = site;
        log_.push_back("load " + site.requestUrl);
    }
    void StopNavigation() override { log_.push_back("stop"); }

private:
    std::vector<std::string>& log_;
};

class RecordingSink : public I_QueltMultiSearchEvent {
public:
    explicit RecordingSink(std::vector<std::string>& log) : log_(log) {}
    std::function<void(std::vector<SearchRequest>&)> onStart;
    void OnSearchResult(const std::vector<SearchResultItem>& items, const std::string&) override
    {
        log_.push_back("result " + std::to_string(items.size()));
    }
    void OnSearchStart(std::vector<SearchRequest>& requests) override
    {
        log_.push_back("start " + std::to_string(requests.size()));
        if (onStart)
            onStart(requests);
    }
    void OnSiteTimeout(const std::string& url) override { log_.push_back("timeout " + url); }
    void OnSearchFinished() override { log_.push_back("finished"); }

private:
    std::vector<std::string>& log_;
};

std::string Site(const std::string& name, const std::string& link, const std::string& coding = "utf-8")
{
    return "<i><n>" + name + "</n><s>OutputResult([]);</s><l><![CDATA[" + link + "]]></l><c>" + coding + "</c></i>";
}

class MultiSearchTest : public ::testing::Test {
protected:
    void TearDown() override { search.reset(); }
    // A search over these sites (cached as the list), 3 ticks per site, the
    // tick driven by the test.
    void Make(const std::string& sites)
    {
        WriteListCache(kListUrl, EncipherListFile("<root version=\"1\">" + sites + "</root>"));
        search = std::make_unique<CQueltMultiSearch>(
            [this](CQueltMultiSearch&) { return std::make_unique<FakeView>(log); },
            CQueltMultiSearch::Timing{1000000, 3});
        search->Advise(&sink);
        search->Initialize(kListUrl);
    }
    FakeView& View() { return *fakeView; }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            search->Tick();
    }

    static constexpr const char* kListUrl = "http://lists.test/file/8/f.xml";
    test_support::TempAppFolder folder{"quelt-multi"};
    std::vector<std::string> log;
    RecordingSink sink{log};
    std::unique_ptr<CQueltMultiSearch> search;
    FakeView* fakeView = nullptr;
};

TEST_F(MultiSearchTest, SitesAreVisitedLastFirstEachWithinItsTicks)
{
    Make(Site("A", "ret='http://a.test/s?p=%d&q=%s';") + Site("B", "ret='http://b.test/s?q=%s&x=1'.replace('%%s','');", "gb2312")
         + Site("C", "ret='/s?p=%d&q=%s';", "gb2312"));
    search->Search("love song 测试", 2);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "start 3");
    EXPECT_EQ(log[1], "load /s?p=2&q=love%20song%20%b2%e2%ca%d4") << "C first, its keyword in GBK, percent-encoded";
    // B's script has a "%s" before any "%d": it fails, and its address is empty.
    Ticks(2);
    EXPECT_EQ(log.size(), 2u);
    Ticks(1);
    EXPECT_EQ(log[2], "timeout /s?p=2&q=love%20song%20%b2%e2%ca%d4") << "the first site gets 3 ticks";
    EXPECT_EQ(log[3], "load ");
    Ticks(1);
    EXPECT_EQ(log.size(), 4u);
    Ticks(1);
    EXPECT_EQ(log[4], "timeout ") << "every later site 2 ticks: the tick that started it counted";
    EXPECT_EQ(log[5], "load http://a.test/s?p=2&q=love song 测试") << "a UTF-8 site gets the keyword unchanged";
    // A view's results reach the sinks.
    search->ReportResult({}, "<root/>");
    EXPECT_EQ(log.back(), "result 0");
}

TEST_F(MultiSearchTest, AParsedSiteHandsOverAtTheNextTickAndTheLastEndsTheSearch)
{
    std::vector<std::string> order;
    Make(Site("A", "ret='/a';") + Site("B", "ret='/b';"));
    // The stand-in view finishes every page it is given at once.
    search = std::make_unique<CQueltMultiSearch>(
        [this](CQueltMultiSearch&) {
            auto view = std::make_unique<FakeView>(log);
            fakeView = view.get();
            return view;
        },
        CQueltMultiSearch::Timing{1000000, 3});
    search->Advise(&sink);
    search->Initialize(kListUrl);
    search->Search("k", 1);
    EXPECT_EQ(log.back(), "load /b");
    fakeView->done = true;
    search->Tick();
    EXPECT_EQ(log.back(), "load /a");
    fakeView->done = true;
    search->Tick();
    EXPECT_EQ(log.back(), "finished");
    EXPECT_EQ(search->ActiveViewCount(), 0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), "stop"), 1) << "the view is stopped when it goes";
}

TEST_F(MultiSearchTest, ASecondSearchDiscardsTheFirstWithoutEvents)
{
    Make(Site("A", "ret='/a?q=%d%s';") + Site("B", "ret='/b?q=%d%s';"));
    search->Search("one", 1);
    Ticks(1);
    search->Search("two", 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "start 2"), 2);
    EXPECT_EQ(log.back(), "load /b?q=1two");
    Ticks(3 + 2);
    std::vector<std::string> after(log.begin() + static_cast<std::ptrdiff_t>(std::find(log.begin(), log.end(), "load /b?q=1two") - log.begin()), log.end());
    EXPECT_EQ(after, (std::vector<std::string>{"load /b?q=1two", "timeout /b?q=1two", "load /a?q=1two", "timeout /a?q=1two",
                                                "stop", "finished"}));
    for (const std::string& line : log)
        EXPECT_EQ(line.find("one") != std::string::npos && line.rfind("timeout", 0) == 0, false) << line;
}

TEST_F(MultiSearchTest, FailingLinkScriptsGiveAnEmptyAddressAndTheNextSearchWorks)
{
    std::string sites;
    const char* scripts[] = {"ret='/a", "throw new Error('x');", "ret=42;", "ret='%d%n';", "ret='%d%s%s%s%s%s';",
                             "ret='/x'; for(;;){}"};
    int n = 0;
    for (const char* script : scripts)
        sites += Site("S" + std::to_string(n++), script);
    sites += Site("ok", "ret='/ok?q=%d%s';");
    Make(sites);
    search->Search("it's \\ \"%s\" \x01", 1);
    EXPECT_EQ(log[1], "load /ok?q=1it's \\ \"%s\" \x01") << "quotes in a keyword do not end the script's string";
    for (int site = 0; site < 6; ++site)
        Ticks(3);
    EXPECT_EQ(std::count(log.begin(), log.end(), "load "), 6);
    Ticks(3);
    EXPECT_EQ(log.back(), "finished");
    log.clear();
    search->Search("next", 1);
    EXPECT_EQ(log[1], "load /ok?q=1next");
}

TEST_F(MultiSearchTest, SinksNarrowTheRequestsAndAnEmptyListStillEnds)
{
    Make(Site("SiteA", "ret='/a';") + Site("SiteB", "ret='/b';") + Site("SiteC", "ret='/c';"));
    const std::vector<SearchCategory> categories = {{"hot music", "", {"SiteA", "SiteC"}}, {"music", "", {"SiteB"}}};
    sink.onStart = [&](std::vector<SearchRequest>& requests) { FilterRequestsByCategory(requests, categories, "music"); };
    search->Search("k", 1);
    EXPECT_EQ(log[1], "load /c") << "\"music\" selects \"hot music\", the first that contains it";
    Ticks(3 + 2);
    EXPECT_EQ(log, (std::vector<std::string>{"start 3", "load /c", "timeout /c", "load /a", "timeout /a", "stop", "finished"}))
        << "SiteB is not in the category";

    log.clear();
    sink.onStart = [](std::vector<SearchRequest>& requests) { requests.clear(); };
    search->Search("k", 1);
    EXPECT_EQ(log, std::vector<std::string>{"start 3"}) << "nothing to load";
    Ticks(3);
    EXPECT_EQ(log, (std::vector<std::string>{"start 3", "timeout ", "stop", "finished"}));
}

TEST_F(MultiSearchTest, NothingBeforeInitializeAndANewerListReplacesTheSites)
{
    search = std::make_unique<CQueltMultiSearch>([this](CQueltMultiSearch&) { return std::make_unique<FakeView>(log); });
    search->Advise(&sink);
    search->Search("k", 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(search->Advise(&sink), 0) << "a sink is there once";
    EXPECT_EQ(search->Advise(nullptr), 0);
    search->Initialize(kListUrl);
    EXPECT_TRUE(search->Sites().empty());
    search->SetSingleSite({"ret='/special';", "special", "", "utf-8", ""});
    search->Search("k", 1);
    EXPECT_EQ(log.back(), "load /special");
    search->ClearSites();
    EXPECT_TRUE(search->Sites().empty());
    EXPECT_EQ(search->ActiveViewCount(), 0u);
    EXPECT_EQ(search->Unadvise(&sink), 1);
}

}  // namespace

#include "platform/controller_timer.h"
#include "support/event_wait.h"

namespace {

TEST(ControllerTimerTest, TimersShareOneSystemTimerAndFireByTheirInterval)
{
    int fast = 0;
    int slow = 0;
    FCController_Timer a([&] { ++fast; });
    FCController_Timer b([&] { ++slow; });
    EXPECT_EQ(a.Interval(), FCController_Timer::kUnsetInterval);
    a.SetInterval(0);
    b.SetInterval(200);
    a.Start();
    a.Start();
    b.Start();
    EXPECT_EQ(FCController_Timer::StartedCount(), 2u) << "starting twice enters it once";
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return slow >= 1; }));
    EXPECT_GT(fast, slow * 5) << "an interval of 0 fires at every check";
    a.Stop();
    b.Stop();
    EXPECT_EQ(FCController_Timer::StartedCount(), 0u);
    const int firedBefore = fast;
    test_support::RunEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(fast, firedBefore);

    // A timer that stops itself and another from its callback.
    int once = 0;
    int others = 0;
    FCController_Timer* selfPointer = nullptr;
    FCController_Timer other([&] { ++others; });
    FCController_Timer self([&] {
        ++once;
        selfPointer->Stop();
        other.Stop();
    });
    selfPointer = &self;
    self.SetInterval(0);
    other.SetInterval(0);
    self.Start();
    other.Start();
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return once == 1; }));
    test_support::RunEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(once, 1);
    EXPECT_EQ(others, 0) << "stopped before its turn in the same period";
    EXPECT_EQ(FCController_Timer::StartedCount(), 0u);
}

}  // namespace
