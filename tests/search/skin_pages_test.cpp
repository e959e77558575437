// The program's own pages in QtWebEngine offscreen, as the program calls
// them: results drawn as text whatever a site sent, sorting, the "nothing
// found" line, the related and special pages, and a click on a result's
// play link (a real mouse click) that reaches the view as the scheme
// address with the page and the title. One browser engine for all cases.
#include "common/lang/translate.h"
#include "platform/web/html_view.h"
#include "platform/web/page_texts.h"
#include "platform/web/player_page_view.h"
#include "search/page_calls.h"
#include "search/relation_fill.h"
#include "search/result_list.h"
#include "search/scheme_url.h"
#include "shell/settings/app_setting.h"
#include "support/event_wait.h"
#include "support/script_wait.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPoint>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

using test_support::RunEventsUntil;

const std::string kSkin = std::string(QUELT_APP_DIR) + "/skin/main/";

SearchResultItem Item(const std::string& url, const std::string& name, int plays, int rate)
{
    SearchResultItem item;
    item.url = url;
    item.name = name;
    item.imageUrl = "data:image/gif;base64,R0lGODlhAQABAAAAACw=";
    item.playCount = plays;
    item.rate = rate;
    return item;
}

class SkinPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform::PrepareWebEngineEnvironment();
        // As the program does at start: the one list of its prefixes.
        platform::HtmlView::SetProgramSchemes(scheme::ProgramSchemePrefixes());
    }

    void SetUp() override { MakeView(); }
    void TearDown() override { platform::SetPageTexts("{}"); }

    // A new view, which takes the page texts set at that moment.
    void MakeView()
    {
        view = std::make_unique<platform::HtmlView>(nullptr, true);
        platform::HtmlView::Events events;
        events.beforeNavigate = [this](const std::string& url, bool scheme, bool& cancel) {
            if (scheme)
                schemes.push_back(url);
            cancel = false;
        };
        events.documentComplete = [this](const std::string&) { ++completed; };
        view->SetEvents(events);
        view->Widget()->resize(540, 420);  // the tab area at the window's smallest size
        view->Widget()->show();
    }
    void Load(const std::string& page)
    {
        const int before = completed;
        view->Navigate("file://" + kSkin + page);
        ASSERT_TRUE(RunEventsUntil([&] { return completed > before; }, std::chrono::seconds(30))) << page;
    }
    std::string Run(const std::string& code) { return test_support::RunScriptAndWait(*view, code); }
    std::string Texts(const std::string& selector)
    {
        return Run("Array.from(document.querySelectorAll('" + selector
                   + "')).map(function (e) { return e.textContent; }).join('|')");
    }

    // The result cards' buttons whose text is not seen whole on one line:
    // the button is more than one line high, its text is wider than the
    // button, or the button reaches beyond its card (which clips it); as
    // "text height/line-height text-width>width button-right>card-right".
    std::string WrappedOrCutButtons()
    {
        return Run("Array.from(document.querySelectorAll('#results .actions a')).map(function (a) {"
                   "  var s = getComputedStyle(a);"
                   "  var text = a.clientHeight - parseFloat(s.paddingTop) - parseFloat(s.paddingBottom);"
                   "  var right = a.getBoundingClientRect().right;"
                   "  var cardRight = a.closest('.card').getBoundingClientRect().right;"
                   "  var bad = Math.abs(text - parseFloat(s.lineHeight)) > 1 || a.scrollWidth > a.clientWidth"
                   "            || right > cardRight;"
                   "  return bad ? a.textContent + ' ' + a.clientHeight + '/' + s.lineHeight + ' ' + a.scrollWidth"
                   "               + '>' + a.clientWidth + ' ' + Math.round(right) + '>' + Math.round(cardRight) : '';"
                   "}).filter(String).join(', ')");
    }

    std::unique_ptr<platform::HtmlView> view;
    std::vector<std::string> schemes;
    int completed = 0;
};

