// The usage reports: the query, its check value and client identifier, the
// channel, the life in hours; the use report cycle and the install and
// online reports against the test site; the connectivity watch.
#include "common/app_folder.h"
#include "common/md5.h"
#include "shell/net/connect_net_state.h"
#include "shell/settings/app_setting.h"
#include "shell/stats/ini_file.h"
#include "shell/stats/stat_query.h"
#include "shell/stats/usage_reports.h"
#include "support/event_wait.h"
#include "temp_folder.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <regex>
#include <thread>

namespace {

using test_support::RunEventsUntil;

TEST(StatQuery, TwoQueriesDifferOnlyInTheTickAndItsCheckValue)
{
    StatQueryInputs inputs{1234567, Md5Hex("disk"), "web", "1.0.2", "20261201", 7};
    const std::string first = BuildStatQuery(inputs);
    EXPECT_EQ(first, "?r=567&cc=" + Md5Hex("disk") + "&c=" + Md5Hex("567" + Md5Hex("disk") + "k7q_m31_x_5w_j2p")
                         + "&channel=web&v=1.0.2&ind=20261201&int=7");
    inputs.tickMs = 1234999;
    const std::string second = BuildStatQuery(inputs);
    const std::regex tail("&channel=.*$");
    std::smatch a, b;
    ASSERT_TRUE(std::regex_search(first, a, tail));
    ASSERT_TRUE(std::regex_search(second, b, tail));
    EXPECT_EQ(a.str(), b.str());
    EXPECT_NE(first, second);
    EXPECT_EQ(StatCheckValue("567", "cc"), StatCheckValue("567", "cc")) << "same r and cc, same check value";
    EXPECT_NE(StatCheckValue("567", "cc"), StatCheckValue("568", "cc"));
}

TEST(StatQuery, IdentifierChannelAndLife)
{
    EXPECT_EQ(ClientIdFromIdentity(std::nullopt), Md5Hex("0"));
    const std::string odd("\xff\x00\x01 \x80 serial", 12);
    const std::string id = ClientIdFromIdentity(odd);
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(ChannelFromValue("C:\\Program Files\\quelt\\setup_baidu.exe"), "setup_baidu");
    EXPECT_EQ(ChannelFromValue("/opt/quelt/channel_web.tar.gz"), "channel_web.tar");
    EXPECT_EQ(ChannelFromValue(""), "");
    std::tm day{};
    day.tm_year = 2026 - 1900;
    day.tm_mon = 11;
    day.tm_mday = 1;
    day.tm_hour = 5;
    day.tm_isdst = -1;
    EXPECT_EQ(HoursSinceInstall("20261201", std::mktime(&day)), 5);
    EXPECT_FALSE(HoursSinceInstall("", 0).has_value());
    EXPECT_FALSE(HoursSinceInstall("2026-12-01", 0).has_value());
    EXPECT_EQ(IniValue("[info]\nver = 2.1\n[other]\nver=9\n", "info", "ver"), "2.1");
    EXPECT_EQ(IniValue("not an ini file at all", "info", "ver"), "");
    EXPECT_EQ(IniValue("\xEF\xBB\xBF[info]\r\nver=2.1\r\n", "info", "ver"), "2.1") << "after a byte order mark";
    EXPECT_EQ(IniValue("[info]\nver=" + std::string(10'000'000, '9'), "info", "ver").size(), 2047u);
}

class ReportsTest : public ::testing::Test {
protected:
    ReportsTest()
    {
        SetAppFolderForTesting(folder.path());
        site.Start();
        for (const char* report : {"use", "install", "online"})
            site.AddFile(std::string("/count/soft_") + report + ".php", "ok");
    }
    ~ReportsTest() override { SetAppFolderForTesting(""); }
    // Requests for the path, whatever their query.
    std::size_t Count(const std::string& path) const
    {
        std::size_t count = 0;
        for (const auto& request : site.Requests())
            count += request.target.starts_with(path + "?");
        return count;
    }

