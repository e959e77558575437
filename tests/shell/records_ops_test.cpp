#include "temp_folder.h"

#include "common/app_folder.h"
#include "common/md5.h"
#include "delivery/flv_cache.h"
#include "shell/settings/records_ops.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class RecordsOpsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAppFolderForTesting(folder_.path());
        fs::create_directories(GetCacheFolder());
    }
    void TearDown() override { SetAppFolderForTesting({}); }

    // A play-list video; cachedBytes < 0 leaves no cache file.
    InfoVideo* AddVideo(const std::string& key, long long total, long long cachedBytes, const std::string& mode = "2")
    {
        auto* video = new InfoVideo;
        video->a0 = mode;
        video->a1 = "title of " + key;
        video->a2 = key;
        video->a4 = "http://cdn.example/" + key + ".flv";
        video->a5 = std::to_string(total);
        setting_.playList.PCL_PushObject(video);
        if (cachedBytes >= 0)
            WriteWholeFile(GetCachePath(*video), std::string(static_cast<std::size_t>(cachedBytes), 'v'));
        return video;
    }

    TempFolder folder_;
    CAppSetting setting_;
};

}  // namespace

TEST_F(RecordsOpsTest, FindVideoMatchesTheWholeKeyAndTakesTheFirst)
{
    InfoVideo* first = AddVideo("http://a/1", 10, -1);
    AddVideo("http://a/1", 10, -1)->a1 = "second";
    EXPECT_EQ(FindVideo(setting_, "http://a/1"), first);
    EXPECT_EQ(FindVideo(setting_, "http://a/"), nullptr);
    EXPECT_EQ(FindVideo(setting_, "HTTP://A/1"), nullptr);
}

TEST_F(RecordsOpsTest, RemovingVideosTakesTheirCacheFilesAlong)
{
    const std::string keptCache = GetCachePath(*AddVideo("kept", 10, 10));
    const std::string removedCache = GetCachePath(*AddVideo("removed", 10, 5));
    const std::string previewCache = GetCachePath(*AddVideo("preview", 10, 5, "3"));
    AddVideo("preview without cache", 10, -1, "3");

    EXPECT_TRUE(RemoveVideo(setting_, "removed"));
    EXPECT_FALSE(RemoveVideo(setting_, "removed"));
    EXPECT_FALSE(fs::exists(removedCache));

    RemovePreviewOnlyVideos(setting_);
    EXPECT_FALSE(fs::exists(previewCache));
    ASSERT_EQ(setting_.playList.PCL_GetObjectCount(), 1u);
    EXPECT_EQ(setting_.playList.PCL_GetObject(0)->a2, "kept");
    EXPECT_TRUE(fs::exists(keptCache));

    ClearPlayList(setting_);
    EXPECT_EQ(setting_.playList.PCL_GetObjectCount(), 0u);
    EXPECT_FALSE(fs::exists(keptCache));
}

TEST_F(RecordsOpsTest, ViewTimeIsLocalMonthThenDay)
{
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;  // March
    local.tm_mday = 7;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    EXPECT_EQ(FormatViewTime(std::mktime(&local)), "03-07");
    local.tm_mon = 11;
    local.tm_mday = 25;
    EXPECT_EQ(FormatViewTime(std::mktime(&local)), "12-25");
}

TEST_F(RecordsOpsTest, HistoryRefusesBlankKeysAndLeavesExistingEntriesAlone)
{
    EXPECT_FALSE(AddHistory(setting_, "segment", "http://a/1 2"));
    EXPECT_EQ(setting_.history.PCL_GetObjectCount(), 0u);

    std::tm day{};
    day.tm_year = 126;
    day.tm_mon = 0;
    day.tm_mday = 2;
    day.tm_hour = 12;
    day.tm_isdst = -1;
    ASSERT_TRUE(AddHistory(setting_, "one", "k1", std::mktime(&day)));
    ASSERT_TRUE(AddHistory(setting_, "two", "k2", std::mktime(&day)));
    day.tm_mon = 5;
    EXPECT_FALSE(AddHistory(setting_, "one again", "k1", std::mktime(&day)));
    ASSERT_EQ(setting_.history.PCL_GetObjectCount(), 2u);
    const InfoHistory& first = *setting_.history.PCL_GetObject(0);
    EXPECT_EQ(first.url, "k1");
    EXPECT_EQ(first.title, "one");
    EXPECT_EQ(first.view_time, "01-02");

    EXPECT_TRUE(RemoveHistory(setting_, "k1"));
    EXPECT_FALSE(RemoveHistory(setting_, "k1"));
    EXPECT_EQ(FindHistory(setting_, "k2"), setting_.history.PCL_GetObject(0));
}

