// The HTML view layer in QtWebEngine offscreen, against the test site:
// titles and document complete, cancelled navigations, the program's
// schemes, new windows, errors and scripts. One engine for all cases.
#include "common/lang/translate.h"
#include "platform/web/html_view.h"
#include "platform/web/media_request_header.h"
#include "platform/web/page_texts.h"
#include "platform/web/player_page_view.h"
#include "search/scheme_url.h"
#include "support/event_wait.h"
#include "support/script_wait.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

using test_support::RunEventsUntil;

// Every prefix of the program's string table.
const std::vector<std::string> kAllSchemes = {
    "specialxev://", "searchxev://", "playxev://", "inxev://", "addxev://", "searchcolxev://", "searchtagxev://",
    "searchstylexev://", "colsearchstylexev://", "specialcuxev://", "searchcuxev://", "searchcolcuxev://",
    "searchmorexev://", "alertxev://", "tipxev://"};

class HtmlViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform::PrepareWebEngineEnvironment();
        // As the program does at start: the one list of its prefixes.
        platform::HtmlView::SetProgramSchemes(scheme::ProgramSchemePrefixes());
        site = std::make_unique<test_site::TestSite>();
        ASSERT_TRUE(site->Start());
        site->AddFile("/page.html", "<html><head><title>First page</title></head><body>"
                                    "<a id='play' href='playxev://open&&&Title One'>play</a>"
                                    "<a id='blank' href='/popup.html' target='_blank'>popup</a>"
                                    "<a id='next' href='/next.html'>next</a></body></html>",
                      "text/html");
        site->AddFile("/next.html", "<html><head><title>Next page</title></head><body>next</body></html>", "text/html");
        site->AddFile("/popup.html", "<html><head><title>Popup</title></head><body>popup</body></html>", "text/html");
        test_site::Behaviour missing;
        missing.status = 404;
        site->AddFile("/missing.html", "x", "text/html");
        site->SetBehaviour("/missing.html", missing);
    }
    static void TearDownTestSuite() { site.reset(); }

    void SetUp() override
    {
        view = std::make_unique<platform::HtmlView>(nullptr, false);
        platform::HtmlView::Events events;
        events.beforeNavigate = [this](const std::string& url, bool scheme, bool& cancel) {
            navigations.push_back((scheme ? "scheme " : "page ") + url);
            cancel = url.find("next.html") != std::string::npos && cancelNext;
        };
        events.titleChanged = [this](const std::string& title) { titles.push_back(title); };
        events.documentComplete = [this](const std::string& url) { completed.push_back(url); };
        events.navigationError = [this](const std::string& url, int code) { errors.push_back({url, code}); };
        events.newWindow = [this]() -> platform::HtmlView* { return popup.get(); };
        view->SetEvents(events);
        view->SetOptions({});
    }
    bool Load(const std::string& path)
    {
        const std::size_t before = completed.size();
        view->Navigate(site->Url(path));
        return RunEventsUntil([&] { return completed.size() > before; }, std::chrono::seconds(30));
    }
    std::string Run(const std::string& code) { return test_support::RunScriptAndWait(*view, code); }

    inline static std::unique_ptr<test_site::TestSite> site;
    std::unique_ptr<platform::HtmlView> view;
    std::unique_ptr<platform::HtmlView> popup;
    std::vector<std::string> navigations, titles, completed;
    std::vector<std::pair<std::string, int>> errors;
    bool cancelNext = false;
};

TEST_F(HtmlViewTest, ATitleADocumentCompleteAndAScriptValue)
{
    ASSERT_TRUE(Load("/page.html"));
    EXPECT_EQ(completed.back(), site->Url("/page.html"));
    EXPECT_EQ(view->Title(), "First page");
    EXPECT_FALSE(titles.empty());
    EXPECT_EQ(Run("document.getElementById('next').textContent"), "next");
    EXPECT_EQ(navigations.front(), "page " + site->Url("/page.html"));
}

