// The browsing tabs and the program's HTML views in QtWebEngine offscreen:
// a skinned window with panel 305 and the tab band 233 (as the main
// window has them), a host that records what the views ask of the main
// window, and pages of the test site. One browser engine per process.
#include "common/app_folder.h"
#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/ids/message_ids.h"
#include "platform/web/html_view.h"
#include "platform/web/player_page_view.h"
#include "search/scheme_url.h"
#include "common/event_window.h"
#include "shell/browse/browse_tabs.h"
#include "shell/browse/play_view_browser_manager.h"
#include "shell/browse/wnd_hot_tab_list.h"
#include "shell/settings/app_setting.h"
#include "support/event_wait.h"
#include "support/script_wait.h"
#include "test_site/test_site.h"
#include "ui/tab_band/wnd_tab_band.h"
#include "ui/widgets/ctrl_id.h"
#include "ui/widgets/panel_window.h"
#include "ui/widgets/player_ctrl_factory.h"
#include "ui/widgets/skin_paint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::RunEventsUntil;

struct RecordingHost : IBrowseHost {
    struct Added {
        std::string title, key, mode;
    };
    void AddVideo(const std::string& title, const std::string& key, const std::string& mode) override
    {
        added.push_back({title, key, mode});
    }
    void ShowTrayBalloon(const std::string& title, const std::string& text) override
    {
        balloons.push_back(title + "|" + text);
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowBrowseTabs() override { ++browseCommands; }
    CAppSetting& Settings() override { return settings; }

    std::vector<Added> added;
    std::vector<std::string> balloons, messages;
    int browseCommands = 0;
    CAppSetting settings;
};

// The main window's part in closing: WM_TAB_CLOSE goes to the tabs' owner.
class BrowseWindow : public ui::FCPanelWindow {
public:
    CBrowseTabs* tabs = nullptr;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_TAB_CLOSE && tabs && static_cast<int>(wParam) == control::kTabBand) {
            tabs->CloseTab(static_cast<int>(lParam));
            return 0;
        }
        return FCPanelWindow::WindowProc(msg, wParam, lParam);
    }
};

class BrowseTabsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform::PrepareWebEngineEnvironment();
        platform::HtmlView::SetProgramSchemes(scheme::ProgramSchemePrefixes());
        SetAppFolderForTesting(QUELT_APP_DIR "/");
        ui::FCSetApplicationCtrlFactory(&ui::CPlayerCtrlFactory::Instance());
        site = std::make_unique<test_site::TestSite>();
        ASSERT_TRUE(site->Start());
        site->AddFile("/start.html",
                      "<html><head><title>Start</title></head><body>"
                      "<a id='blank' href='/second.html' target='_blank'>new window</a>"
                      "<a id='add' href='addxev://page&&&Title' style='display:block;position:absolute;left:20px;"
                      "top:60px;width:200px;height:30px'>add</a></body></html>",
                      "text/html");
        site->AddFile("/second.html", "<html><head><title>Second</title></head><body>second</body></html>",
                      "text/html");
        site->AddFile("/address.html", "<html><head><title>Clip at http://example.test/page</title></head></html>",
                      "text/html");
        site->AddFile("/hot.html",
                      "<html><head><title>Hot</title></head><body style='margin:0'>"
                      "<a id='blank' href='/second.html' target='_blank' style='display:block;position:absolute;"
                      "left:20px;top:20px;width:200px;height:30px'>new window</a></body></html>",
                      "text/html");
        site->AddFile("/wait.html", "<html><head><title>Wait</title></head></html>", "text/html");
        site->AddFile("/zero.html", "<html><head><title>Zero</title></head></html>", "text/html");
        site->AddFile("/two.html", "<html><head><title>Two</title></head></html>", "text/html");
        site->AddFile("/many.html",
                      "<html><head><title>Many</title></head><body><script>"
                      "function openAll() { for (var i = 0; i < 200; ++i) window.open('about:blank', 'w' + i); }"
                      "</script></body></html>",
                      "text/html");
    }
    static void TearDownTestSuite()
    {
        site.reset();
        ui::FCSetApplicationCtrlFactory(nullptr);
        SetAppFolderForTesting("");
    }

    void SetUp() override
    {
        skin = (fs::temp_directory_path() / ("quelt-browse-" + std::to_string(::getpid()) + ".xml")).string();
        std::ofstream(skin) << "<skin width='800' height='500' init_wnd_x='800' init_wnd_y='500'>"
                               "<panel x='0' y='0' width='800' height='500' resize_x_mode='0' resize_y_mode='0' "
                               "filltype='1' fillvalue='1709589' item_command_id='305'>"
                               "<win32_ctrl x='0' y='0' width='800' height='34' resize_x_mode='0' ctrl_name='tab_band' "
                               "ctrl_id='233' max_itemwidth='180' min_itemwidth='72' "
                               "tab_button='skin/images/tab_button.png' close_button='skin/images/close_button.png'/>"
                               "</panel></skin>";
        window = std::make_unique<BrowseWindow>();
        ASSERT_TRUE(window->LoadSkin(skin));
        tabs = std::make_unique<CBrowseTabs>(*window, host);
        window->tabs = tabs.get();
        window->show();
    }
    void TearDown() override
    {
        tabs.reset();
        window.reset();
        fs::remove(skin);
    }

    ui::CWndTabBand* Band() const { return dynamic_cast<ui::CWndTabBand*>(window->GetCtrl(control::kTabBand)); }
    std::vector<int> Order() const
    {
        std::vector<int> ids;
        for (const auto& button : Band()->GetButtons())
            ids.push_back(button->GetViewId());
        return ids;
    }
    // Opens a plain tab on the page and waits until it is loaded and shown.
    PlayViewBrowser* OpenOn(const std::string& path, bool closable = true)
    {
        auto* view = dynamic_cast<PlayViewBrowser*>(tabs->OpenViewTab(ViewKind::Browser, closable));
        if (!view)
            return nullptr;
        view->Navigate(site->Url(path));
        const bool loaded = RunEventsUntil([&] { return view->View().Title() == Title(path); }, std::chrono::seconds(30));
        if (!loaded || !RunEventsUntil([&] { return Band()->GetSelectedViewId() == view->ViewId(); }))
            return nullptr;
        return view;
    }
    static std::string Title(const std::string& path)
    {
        if (path == "/start.html")
            return "Start";
        if (path == "/many.html")
            return "Many";
        return "Second";
    }
    static QWidget* Input(PlayHtmlViewBase* view)
    {
        return view->Widget()->focusProxy() ? view->Widget()->focusProxy() : view->Widget();
    }
    void SaveScreenshot(const QImage& image, const std::string& name)
    {
        const std::string folder = QUELT_BUILD_DIR "/screenshots";
        QDir().mkpath(QString::fromStdString(folder));
        ASSERT_TRUE(image.save(QString::fromStdString(folder + "/" + name)));
    }

    inline static std::unique_ptr<test_site::TestSite> site;
    std::string skin;
    RecordingHost host;
    std::unique_ptr<BrowseWindow> window;
    std::unique_ptr<CBrowseTabs> tabs;
};

