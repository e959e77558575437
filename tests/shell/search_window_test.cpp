// The search from the main window, end to end in QtWebEngine offscreen:
// the demo's video sites and lists on loopback servers, a keyword typed
// into the search box and Enter, the search tab filling with the sites'
// results.
#include "main_window_fixture.h"
#include "support/script_wait.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/ids/message_ids.h"
#include "delivery/flv_cache.h"
#include "platform/window.h"
#include "search/multi_search.h"
#include "search/relation_fill.h"
#include "search/views/parse_html_view.h"
#include "shell/search_tabs/play_search_view.h"
#include "shell/search_tabs/play_relation_view.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/search_tabs/play_special_view.h"
#include "shell/search_tabs/wnd_monitor_list.h"
#include "test_site/demo_lists.h"
#include "test_site/demo_search_sites.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <set>

namespace main_window_test {
namespace {

using namespace std::chrono_literals;

class SearchWindowTest : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        ASSERT_NE(window, nullptr);
        sites = std::make_unique<test_site::DemoSearchSites>();
        ASSERT_TRUE(sites->Start(0, test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 4)));
        test_site::PublishDemoLists(*site, sites.get());
        // The related view's default videos: the Demo Tube's first page.
        std::vector<SearchResultItem> defaults;
        for (int i = 1; i <= 8; ++i) {
            SearchResultItem item;
            item.url = sites->Sites().front().Host() + "/video/" + std::to_string(i) + ".html";
            item.imageUrl = sites->Sites().front().Host() + "/thumb/" + std::to_string(i) + ".svg";
            item.name = "默认视频 " + std::to_string(i);
            defaults.push_back(item);
        }
        site->AddFile("/relation/default.xml", BuildRelationXml(defaults), "text/xml");
        settings->searchUrl = site->Url("/file/8/f.xml");
        settings->searchSettingInfoUrl = site->Url("/file/6/f.xml");
        settings->speedInfoUrl = site->Url("/file/4/f.xml");
        settings->relationUrl = site->Url("/file/2/f.xml");
        settings->relationDefVideoUrl = site->Url("/relation/default.xml");
        settings->specialViewUrl = site->Url("/file/7/f.xml");
        // Quick ticks, so that Demo Slow gives up within seconds.
        window->SearchDeps().makeSearch = [] {
            return std::make_unique<CQueltMultiSearch>(CQueltParseHtmlView::Factory(),
                                                       CQueltMultiSearch::Timing{200, 20});
        };
        // What the network-ready broadcast brings: the lists and the speeds.
        BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
        auto* manager = dynamic_cast<PlaySearchViewManager*>(window->GetCtrl(control::kSearchViews));
        ASSERT_NE(manager, nullptr);
        ASSERT_TRUE(RunEventsUntil(
            [&] { return manager->SiteList().size() == 4 && manager->Categories().Categories().size() == 2; }, 30s));
        // The special pages' site list, which the default tabs' manager keeps.
        ASSERT_NE(window->BrowserManager(), nullptr);
        ASSERT_TRUE(RunEventsUntil([&] {
            const auto* lists = window->BrowserManager()->SpecialLists();
            return lists && lists->List().size() == 1;
        }, 30s));
    }
    static void TearDownTestSuite()
    {
        MainWindowTest::TearDownTestSuite();
        sites.reset();
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

    template <typename View = PlaySearchView>
    static View* LastTab()
    {
        View* last = nullptr;
        for (int id = control::kFirstBrowseView; id <= control::kLastBrowseView; ++id)
            if (auto* view = dynamic_cast<View*>(window->BrowseTabs().FindView(id)))
                last = view;
        return last;
    }
    static PlaySearchView* LastSearchTab() { return LastTab<PlaySearchView>(); }

    // The window's picture once the view's area shows more than a few
    // colours (an offscreen grab of a browser view can lag behind its page;
    // the window is set to its size before the page lays itself out), saved
    // under the build folder's "screenshots"; a null image when it never
    // does.
    static QImage ScreenshotOnceDrawn(PlayHtmlViewBase& view, const std::string& name)
    {
        const QRect area(view.Widget()->mapTo(window.get(), QPoint()), view.Widget()->size());
        QImage shot;
        if (!RunEventsUntil([&] {
                shot = window->grab().toImage();
                return GridColours(shot, area) > 8;
            }, 30s))
            return {};
        QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
        shot.save(QString::fromStdString(QUELT_BUILD_DIR "/screenshots/" + name));
        return shot;
    }


    // The keyword typed into the search box and Enter: the new search tab.
    static PlaySearchView* SearchFromTheBox(const QString& keyword)
    {
        auto* box = dynamic_cast<QLineEdit*>(window->GetCtrl(control::kSearchBox));
        if (!box)
            return nullptr;
        const std::size_t tabsBefore = window->BrowseTabs().Count();
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClicks(box, keyword);
        QTest::keyClick(box, Qt::Key_Return);
        if (!RunEventsUntil([&] { return window->BrowseTabs().Count() == tabsBefore + 1; }))
            return nullptr;
        return LastSearchTab();
    }

    // The middle of the first element a selector finds, in the view's
    // coordinates, as the page lays it out.
    static QPoint CentreOf(PlayHtmlViewBase& view, const std::string& selector)
    {
        const std::string at = Run(view, "(function () { var r = document.querySelector('" + selector
                                             + "').getBoundingClientRect();"
                                               " return Math.round(r.left + r.width / 2) + ','"
                                               " + Math.round(r.top + r.height / 2); })()");
        const std::size_t comma = at.find(',');
        if (comma == std::string::npos)
            return {-1, -1};
        return {std::atoi(at.substr(0, comma).c_str()), std::atoi(at.substr(comma + 1).c_str())};
    }
    // Where the browser takes mouse events.
    static QWidget* Input(PlayHtmlViewBase& view)
    {
        return view.Widget()->focusProxy() ? view.Widget()->focusProxy() : view.Widget();
    }

    inline static std::unique_ptr<test_site::DemoSearchSites> sites;
};

