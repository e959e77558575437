// The search, special and related views with the program's own pages in
// QtWebEngine offscreen. A stand-in parse view records which result pages
// the search asks for, and the test hands the search its sites' results
// and ticks, so every step is the test's to time. One browser engine per
// process.
#include "recording_browse_host.h"

#include "common/event_window.h"
#include "common/ids/message_ids.h"
#include "platform/web/html_view.h"
#include "platform/web/player_page_view.h"
#include "search/list_cache.h"
#include "search/list_cipher.h"
#include "search/relation_fill.h"
#include "search/scheme_url.h"
#include "shell/browse/view_tabs.h"
#include "shell/search_tabs/play_relation_view.h"
#include "shell/search_tabs/play_search_view.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/search_tabs/play_special_view.h"
#include "shell/settings/app_setting.h"
#include "support/event_wait.h"
#include "support/recording_parse_view.h"
#include "support/script_wait.h"
#include "support/temp_app_folder.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <pugixml.hpp>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using test_support::RunEventsUntil;

// The views here open no tabs of their own.
struct NoTabs : IViewTabs {
    PlayHtmlViewBase* OpenViewTab(ViewKind, bool) override { return nullptr; }
    void SetTabText(int, const std::string&) override {}
    PlayHtmlViewBase* FindTab(int) const override { return nullptr; }
};

SearchResultItem Item(const std::string& url, const std::string& name)
{
    SearchResultItem item;
    item.url = url;
    item.imageUrl = url + ".png";
    item.name = name;
    return item;
}

std::string Site(const std::string& name, const std::string& host)
{
    return "<i><n>" + name + "</n><s>OutputResult([]);</s><l><![CDATA[ret='http://" + host
           + "/s?p=%d&q=%s';]]></l><c>utf-8</c></i>";
}

class SearchTabsTest : public ::testing::Test {
protected:
    static constexpr const char* kSiteListUrl = "http://lists.test/file/8/f.xml";
    static constexpr const char* kCategoryUrl = "http://lists.test/file/6/f.xml";
    static constexpr const char* kSpecialUrl = "http://lists.test/file/7/f.xml";
    static constexpr const char* kRelationUrl = "http://lists.test/file/2/f.xml";

    static void SetUpTestSuite()
    {
        platform::PrepareWebEngineEnvironment();
        platform::HtmlView::SetProgramSchemes(scheme::ProgramSchemePrefixes());
        folder = std::make_unique<test_support::TempAppFolder>("quelt-search-tabs", QUELT_APP_DIR "/skin");
        // Tube is listed first, so without narrowing Clips is asked first.
        ASSERT_TRUE(WriteListCache(kSiteListUrl, EncipherListFile("<root version=\"1\">" + Site("Tube", "tube.test")
                                                                  + Site("Clips", "clips.test") + "</root>")));
        ASSERT_TRUE(WriteListCache(kCategoryUrl, EncipherListFile("<root version=\"1\">"
                                                                  "<i><n>综合</n><s>Tube|Clips</s><c></c></i>"
                                                                  "<i><n>短片</n><s>Tube</s><c></c></i></root>")));
        ASSERT_TRUE(WriteListCache(kSpecialUrl, EncipherListFile("<root version=\"1\">" + Site("专题站", "special.test")
                                                                 + "</root>")));
        site = std::make_unique<test_site::TestSite>();
        ASSERT_TRUE(site->Start());
    }
    static void TearDownTestSuite()
    {
        site.reset();
        folder.reset();
    }

    void SetUp() override
    {
        host.settings.searchUrl = kSiteListUrl;
        host.settings.searchSettingInfoUrl = kCategoryUrl;
        host.settings.specialViewUrl = kSpecialUrl;
        host.settings.relationUrl = kRelationUrl;
        parent.resize(800, 500);
        parent.show();
    }

    // What the window builds the views with: the manager when there is
    // one, a search over the stand-in views ticked by the test alone.
    SearchViewDeps Deps()
    {
        SearchViewDeps deps;
        deps.manager = [this] { return manager.get(); };
        deps.makeSearch = [this] {
            return std::make_unique<CQueltMultiSearch>(
                [this](CQueltMultiSearch&) {
                    auto view = std::make_unique<test_support::RecordingParseView>(loads);
                    parseView = view.get();
                    return view;
                },
                CQueltMultiSearch::Timing{1000000, 3});
        };
        deps.specialRetryMs = 20;
        return deps;
    }
    static std::string Page(const std::string& name) { return "file://" + folder->Path() + "skin/main/" + name; }

