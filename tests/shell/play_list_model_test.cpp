// The play list view's rules without a display: which videos show, the
// selection gestures, the item buttons, menu 151 and the sources text.
#include "common/app_folder.h"
#include "delivery/flv_cache.h"
#include "shell/lists/play_list_model.h"
#include "shell/settings/records_ops.h"
#include "shell/settings/app_setting.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class PlayListModelTest : public ::testing::Test {
protected:
    PlayListModelTest()
    {
        SetAppFolderForTesting(folder.path());
        std::filesystem::create_directories(folder / "temp");
    }
    ~PlayListModelTest() override { SetAppFolderForTesting(""); }
    InfoVideo* Add(const std::string& key, const std::string& mode = "2")
    {
        auto* video = new InfoVideo;
        video->a0 = mode;
        video->a1 = "Title " + key;
        video->a2 = key;
        video->a4 = "http://cdn.test/" + key + ".flv";
        settings.playList.PCL_PushObject(video);
        return video;
    }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (std::size_t i = 0; i < model.Count(); ++i)
            keys.push_back(model.KeyAt(i));
        return keys;
    }

    TempFolder folder;
    CAppSetting settings;
    CPlayListModel model{settings};
};

TEST_F(PlayListModelTest, PreviewOnlyVideosStayHiddenUntilPlayedAndTheNamedOneIsRevealed)
{
    Add("a");
    InfoVideo* preview = Add("b", "3");
    Add("c");
    EXPECT_FALSE(model.Rebuild("").has_value());
    EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "c"}));
    preview->a0 = "1";
    EXPECT_EQ(model.Rebuild("b"), 1u) << "shown at its place once played, and revealed";
    EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(model.SelectedKeys().empty()) << "only a click selects";
}

TEST_F(PlayListModelTest, ARebuildKeepsTheUsersSelection)
{
    for (const char* key : {"a", "b", "c"})
        Add(key);
    model.Rebuild("");
    model.Click(2, false, false);
    Add("d");
    EXPECT_EQ(model.Rebuild("d"), 3u);
    EXPECT_EQ(model.SelectedKeys(), (std::vector<std::string>{"c"}));
    RemoveVideo(settings, "c");
    model.Rebuild("");
    EXPECT_TRUE(model.SelectedKeys().empty()) << "a gone video is no longer selected";
}

TEST_F(PlayListModelTest, SelectionFollowsTheFileManagerGestures)
{
    for (const char* key : {"a", "b", "c", "d", "e"})
        Add(key);
    model.Rebuild("");
    model.Click(1, false, false);
    EXPECT_EQ(model.SelectedKeys(), (std::vector<std::string>{"b"}));
    model.Click(3, false, true);  // Shift: the run from the anchor
    EXPECT_EQ(model.SelectedKeys(), (std::vector<std::string>{"b", "c", "d"}));
    model.Click(2, true, false);  // Ctrl: toggles one
    EXPECT_EQ(model.SelectedKeys(), (std::vector<std::string>{"b", "d"}));
    model.Click(4, true, false);
    EXPECT_EQ(model.SelectedKeys(), (std::vector<std::string>{"b", "d", "e"}));
    model.RightClick(0);
    EXPECT_EQ(model.SelectedKeys(), (std::vector<std::string>{"b", "d", "e"})) << "a right click keeps a multiple selection";
    model.Click(0, false, false);
    model.RightClick(2);
    EXPECT_EQ(model.SelectedKeys(), (std::vector<std::string>{"c"})) << "but moves a single one";
    model.SelectAll();
    EXPECT_EQ(model.SelectedCount(), 5u);
}

TEST_F(PlayListModelTest, TheItemButtonsSitAtTheRightEnd)
{
    EXPECT_EQ(CPlayListModel::ButtonAt(254, 299), CPlayListModel::Button::Preview);
    EXPECT_EQ(CPlayListModel::ButtonAt(271, 299), CPlayListModel::Button::Preview);
    EXPECT_EQ(CPlayListModel::ButtonAt(272, 299), CPlayListModel::Button::None) << "the gap between them";
    EXPECT_EQ(CPlayListModel::ButtonAt(277, 299), CPlayListModel::Button::Save);
    EXPECT_EQ(CPlayListModel::ButtonAt(294, 299), CPlayListModel::Button::Save);
    EXPECT_EQ(CPlayListModel::ButtonAt(295, 299), CPlayListModel::Button::None);
    EXPECT_EQ(CPlayListModel::ButtonAt(100, 299), CPlayListModel::Button::None);
}

TEST_F(PlayListModelTest, MenuEntriesFollowTheSelection)
{
    InfoVideo* whole = Add("whole");
    Add("partial");
    Add("third");
    std::ofstream(GetCachePath(*whole), std::ios::binary) << "0123456789";
    whole->a5 = "10";
    model.Rebuild("");

    model.Click(0, false, false);
    CPlayListModel::MenuState one = model.Menu();
    EXPECT_TRUE(one.playAndPreview);
    EXPECT_TRUE(one.saveAndFavorite);
    EXPECT_TRUE(one.search);

    model.Click(1, true, false);
    CPlayListModel::MenuState two = model.Menu();
    EXPECT_FALSE(two.playAndPreview);
    EXPECT_TRUE(two.saveAndFavorite) << "the first selected video decides";
    EXPECT_FALSE(two.search);

    model.Click(1, false, false);
    model.Click(2, false, true);
    model.Click(0, true, false);
    CPlayListModel::MenuState three = model.Menu();
    EXPECT_EQ(model.SelectedCount(), 3u);
    EXPECT_FALSE(three.playAndPreview);
    EXPECT_TRUE(three.saveAndFavorite) << "the first in item order is the whole one";

    model.Click(1, false, false);
    EXPECT_FALSE(model.Menu().saveAndFavorite) << "a video still downloading cannot be saved";
}

TEST_F(PlayListModelTest, TheSourcesTextHasThreeLinesAndTwoEmptyOnesPerVideo)
{
    Add("a");
    Add("b");
    model.Rebuild("");
    model.SelectAll();
    EXPECT_EQ(model.SourcesText(), "Title a\r\na\r\nhttp://cdn.test/a.flv\r\n\r\n\r\n"
                                   "Title b\r\nb\r\nhttp://cdn.test/b.flv\r\n\r\n\r\n");
    settings.playList.PCL_DeleteObject(std::size_t{0});
    EXPECT_EQ(model.SourcesText(), "Title b\r\nb\r\nhttp://cdn.test/b.flv\r\n\r\n\r\n") << "a gone video is skipped";
}

}  // namespace