TEST_F(HtmlViewTest, TheProgramsSchemesArriveRawAndNavigationsCanBeCancelled)
{
    ASSERT_TRUE(Load("/page.html"));
    Run("document.getElementById('play').click()");
    ASSERT_TRUE(RunEventsUntil([&] { return navigations.back().starts_with("scheme "); }));
    EXPECT_EQ(navigations.back(), "scheme playxev://open&&&Title One") << "the raw text, blanks and all";
    Run("window.open('searchxev://key words')");
    ASSERT_TRUE(RunEventsUntil([&] { return navigations.back() == "scheme searchxev://key words"; }));
    EXPECT_EQ(view->Url(), site->Url("/page.html")) << "still on the page";

    cancelNext = true;
    Run("document.getElementById('next').click()");
    ASSERT_TRUE(RunEventsUntil([&] { return navigations.back() == "page " + site->Url("/next.html"); }));
    EXPECT_EQ(view->Title(), "First page") << "cancelled";
    cancelNext = false;
    Run("document.getElementById('next').click()");
    ASSERT_TRUE(RunEventsUntil([&] { return view->Title() == "Next page"; }));
}

TEST_F(HtmlViewTest, EveryProgramSchemeIsStoppedAndReported)
{
    std::string links;
    for (std::size_t i = 0; i < kAllSchemes.size(); ++i)
        links += "<a id='s" + std::to_string(i) + "' href='" + kAllSchemes[i] + "page&&&T'>" + kAllSchemes[i] + "</a>";
    site->AddFile("/schemes.html", "<html><head><title>Schemes</title></head><body>" + links + "</body></html>",
                  "text/html");
    ASSERT_TRUE(Load("/schemes.html"));
    navigations.clear();
    for (std::size_t i = 0; i < kAllSchemes.size(); ++i) {
        Run("document.getElementById('s" + std::to_string(i) + "').click()");
        const std::string expected = "scheme " + std::string(kAllSchemes[i]) + "page&&&T";
        ASSERT_TRUE(RunEventsUntil([&] { return !navigations.empty() && navigations.back() == expected; }))
            << kAllSchemes[i] << " was not reported; last: " << (navigations.empty() ? "" : navigations.back());
    }
    EXPECT_EQ(navigations.size(), kAllSchemes.size()) << "nothing but the schemes, each once";
    EXPECT_EQ(view->Url(), site->Url("/schemes.html")) << "none was loaded";
    EXPECT_EQ(Run("document.title"), "Schemes");
}

TEST_F(HtmlViewTest, ARightClickReportsTheLinkInsteadOfTheBrowsersMenu)
{
    platform::HtmlView shown;
    std::vector<std::string> hrefs;
    QPoint reported;
    bool done = false;
    platform::HtmlView::Events events;
    events.documentComplete = [&](const std::string&) { done = true; };
    events.contextMenu = [&](const std::string& href, int x, int y) {
        hrefs.push_back(href);
        reported = QPoint(x, y);
    };
    shown.SetEvents(events);
    site->AddFile("/menu.html", "<html><body style='margin:0'><a id='add' href='addxev://page&&&A Title' "
                                "style='position:absolute;left:40px;top:30px;width:200px;height:40px;display:block'>"
                                "add</a></body></html>",
                  "text/html");
    shown.Widget()->resize(400, 300);
    shown.Widget()->show();
    shown.Navigate(site->Url("/menu.html"));
    ASSERT_TRUE(RunEventsUntil([&] { return done; }, std::chrono::seconds(30)));
    QWidget* input = shown.Widget()->focusProxy() ? shown.Widget()->focusProxy() : shown.Widget();
    ASSERT_TRUE(RunEventsUntil([&] {
        QTest::mouseClick(input, Qt::RightButton, {}, QPoint(60, 45));
        return !hrefs.empty();
    }));
    EXPECT_EQ(hrefs.back(), "addxev://page&&&A Title");
    EXPECT_EQ(reported, QPoint(60, 45));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no menu of the browser's";
    QTest::mouseClick(input, Qt::RightButton, {}, QPoint(300, 200));
    ASSERT_TRUE(RunEventsUntil([&] { return hrefs.size() >= 2 && hrefs.back().empty(); }));
}