    std::unique_ptr<PlaySearchView> OpenSearch(const std::string& category) { return OpenSearch(category, Deps()); }
    std::unique_ptr<PlaySearchView> OpenSearch(const std::string& category, SearchViewDeps deps)
    {
        auto view = std::make_unique<PlaySearchView>(&parent, host, tabs, 2100, std::move(deps));
        view->Widget()->setGeometry(0, 0, 800, 500);
        view->Widget()->show();
        SearchTabRequest request;
        request.page = Page("searchstyle2.html");
        request.siteListUrl = kSiteListUrl;
        request.category = category;
        request.keyword = "demo";
        view->OpenSearch(request);
        return view;
    }
    bool LoadsReach(std::size_t count)
    {
        return RunEventsUntil([&] { return loads.size() >= count; }, std::chrono::seconds(30));
    }
    // The site being asked answers with these items and hands over.
    void Answer(CQueltMultiSearch& search, const std::vector<SearchResultItem>& items)
    {
        search.ReportResult(items, "<root/>");
        parseView->done = true;
        search.Tick();
    }

    // A script's answer in the view's page.
    static std::string Run(PlayHtmlViewBase& view, const std::string& script)
    {
        return test_support::RunScriptAndWait(view.View(), script);
    }
    static int Cards(PlayHtmlViewBase& view)
    {
        return std::atoi(Run(view, "String(document.querySelectorAll('#results .card').length)").c_str());
    }
    static std::string CardUrls(PlayHtmlViewBase& view)
    {
        return Run(view, "Array.from(document.querySelectorAll('#results .card')).map(c => c.dataset.url).join(' ')");
    }

    inline static std::unique_ptr<test_support::TempAppFolder> folder;
    inline static std::unique_ptr<test_site::TestSite> site;
    RecordingBrowseHost host;
    NoTabs tabs;
    QWidget parent;
    std::unique_ptr<PlaySearchViewManager> manager;
    std::vector<std::string> loads;
    test_support::RecordingParseView* parseView = nullptr;  // the search's current one
};

TEST_F(SearchTabsTest, TheNextPagesResultsMergeWithTheFirstByUrl)
{
    manager = std::make_unique<PlaySearchViewManager>(host.settings, nullptr);
    auto view = OpenSearch("");
    ASSERT_TRUE(LoadsReach(1));
    EXPECT_EQ(loads.front(), "http://clips.test/s?p=1&q=demo") << "page 1 once the page has loaded";
    Answer(view->Search(), {Item("http://v/a", "a"), Item("http://v/b", "b")});
    ASSERT_TRUE(LoadsReach(2));
    Answer(view->Search(), {Item("http://v/b", "b again"), Item("http://v/c", "c")});
    ASSERT_TRUE(RunEventsUntil([&] { return Cards(*view) == 3; }));

    // "More", clicked as the user does: the next page of every site.
    const std::string at = Run(*view, "(function () { var r = document.getElementById('more').getBoundingClientRect();"
                                      " return Math.round(r.left + r.width / 2) + ',' + Math.round(r.top + r.height / 2); })()");
    const std::size_t comma = at.find(',');
    ASSERT_NE(comma, std::string::npos) << at;
    QWidget* input = view->Widget()->focusProxy() ? view->Widget()->focusProxy() : view->Widget();
    QTest::mouseClick(input, Qt::LeftButton, {},
                      QPoint(std::atoi(at.substr(0, comma).c_str()), std::atoi(at.substr(comma + 1).c_str())));
    ASSERT_TRUE(LoadsReach(3));
    EXPECT_EQ(loads[2], "http://clips.test/s?p=2&q=demo");
    EXPECT_EQ(view->PageNumber(), 2);
    Answer(view->Search(), {Item("http://v/c", "c again"), Item("http://v/d", "d"), Item("http://v/a", "a again")});

    ASSERT_TRUE(RunEventsUntil([&] { return Cards(*view) == 4; }));
    std::vector<std::string> urls;
    for (const SearchResultItem& item : view->Results())
        urls.push_back(item.url);
    EXPECT_EQ(urls, (std::vector<std::string>{"http://v/a", "http://v/b", "http://v/c", "http://v/d"}));
    EXPECT_EQ(view->Results()[1].name, "b") << "an item already there keeps its fields";
    EXPECT_EQ(CardUrls(*view), "http://v/a http://v/b http://v/c http://v/d") << "each once on the page";
}

TEST_F(SearchTabsTest, ASearchThatFoundNothingTellsThePage)
{
    manager = std::make_unique<PlaySearchViewManager>(host.settings, nullptr);
    auto view = OpenSearch("");
    ASSERT_TRUE(LoadsReach(1));
    Answer(view->Search(), {});
    ASSERT_TRUE(LoadsReach(2));
    Answer(view->Search(), {});
    EXPECT_EQ(view->Search().ActiveViewCount(), 0u) << "the search has finished";
    ASSERT_TRUE(RunEventsUntil(
        [&] { return Run(*view, "document.getElementById('status').textContent").find("没有找到") != std::string::npos; }))
        << Run(*view, "document.getElementById('status').textContent");
    EXPECT_EQ(Cards(*view), 0);
}

