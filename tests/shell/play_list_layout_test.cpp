// The play list view's rules without a display: which videos show, the
// selection gestures, the item buttons, menu 151 and the sources text.
#include "common/app_folder.h"
#include "delivery/flv_cache.h"
#include "shell/lists/play_list_layout.h"
#include "shell/settings/records_ops.h"
#include "shell/settings/app_setting.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class PlayListLayoutTest : public ::testing::Test {
protected:
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
        for (std::size_t i = 0; i < layout.Count(); ++i)
            keys.push_back(layout.KeyAt(i));
        return keys;
    }

    TempAppFolder folder;
    CAppSetting settings;
    CPlayListLayout layout{settings};
};

TEST_F(PlayListLayoutTest, PreviewOnlyVideosStayHiddenUntilPlayedAndTheNamedOneIsRevealed)
{
    Add("a");
    InfoVideo* preview = Add("b", "3");
    Add("c");
    EXPECT_FALSE(layout.Rebuild("").has_value());
    EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "c"}));
    preview->a0 = "1";
    EXPECT_EQ(layout.Rebuild("b"), 1u) << "shown at its place once played, and revealed";
    EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(layout.SelectedKeys().empty()) << "only a click selects";
}

TEST_F(PlayListLayoutTest, ARebuildKeepsTheUsersSelection)
{
    for (const char* key : {"a", "b", "c"})
        Add(key);
    layout.Rebuild("");
    layout.Click(2, false, false);
    Add("d");
    EXPECT_EQ(layout.Rebuild("d"), 3u);
    EXPECT_EQ(layout.SelectedKeys(), (std::vector<std::string>{"c"}));
    RemoveVideo(settings, "c");
    layout.Rebuild("");
    EXPECT_TRUE(layout.SelectedKeys().empty()) << "a gone video is no longer selected";
}

TEST_F(PlayListLayoutTest, SelectionFollowsTheFileManagerGestures)
{
    for (const char* key : {"a", "b", "c", "d", "e"})
        Add(key);
    layout.Rebuild("");
    layout.Click(1, false, false);
    EXPECT_EQ(layout.SelectedKeys(), (std::vector<std::string>{"b"}));
    layout.Click(3, false, true);  // Shift: the run from the anchor
    EXPECT_EQ(layout.SelectedKeys(), (std::vector<std::string>{"b", "c", "d"}));
    layout.Click(2, true, false);  // Ctrl: toggles one
    EXPECT_EQ(layout.SelectedKeys(), (std::vector<std::string>{"b", "d"}));
    layout.Click(4, true, false);
    EXPECT_EQ(layout.SelectedKeys(), (std::vector<std::string>{"b", "d", "e"}));
    layout.RightClick(0);
    EXPECT_EQ(layout.SelectedKeys(), (std::vector<std::string>{"b", "d", "e"})) << "a right click keeps a multiple selection";
    layout.Click(0, false, false);
    layout.RightClick(2);
    EXPECT_EQ(layout.SelectedKeys(), (std::vector<std::string>{"c"})) << "but moves a single one";
    layout.SelectAll();
    EXPECT_EQ(layout.SelectedCount(), 5u);
}

TEST_F(PlayListLayoutTest, TheItemButtonsSitAtTheRightEnd)
{
    EXPECT_EQ(CPlayListLayout::ButtonAt(254, 299), CPlayListLayout::Button::Preview);
    EXPECT_EQ(CPlayListLayout::ButtonAt(271, 299), CPlayListLayout::Button::Preview);
    EXPECT_EQ(CPlayListLayout::ButtonAt(272, 299), CPlayListLayout::Button::None) << "the gap between them";
    EXPECT_EQ(CPlayListLayout::ButtonAt(277, 299), CPlayListLayout::Button::Save);
    EXPECT_EQ(CPlayListLayout::ButtonAt(294, 299), CPlayListLayout::Button::Save);
    EXPECT_EQ(CPlayListLayout::ButtonAt(295, 299), CPlayListLayout::Button::None);
    EXPECT_EQ(CPlayListLayout::ButtonAt(100, 299), CPlayListLayout::Button::None);
}