TEST_F(HtmlViewTest, NewWindowsOpenInTheViewGivenOrNotAtAll)
{
    ASSERT_TRUE(Load("/page.html"));
    Run("document.getElementById('blank').click()");  // no view given: cancelled
    popup = std::make_unique<platform::HtmlView>(nullptr, false);
    std::vector<std::string> popupDone;
    platform::HtmlView::Events events;
    events.documentComplete = [&](const std::string& url) { popupDone.push_back(url); };
    popup->SetEvents(events);
    Run("document.getElementById('blank').click()");
    ASSERT_TRUE(RunEventsUntil([&] { return !popupDone.empty(); }));
    EXPECT_EQ(popupDone.back(), site->Url("/popup.html"));
    EXPECT_EQ(view->Url(), site->Url("/page.html"));
}

TEST_F(HtmlViewTest, MediaAndXhrRequestsCarryTheFlashVersionHeader)
{
    platform::InstallMediaRequestHeader();
    site->AddFile("/clip.mp4", std::string("\0\0\0\x18" "ftypmp42", 12) + std::string(4000, 'x'), "video/mp4");
    site->AddFile("/data.txt", "data", "text/plain");
    site->AddFile("/media.html", "<html><body><video src='/clip.mp4' preload='auto'></video>"
                                 "<script>fetch('/data.txt');</script><img src='/none.png'></body></html>",
                  "text/html");
    ASSERT_TRUE(Load("/media.html"));
    ASSERT_TRUE(RunEventsUntil([&] {
        return !site->RequestsFor("/clip.mp4").empty() && !site->RequestsFor("/data.txt").empty();
    }, std::chrono::seconds(30)));
    EXPECT_EQ(site->RequestsFor("/clip.mp4").front().Value("x-flash-version"), "9,0,115,0");
    EXPECT_EQ(site->RequestsFor("/data.txt").front().Value("x-flash-version"), "9,0,115,0");
    EXPECT_EQ(site->RequestsFor("/media.html").front().Value("x-flash-version"), "") << "the page itself is no player";
}

TEST_F(HtmlViewTest, ErrorsCarryTheHttpStatusOrTheNetworkCode)
{
    view->Navigate(site->Url("/missing.html"));
    ASSERT_TRUE(RunEventsUntil([&] { return !errors.empty(); }, std::chrono::seconds(30)));
    EXPECT_EQ(errors.back().second, 404);
    EXPECT_TRUE(completed.empty());
    test_site::TestSite gone;  // a port where nobody listens any more
    ASSERT_TRUE(gone.Start());
    const std::string refused = gone.Url("/refused.html");
    gone.Stop();
    view->Navigate(refused);
    ASSERT_TRUE(RunEventsUntil([&] { return errors.size() == 2; }, std::chrono::seconds(30)));
    EXPECT_EQ(errors.back().second, -102);
}

}  // namespace

// The program hands its pages the dictionary of the run's language: a page
// of its own folder shows its texts, title and the texts its script makes
// in English; a page from the network is left as it is.
TEST_F(HtmlViewTest, TheProgramsOwnPagesSpeakTheLanguageOfTheRun)
{
    const std::string related = "file://" QUELT_SOURCE_DIR "/skin/main/relatedstyle.html";
    const auto loadOwnPage = [&] {
        SetUp();  // a view made after the dictionary was handed over
        const std::size_t before = completed.size();
        view->Navigate(related);
        return RunEventsUntil([&] { return completed.size() > before; }, std::chrono::seconds(30));
    };

    platform::SetPageTexts(lang::PageDictionaryJson(lang::Language::English));
    ASSERT_TRUE(loadOwnPage());
    EXPECT_EQ(Run("document.getElementById('status').textContent"), "No related videos yet");
    EXPECT_EQ(Run("document.title"), "Related videos");
    EXPECT_EQ(Run("Quelt.tr('第 %1 / %2 页', 2, 7)"), "Page 2 of 7");
    EXPECT_EQ(Run("Quelt.tr('不在词典里的话')"), "不在词典里的话") << "a text without English stays";
    ASSERT_TRUE(Load("/page.html"));
    EXPECT_EQ(Run("typeof window.QueltTr"), "undefined") << "pages of the network are not touched";

    platform::SetPageTexts(lang::PageDictionaryJson(lang::Language::Chinese));
    ASSERT_TRUE(loadOwnPage());
    EXPECT_EQ(Run("document.getElementById('status').textContent"), "暂无相关视频");
    EXPECT_EQ(Run("Quelt.tr('第 %1 / %2 页', 2, 7)"), "第 2 / 7 页");
    platform::SetPageTexts("{}");
}
