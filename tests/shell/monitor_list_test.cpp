// The subscriptions page (CWndMonitorList) in QtWebEngine offscreen, driven
// by real mouse clicks and keys: a keyword added on the page and started
// becomes the keyword list; stop empties it; the categories reach the
// page as text, whatever they hold. Then pages of bad data behind
// "start_monitor": none crashes, and what lands in the list is bounded.
#include "recording_browse_host.h"

#include "platform/web/html_view.h"
#include "platform/web/player_page_view.h"
#include "search/keyword_schedule.h"
#include "search/list_cache.h"
#include "search/list_cipher.h"
#include "search/scheme_url.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/search_tabs/wnd_monitor_list.h"
#include "shell/settings/app_setting.h"
#include "support/event_wait.h"
#include "support/script_wait.h"
#include "support/temp_app_folder.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::RunEventsUntil;

class MonitorListTest : public ::testing::Test {
protected:
    static constexpr const char* kCategoryUrl = "http://lists.test/file/6/f.xml";
    static constexpr const char* kHostileCategory = "影视'\"</script><b>\\";

    static void SetUpTestSuite()
    {
        platform::PrepareWebEngineEnvironment();
        platform::HtmlView::SetProgramSchemes(scheme::ProgramSchemePrefixes());
        folder = std::make_unique<test_support::TempAppFolder>("quelt-monitor", QUELT_APP_DIR "/skin");
        fs::create_directories(folder->Path() + "cases");
        ASSERT_TRUE(WriteListCache(kCategoryUrl, EncipherListFile(std::string("<root version=\"1\"><i><n><![CDATA[")
                                                                  + kHostileCategory + "]]></n><s>Tube</s></i>"
                                                                  "<i><n>音乐</n><s>Clips</s></i></root>")));
    }
    static void TearDownTestSuite()
    {
        folder.reset();
    }
    void SetUp() override
    {
        host.settings.searchSettingInfoUrl = kCategoryUrl;
        manager = std::make_unique<PlaySearchViewManager>(host.settings, nullptr);
        parent.resize(299, 420);
        parent.show();
    }
    void TearDown() override { view.reset(); }