TEST(SkinPageFilesTest, TheSettingsNameThePagesTheBuildInstalls)
{
    const CAppSetting settings;
    for (const std::string& page : {settings.searchStyleUrl, settings.colSearchStyleUrl, settings.specialStyleUrl})
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(std::string(QUELT_APP_DIR) + "/" + page))) << page;
}

TEST_F(SkinPagesTest, SearchPageDrawsSiteTextAsTextAndSorts)
{
    Load("searchstyle2.html");
    const std::vector<SearchResultItem> items = {
        Item("http://t/1", "<img src=x onerror=\"window.pwned=1\">", 5, 2000),
        Item("http://t/2", "</script><b id='bold'>it's \\ bold</b>", 50, 500),
        Item("http://t/3", "plain title", 1, 9000),
    };
    Run(SearchResultCall(BuildResultXml(items, nullptr)));
    EXPECT_EQ(Run("String(document.querySelectorAll('#results .card').length)"), "3");
    EXPECT_EQ(Texts("#results .title"), std::string("</script><b id='bold'>it's \\ bold</b>|")
                                            + "<img src=x onerror=\"window.pwned=1\">|plain title")
        << "the fastest site first, titles as text";
    EXPECT_EQ(Run("String(!!document.getElementById('bold') || !!document.querySelector('img[src=x]'))"), "false");
    EXPECT_EQ(Run("String(window.pwned)"), "undefined");
    EXPECT_EQ(Run("document.querySelector('#results .card:last-child .play').getAttribute('href')"),
              "playxev://http://t/3&&&plain%20title");
    EXPECT_EQ(Run("String(document.getElementById('more').classList.contains('hidden'))"), "false");

    Run("doSort('playcount', '', 'user')");
    EXPECT_EQ(Run("Array.from(document.querySelectorAll('#results .card')).map(c => c.dataset.url).join(' ')"),
              "http://t/2 http://t/1 http://t/3");
    // The program's next call keeps the user's order.
    Run(SearchResultCall(BuildResultXml(items, nullptr)));
    EXPECT_EQ(Run("Array.from(document.querySelectorAll('#results .card')).map(c => c.dataset.url).join(' ')"),
              "http://t/2 http://t/1 http://t/3");
}

TEST_F(SkinPagesTest, NothingFoundShowsAClearLine)
{
    for (const char* page : {"searchstyle2.html", "colsearchstyle.html"}) {
        SCOPED_TRACE(page);
        Load(page);
        const std::vector<SpeedInfoRecord> none;
        Run(SearchResultCall(BuildResultXml({Item("http://t/1", "a", 1, 1)}, &none)));
        EXPECT_EQ(Run("String(document.querySelectorAll('#results .card').length)"), "0");
        EXPECT_NE(Texts("#status").find("没有找到"), std::string::npos);
        EXPECT_EQ(Run("String(document.getElementById('more').classList.contains('hidden'))"), "true");
        Run(FeedRequestCall("love's \"song\""));
        EXPECT_EQ(Texts("#heading"), "“love's \"song\"”的搜索结果");
    }
}

TEST_F(SkinPagesTest, AClickOnPlayReachesTheViewAsTheSchemeAddress)
{
    Load("colsearchstyle.html");
    Run(SearchResultCall(BuildResultXml({Item("http://t/9", "两个 字 it's", 1, 1)}, nullptr)));
    const std::string rect = Run(
        "(function () { var r = document.querySelector('#results .play').getBoundingClientRect();"
        " return Math.round(r.left + r.width / 2) + ',' + Math.round(r.top + r.height / 2); })()");
    const auto comma = rect.find(',');
    ASSERT_NE(comma, std::string::npos) << rect;
    const QPoint at(std::stoi(rect.substr(0, comma)), std::stoi(rect.substr(comma + 1)));
    QWidget* target = view->Widget()->focusProxy() ? view->Widget()->focusProxy() : view->Widget();
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    ASSERT_TRUE(RunEventsUntil([&] { return !schemes.empty(); }));
    EXPECT_EQ(schemes.front(), "playxev://http://t/9&&&两个%20字%20it's");
}

