// The keyword search's manager over a stand-in parse view: the minute tick
// (short, injected) starts the due subscription's search narrowed to its
// category, results go to the play list up to the limit (listed sites
// only, titles cleaned), ticks while busy are ignored, and bad
// subscriptions never search.
#include "search/keyword_list_xml.h"
#include "search/keyword_schedule.h"
#include "search/list_cache.h"
#include "search/list_cipher.h"
#include "search/play_search_key_manager.h"
#include "support/event_wait.h"
#include "support/recording_parse_view.h"
#include "support/temp_app_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FakeHost : IKeywordSearchHost {
    void AddVideo(const std::string& title, const std::string& key, const std::string& mode) override
    {
        added.push_back(title + "|" + key + "|" + mode);
    }
    bool HasSearchViews() override { return searchViews; }
    const std::vector<SpeedInfoRecord>* SpeedRecords() override { return &records; }

    std::vector<std::string> added;
    bool searchViews = true;
    std::vector<SpeedInfoRecord> records;
};

std::string Site(const std::string& name, const std::string& link)
{
    return "<i><n>" + name + "</n><s>x</s><l><![CDATA[" + link + "]]></l><c>utf-8</c></i>";
}

SearchResultItem Item(const std::string& url, const std::string& name)
{
    SearchResultItem item;
    item.url = url;
    item.name = name;
    item.imageUrl = "http://img/x.jpg";
    return item;
}

class KeywordManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteListCache(kSitesUrl, EncipherListFile("<root version=\"1\">" + Site("A", "ret='http://a.test/s?p=%d&q=%s';")
                                                   + Site("B", "ret='http://b.test/s?p=%d&q=%s';") + "</root>"));
        WriteListCache(kCategoriesUrl, EncipherListFile("<root version=\"1\"><i><n>影视</n><s>A</s></i>"
                                                        "<i><n>音乐</n><s>B</s></i></root>"));
        SpeedInfoRecord listed;
        listed.pattern = "a.test";
        host.records.push_back(listed);
    }
    void TearDown() override
    {
        manager.reset();
    }
    void Make(unsigned minuteMs = 3600000)
    {
        auto search = std::make_unique<CQueltMultiSearch>(
            [this](CQueltMultiSearch&) { return std::make_unique<test_support::RecordingParseView>(loads); },
            CQueltMultiSearch::Timing{3600000, 2});
        manager = std::make_unique<PlaySearchKeyManager>(keys, host, std::move(search),
                                                         [] { return PlaySearchKeyManager::Lists{kSitesUrl, kCategoriesUrl}; },
                                                         minuteMs);
    }
    void Subscribe(const std::string& xml) { ReplaceKeywordList(keys, xml); }
    static std::string Sub(const std::string& key, const std::string& site, const std::string& limit,
                            const std::string& interval)
    {
        return "<item><tagname>" + key + "</tagname><searchsite>" + site + "</searchsite><maxnum>" + limit
               + "</maxnum><limittime>" + interval + "</limittime></item>";
    }
    // Lets the running search run out: each site's ticks, then the end.
    void FinishSearch()
    {
        for (int i = 0; i < 10 && manager->Busy(); ++i)
            manager->Search().Tick();
    }

    static constexpr const char* kSitesUrl = "http://lists.test/file/8/f.xml";
    static constexpr const char* kCategoriesUrl = "http://lists.test/file/6/f.xml";
    // First, so that it ends last: the manager writes in it.
    test_support::TempAppFolder folder{"quelt-keywords"};
    std::vector<std::string> loads;
    FakeHost host;
    PCL_Interface_Composite<InfoSearchKey> keys;
    std::unique_ptr<PlaySearchKeyManager> manager;
};

TEST_F(KeywordManagerTest, TheMinuteTimerSearchesTheDueKeywordInItsCategory)
{
    Subscribe(Sub("love song", "影视", "5", "0"));
    Make(20);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return !loads.empty(); }, std::chrono::seconds(5)));
    EXPECT_TRUE(manager->Busy());
    EXPECT_EQ(manager->RunningKeyword(), "love song");
    EXPECT_EQ(loads, std::vector<std::string>{"http://a.test/s?p=0&q=love song"}) << "only the category's site";
    EXPECT_EQ(keys.PCL_GetObject(0)->searches, 1);
    // Minutes pass while it searches: ignored, the counters stand still.
    const int ticks = keys.PCL_GetObject(0)->ticks;
    manager->OnMinute();
    manager->OnMinute();
    EXPECT_EQ(keys.PCL_GetObject(0)->searches, 1);
    EXPECT_EQ(keys.PCL_GetObject(0)->ticks, ticks);
    EXPECT_EQ(loads.size(), 1u);
}