TEST_F(SearchWindowTest, EnterInTheSearchBoxOpensATabWithTheDemoSitesResults)
{
    // The screenshot's size, before the page lays itself out.
    window->resize(960, 640);
    PlaySearchView* tab = SearchFromTheBox(QStringLiteral("demo"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->Keyword(), "demo");
    EXPECT_EQ(tab->SelectedCategory(), "综合");

    // Every site but the slow one answers; the tab accumulates their items.
    ASSERT_TRUE(RunEventsUntil([&] { return Cards(*tab) >= 20; }, 60s)) << Cards(*tab);
    EXPECT_TRUE(RunEventsUntil([&] { return tab->Search().ActiveViewCount() == 0; }, 60s));
    const int cards = Cards(*tab);
    EXPECT_EQ(static_cast<std::size_t>(cards), tab->Results().size());
    EXPECT_EQ(Run(*tab, "String(document.querySelector('#status').textContent.indexOf('没有找到'))"), "-1");

    EXPECT_FALSE(ScreenshotOnceDrawn(*tab, "search-tab-results.png").isNull()) << "the grid is drawn, not one colour";
}

TEST_F(SearchWindowTest, AClickOnAResultsPlayLinkPlaysItsVideo)
{
    window->resize(960, 640);
    PlaySearchView* tab = SearchFromTheBox(QStringLiteral("click"));
    ASSERT_NE(tab, nullptr);
    // Every site has answered, so the grid no longer changes under the mouse.
    ASSERT_TRUE(RunEventsUntil([&] { return Cards(*tab) >= 1 && tab->Search().ActiveViewCount() == 0; }, 60s));
    ASSERT_TRUE(RunEventsUntil([&] { return tab->Widget()->isVisible(); }));
    const std::string url = Run(*tab, "document.querySelector('#results .card').dataset.url");
    const std::string title = Run(*tab, "document.querySelector('#results .card .title').textContent");
    ASSERT_NE(url.find("http://localhost:"), std::string::npos) << url;

    const QPoint play = CentreOf(*tab, "#results .card .play");
    ASSERT_TRUE(tab->Widget()->rect().contains(play)) << play.x() << "," << play.y();
    QTest::mouseClick(Input(*tab), Qt::LeftButton, {}, play);

    ASSERT_TRUE(RunEventsUntil([&] { return settings->playList.PCL_GetObjectCount() == 1u; }));
    EXPECT_EQ(settings->playList.PCL_GetObject(0)->a1, title);
    EXPECT_EQ(settings->playList.PCL_GetObject(0)->a2, url);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start")) << "the page's video is detected, cached and played";

    // The player's own tab: the video large, the related videos beside it.
    QTest::mouseClick(window->GetCtrl(command::kPlayerTab), Qt::LeftButton);
    PlayRelationView* related = window->RelationView();
    ASSERT_NE(related, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return related->Widget()->isVisible(); }));
    ASSERT_TRUE(RunEventsUntil([&] { return Cards(*related) == related->DefSize(); }, 30s));
    EXPECT_EQ(Run(*related, "String(Array.from(document.querySelectorAll('#results img'))"
                            ".every(i => i.complete && i.naturalWidth > 0))"),
              "true")
        << "the sites' thumbnails show on the program's page";

    // Until both have drawn: the related grid and the picture filling the
    // player's area (its middle is no longer the black around the picture).
    const auto AreaOf = [](QWidget* widget) {
        return QRect(widget->mapTo(window.get(), QPoint()), widget->size());
    };
    const QRect relatedArea = AreaOf(related->Widget());
    const QRect playerArea = AreaOf(window->Player()->Widget());
    EXPECT_TRUE(relatedArea.left() >= playerArea.right()) << "beside the player";
    QImage shot;
    EXPECT_TRUE(RunEventsUntil([&] {
        shot = window->grab().toImage();
        return GridColours(shot, relatedArea) > 8 && qGray(shot.pixel(playerArea.center())) > 16;
    }, 30s)) << GridColours(shot, relatedArea);
    QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
    shot.save(QUELT_BUILD_DIR "/screenshots/related-beside-player.png");
}