TEST_F(RecordsOpsTest, HistoryKeepsAtMostOneThousandAndOneEntries)
{
    for (int i = 0; i < 1001; ++i)
        ASSERT_TRUE(AddHistory(setting_, "t", "key" + std::to_string(i)));
    EXPECT_EQ(setting_.history.PCL_GetObjectCount(), 1001u);

    ASSERT_TRUE(AddHistory(setting_, "t", "key1001"));
    ASSERT_EQ(setting_.history.PCL_GetObjectCount(), 1001u);
    EXPECT_EQ(setting_.history.PCL_GetObject(0)->url, "key1");
    EXPECT_EQ(setting_.history.PCL_GetObject(1000)->url, "key1001");

    // A longer list (an edited file) shrinks to the cap on the next addition.
    for (int i = 0; i < 10; ++i) {
        auto* extra = new InfoHistory;
        extra->url = "extra" + std::to_string(i);
        setting_.history.PCL_PushObject(extra);
    }
    ASSERT_TRUE(AddHistory(setting_, "t", "last"));
    EXPECT_EQ(setting_.history.PCL_GetObjectCount(), 1001u);
    EXPECT_EQ(setting_.history.PCL_GetObject(1000)->url, "last");
}

TEST_F(RecordsOpsTest, FavoritesOnlyForCompleteCachesWithACopyOfTheVideo)
{
    AddVideo("incomplete", 100, 99);
    AddVideo("unknown size", 0, 50);
    AddVideo("no cache", 100, -1);
    InfoVideo* complete = AddVideo("http://site/v?id=1", 100, 100);
    EXPECT_FALSE(AddFavorite(setting_, "incomplete"));
    EXPECT_FALSE(AddFavorite(setting_, "unknown size"));
    EXPECT_FALSE(AddFavorite(setting_, "no cache"));
    EXPECT_FALSE(AddFavorite(setting_, "not in the play list"));
    EXPECT_EQ(setting_.favorites.PCL_GetObjectCount(), 0u);

    // A stale copy under the same name is replaced.
    fs::create_directories(GetFavoriteFolder());
    const std::string favoritePath = GetFavoriteFolder() + Md5Hex("http://site/v?id=1");
    EXPECT_EQ(GetFavoritePath("http://site/v?id=1"), favoritePath);
    WriteWholeFile(favoritePath, "stale");

    ASSERT_TRUE(AddFavorite(setting_, "http://site/v?id=1"));
    EXPECT_FALSE(AddFavorite(setting_, "http://site/v?id=1"));
    ASSERT_EQ(setting_.favorites.PCL_GetObjectCount(), 1u);
    EXPECT_EQ(setting_.favorites.PCL_GetObject(0)->title, complete->a1);
    EXPECT_EQ(setting_.favorites.PCL_GetObject(0)->url, "http://site/v?id=1");
    EXPECT_EQ(ReadWholeFile(favoritePath), ReadWholeFile(GetCachePath(*complete)));

    // The favorite survives the removal of the video and its cache.
    EXPECT_TRUE(RemoveVideo(setting_, "http://site/v?id=1"));
    EXPECT_TRUE(fs::exists(favoritePath));

    EXPECT_TRUE(RemoveFavorite(setting_, "http://site/v?id=1"));
    EXPECT_FALSE(RemoveFavorite(setting_, "http://site/v?id=1"));
    EXPECT_FALSE(fs::exists(favoritePath));
    EXPECT_EQ(setting_.favorites.PCL_GetObjectCount(), 0u);
}

TEST_F(RecordsOpsTest, FavoriteWhoseCopyFailsIsNotAdded)
{
    AddVideo("k", 10, 10);
    // A regular file in place of the favorite folder makes the copy fail.
    WriteWholeFile(GetAppFolder() + "favorite", "x");
    EXPECT_FALSE(AddFavorite(setting_, "k"));
    EXPECT_EQ(setting_.favorites.PCL_GetObjectCount(), 0u);
}

TEST_F(RecordsOpsTest, ClearingTheHistoryLeavesFavoritesAloneAndClearingFavoritesEmptiesTheirFolder)
{
    AddVideo("a", 10, 10);
    AddVideo("b", 20, 20);
    ASSERT_TRUE(AddFavorite(setting_, "a"));
    ASSERT_TRUE(AddFavorite(setting_, "b"));
    AddHistory(setting_, "a", "a");
    AddHistory(setting_, "b", "b");

    ClearHistory(setting_);
    EXPECT_EQ(setting_.history.PCL_GetObjectCount(), 0u);
    EXPECT_EQ(setting_.favorites.PCL_GetObjectCount(), 2u);
    EXPECT_TRUE(fs::exists(GetFavoritePath("a")));
    EXPECT_TRUE(fs::exists(GetFavoritePath("b")));

    WriteWholeFile(GetFavoriteFolder() + "stray file", "x");
    ClearFavorites(setting_);
    EXPECT_EQ(setting_.favorites.PCL_GetObjectCount(), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(GetFavoriteFolder()), fs::directory_iterator()), 0);
    // The play list and its caches are not touched.
    EXPECT_EQ(setting_.playList.PCL_GetObjectCount(), 2u);
    EXPECT_TRUE(IsComplete(*FindVideo(setting_, "a")));
}