TEST_F(BrowseTabsTest, ANewWindowOpensAClosableTabRightAfterTheCurrentOneAndSelectsIt)
{
    PlayViewBrowser* first = OpenOn("/start.html", false);
    ASSERT_NE(first, nullptr);
    PlayViewBrowser* last = OpenOn("/second.html");
    ASSERT_NE(last, nullptr);
    Band()->SelectButton(first->ViewId());
    ASSERT_TRUE(RunEventsUntil([&] { return Band()->GetSelectedViewId() == first->ViewId() && first->Widget()->isVisible(); }));

    first->View().ExecScript("document.getElementById('blank').click()");
    ASSERT_TRUE(RunEventsUntil([&] { return tabs->Count() == 3; }));
    const std::vector<int> order = Order();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], first->ViewId());
    EXPECT_EQ(order[2], last->ViewId());
    const int opened = order[1];
    EXPECT_TRUE(Band()->FindButton(opened)->IsClosable());
    EXPECT_FALSE(Band()->FindButton(first->ViewId())->IsClosable()) << "a tab opened without close box keeps none";
    EXPECT_EQ(host.browseCommands, 1) << "the window switched to its browsing tabs";
    ASSERT_TRUE(RunEventsUntil([&] { return Band()->GetSelectedViewId() == opened; }));
    PlayViewBrowser* popup = tabs->FindView(opened);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return popup->View().Title() == "Second"; }, std::chrono::seconds(30)))
        << "the page opened in the new tab";
    EXPECT_TRUE(popup->Widget()->isVisible());
    EXPECT_FALSE(first->Widget()->isVisible());
    EXPECT_EQ(window->GetCtrl(opened), popup->Widget()) << "hosted in the panel, laid out with it";
    ASSERT_TRUE(RunEventsUntil([&] { return Band()->FindButton(opened)->GetText() == "Second"; }));

    // Two tabs with close boxes, and the screenshot: the close box of the
    // selected closable button is drawn (its pixels differ from the
    // button's middle), the one of the tab without close box is not.
    auto* band = Band();
    const QImage shot = window->grab().toImage();
    SaveScreenshot(shot, "browse-tabs.png");
    const QRect closeBox = ui::FCToQRect(Band()->FindButton(opened)->GetCloseBoxRect()).translated(band->pos());
    const QRect firstButton = ui::FCToQRect(Band()->FindButton(first->ViewId())->GetRect()).translated(band->pos());
    std::set<QRgb> boxColours, plainColours;
    for (int x = closeBox.left(); x <= closeBox.right(); ++x)
        boxColours.insert(shot.pixel(x, closeBox.center().y()));
    for (int x = firstButton.right() - 16; x <= firstButton.right() - 4; ++x)
        plainColours.insert(shot.pixel(x, closeBox.center().y()));
    EXPECT_GT(boxColours.size(), plainColours.size()) << "a close box is drawn only on closable buttons";
}

TEST_F(BrowseTabsTest, AddressTitlesLeaveTheTabTextAndOthersReplaceIt)
{
    PlayViewBrowser* view = OpenOn("/second.html");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return Band()->FindButton(view->ViewId())->GetText() == "Second"; }));
    // While the page has no title yet the browser shows its address (without
    // the scheme); neither that nor a title with an address is taken.
    view->Navigate(site->Url("/address.html"));
    ASSERT_TRUE(RunEventsUntil([&] { return view->View().Title() == "Clip at http://example.test/page"; },
                               std::chrono::seconds(30)));
    QTest::qWait(0);
    EXPECT_EQ(Band()->FindButton(view->ViewId())->GetText(), "Second");
}

TEST_F(BrowseTabsTest, TheHundredAndFirstTabCannotOpenAndNothingBreaks)
{
    PlayViewBrowser* view = OpenOn("/many.html");
    ASSERT_NE(view, nullptr);
    view->View().ExecScript("openAll()");
    ASSERT_TRUE(RunEventsUntil([&] { return tabs->Count() == 100; }, std::chrono::seconds(120)));
    EXPECT_EQ(tabs->OpenViewTab(ViewKind::Browser, true), nullptr) << "ids 2100-2199 are all taken";
    EXPECT_EQ(Band()->GetButtons().size(), 100u);
    // The page is still alive and answers.
    std::string title;
    view->View().ExecScript("document.title", [&](const std::string& value) { title = value; });
    ASSERT_TRUE(RunEventsUntil([&] { return !title.empty(); }));
    EXPECT_EQ(title, "Many");
    // A closed tab frees its id for the next one.
    const int freed = Order().back();
    platform::PostMessage(window->GetSafeHwnd(), WM_TAB_CLOSE, control::kTabBand, freed);
    ASSERT_TRUE(RunEventsUntil([&] { return tabs->Count() == 99; }));
    PlayHtmlViewBase* again = tabs->OpenViewTab(ViewKind::Browser, true);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(dynamic_cast<PlayViewBrowser*>(again)->ViewId(), freed);
}