TEST_F(SearchWindowTest, TheHotSearchesLoadAtNetworkReadyAndShowOnlyBehindTheBrowsingTabs)
{
    CWndHotTabList* hot = window->HotTabList();
    ASSERT_NE(hot, nullptr) << "the main skin names \"hot_tab_list\"";
    EXPECT_EQ(window->GetCtrl(control::kHotTabList), hot->Widget());
    EXPECT_NE(hot->HomeUrl().find("/skin/main/hottab.html"), std::string::npos) << hot->HomeUrl();
    ASSERT_TRUE(RunEventsUntil([&] { return hot->View().Title() == "热门"; }, 30s));
    EXPECT_FALSE(hot->Widget()->isVisible()) << "the player's tab covers it";

    QTest::mouseClick(window->GetCtrl(command::kBrowseTab), Qt::LeftButton);
    ASSERT_TRUE(RunEventsUntil([&] { return hot->Widget()->isVisible(); }));
    const auto* band = window->GetCtrl(control::kTabBand);
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(hot->Widget()->geometry().top(), band->geometry().bottom() + 1) << "right below the band";
    for (int id = control::kFirstBrowseView; id <= control::kLastBrowseView; ++id)
        if (PlayViewBrowser* view = window->BrowseTabs().FindView(id)) {
            EXPECT_EQ(view->Widget()->geometry(), hot->Widget()->geometry()) << "the tabs' views cover it";
        }

    QTest::mouseClick(window->GetCtrl(command::kPlayerTab), Qt::LeftButton);
    EXPECT_TRUE(RunEventsUntil([&] { return !hot->Widget()->isVisible(); }));
}