TEST_F(KeywordManagerTest, ResultsFillThePlayListUpToTheLimitOnly)
{
    Subscribe(Sub("k", "影视", "5", "0"));
    Make();
    manager->OnMinute();
    ASSERT_TRUE(manager->Busy());
    std::vector<SearchResultItem> items;
    items.push_back(Item("http://other.test/v", "unlisted site"));
    for (int i = 0; i < 8; ++i)
        items.push_back(Item("http://a.test/v" + std::to_string(i), i == 0 ? "love%20song" : "v"));
    manager->Search().ReportResult(items, "");
    ASSERT_EQ(host.added.size(), 5u);
    EXPECT_EQ(host.added[0], "love song|http://a.test/v0|2");
    EXPECT_EQ(host.added[4], "v|http://a.test/v4|2");
    manager->Search().ReportResult(items, "");
    EXPECT_EQ(host.added.size(), 5u) << "a second site's results add nothing over the limit";
    FinishSearch();
    EXPECT_FALSE(manager->Busy());
    for (int minute = 0; minute < 20; ++minute)
        manager->OnMinute();
    EXPECT_EQ(keys.PCL_GetObject(0)->searches, 1) << "a keyword at its limit is not searched again";
}

TEST_F(KeywordManagerTest, WithoutTheSearchTabsNothingIsNarrowed)
{
    host.searchViews = false;
    Subscribe(Sub("k", "音乐", "3", "0"));
    Make();
    manager->OnMinute();
    EXPECT_EQ(loads.size(), 1u);
    FinishSearch();
    EXPECT_EQ(loads.size(), 2u) << "both sites were asked";
    manager->OnMinute();
    manager->Search().ReportResult({Item("http://other.test/v", "x")}, "");
    EXPECT_EQ(host.added.size(), 1u) << "no speed check without the search tabs";
}

TEST_F(KeywordManagerTest, ResultsOfAKeywordNoLongerListedAreDropped)
{
    Subscribe(Sub("k", "影视", "3", "0"));
    Make();
    manager->OnMinute();
    Subscribe(Sub("other", "影视", "3", "0"));
    manager->Search().ReportResult({Item("http://a.test/v", "x")}, "");
    EXPECT_TRUE(host.added.empty());
    FinishSearch();
    EXPECT_FALSE(manager->Busy());
}

// Bad subscriptions as a monitor page may hand them over: none is
// searched, and none adds more than its limit allows.
TEST_F(KeywordManagerTest, BadSubscriptionsNeverSearchOrOverfill)
{
    Subscribe(Sub("zero", "影视", "0", "0") + Sub("empty", "影视", "", "0") + Sub("neg", "影视", "-3", "0")
              + Sub("abc", "影视", "abc", "0") + Sub("badinterval", "影视", "5", "abc")
              + Sub("noint", "影视", "5", "") + Sub("negint", "影视", "5", "-2"));
    Make();
    for (int minute = 0; minute < 30; ++minute)
        manager->OnMinute();
    EXPECT_TRUE(loads.empty());
    EXPECT_FALSE(manager->Busy());

    // A huge limit is capped, and a keyword that is also a scheme text is
    // only a keyword: searched as text, never played or added by itself.
    Subscribe(Sub("playxev://http://a.test/evil&amp;&amp;&amp;t", "影视", "999999999999", "1"));
    manager->OnMinute();
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0], "http://a.test/s?p=0&q=playxev://http://a.test/evil&&&t");
    EXPECT_TRUE(host.added.empty());
    std::vector<SearchResultItem> many;
    for (int i = 0; i < kMaxKeywordLimit + 500; ++i)
        many.push_back(Item("http://a.test/v" + std::to_string(i), "v"));
    manager->Search().ReportResult(many, "");
    EXPECT_EQ(host.added.size(), static_cast<std::size_t>(kMaxKeywordLimit));

    // 10,000 items: the list is bounded and the tick stays one search.
    std::string xml;
    for (int i = 0; i < 10000; ++i)
        xml += Sub("k" + std::to_string(i), "影视", "1", "1");
    Subscribe(xml);
    FinishSearch();
    loads.clear();
    manager->OnMinute();
    EXPECT_EQ(loads.size(), 1u);
    EXPECT_EQ(manager->RunningKeyword(), "k0");
}

}  // namespace
