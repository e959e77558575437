// The history and favorites views: selection and deletion, the enabling
// rules of their menus, confirmations, and favorites whose file is gone.
#include "common/app_folder.h"
#include "shell/lists/wnd_record_lists.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "recording_list_host.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class RecordListsTest : public ::testing::Test {
protected:
    RecordListsTest()
    {
        SetAppFolderForTesting(folder.path());
        fs::create_directories(folder / "favorite");
        for (int i = 0; i < 3; ++i) {
            auto* entry = new InfoHistory;
            entry->view_time = "12-0" + std::to_string(i + 1);
            entry->title = "Seen " + std::to_string(i);
            entry->url = "http://videos.test/seen/" + std::to_string(i);
            settings.history.PCL_PushObject(entry);
            auto* favorite = new InfoFavorite;
            favorite->title = "Kept " + std::to_string(i);
            favorite->url = "http://videos.test/kept/" + std::to_string(i);
            settings.favorites.PCL_PushObject(favorite);
            std::ofstream(GetFavoritePath(favorite->url), std::ios::binary) << "FLV";
        }
    }
    ~RecordListsTest() override { SetAppFolderForTesting(""); }
    static void Press(QWidget* view, int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at(40, index * CRecordListView::kItemHeight + 20);
        QMouseEvent event(QEvent::MouseButtonPress, at, view->mapToGlobal(at), button, button, modifiers);
        QApplication::sendEvent(view, &event);
    }
    static void Shot(QWidget* view, const QString& name)
    {
        QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
        view->grab().toImage().save(QUELT_BUILD_DIR "/screenshots/" + name);
    }

    TempFolder folder;
    CAppSetting settings;
    RecordingListHost host;
    std::vector<std::string>& played = host.played;
    std::vector<std::string>& saved = host.saved;
    std::vector<std::string>& questions = host.questions;
    bool& answer = host.answer;
};

TEST_F(RecordListsTest, HistoryDeletesTheSelectionAndSelectsTheNewLastItem)
{
    CWndHistoryList view(settings, host, nullptr);
    view.resize(299, 352);
    view.show();
    EXPECT_FALSE(view.IsEnabled(20600));
    EXPECT_FALSE(view.IsEnabled(20601));
    EXPECT_TRUE(view.IsEnabled(20602));
    Press(&view, 2, Qt::LeftButton);
    EXPECT_TRUE(view.IsEnabled(20600));
    Shot(&view, "history-list.png");
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&view, &del);
    ASSERT_EQ(settings.history.PCL_GetObjectCount(), 2u);
    EXPECT_EQ(view.Selection().SelectedKeys(), (std::vector<std::string>{"http://videos.test/seen/1"}))
        << "the new last item";

    // A right click on an unselected item moves a single selection there,
    // and its menu's "播放" plays it.
    Press(&view, 0, Qt::LeftButton);
    std::vector<std::string> entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions())
            entries.push_back(action->text().toStdString() + (action->isEnabled() ? "" : " (off)"));
        menu->actions().front()->trigger();
        menu->close();
    });
    Press(&view, 1, Qt::RightButton);
    EXPECT_EQ(entries, (std::vector<std::string>{"播放", "删除选中记录", "清空所有记录", "查看视频来源"}));
    EXPECT_EQ(view.Selection().SelectedKeys(), (std::vector<std::string>{"http://videos.test/seen/1"}));
    EXPECT_EQ(played, (std::vector<std::string>{"Seen 1|http://videos.test/seen/1"}));

    view.Selection().SelectAll();
    EXPECT_FALSE(view.IsEnabled(20600)) << "two selected: no play";
    view.RunCommand(20602);
    EXPECT_EQ(settings.history.PCL_GetObjectCount(), 2u) << "No changes nothing";
    answer = true;
    view.RunCommand(20602);
    EXPECT_EQ(settings.history.PCL_GetObjectCount(), 0u);
    EXPECT_EQ(view.Selection().Count(), 0u);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0], "此操作会清空所有历史记录\r\n\r\n您继续吗？") << "string 30098 asks first";
}

TEST_F(RecordListsTest, FavoritesPlayAndSaveOnlyWhatIsThereAndDeleteTheirFiles)
{
    CWndFavoriteList view(settings, host, nullptr);
    view.resize(299, 352);
    view.show();
    fs::remove(GetFavoritePath("http://videos.test/kept/1"));  // gone outside the program
    Press(&view, 1, Qt::LeftButton);
    EXPECT_FALSE(view.IsEnabled(20610)) << "its file is gone";
    EXPECT_FALSE(view.IsEnabled(20611));
    view.RunCommand(20610);
    view.RunCommand(20611);
    EXPECT_TRUE(played.empty());
    EXPECT_TRUE(saved.empty());
    Shot(&view, "favorite-list.png");

    Press(&view, 0, Qt::LeftButton);
    view.RunCommand(20610);
    EXPECT_EQ(played, (std::vector<std::string>{GetFavoritePath("http://videos.test/kept/0")}));
    view.RunCommand(20611);
    EXPECT_EQ(saved, (std::vector<std::string>{GetFavoritePath("http://videos.test/kept/0") + "|Kept 0"}));

    Press(&view, 2, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(view.IsEnabled(20610)) << "two selected: no play";
    EXPECT_TRUE(view.IsEnabled(20612));
    view.RunCommand(20612);
    EXPECT_EQ(settings.favorites.PCL_GetObjectCount(), 1u);
    EXPECT_FALSE(fs::exists(GetFavoritePath("http://videos.test/kept/0")));
    EXPECT_FALSE(fs::exists(GetFavoritePath("http://videos.test/kept/2")));

    answer = true;
    view.RunCommand(20613);
    EXPECT_EQ(settings.favorites.PCL_GetObjectCount(), 0u);
    EXPECT_TRUE(fs::is_empty(folder / "favorite"));
}

}  // namespace