TEST_F(SearchWindowTest, TheColumnCategoryOpensTheColumnSearchPageWithItsSitesResults)
{
    window->resize(960, 640);
    // A right click on the search box offers the categories; the column
    // category (flags "hj") is chosen.
    auto* box = dynamic_cast<QLineEdit*>(window->GetCtrl(control::kSearchBox));
    ASSERT_NE(box, nullptr);
    const QPoint onBox = box->mapTo(window.get(), box->rect().center());
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, onBox);
    QMenu* menu = nullptr;
    ASSERT_TRUE(RunEventsUntil([&] {
        menu = window->findChild<QMenu*>(QStringLiteral("menu-%1").arg(command::kSearchBoxMenu));
        return menu && menu->isVisible();
    }));
    QAction* column = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == QString::fromUtf8("栏目"))
            column = action;
    ASSERT_NE(column, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(column).center());
    auto* manager = dynamic_cast<PlaySearchViewManager*>(window->GetCtrl(control::kSearchViews));
    ASSERT_TRUE(RunEventsUntil([&] { return manager->Categories().SelectedName() == "栏目"; }));

    PlaySearchView* tab = SearchFromTheBox(QStringLiteral("demo"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->SelectedCategory(), "栏目");
    // Only the category's site (Demo Clips, five videos, filled in after
    // its page loaded) answers.
    ASSERT_TRUE(RunEventsUntil([&] { return tab->Search().ActiveViewCount() == 0 && Cards(*tab) == 5; }, 60s))
        << Cards(*tab);
    EXPECT_NE(tab->View().Url().find("/skin/main/colsearchstyle.html"), std::string::npos) << tab->View().Url();
    EXPECT_EQ(Run(*tab, "document.querySelector('#heading').textContent"), "“demo”的搜索结果");
    EXPECT_EQ(Run(*tab, "String(document.querySelectorAll('#results.rows .card .play').length)"), "5")
        << "drawn as rows with their play links";
    EXPECT_EQ(Run(*tab, "String(document.querySelector('#status').classList.contains('hidden'))"), "true");
    EXPECT_FALSE(ScreenshotOnceDrawn(*tab, "column-search-results.png").isNull()) << "the rows are drawn";
}

TEST_F(SearchWindowTest, ASpecialAddressOfFivePiecesOpensTheSpecialPageWithItsSitesItems)
{
    window->resize(960, 640);
    QTest::mouseClick(window->GetCtrl(command::kBrowseTab), Qt::LeftButton);
    PlayRelationView* related = window->RelationView();
    ASSERT_NE(related, nullptr);
    // As a page's link reaches the program: the related view's dispatcher
    // opens the tab. Its title names the special site (Demo Tube).
    const std::size_t tabsBefore = window->BrowseTabs().Count();
    const std::string banner = sites->Sites().front().Host() + "/thumb/1.svg";
    related->Navigate("specialxev://Demo Tube 精选&&&1&&&每周%20最受欢迎的演示视频&&&4&&&3&&&" + banner);
    ASSERT_EQ(window->BrowseTabs().Count(), tabsBefore + 1);
    PlaySpecialView* tab = LastTab<PlaySpecialView>();
    ASSERT_NE(tab, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return tab->Widget()->isVisible(); }));

    // The site's first page: 20 videos, in the four columns asked for.
    ASSERT_TRUE(RunEventsUntil([&] { return tab->Search().ActiveViewCount() == 0 && Cards(*tab) == 20; }, 60s))
        << Cards(*tab);
    EXPECT_NE(tab->View().Url().find("/skin/main/specialstyle2.html"), std::string::npos) << tab->View().Url();
    EXPECT_EQ(Run(*tab, "document.querySelector('#heading').textContent"), "Demo Tube 精选");
    EXPECT_EQ(Run(*tab, "document.querySelector('#intro').textContent"), "每周 最受欢迎的演示视频");
    EXPECT_EQ(Run(*tab, "document.querySelector('#pager').textContent"), "第 1 / 3 页下一页");
    // Each card names its video's site as the program knows it, not by the address's host.
    EXPECT_EQ(Run(*tab, "Array.from(new Set(Array.from(document.querySelectorAll('#results .card .site'))"
                        ".map(e => e.textContent))).join('|')"),
              "Demo Tube");
    EXPECT_EQ(Run(*tab, "String(getComputedStyle(document.querySelector('#results')).gridTemplateColumns"
                        ".split(' ').length)"),
              "4");
    EXPECT_TRUE(RunEventsUntil([&] {
        return Run(*tab, "String(Array.from(document.querySelectorAll('#banner, #results img'))"
                         ".every(i => i.complete && i.naturalWidth > 0))")
               == "true";
    }, 30s)) << "the banner and the thumbnails have loaded";
    EXPECT_FALSE(ScreenshotOnceDrawn(*tab, "special-page.png").isNull()) << "the items are drawn";
}