    TempFolder folder;
    test_site::TestSite site;
    CAppSetting settings;
    CStatQuerySource query{settings};
};

TEST_F(ReportsTest, TheUseReportComesAtOnceAndAgainAfterEachOneEvenAFailedOne)
{
    test_site::Behaviour broken;
    broken.status = 500;
    site.SetBehaviour("/count/soft_use.php", broken);
    CDayRunCount counter(query, site.Url(""));
    counter.SetIntervalForTesting(50);
    counter.SendUseReport(0);
    ASSERT_TRUE(RunEventsUntil([&] { return Count("/count/soft_use.php") >= 2; }));
    const std::string target = site.Requests().front().target;
    EXPECT_TRUE(target.starts_with("/count/soft_use.php?r=")) << target;
    EXPECT_NE(target.find("&cc=" + query.ClientId()), std::string::npos);
}

TEST_F(ReportsTest, TheInstallReportGoesOnceAndTheOnlineReportEachTime)
{
    settings.firstRun = 0;
    CClientCountManager manager(settings, query, site.Url(""), site.Url(""));
    manager.SendInstallReport();
    manager.SendOnlineReport();
    ASSERT_TRUE(RunEventsUntil([&] { return Count("/count/soft_online.php") == 1 && manager.GetTaskCount() == 0; }));
    EXPECT_EQ(Count("/count/soft_install.php"), 0u) << "not a first run";
    EXPECT_EQ(settings.installDate, "");

    settings.firstRun = 1;
    manager.SendInstallReport();
    manager.SendInstallReport();
    ASSERT_TRUE(RunEventsUntil([&] { return Count("/count/soft_install.php") == 1 && manager.GetTaskCount() == 0; }));
    EXPECT_EQ(settings.firstRun, 0);
    EXPECT_EQ(settings.installDate.size(), 8u);
    const std::string uninstall = BuildUninstallReportUrl(settings, query, "http://h");
    EXPECT_TRUE(uninstall.starts_with("http://h/count/soft_uninstall.php?r=")) << uninstall;
    EXPECT_NE(uninstall.find("&life="), std::string::npos) << "the install date is known now";
}

class CountingWatch : public TOLConnectNetState {
public:
    ~CountingWatch() override { CloseMergeWindow(); }
    std::atomic<int> reports{0};

protected:
    void OnNetworkReady() override { ++reports; }
};

std::atomic<int> g_lookups{0};
std::chrono::steady_clock::time_point g_firstLookup;

bool SecondNameResolves(const std::string& host, int)
{
    if (g_lookups++ == 0)
        g_firstLookup = std::chrono::steady_clock::now();
    return host == "second";
}

std::atomic<bool> g_hangingLookupEntered{false};

bool HangingLookup(const std::string&, int)
{
    g_hangingLookupEntered = true;
    std::this_thread::sleep_for(std::chrono::seconds(30));
    return false;
}

TEST(ConnectNetState, TheFirstLookupWaitsItsDelayAndTheReportComesOnce)
{
    CountingWatch watch;
    const auto start = std::chrono::steady_clock::now();
    watch.StartWatch({"first", "second", "third"}, {300, 50, 100}, &SecondNameResolves);
    ASSERT_TRUE(RunEventsUntil([&] { return watch.reports.load() == 1; }));
    EXPECT_GE(g_firstLookup - start, std::chrono::milliseconds(300));
    EXPECT_EQ(g_lookups.load(), 2) << "the first fails, the second answers, the third is not asked";
    EXPECT_FALSE(RunEventsUntil([&] { return watch.reports.load() > 1; }, std::chrono::milliseconds(300)));
}

TEST(ConnectNetState, DestructionWhileALookupHangsReturnsWithinAboutTwoSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    {
        CountingWatch watch;
        watch.StartWatch({"hangs"}, {0, 50, 100}, &HangingLookup);
        // The worker must be inside the lookup, or the case tests nothing.
        ASSERT_TRUE(RunEventsUntil([] { return g_hangingLookupEntered.load(); }));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2600));
}

}  // namespace
