// The search tabs' manager against lists of the test site: the categories
// from the cache when the skin is loaded, and at every network-ready the
// site list's and the categories' checks and the speed test.
#include "common/event_window.h"
#include "search/list_cipher.h"
#include "search/play_speed_info_manager.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/settings/app_setting.h"
#include "support/event_wait.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test_support::RunEventsUntil;

TEST(SearchViewManagerTest, NetworkReadyRefreshesTheListsAndMeasuresTheSites)
{
    test_site::TestSite site;
    ASSERT_TRUE(site.Start());
    site.AddFile("/file/8/f.xml", EncipherListFile("<root version=\"3\"><i><n>Tube</n><s>parse</s><l>link</l>"
                                                   "<c>utf-8</c></i></root>"),
                 "text/plain");
    site.AddFile("/file/6/f.xml", EncipherListFile("<root version=\"2\"><i><n>视频</n><s>Tube</s><c></c></i>"
                                                   "<i><n>栏目</n><s>Tube</s><c>hj</c></i></root>"),
                 "text/plain");
    site.AddFile("/test.bin", std::string(10000, 'x'), "application/octet-stream");
    site.AddFile("/file/4/f.xml",
                 EncipherListFile("<root version=\"1\"><i><n>tube</n><s>" + site.Url("/test.bin")
                                  + "</s><l>0|5000</l><c>Tube</c></i></root>"),
                 "text/plain");
    CAppSetting settings;
    settings.searchUrl = site.Url("/file/8/f.xml");
    settings.searchSettingInfoUrl = site.Url("/file/6/f.xml");
    settings.speedInfoUrl = site.Url("/file/4/f.xml");

    PlaySpeedInfoManager speedInfo;
    // The speed list is cached first, as a run before this one left it.
    speedInfo.CheckForUpdate(settings.speedInfoUrl);
    ASSERT_TRUE(RunEventsUntil([&] { return !speedInfo.List().empty() && speedInfo.GetDownloadCount() == 0; }));

    PlaySearchViewManager manager(settings, &speedInfo);
    EXPECT_TRUE(manager.Categories().Categories().empty()) << "nothing cached yet";
    ASSERT_NE(manager.SpeedRecords(), nullptr);
    EXPECT_TRUE(manager.SpeedRecords()->empty()) << "the sites are measured at network-ready only";

    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    ASSERT_TRUE(RunEventsUntil([&] {
        return manager.SiteList().size() == 1 && manager.Categories().Categories().size() == 2
               && manager.SpeedRecords()->size() == 1 && manager.SpeedRecords()->front().done;
    }));
    EXPECT_EQ(manager.SiteList().front().name, "Tube");
    EXPECT_EQ(manager.Categories().Categories()[1].flags, "hj");

    // Every network-ready measures again.
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    ASSERT_TRUE(RunEventsUntil([&] { return manager.SpeedRecords()->size() == 2; }));

    // A manager made at a later skin load has the categories from the cache.
    PlaySearchViewManager later(settings, nullptr);
    EXPECT_EQ(later.Categories().Categories().size(), 2u);
    EXPECT_EQ(later.SpeedRecords(), nullptr);
}

}  // namespace