TEST_F(BrowseTabsTest, ARightClickOnAnAddLinkOffersMenu152AndPlaysTheChoice)
{
    PlayViewBrowser* view = OpenOn("/start.html");
    ASSERT_NE(view, nullptr);
    QMenu* menu = nullptr;
    ASSERT_TRUE(RunEventsUntil([&] {
        QTest::mouseClick(Input(view), Qt::RightButton, {}, QPoint(60, 75));
        menu = view->LinkMenu();
        return menu && menu->isVisible();
    }));
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QString::fromUtf8("加入播放列表"));
    EXPECT_EQ(actions[0]->data().toInt(), command::kResultAddToList);
    EXPECT_EQ(actions[1]->text(), QString::fromUtf8("立即播放"));
    EXPECT_EQ(actions[1]->data().toInt(), command::kListPlay);
    EXPECT_EQ(actions[2]->text(), QString::fromUtf8("预览"));
    EXPECT_EQ(actions[2]->data().toInt(), command::kListPreview);
    const QImage shot = menu->grab().toImage();
    SaveScreenshot(shot, "browse-link-menu.png");
    EXPECT_GE(shot.height(), 3 * menu->actionGeometry(actions[0]).height()) << "three entries drawn";

    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(actions[1]).center());
    ASSERT_TRUE(RunEventsUntil([&] { return !host.added.empty(); }));
    EXPECT_EQ(host.added.back().key, "page");
    EXPECT_EQ(host.added.back().title, "Title");
    EXPECT_EQ(host.added.back().mode, "1");
    EXPECT_TRUE(host.balloons.empty());
    EXPECT_EQ(view->View().Title(), "Start") << "the page stays";
}

TEST_F(BrowseTabsTest, TheSchemesReachTheHostAndTheSettings)
{
    PlayViewBrowser* view = OpenOn("/start.html");
    ASSERT_NE(view, nullptr);
    view->Navigate("tipxev://playxev://page&&&Title");
    ASSERT_EQ(host.added.size(), 1u);
    EXPECT_EQ(host.added[0].mode, "1");
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0], "Quelt|Quelt正在播放“Title”...");

    const std::string quoted = R"(addxev://it's\page&&&"T" 'x' \)";
    view->View().ExecScript("location.href = " + std::string("'addxev://it\\'s\\\\page&&&\"T\" \\'x\\' \\\\'"));
    ASSERT_TRUE(RunEventsUntil([&] { return host.added.size() == 2; }));
    EXPECT_EQ(host.added[1].key, R"(it's\page)");
    EXPECT_EQ(host.added[1].title, R"("T" 'x' \)");
    EXPECT_EQ(host.added[1].mode, "2");

    const std::string longText(10 * 1024, 'a');
    view->Navigate("alertxev://" + longText);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], longText);

    const std::string before = host.settings.searchStyleUrl;
    view->Navigate("searchcuxev://skin/main/searchstyle3.html");
    EXPECT_EQ(host.settings.searchStyleUrl, "skin/main/searchstyle3.html");
    EXPECT_NE(before, host.settings.searchStyleUrl);

    // No search view is registered here: the search opens no tab and the
    // address counts as not handled; the page stays.
    const std::size_t count = tabs->Count();
    EXPECT_FALSE(view->DispatchSchemeUrl("searchxev://music&&&love%20song/"));
    EXPECT_EQ(tabs->Count(), count);
}

// Stand-ins for the search and special views, which keep what they open
// with.
struct SpecialView : PlayViewBrowser {
    using PlayViewBrowser::PlayViewBrowser;
    void OpenSpecial(const SpecialTabRequest& request) override { last = request; }
    inline static SpecialTabRequest last;
};
struct SearchView : PlayViewBrowser {
    using PlayViewBrowser::PlayViewBrowser;
    void OpenSearch(const SearchTabRequest& request) override { last = request; }
    inline static SearchTabRequest last;
};