TEST_F(PlayListLayoutTest, MenuEntriesFollowTheSelection)
{
    InfoVideo* whole = Add("whole");
    Add("partial");
    Add("third");
    std::ofstream(GetCachePath(*whole), std::ios::binary) << "0123456789";
    whole->a5 = "10";
    layout.Rebuild("");

    layout.Click(0, false, false);
    CPlayListLayout::MenuState one = layout.Menu();
    EXPECT_TRUE(one.playAndPreview);
    EXPECT_TRUE(one.saveAndFavorite);
    EXPECT_TRUE(one.search);

    layout.Click(1, true, false);
    CPlayListLayout::MenuState two = layout.Menu();
    EXPECT_FALSE(two.playAndPreview);
    EXPECT_TRUE(two.saveAndFavorite) << "the first selected video decides";
    EXPECT_FALSE(two.search);

    layout.Click(1, false, false);
    layout.Click(2, false, true);
    layout.Click(0, true, false);
    CPlayListLayout::MenuState three = layout.Menu();
    EXPECT_EQ(layout.SelectedCount(), 3u);
    EXPECT_FALSE(three.playAndPreview);
    EXPECT_TRUE(three.saveAndFavorite) << "the first in item order is the whole one";

    layout.Click(1, false, false);
    EXPECT_FALSE(layout.Menu().saveAndFavorite) << "a video still downloading cannot be saved";
}

TEST_F(PlayListLayoutTest, TheSourcesTextHasThreeLinesAndTwoEmptyOnesPerVideo)
{
    Add("a");
    Add("b");
    layout.Rebuild("");
    layout.SelectAll();
    EXPECT_EQ(layout.SourcesText(), "Title a\r\na\r\nhttp://cdn.test/a.flv\r\n\r\n\r\n"
                                   "Title b\r\nb\r\nhttp://cdn.test/b.flv\r\n\r\n\r\n");
    settings.playList.PCL_DeleteObject(std::size_t{0});
    EXPECT_EQ(layout.SourcesText(), "Title b\r\nb\r\nhttp://cdn.test/b.flv\r\n\r\n\r\n") << "a gone video is skipped";
}

// An HLS video's row counts its segments: the share arrived, the bytes kept
// and, when some never came, how many are missing.
TEST_F(PlayListLayoutTest, AnHlsRowCountsSegmentsAndBytesAndSaysWhichAreMissing)
{
    Add("flv");
    Add("hls");
    HlsStatus status{true, 4, 0, 10, 3 * 524288};
    layout.SetHlsFigures([&](const InfoVideo& video) { return video.a2 == "hls" ? status : HlsStatus{}; });
    layout.Rebuild("");
    const auto row = layout.Item(1);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->detail, "已缓冲: 40% (4/10段)  已缓存: 1.50 Mb");
    EXPECT_DOUBLE_EQ(row->share, 0.4);
    EXPECT_EQ(layout.Item(0)->detail, "已缓冲: 0%  总长度: 0.00 Mb") << "other videos keep their line";

    status = {true, 8, 2, 10, 4 * 1048576};
    EXPECT_EQ(layout.Item(1)->detail, "已缓冲: 80% (8/10段)  已缓存: 4.00 Mb  缺少2段");
    EXPECT_DOUBLE_EQ(layout.Item(1)->share, 0.8) << "a missing segment never counts as cached";

    status = {};
    EXPECT_EQ(layout.Item(1)->detail, "已缓冲: 0%  总长度: 0.00 Mb") << "before its playlist is here";
}

// A live stream has no total to count against: its row says it is live and
// how much it cached, and its bar stays empty.
TEST_F(PlayListLayoutTest, ALiveHlsRowSaysLiveInsteadOfAShareOfAnUnknownTotal)
{
    Add("live");
    HlsStatus status{true, 6, 0, 6, 3 * 524288};
    status.live = true;
    layout.SetHlsFigures([&](const InfoVideo&) { return status; });
    layout.Rebuild("");
    ASSERT_TRUE(layout.Item(0));
    EXPECT_EQ(layout.Item(0)->detail, "直播中 (已缓存6段)  已缓存: 1.50 Mb");
    EXPECT_DOUBLE_EQ(layout.Item(0)->share, 0.0);
    status.missing = 2;
    EXPECT_EQ(layout.Item(0)->detail, "直播中 (已缓存6段)  已缓存: 1.50 Mb  缺少2段");
}

}  // namespace