// The steps the search benchmark times, in their order; a script run at a
// site's results step finds that site's cards already drawn.
TEST_F(SearchTabsTest, AnObserverHearsTheTabsStepsInTheirOrder)
{
    manager = std::make_unique<PlaySearchViewManager>(host.settings, nullptr);
    std::vector<SearchTabStep> steps;
    std::vector<int> cardsAtResults;
    SearchViewDeps deps = Deps();
    deps.observeSteps = [&](PlaySearchView& view, SearchTabStep step) {
        steps.push_back(step);
        if (step == SearchTabStep::SiteResults)
            view.View().ExecScript("String(document.querySelectorAll('#results .card').length)",
                                   [&](const std::string& cards) { cardsAtResults.push_back(std::atoi(cards.c_str())); });
    };
    auto view = OpenSearch("", std::move(deps));
    EXPECT_EQ(steps, std::vector<SearchTabStep>{SearchTabStep::Opened}) << "the view asked for its page";
    ASSERT_TRUE(LoadsReach(1));
    EXPECT_EQ(steps, (std::vector<SearchTabStep>{SearchTabStep::Opened, SearchTabStep::PageLoaded}));
    Answer(view->Search(), {Item("http://v/a", "a"), Item("http://v/b", "b")});
    ASSERT_TRUE(RunEventsUntil([&] { return cardsAtResults.size() == 1; }));
    EXPECT_EQ(cardsAtResults.front(), 2);
    EXPECT_EQ(steps, (std::vector<SearchTabStep>{SearchTabStep::Opened, SearchTabStep::PageLoaded,
                                                 SearchTabStep::SiteResults}));
}

TEST_F(SearchTabsTest, TheSearchIsNarrowedToTheTabsCategory)
{
    manager = std::make_unique<PlaySearchViewManager>(host.settings, nullptr);
    auto narrowed = OpenSearch("短片");
    ASSERT_TRUE(LoadsReach(1));
    EXPECT_EQ(narrowed->SelectedCategory(), "短片");
    EXPECT_EQ(loads.front(), "http://tube.test/s?p=1&q=demo") << "only the category's site";
    EXPECT_EQ(narrowed->Search().PendingRequestCount(), 0u);
    narrowed.reset();

    // Without the manager the tab asks every site.
    manager.reset();
    loads.clear();
    auto everyone = OpenSearch("短片");
    ASSERT_TRUE(LoadsReach(1));
    EXPECT_EQ(loads.front(), "http://clips.test/s?p=1&q=demo");
    EXPECT_EQ(everyone->Search().PendingRequestCount(), 1u);
}

TEST_F(SearchTabsTest, ASpecialTabAsksItsSiteAgainAfterATimeout)
{
    PlaySpecialView view(&parent, host, tabs, 2101, Deps());
    SpecialTabRequest request;
    request.page = Page("specialstyle2.html");
    request.siteListUrl = kSpecialUrl;
    request.title = "专题站 精选";
    request.filled = true;
    request.pageNumber = 1;
    request.t1 = "介绍";
    request.t2 = "3";
    request.t3 = "1";
    view.OpenSpecial(request);
    ASSERT_TRUE(LoadsReach(1));
    EXPECT_EQ(loads.front(), "http://special.test/s?p=1&q=专题站 精选");
    for (int tick = 0; tick < 3; ++tick)
        view.Search().Tick();
    EXPECT_TRUE(view.RetryPending()) << "the site ran out of time";
    EXPECT_EQ(loads.size(), 1u) << "not at once: after the delay";
    ASSERT_TRUE(LoadsReach(2));
    EXPECT_EQ(loads[1], loads[0]);
    EXPECT_FALSE(view.RetryPending());
}

TEST_F(SearchTabsTest, TheRelatedViewFillsFromItsDefaultList)
{
    std::vector<SearchResultItem> defaults;
    for (int i = 0; i < 6; ++i)
        defaults.push_back(Item("http://d/" + std::to_string(i), "默认 " + std::to_string(i)));
    site->AddFile("/relation/default.xml", BuildRelationXml(defaults), "text/xml");
    host.settings.relationDefVideoUrl = site->Url("/relation/default.xml");

    PlayRelationView view(&parent, host, tabs, 213, Deps());
    view.Widget()->setGeometry(0, 0, 300, 400);
    view.Widget()->show();
    pugi::xml_document skin;
    skin.load_string("<win32_ctrl url=\"skin/main/relatedstyle.html\" def_size=\"4\"/>");
    view.ReadSkin(skin.first_child());
    EXPECT_EQ(view.DefSize(), 4);
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);

    ASSERT_TRUE(RunEventsUntil([&] { return Cards(view) == 4; }, std::chrono::seconds(30)));
    ASSERT_EQ(view.Shown().size(), 4u);
    // Round the list from one start.
    const auto start = std::find_if(defaults.begin(), defaults.end(),
                                    [&](const SearchResultItem& item) { return item.url == view.Shown()[0].url; });
    ASSERT_NE(start, defaults.end());
    std::string expected;
    for (std::size_t i = 0; i < 4; ++i)
        expected += (i ? " " : "") + defaults[(static_cast<std::size_t>(start - defaults.begin()) + i) % 6].url;
    EXPECT_EQ(CardUrls(view), expected);
}

}  // namespace
