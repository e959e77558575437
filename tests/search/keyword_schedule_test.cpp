// The keyword search's rules: which subscription a minute tick chooses, how
// the interval and limit texts read, how a search's items are added up to
// the limit, and the monitor page's XML read into the keyword list.
#include "search/keyword_list_xml.h"
#include "search/keyword_schedule.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

InfoSearchKey Key(const std::string& key, const std::string& interval, const std::string& limit)
{
    InfoSearchKey record;
    record.key = key;
    record.interval = interval;
    record.limit = limit;
    return record;
}

std::vector<SearchResultItem> Items(int count)
{
    std::vector<SearchResultItem> items;
    for (int i = 0; i < count; ++i) {
        SearchResultItem item;
        item.url = "http://site/v" + std::to_string(i);
        item.name = "video" + std::to_string(i);
        items.push_back(item);
    }
    return items;
}

TEST(KeywordScheduleTest, FewestSearchesWinsAndTheFirstOfEquals)
{
    InfoSearchKey a = Key("a", "0", "10"), b = Key("b", "0", "10"), c = Key("c", "0", "10");
    a.searches = 1;
    b.searches = 0;
    c.searches = 0;
    EXPECT_EQ(AdvanceKeywordMinute({&a, &b, &c}), 1u) << "0 searches beats 1, and the first of two zeros";
    b.searches = 1;
    c.searches = 1;
    EXPECT_EQ(AdvanceKeywordMinute({&a, &b, &c}), 0u) << "equal counts: the first in the list";
    a.searches = 2;
    EXPECT_EQ(AdvanceKeywordMinute({&a, &b, &c}), 1u);
}

TEST(KeywordScheduleTest, IntervalCountsIdleMinutes)
{
    InfoSearchKey key = Key("k", "3", "100");
    std::vector<int> due;
    for (int minute = 1; minute <= 10; ++minute)
        if (AdvanceKeywordMinute({&key}))
            due.push_back(minute);
    EXPECT_EQ(due, (std::vector<int>{3, 6, 9}));

    InfoSearchKey every = Key("e", "0", "100"), one = Key("o", "1", "100");
    for (int minute = 1; minute <= 3; ++minute) {
        EXPECT_TRUE(AdvanceKeywordMinute({&every})) << "\"0\" is every minute";
        EXPECT_TRUE(AdvanceKeywordMinute({&one}));
    }
}

TEST(KeywordScheduleTest, UnreadableIntervalsSkipTheRecord)
{
    for (const char* text : {"", "-1", "-3", "abc", "3x", " ", "999999999999", "525601"}) {
        InfoSearchKey key = Key("k", text, "5");
        for (int minute = 0; minute < 5; ++minute)
            EXPECT_FALSE(AdvanceKeywordMinute({&key})) << "interval \"" << text << "\"";
    }
    EXPECT_EQ(KeywordIntervalMinutes("525600"), 525600);
    EXPECT_EQ(KeywordIntervalText("abc"), "");
    EXPECT_EQ(KeywordIntervalText("0"), "0");
    EXPECT_EQ(KeywordIntervalText("007"), "7");
}

TEST(KeywordScheduleTest, LimitsNeverReadAsUnlimited)
{
    EXPECT_EQ(KeywordLimit("0"), 0);
    EXPECT_EQ(KeywordLimit(""), 0);
    EXPECT_EQ(KeywordLimit("-3"), 0);
    EXPECT_EQ(KeywordLimit("abc"), 0);
    EXPECT_EQ(KeywordLimit("5"), 5);
    EXPECT_EQ(KeywordLimit("999999999999"), kMaxKeywordLimit);
    EXPECT_EQ(KeywordLimit(std::string(200, '9')), kMaxKeywordLimit);
    EXPECT_EQ(KeywordLimitText("-3"), "0");
    for (const char* text : {"0", "", "-3", "abc"}) {
        InfoSearchKey key = Key("k", "0", text);
        EXPECT_FALSE(AdvanceKeywordMinute({&key})) << "limit \"" << text << "\" is never searched";
    }
}