TEST_F(BrowseTabsTest, RegisteredKindsOpenWithWhatTheSchemeCarries)
{
    tabs->RegisterViewFactory(ViewKind::Special, [](QWidget* parent, IBrowseHost& h, IViewTabs& t, int id) {
        return std::make_unique<SpecialView>(parent, h, t, id);
    });
    tabs->RegisterViewFactory(ViewKind::Search, [](QWidget* parent, IBrowseHost& h, IViewTabs& t, int id) {
        return std::make_unique<SearchView>(parent, h, t, id);
    });
    host.settings.searchStyleUrl = "skin/main/searchstyle2.html";
    PlayViewBrowser* view = OpenOn("/start.html");
    ASSERT_NE(view, nullptr);
    view->Navigate("searchxev://music&&&love%20song/");
    EXPECT_EQ(tabs->Count(), 2u);
    EXPECT_EQ(SearchView::last.category, "music");
    EXPECT_EQ(SearchView::last.keyword, "love song");
    EXPECT_EQ(SearchView::last.page, "file://" QUELT_APP_DIR "/skin/main/searchstyle2.html");

    view->Navigate("specialxev://Topic&&&2&&&a%20b&&&10&&&20&&&t4");
    EXPECT_EQ(tabs->Count(), 3u);
    EXPECT_TRUE(SpecialView::last.filled);
    EXPECT_EQ(SpecialView::last.pageNumber, 2);
    EXPECT_EQ(SpecialView::last.t1, "a b");
    EXPECT_EQ(SpecialView::last.t2, "10");
    view->Navigate("specialxev://Topic&&&2&&&a&&&b&&&c");
    EXPECT_EQ(tabs->Count(), 4u) << "four pieces: an empty special tab";
    EXPECT_FALSE(SpecialView::last.filled);
}

// The skin element of the default tabs: defnum 3 with pages 0 and 2 only.
pugi::xml_document ManagerElement(const std::string& waitUrl, const std::string& url0, const std::string& url2)
{
    pugi::xml_document doc;
    pugi::xml_node element = doc.append_child("win32_ctrl");
    element.append_attribute("ctrl_name") = "browserview_mgr";
    element.append_attribute("defnum") = "3";
    element.append_attribute("def_url") = waitUrl.c_str();
    element.append_attribute("url0") = url0.c_str();
    element.append_attribute("url2") = url2.c_str();
    return doc;
}

TEST_F(BrowseTabsTest, DefaultTabsShowTheWaitingPageUntilTheNetworkIsReady)
{
    PlayViewBrowserManager::ResetNetworkReadySeenForTesting();
    host.settings.specialViewUrl = site->Url("/lists/special.xml");
    PlayViewBrowserManager manager(*tabs, host.settings);
    const pugi::xml_document element = ManagerElement(site->Url("/wait.html"), site->Url("/zero.html"), site->Url("/two.html"));
    manager.ReadSkin(element.document_element());
    ASSERT_EQ(tabs->Count(), 2u) << "url1 is missing: two tabs";
    const std::vector<int> ids = Order();
    for (const int id : ids) {
        EXPECT_FALSE(Band()->FindButton(id)->IsClosable()) << "default tabs have no close box";
        ASSERT_TRUE(RunEventsUntil([&] { return tabs->FindView(id)->View().Title() == "Wait"; }, std::chrono::seconds(30)));
    }
    EXPECT_EQ(manager.SpecialLists(), nullptr) << "nothing fetched before the network is ready";
    EXPECT_FALSE(PlayViewBrowserManager::NetworkReadySeen());

    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    EXPECT_TRUE(PlayViewBrowserManager::NetworkReadySeen());
    std::set<std::string> titles;
    ASSERT_TRUE(RunEventsUntil([&] {
        titles.clear();
        for (const int id : ids)
            titles.insert(tabs->FindView(id)->View().Title());
        return titles == std::set<std::string>{"Zero", "Two"};
    }, std::chrono::seconds(30)));
    const auto* lists = manager.SpecialLists();
    ASSERT_NE(lists, nullptr) << "the special pages' list is kept fresh from the first network-ready";
    ASSERT_TRUE(RunEventsUntil([&] { return !site->RequestsFor("/lists/special.xml.seupdate").empty(); }));
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    EXPECT_EQ(manager.SpecialLists(), lists) << "one downloader, not a second";

    // A default tab closed with "close all" is not navigated again.
    platform::PostMessage(window->GetSafeHwnd(), WM_TAB_CLOSE, control::kTabBand, ids[0]);
    ASSERT_TRUE(RunEventsUntil([&] { return tabs->Count() == 1; }));
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
}

