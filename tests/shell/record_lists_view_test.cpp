// The history and favorites views: selection and deletion, the enabling
// rules of their menus, confirmations, and favorites whose file is gone.
#include "common/app_folder.h"
#include "shell/lists/wnd_record_lists.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "list_menu.h"
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
        // A temporary folder of this test's own for the sources file, which
        // other tests write and remove meanwhile.
        fs::create_directories(folder / "tmp");
        qputenv("TMPDIR", QByteArray::fromStdString(folder / "tmp"));
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
    ~RecordListsTest() override
    {
        qputenv("PATH", path0);
        if (tmpdir0.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", tmpdir0);
        SetAppFolderForTesting("");
    }
    // The desktop's opener of the sources file: one that opens nothing.
    void QuietOpener()
    {
        const std::string bin = folder / "bin";
        fs::create_directories(bin);
        std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nexit 0\n";
        fs::permissions(bin + "/xdg-open", fs::perms::owner_all);
        qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path0);
    }
    static QPoint At(int index) { return QPoint(40, index * CRecordListView::kItemHeight + 20); }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    static void Press(QWidget* view, int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at(40, index * CRecordListView::kItemHeight + 20);
        QMouseEvent event(QEvent::MouseButtonPress, at, view->mapToGlobal(at), button, button, modifiers);
        QApplication::sendEvent(view, &event);
    }
    // Saves the view's picture for people, and checks what a machine can:
    // the selected row is drawn marked, unlike the other one.
    static void Shot(QWidget* view, const QString& name, int selectedRow, int otherRow)
    {
        QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
        const QImage shot = view->grab().toImage();
        shot.save(QUELT_BUILD_DIR "/screenshots/" + name);
        const auto rowColour = [&](int row) { return shot.pixel(3, row * CRecordListView::kItemHeight + 3); };
        EXPECT_NE(rowColour(selectedRow), rowColour(otherRow)) << name.toStdString() << ": the selection is not drawn";
    }

    const QByteArray path0 = qgetenv("PATH");
    const QByteArray tmpdir0 = qgetenv("TMPDIR");
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
    Shot(&view, "history-list.png", 2, 0);
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
    Shot(&view, "favorite-list.png", 1, 0);

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

// The side panels hide the views: their rows go, and come back from the
// records as they are when the view shows again.
template <typename View>
std::vector<std::string> KeysOf(const View& view)
{
    std::vector<std::string> keys;
    for (const auto& item : view.Items())
        keys.push_back(item.url);
    return keys;
}

TEST_F(RecordListsTest, HiddenViewsHaveNoRowsAndShowTheCurrentRecordsAgain)
{
    CWndHistoryList history(settings, host, nullptr);
    CWndFavoriteList favorites(settings, host, nullptr);
    for (CRecordListView* view : {static_cast<CRecordListView*>(&history), static_cast<CRecordListView*>(&favorites)}) {
        view->resize(299, 352);
        view->show();
        EXPECT_EQ(view->Selection().Count(), 3u);
        view->hide();
        EXPECT_EQ(view->Selection().Count(), 0u) << "no rows while hidden";
    }
    EXPECT_TRUE(history.Items().empty());
    EXPECT_TRUE(favorites.Items().empty());

    // The records change while the views are hidden.
    RemoveHistory(settings, "http://videos.test/seen/0");
    auto* entry = new InfoHistory;
    entry->title = "Seen later";
    entry->url = "http://videos.test/seen/later";
    settings.history.PCL_PushObject(entry);
    RemoveFavorite(settings, "http://videos.test/kept/1");

    history.show();
    favorites.show();
    EXPECT_EQ(KeysOf(history), (std::vector<std::string>{"http://videos.test/seen/1", "http://videos.test/seen/2",
                                                          "http://videos.test/seen/later"}));
    EXPECT_EQ(history.Selection().Count(), 3u);
    EXPECT_EQ(KeysOf(favorites), (std::vector<std::string>{"http://videos.test/kept/0", "http://videos.test/kept/2"}));
    EXPECT_EQ(favorites.Selection().Count(), 2u);
}

TEST_F(RecordListsTest, TheSourcesOfTheSelectedHistoryAndFavoritesFromTheirMenus)
{
    QuietOpener();
    const std::string path = SourcesFilePath("查看视频来源");
    CWndHistoryList history(settings, host, nullptr);
    history.resize(299, 352);
    history.show();
    QTest::mouseClick(&history, Qt::LeftButton, Qt::NoModifier, At(0));
    QTest::mouseClick(&history, Qt::LeftButton, Qt::ControlModifier, At(2));
    ChooseFromMenu(&history, At(2), "查看视频来源");
    EXPECT_EQ(ReadFile(path), "Seen 0\r\nhttp://videos.test/seen/0\r\n\r\n\r\n"
                              "Seen 2\r\nhttp://videos.test/seen/2\r\n\r\n\r\n");

    CWndFavoriteList favorites(settings, host, nullptr);
    favorites.resize(299, 352);
    favorites.show();
    QTest::mouseClick(&favorites, Qt::LeftButton, Qt::NoModifier, At(1));
    ChooseFromMenu(&favorites, At(1), "查看视频来源");
    EXPECT_EQ(ReadFile(path), "Kept 1\r\nhttp://videos.test/kept/1\r\n\r\n\r\n");

    // Nothing selected: no sources to show.
    fs::remove(path);
    QTest::mouseClick(&favorites, Qt::LeftButton, Qt::ControlModifier, At(1));
    const std::vector<std::string> entries = ChooseFromMenu(&favorites, QPoint(40, 340), "查看视频来源");
    EXPECT_EQ(entries, (std::vector<std::string>{"播放 (off)", "保存视频文件... (off)", "删除选中收藏 (off)", "清空所有收藏",
                                                 "查看视频来源 (off)"}));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(RecordListsTest, DeletingSelectedFavoritesSelectsTheNextAndNoToClearingKeepsThemAll)
{
    CWndFavoriteList view(settings, host, nullptr);
    view.resize(299, 352);
    view.show();
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, At(1));
    ChooseFromMenu(&view, At(1), "删除选中收藏");
    EXPECT_EQ(KeysOf(view), (std::vector<std::string>{"http://videos.test/kept/0", "http://videos.test/kept/2"}));
    EXPECT_FALSE(fs::exists(GetFavoritePath("http://videos.test/kept/1")));
    EXPECT_EQ(view.Selection().SelectedKeys(), (std::vector<std::string>{"http://videos.test/kept/2"}))
        << "the item now at the place of the deleted one";

    answer = false;
    ChooseFromMenu(&view, At(0), "清空所有收藏");
    ASSERT_EQ(questions, (std::vector<std::string>{"此操作会删除所有收藏的视频\r\n\r\n您继续吗？"}));
    EXPECT_EQ(settings.favorites.PCL_GetObjectCount(), 2u) << "No keeps them";
    EXPECT_EQ(view.Selection().Count(), 2u);
    EXPECT_TRUE(fs::exists(GetFavoritePath("http://videos.test/kept/0")));
    EXPECT_TRUE(fs::exists(GetFavoritePath("http://videos.test/kept/2")));
}

}  // namespace