TEST(KeywordScheduleTest, AddsUpToTheLimitAndIsNotSearchedAgain)
{
    InfoSearchKey key = Key("k", "0", "5");
    std::vector<std::string> added;
    const auto add = [&](const std::string&, const std::string& url) { added.push_back(url); };
    ASSERT_TRUE(AdvanceKeywordMinute({&key}));
    EXPECT_EQ(AddKeywordVideos(key, Items(8), nullptr, add), 5);
    EXPECT_EQ(added.size(), 5u);
    EXPECT_EQ(added.front(), "http://site/v0");
    EXPECT_EQ(AddKeywordVideos(key, Items(8), nullptr, add), 0);
    for (int minute = 0; minute < 10; ++minute)
        EXPECT_FALSE(AdvanceKeywordMinute({&key}));

    // A huge limit is capped: never more than kMaxKeywordLimit videos.
    InfoSearchKey huge = Key("h", "0", "999999999999");
    added.clear();
    AddKeywordVideos(huge, Items(kMaxKeywordLimit + 50), nullptr, add);
    EXPECT_EQ(added.size(), static_cast<std::size_t>(kMaxKeywordLimit));
}

TEST(KeywordScheduleTest, UnusableItemsAreSkippedWithoutCounting)
{
    InfoSearchKey key = Key("k", "0", "3");
    std::vector<std::string> added;
    const auto usable = [](const SearchResultItem& item) { return item.url.back() % 2 == 0; };
    AddKeywordVideos(key, Items(10), usable,
                     [&](const std::string&, const std::string& url) { added.push_back(url); });
    EXPECT_EQ(added, (std::vector<std::string>{"http://site/v0", "http://site/v2", "http://site/v4"}));
    EXPECT_EQ(key.added, 3);
}

TEST(KeywordScheduleTest, TitlesLoseTheirEscapedBlanks)
{
    EXPECT_EQ(CleanVideoTitle("love%20song"), "love song");
    EXPECT_EQ(CleanVideoTitle("%20a%20%20b%20"), " a  b ");
    EXPECT_EQ(CleanVideoTitle("50%2"), "50%2");
    EXPECT_EQ(CleanVideoTitle("%2520"), "%2520");
    std::vector<std::string> titles;
    InfoSearchKey key = Key("k", "0", "1");
    std::vector<SearchResultItem> items = Items(1);
    items[0].name = "love%20song";
    AddKeywordVideos(key, items, nullptr, [&](const std::string& title, const std::string&) { titles.push_back(title); });
    EXPECT_EQ(titles, std::vector<std::string>{"love song"});
}

TEST(KeywordListXmlTest, ItemsReplaceTheListWithNumbersAsRead)
{
    PCL_Interface_Composite<InfoSearchKey> keys;
    keys.PCL_PushObject(new InfoSearchKey(Key("old", "1", "1")));
    ASSERT_TRUE(ReplaceKeywordList(keys,
                                   "<item><tagname>love song</tagname><searchsite>影视</searchsite>"
                                   "<maxnum>999999999999</maxnum><limittime>abc</limittime></item>"
                                   "<item><tagname> news </tagname><searchsite></searchsite>"
                                   "<maxnum>-3</maxnum><limittime>0</limittime></item>"
                                   "<item><tagname>love song</tagname><searchsite>音乐</searchsite>"
                                   "<maxnum>5</maxnum><limittime>3</limittime></item>"
                                   "<item><searchsite>x</searchsite><maxnum>5</maxnum></item>"));
    ASSERT_EQ(keys.PCL_GetObjectCount(), 2u) << "the same keyword twice is one record; no keyword, no record";
    const InfoSearchKey& love = *keys.PCL_GetObject(0);
    EXPECT_EQ(love.key, "love song");
    EXPECT_EQ(love.schema, "音乐");
    EXPECT_EQ(love.limit, "5");
    EXPECT_EQ(love.interval, "3");
    const InfoSearchKey& news = *keys.PCL_GetObject(1);
    EXPECT_EQ(news.key, "news");
    EXPECT_EQ(news.limit, "0");
    EXPECT_EQ(news.interval, "0");
}

TEST(KeywordListXmlTest, BadDataLeavesAnEmptyOrBoundedList)
{
    PCL_Interface_Composite<InfoSearchKey> keys;
    keys.PCL_PushObject(new InfoSearchKey(Key("old", "1", "1")));
    EXPECT_TRUE(ReplaceKeywordList(keys, ""));
    EXPECT_EQ(keys.PCL_GetObjectCount(), 0u);
    keys.PCL_PushObject(new InfoSearchKey(Key("old", "1", "1")));
    EXPECT_FALSE(ReplaceKeywordList(keys, "<item><tagname>cut"));
    EXPECT_EQ(keys.PCL_GetObjectCount(), 0u);

    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += "<item><tagname>k" + std::to_string(i) + "</tagname><maxnum>1</maxnum><limittime>0</limittime></item>";
    EXPECT_TRUE(ReplaceKeywordList(keys, many));
    EXPECT_EQ(keys.PCL_GetObjectCount(), kMaxSubscriptions);
}

}  // namespace