TEST_F(BrowseTabsTest, ASkinReadAfterNetworkReadyLoadsTheDefaultPagesAtOnce)
{
    PlayViewBrowserManager::ResetNetworkReadySeenForTesting();
    {
        PlayViewBrowserManager first(*tabs, host.settings);
        BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    }
    ASSERT_TRUE(PlayViewBrowserManager::NetworkReadySeen());
    PlayViewBrowserManager later(*tabs, host.settings);
    const pugi::xml_document element = ManagerElement(site->Url("/wait.html"), site->Url("/zero.html"), "");
    later.ReadSkin(element.document_element());
    ASSERT_EQ(tabs->Count(), 1u);
    PlayViewBrowser* view = tabs->FindView(Order().front());
    ASSERT_TRUE(RunEventsUntil([&] { return view->View().Title() == "Zero"; }, std::chrono::seconds(30)));
}

// The hot searches: a view of the skin, not a tab, placed where the tabs'
// views go (below the band).
class HotTabListTest : public BrowseTabsTest {
protected:
    void SetUp() override
    {
        BrowseTabsTest::SetUp();
        PlayViewBrowserManager::ResetNetworkReadySeenForTesting();
        tabs->RegisterViewFactory(ViewKind::Search, [](QWidget* parent, IBrowseHost& h, IViewTabs& t, int id) {
            return std::make_unique<SearchView>(parent, h, t, id);
        });
    }
    void TearDown() override
    {
        hot.reset();
        PlayViewBrowserManager::ResetNetworkReadySeenForTesting();
        BrowseTabsTest::TearDown();
    }
    CWndHotTabList& MakeHotList(const std::string& defaultUrl)
    {
        hot = std::make_unique<CWndHotTabList>(window.get(), host, *tabs, control::kHotTabList);
        hot->Widget()->setGeometry(0, 34, 800, 466);
        hot->Widget()->show();
        pugi::xml_document doc;
        pugi::xml_node element = doc.append_child("win32_ctrl");
        element.append_attribute("ctrl_name") = "hot_tab_list";
        element.append_attribute("defurl") = defaultUrl.c_str();
        hot->ReadSkin(element);
        return *hot;
    }
    // The middle of the first element a selector finds, in the view, once
    // the page has made it.
    static QPoint CentreOf(PlayHtmlViewBase& view, const std::string& selector)
    {
        const std::string script = "(function () { var e = document.querySelector('" + selector
                                   + "'); if (!e) return ''; var r = e.getBoundingClientRect();"
                                     " return Math.round(r.left + r.width / 2) + ',' + Math.round(r.top + r.height / 2); })()";
        std::string at;
        if (!RunEventsUntil([&] { return !(at = test_support::RunScriptAndWait(view.View(), script)).empty(); }))
            return {-1, -1};
        return {std::atoi(at.c_str()), std::atoi(at.substr(at.find(',') + 1).c_str())};
    }

    std::unique_ptr<CWndHotTabList> hot;
};

TEST_F(HotTabListTest, ItsPageLoadsAtNetworkReadyAndNotBefore)
{
    CWndHotTabList& list = MakeHotList(site->Url("/hot.html"));
    EXPECT_EQ(list.DefaultUrl(), site->Url("/hot.html"));
    QTest::qWait(0);
    EXPECT_TRUE(list.HomeUrl().empty());
    EXPECT_EQ(list.View().Url().find("/hot.html"), std::string::npos) << "nothing loads before the network is ready";
    EXPECT_TRUE(site->RequestsFor("/hot.html").empty());

    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    EXPECT_EQ(list.HomeUrl(), site->Url("/hot.html")) << "its page becomes the view's home page";
    ASSERT_TRUE(RunEventsUntil([&] { return list.View().Title() == "Hot"; }, std::chrono::seconds(30)));
    EXPECT_EQ(tabs->Count(), 0u) << "not a tab";
    EXPECT_TRUE(Band()->GetButtons().empty());
}