TEST_F(SkinPagesTest, RelatedAndSpecialPagesTakeTheirCalls)
{
    Load("relatedstyle.html");
    std::vector<SearchResultItem> items;
    for (int i = 0; i < 8; ++i)
        items.push_back(Item("http://r/" + std::to_string(i), "<i>related</i> " + std::to_string(i), 0, 0));
    Run(RelationCall(BuildRelationXml(FillRelationItems(items, {}, 6, 0)), 6));
    EXPECT_EQ(Run("String(document.querySelectorAll('#results .card').length)"), "6");
    EXPECT_EQ(Texts("#results .card:first-child .title"), "<i>related</i> 0");

    Load("specialstyle2.html");
    Run(MakePageCall({"专题 <b>", "介绍 it's", "3", "2", "javascript:alert(1)", 1}));
    EXPECT_EQ(Texts("#heading"), "专题 <b>");
    EXPECT_EQ(Texts("#intro"), "介绍 it's");
    EXPECT_EQ(Run("String(document.getElementById('banner').hasAttribute('src'))"), "false");
    EXPECT_NE(Texts("#pager").find("下一页"), std::string::npos);
    Run(SpecialResultCall("<root><item><url>http://s/1</url><imgurl>http://s/1.jpg</imgurl><name>one</name>"
                          "</item></root>"));
    EXPECT_EQ(Texts("#results .title"), "one") << "a site's own result XML, drawn at inputData";
    EXPECT_EQ(Run("document.querySelector('#results .add').getAttribute('href')"), "addxev://http://s/1&&&one");
}

// The play, preview and add buttons of a card keep their text on one line,
// whole, in Chinese and English, in the special page's four columns, in
// the search page's grid and in the column search page's rows, at the tab area's default width (the window at
// 960) and its narrowest (the window at its smallest, 840).
TEST_F(SkinPagesTest, ResultButtonsKeepTheirTextOnOneLine)
{
    std::vector<SearchResultItem> items;
    for (int i = 0; i < 8; ++i)
        items.push_back(Item("http://t/" + std::to_string(i), "video " + std::to_string(i), i, 500));
    for (const lang::Language language : {lang::Language::Chinese, lang::Language::English}) {
        platform::SetPageTexts(lang::PageDictionaryJson(language));
        MakeView();
        for (const int width : {645, 540}) {
            SCOPED_TRACE(std::to_string(width) + (language == lang::Language::English ? " en" : " zh"));
            view->Widget()->resize(width, 420);
            Load("specialstyle2.html");
            Run(MakePageCall({"Demo Tube 精选", "", "4", "1", "", 1}));
            Run(SpecialResultCall(BuildResultXml(items, nullptr)));
            ASSERT_EQ(Run("String(document.querySelectorAll('#results .card').length)"), "8");
            EXPECT_EQ(Texts("#results .card:first-child .add"),
                      language == lang::Language::English ? "Add to list" : "加入列表");
            EXPECT_EQ(WrappedOrCutButtons(), "") << "special page";

            Load("searchstyle2.html");
            Run(SearchResultCall(BuildResultXml(items, nullptr)));
            ASSERT_EQ(Run("String(document.querySelectorAll('#results .card').length)"), "8");
            EXPECT_EQ(WrappedOrCutButtons(), "") << "search page";

            Load("colsearchstyle.html");
            Run(SearchResultCall(BuildResultXml(items, nullptr)));
            ASSERT_EQ(Run("String(document.querySelectorAll('#results .card').length)"), "8");
            EXPECT_EQ(WrappedOrCutButtons(), "") << "column search page";
        }
    }
}

}  // namespace