    // The view on a page of the program folder, loaded and told its lists.
    void Open(const std::string& page)
    {
        view = std::make_unique<CWndMonitorList>(&parent, host, [this] { return manager.get(); });
        view->Widget()->setGeometry(0, 0, 299, 420);
        view->Widget()->show();
        pugi::xml_document skin;
        pugi::xml_node element = skin.append_child("win32_ctrl");
        if (!page.empty())
            element.append_attribute("url") = page.c_str();
        view->ReadSkin(element);
        ASSERT_TRUE(RunEventsUntil([&] { return view->Loaded(); }));
    }
    // A page of our own whose MONITOR_QUELT_ID holds this markup (or none).
    void OpenCase(const std::string& name, const std::string* data)
    {
        std::ofstream(folder->Path() + "cases/" + name + ".html")
            << "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
               "<a id=\"start\" href=\"start_monitor\" style=\"display:block;height:40px\">start</a>"
            << (data ? "<div id=\"MONITOR_QUELT_ID\" hidden>" + *data + "</div>" : std::string()) << "</body></html>";
        Open("cases/" + name + ".html");
    }
    std::string Run(const std::string& script) { return test_support::RunScriptAndWait(view->View(), script); }
    QWidget* Input() { return view->Widget()->focusProxy() ? view->Widget()->focusProxy() : view->Widget(); }
    // A mouse click in the middle of the page's element.
    void Click(const std::string& selector)
    {
        const std::string at = Run("(function () { var r = document.querySelector('" + selector
                                   + "').getBoundingClientRect(); return Math.round(r.left + r.width / 2) + ','"
                                     " + Math.round(r.top + r.height / 2); })()");
        const std::size_t comma = at.find(',');
        ASSERT_NE(comma, std::string::npos) << selector << ": " << at;
        QTest::mouseClick(Input(), Qt::LeftButton, {},
                          QPoint(std::atoi(at.substr(0, comma).c_str()), std::atoi(at.substr(comma + 1).c_str())));
    }
    void Type(const std::string& selector, const QString& text)
    {
        Click(selector);
        ASSERT_TRUE(RunEventsUntil([&] { return Run("document.activeElement.id") == selector.substr(1); }));
        QTest::keyClick(Input(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Input(), text);
        ASSERT_TRUE(RunEventsUntil([&] {
            return Run("document.querySelector('" + selector + "').value") == text.toStdString();
        })) << Run("document.querySelector('" + selector + "').value");
    }
    std::size_t KeyCount() const { return host.settings.searchKeys.PCL_GetObjectCount(); }
    const InfoSearchKey& KeyAt(std::size_t i) const { return *host.settings.searchKeys.PCL_GetObject(i); }
    // Starts, and waits until the list holds count records.
    bool StartAndWaitFor(std::size_t count)
    {
        Click("#start");
        return RunEventsUntil([&] { return KeyCount() == count && Run("String(1)") == "1"; });
    }

    inline static std::unique_ptr<test_support::TempAppFolder> folder;
    RecordingBrowseHost host;
    QWidget parent;
    std::unique_ptr<PlaySearchViewManager> manager;
    std::unique_ptr<CWndMonitorList> view;
};

TEST_F(MonitorListTest, AKeywordAddedAndStartedOnThePageBecomesASubscription)
{
    Open("");
    ASSERT_TRUE(RunEventsUntil([&] { return Run("String(document.getElementById('category').options.length)") == "2"; }));
    EXPECT_EQ(Run("document.getElementById('category').options[0].textContent"), kHostileCategory)
        << "a category's name arrives as text";

    Type("#keyword", "demo");
    Type("#interval", "0");
    Type("#limit", "3");
    Click("#add");
    ASSERT_TRUE(RunEventsUntil([&] { return Run("String(document.querySelectorAll('#subscriptions li').length)") == "1"; }));
    EXPECT_EQ(KeyCount(), 0u) << "nothing changes before the start";

    host.settings.searchKeys.PCL_PushObject(new InfoSearchKey);  // replaced on start
    Click("#start");
    ASSERT_TRUE(RunEventsUntil([&] { return KeyCount() == 1 && KeyAt(0).key == "demo"; }));
    EXPECT_EQ(KeyAt(0).schema, kHostileCategory);
    EXPECT_EQ(KeyAt(0).interval, "0");
    EXPECT_EQ(KeyAt(0).limit, "3");
    // The program's counters come back to the page.
    host.settings.searchKeys.PCL_GetObject(0)->added = 2;
    ASSERT_TRUE(RunEventsUntil([&] { return Run("document.querySelector('#subscriptions .count').textContent") == "2/3"; }))
        << Run("document.querySelector('#subscriptions').textContent");

    Click("#stop");
    ASSERT_TRUE(RunEventsUntil([&] { return KeyCount() == 0; }));
    EXPECT_TRUE(host.added.empty());
}

TEST_F(MonitorListTest, MissingEmptyOrBrokenDataLeavesNoSubscription)
{
    const std::string empty;
    const std::string broken = "<item><tagname>x</tagname><br></item>";
    const std::string text = "a < b & c";
    const struct {
        const char* name;
        const std::string* data;
    } cases[] = {{"missing", nullptr}, {"empty", &empty}, {"broken", &broken}, {"text", &text}};
    for (const auto& c : cases) {
        host.settings.searchKeys.PCL_PushObject(new InfoSearchKey);
        OpenCase(c.name, c.data);
        ASSERT_TRUE(StartAndWaitFor(0)) << c.name;
    }
}

TEST_F(MonitorListTest, BadNumbersAndSchemeKeywordsAreKeptSafe)
{
    std::string data;
    const auto item = [&](const std::string& key, const std::string& limit, const std::string& interval) {
        data += "<item><tagname>" + key + "</tagname><searchsite>音乐</searchsite><maxnum>" + limit
                + "</maxnum><limittime>" + interval + "</limittime></item>";
    };
    item("zero", "0", "1");
    item("empty", "", "1");
    item("negative", "-3", "1");
    item("abc", "abc", "1");
    item("huge", "999999999999", "0");
    item("playxev://http://127.0.0.1:1/v.flv&amp;&amp;&amp;t", "2", "abc");
    OpenCase("numbers", &data);
    ASSERT_TRUE(StartAndWaitFor(6));
    EXPECT_EQ(KeyAt(0).limit, "0");
    EXPECT_EQ(KeyAt(1).limit, "0");
    EXPECT_EQ(KeyAt(2).limit, "0");
    EXPECT_EQ(KeyAt(3).limit, "0");
    EXPECT_EQ(KeyAt(4).limit, std::to_string(kMaxKeywordLimit));
    EXPECT_EQ(KeyAt(4).interval, "0");
    EXPECT_EQ(KeyAt(5).key, "playxev://http://127.0.0.1:1/v.flv&&&t");
    EXPECT_EQ(KeyAt(5).interval, "") << "an interval that is no number: never due";
    EXPECT_TRUE(host.added.empty()) << "a keyword that looks like a scheme is only a keyword";
}

TEST_F(MonitorListTest, TenThousandItemsAreCutToTheMostSubscriptions)
{
    std::string data;
    for (int i = 0; i < 10000; ++i)
        data += "<item><tagname>k" + std::to_string(i) + "</tagname><maxnum>1</maxnum><limittime>1</limittime></item>";
    OpenCase("many", &data);
    ASSERT_TRUE(StartAndWaitFor(kMaxSubscriptions));
    EXPECT_EQ(KeyAt(0).key, "k0");
}

}  // namespace