// A subscription made on the page in the side column, by mouse and keys:
// one (injected) minute later the demo results of its category are in the
// play list, and background caching fetches the first of them while
// nothing plays.
TEST_F(SearchWindowTest, ASubscriptionQueuesItsResultsAndTheyAreCachedInTheBackground)
{
    window->resize(960, 640);
    QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);  // nothing plays
    settings->idleDownEnable = 1;
    // Videos queued to an empty play list would play at once: when this
    // test runs alone, a video already cached stands first.
    if (settings->playList.PCL_GetObjectCount() == 0) {
        std::unique_ptr<InfoVideo> done = MakeVideoRecord("http://127.0.0.1:1/done.flv", "done", "2");
        done->a4 = done->a2;
        done->a5 = "1";
        ASSERT_TRUE(AppendToCacheFile(GetCachePath(*done), "x", 1));
        settings->playList.PCL_PushObject(done.release());
    }
    QTest::mouseClick(window->GetCtrl(command::kMonitorPanel), Qt::LeftButton);
    CWndMonitorList* page = window->MonitorView();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return page->Widget()->isVisible() && page->Loaded(); }));
    ASSERT_TRUE(RunEventsUntil(
        [&] { return Run(*page, "String(document.getElementById('category').options.length)") == "2"; }));

    // Types into a field of the page, as the user does (Chinese through the
    // input method, which commits the text).
    const auto type = [&](const std::string& id, const QString& text) {
        QTest::mouseClick(Input(*page), Qt::LeftButton, {}, CentreOf(*page, "#" + id));
        ASSERT_TRUE(RunEventsUntil([&] { return Run(*page, "document.activeElement.id") == id; }));
        QTest::keyClick(Input(*page), Qt::Key_A, Qt::ControlModifier);
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            QTest::keyClicks(Input(*page), text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QCoreApplication::sendEvent(Input(*page), &commit);
        }
        ASSERT_TRUE(RunEventsUntil(
            [&] { return Run(*page, "document.getElementById('" + id + "').value") == text.toStdString(); }));
    };
    const auto rows = [&] { return Run(*page, "String(document.querySelectorAll('#subscriptions li').length)"); };
    // "clips" in the column category (Demo Clips alone), every minute, 3 videos.
    type("keyword", QStringLiteral("clips"));
    QTest::keyClick(Input(*page), Qt::Key_Tab);
    ASSERT_TRUE(RunEventsUntil([&] { return Run(*page, "document.activeElement.id") == "category"; }));
    QTest::keyClick(Input(*page), Qt::Key_Down);
    ASSERT_TRUE(RunEventsUntil([&] { return Run(*page, "document.getElementById('category').value") == "栏目"; }));
    type("interval", QStringLiteral("1"));
    type("limit", QStringLiteral("3"));
    QTest::mouseClick(Input(*page), Qt::LeftButton, {}, CentreOf(*page, "#add"));
    ASSERT_TRUE(RunEventsUntil([&] { return rows() == "1"; }));
    // A second one, not due for an hour.
    type("keyword", QStringLiteral("演示 新闻"));
    type("interval", QStringLiteral("60"));
    QTest::keyClick(Input(*page), Qt::Key_Return);
    ASSERT_TRUE(RunEventsUntil([&] { return rows() == "2"; }));
    QTest::mouseClick(Input(*page), Qt::LeftButton, {}, CentreOf(*page, "#start"));
    ASSERT_TRUE(RunEventsUntil([&] { return settings->searchKeys.PCL_GetObjectCount() == 2u; }));
    const InfoSearchKey& clips = *settings->searchKeys.PCL_GetObject(0);
    EXPECT_EQ(clips.key, "clips");
    EXPECT_EQ(clips.schema, "栏目");
    EXPECT_EQ(clips.interval, "1");
    EXPECT_EQ(clips.limit, "3");
    EXPECT_EQ(settings->searchKeys.PCL_GetObject(1)->key, "演示 新闻");

    // The keyword search has its lists (from the network-ready) and the
    // sites' speeds are known (every network-ready measures the list again
    // and adds a fresh set of records, so a later one leaves 8 or more).
    PlaySearchKeyManager& keywords = parts->KeywordSearch();
    auto* manager = dynamic_cast<PlaySearchViewManager*>(window->GetCtrl(control::kSearchViews));
    ASSERT_NE(manager, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] {
        return keywords.Search().Sites().size() == 4 && keywords.Categories().Categories().size() == 2
               && manager->SpeedRecords() && manager->SpeedRecords()->size() >= 4;
    }, 30s)) << "speed records: " << (manager->SpeedRecords() ? manager->SpeedRecords()->size() : 0u);

    const std::size_t before = settings->playList.PCL_GetObjectCount();
    keywords.OnMinute();
    EXPECT_TRUE(keywords.Busy());
    EXPECT_EQ(keywords.RunningKeyword(), "clips");
    ASSERT_TRUE(RunEventsUntil([&] { return settings->playList.PCL_GetObjectCount() == before + 3; }, 60s))
        << settings->playList.PCL_GetObjectCount() - before;
    const std::string clipsHost = sites->Sites()[1].Host();
    for (std::size_t i = before; i < before + 3; ++i)
        EXPECT_EQ(settings->playList.PCL_GetObject(i)->a2.rfind(clipsHost, 0), 0u)
            << settings->playList.PCL_GetObject(i)->a2 << " is a Demo Clips video";
    ASSERT_TRUE(RunEventsUntil([&] { return !keywords.Busy(); }, 60s));
    EXPECT_EQ(settings->playList.PCL_GetObjectCount(), before + 3) << "never more than the limit";

    // Background caching: the first of them is detected and downloaded,
    // while the player stays idle.
    InfoVideo* first = settings->playList.PCL_GetObject(before);
    ASSERT_TRUE(RunEventsUntil([&] { return GetCacheSizes(*first).cached > 0; }, 60s))
        << "state " << first->state << ", stream " << first->a4;
    EXPECT_EQ(window->Control().PlayingKey(), "");

    // The page shows both keywords and what the first collected.
    ASSERT_TRUE(RunEventsUntil(
        [&] { return Run(*page, "document.querySelector('#subscriptions .count').textContent") == "3/3"; }));
    const QRect area(page->Widget()->mapTo(window.get(), QPoint()), page->Widget()->size());
    // Offscreen grabs may be stale: until the rows' text is drawn (its
    // anti-aliasing gives many shades; an empty dark panel has a few).
    const auto shades = [](const QImage& image) {
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, y));
        return colours.size();
    };
    QImage shot;
    EXPECT_TRUE(RunEventsUntil([&] {
        shot = window->grab().toImage().copy(area);
        return shades(shot) > 40;
    }, 30s)) << shades(shot);
    QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
    shot.save(QUELT_BUILD_DIR "/screenshots/subscriptions.png");
}

}  // namespace
}  // namespace main_window_test