// Before its page loads, the view is in the skin's dark page colour; a
// page that sets no colour of its own then shows on a browser's white, as
// anywhere else.
TEST_F(HotTabListTest, ItWaitsInTheSkinsColourAndAPageWithoutColoursIsWhite)
{
    CWndHotTabList& list = MakeHotList(site->Url("/second.html"));
    QWidget* view = list.Widget();
    const QPoint middle = view->mapTo(window.get(), view->rect().center() + QPoint(0, 100));
    const auto lightness = [&] { return window->grab().toImage().pixelColor(middle).lightness(); };
    EXPECT_LT(lightness(), 64) << "dark while it waits";

    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    ASSERT_TRUE(RunEventsUntil([&] { return list.View().Title() == "Second"; }, std::chrono::seconds(30)));
    EXPECT_TRUE(RunEventsUntil([&] { return lightness() > 240; }, std::chrono::seconds(10)))
        << "the page shows on white, not on the waiting colour";
}

TEST_F(HotTabListTest, ASkinReadAfterNetworkReadyLoadsItsPageAtOnce)
{
    {
        PlayViewBrowserManager manager(*tabs, host.settings);
        BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    }
    ASSERT_TRUE(PlayViewBrowserManager::NetworkReadySeen());
    CWndHotTabList& list = MakeHotList(site->Url("/hot.html"));
    EXPECT_EQ(list.HomeUrl(), site->Url("/hot.html"));
    ASSERT_TRUE(RunEventsUntil([&] { return list.View().Title() == "Hot"; }, std::chrono::seconds(30)));
}

TEST_F(HotTabListTest, ANewWindowFromItOpensAClosableBrowsingTab)
{
    CWndHotTabList& list = MakeHotList(site->Url("/hot.html"));
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    ASSERT_TRUE(RunEventsUntil([&] { return list.View().Title() == "Hot"; }, std::chrono::seconds(30)));
    const QPoint link = CentreOf(list, "#blank");
    ASSERT_TRUE(list.Widget()->rect().contains(link));
    QTest::mouseClick(Input(&list), Qt::LeftButton, {}, link);
    ASSERT_TRUE(RunEventsUntil([&] { return tabs->Count() == 1; }));
    const int opened = Order().front();
    EXPECT_TRUE(Band()->FindButton(opened)->IsClosable());
    EXPECT_EQ(host.browseCommands, 1) << "the window switched to its browsing tabs";
    PlayViewBrowser* popup = tabs->FindView(opened);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return popup->View().Title() == "Second"; }, std::chrono::seconds(30)));
    ASSERT_TRUE(RunEventsUntil([&] { return Band()->FindButton(opened)->GetText() == "Second"; }));
    EXPECT_EQ(list.View().Title(), "Hot") << "the hot searches stay";
}

TEST_F(HotTabListTest, TheProgramsHotPageOpensASearchTabForAClickedKeyword)
{
    CWndHotTabList& list = MakeHotList("skin/main/hottab.html");
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    EXPECT_EQ(list.HomeUrl(), "file://" QUELT_APP_DIR "/skin/main/hottab.html");
    ASSERT_TRUE(RunEventsUntil([&] { return list.View().Title() == "热门"; }, std::chrono::seconds(30)));
    const QPoint keyword = CentreOf(list, "#keywords .card a");
    ASSERT_TRUE(list.Widget()->rect().contains(keyword));
    QTest::mouseClick(Input(&list), Qt::LeftButton, {}, keyword);
    ASSERT_TRUE(RunEventsUntil([&] { return tabs->Count() == 1; }));
    EXPECT_EQ(SearchView::last.keyword, "新闻");
    EXPECT_EQ(SearchView::last.category, "");
    EXPECT_TRUE(Band()->FindButton(Order().front())->IsClosable());
    EXPECT_EQ(list.View().Title(), "热门") << "the link itself never loads";
}

}  // namespace
