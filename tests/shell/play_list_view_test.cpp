// The play list view with real mouse and key events: what it posts to the
// main window for clicks on its buttons, double clicks and Delete.
#include "common/app_folder.h"
#include "common/event_window.h"
#include "delivery/flv_cache.h"
#include "shell/lists/wnd_play_list.h"
#include "shell/settings/app_setting.h"
#include "list_menu.h"
#include "recording_list_host.h"
#include "shell/settings/records_ops.h"
#include "support/event_wait.h"
#include "temp_folder.h"
#include "ui/widgets/skin_paint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

namespace {

class PlayListViewTest : public ::testing::Test {
protected:
    PlayListViewTest()
    {
        SetAppFolderForTesting(folder.path());
        std::filesystem::create_directories(folder / "temp");
        // A temporary folder of this test's own: the sources file is one
        // per user, and other tests write and remove it meanwhile.
        std::filesystem::create_directories(folder / "tmp");
        qputenv("TMPDIR", QByteArray::fromStdString(folder / "tmp"));
        const char* states[][2] = {{"Complete video", "100"}, {"Half cached", "50"}, {"Just started", "3"},
                                   {"A long title that does not fit the width of the side panel at all", "0"}};
        int n = 0;
        for (const auto& [title, percent] : states) {
            auto* video = new InfoVideo;
            video->a0 = "2";
            video->a1 = title;
            video->a2 = "key" + std::to_string(n++);
            video->a4 = "http://cdn.test/" + video->a2 + ".flv";
            video->a5 = "1000";
            std::ofstream(GetCachePath(*video), std::ios::binary) << std::string(std::atoi(percent) * 10, 'x');
            settings.playList.PCL_PushObject(video);
        }
        view = std::make_unique<CWndPlayList>(settings, host, nullptr);
        view->resize(299, 352);
        view->show();
    }
    ~PlayListViewTest() override
    {
        view.reset();
        RestoreEnv("TMPDIR", tmpdir0);
        SetAppFolderForTesting("");
    }
    void Mouse(QEvent::Type type, const QPoint& at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, at, view->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), modifiers);
        QApplication::sendEvent(view.get(), &event);
    }
    void Deliver() { QCoreApplication::processEvents(); }
    // A point of item `index`, x from its left.
    QPoint At(int index, int x) const { return QPoint(x, index * CRecordListView::kItemHeight + 20); }

    static void RestoreEnv(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    const QByteArray tmpdir0 = qgetenv("TMPDIR");
    TempFolder folder;
    CAppSetting settings;
    RecordingListHost host;
    std::unique_ptr<CWndPlayList> view;
};

TEST_F(PlayListViewTest, ButtonsDoubleClicksAndDeleteBecomeMessagesWithKeys)
{
    const int width = view->width();
    Mouse(QEvent::MouseButtonPress, At(1, width - 36));
    Mouse(QEvent::MouseButtonRelease, At(1, width - 36));
    Mouse(QEvent::MouseButtonPress, At(0, width - 12));
    Mouse(QEvent::MouseButtonRelease, At(0, width - 12));
    // A double click on the save button does not play.
    Mouse(QEvent::MouseButtonDblClick, At(0, width - 12));
    Mouse(QEvent::MouseButtonDblClick, At(2, 40));
    Deliver();
    ASSERT_EQ(host.received.size(), 3u);
    EXPECT_EQ(host.received[0], (std::pair<UINT, std::vector<std::string>>{WM_PREVIEW_VIDEO_KEY, {"key1"}}));
    EXPECT_EQ(host.received[1], (std::pair<UINT, std::vector<std::string>>{WM_SAVE_VIDEO_KEY, {"key0"}}));
    EXPECT_EQ(host.received[2], (std::pair<UINT, std::vector<std::string>>{WM_PLAY_VIDEO_KEY, {"key2"}}));

    host.received.clear();
    Mouse(QEvent::MouseButtonPress, At(0, 40));
    Mouse(QEvent::MouseButtonPress, At(2, 40), Qt::LeftButton, Qt::ShiftModifier);
    QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
    const QImage shot = view->grab().toImage();
    shot.save(QUELT_BUILD_DIR "/screenshots/play-list.png");
    EXPECT_NE(shot.pixel(3, At(1, 3).y()), shot.pixel(3, At(3, 3).y())) << "the selected rows are drawn marked";
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &del);
    Deliver();
    ASSERT_EQ(host.received.size(), 3u) << "one remove for each selected item";
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(host.received[i], (std::pair<UINT, std::vector<std::string>>{WM_REMOVE_VIDEO_KEY, {"key" + std::to_string(i)}}));

    // With three selected, menu 151 offers neither play nor preview.
    QMenu menu;
    view->FillMenu(menu);
    QStringList entries;
    for (QAction* action : menu.actions())
        entries << action->text();
    EXPECT_EQ(entries, (QStringList{"保存视频文件(&S)...", "删除视频(&D)", "查看视频来源", "加到我的收藏", "搜索本视频(&S)"}));
    menu.popup(view->mapToGlobal(QPoint(40, 40)));
    const QImage menuShot = menu.grab().toImage();
    menuShot.save(QUELT_BUILD_DIR "/screenshots/play-list-menu.png");
    EXPECT_GE(menuShot.height(), 5 * 16) << "five entries drawn";
    menu.close();

    // Menu 151's save takes every selected key at once.
    host.received.clear();
    view->RunMenuCommand(20502);
    Deliver();
    ASSERT_EQ(host.received.size(), 1u);
    EXPECT_EQ(host.received[0].second, (std::vector<std::string>{"key0", "key1", "key2"}));
}

TEST_F(PlayListViewTest, TheBroadcastRebuildsAndKeepsTheSelectionWithoutSelectingTheNamedVideo)
{
    Mouse(QEvent::MouseButtonPress, At(1, 40));
    Mouse(QEvent::MouseButtonRelease, At(1, 40));
    auto* added = new InfoVideo;
    added->a0 = "1";
    added->a1 = "Added";
    added->a2 = "added";
    settings.playList.PCL_PushObject(added);
    const std::string key = "added";
    BroadcastEvent(WM_EVENT_VIDEO_UPDATED, reinterpret_cast<WPARAM>(&key));
    ASSERT_EQ(view->Layout().Count(), 5u);
    EXPECT_EQ(view->Layout().SelectedKeys(), (std::vector<std::string>{"key1"})) << "only a click selects";
}

TEST_F(PlayListViewTest, TheSelectionStandsOutAndThePlayingVideoIsMarked)
{
    EXPECT_TRUE(view->Layout().SelectedKeys().empty()) << "nothing selected before a click";
    settings.nowPlaying = std::make_unique<PlayingInfo>(PlayingInfo{"key2"});
    Mouse(QEvent::MouseButtonPress, At(1, 40));
    Mouse(QEvent::MouseButtonRelease, At(1, 40));
    const QImage shot = view->grab().toImage();
    const int item = CRecordListView::kItemHeight;
    const auto difference = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    };
    const QColor background = shot.pixelColor(6, 3 * item + 2);
    const QColor selected = shot.pixelColor(6, 1 * item + 2);
    EXPECT_GE(difference(selected, background), 80) << "the selection is plain to see";
    const QColor accent = ui::FCSkinColour(16747852, 1);
    EXPECT_EQ(shot.pixelColor(1, 2 * item + item / 2), accent) << "the playing video's mark";
    EXPECT_NE(shot.pixelColor(1, 1 * item + item / 2), accent);
    EXPECT_NE(shot.pixelColor(1, 3 * item + item / 2), accent);
}

TEST_F(PlayListViewTest, TheSourcesFileHoldsExactlyTheText)
{
    Mouse(QEvent::MouseButtonPress, At(1, 40));
    const std::string path = CWndPlayList::SourcesFilePath();
    std::ofstream(path) << "an older text that must go";
    // Only the file is checked: opening the viewer is the desktop's matter.
    view->RunMenuCommand(20505);
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "Half cached\r\nkey1\r\nhttp://cdn.test/key1.flv\r\n\r\n\r\n");
}

TEST_F(PlayListViewTest, TheSourcesFileIsATextFileAndADesktopWithoutAViewerIsToldInTheStatusLine)
{
    const std::string path = CWndPlayList::SourcesFilePath();
    EXPECT_EQ(std::filesystem::path(path).filename().string(), "查看视频来源.txt");
    EXPECT_EQ(std::filesystem::path(path).parent_path().filename().string(),
              "quelt-" + std::to_string(::getuid())) << "a folder of the user's in the temporary folder";

    // A desktop whose opener finds no program for text files.
    const std::string bin = folder / "bin";
    std::filesystem::create_directories(bin);
    WriteWholeFile(bin + "/xdg-open", "#!/bin/sh\nexit 3\n");
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    const QByteArray path0 = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path0);
    const std::string& status = host.status;
    Mouse(QEvent::MouseButtonPress, At(1, 40));
    view->RunMenuCommand(20505);
    EXPECT_TRUE(test_support::RunEventsUntil([&] { return !status.empty(); }));
    qputenv("PATH", path0);
    EXPECT_NE(status.find(path), std::string::npos) << status;
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

// Menu 151 through the right button: what its entries ask of the main
// window, and which entries a selection offers.
TEST_F(PlayListViewTest, MenuPlayPreviewAndDeleteAskTheMainWindowByKey)
{
    using Request = RecordingListHost::Request;
    ChooseFromMenu(view.get(), At(1, 40), "播放(&P)");
    ChooseFromMenu(view.get(), At(2, 40), "预览(&V)");
    EXPECT_EQ(host.received, (std::vector<Request>{{WM_PLAY_VIDEO_KEY, {"key1"}}, {WM_PREVIEW_VIDEO_KEY, {"key2"}}}))
        << "a right click moves a single selection to the item under the pointer";

    host.received.clear();
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(0, 40));
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::ShiftModifier, At(2, 40));
    const std::vector<std::string> entries = ChooseFromMenu(view.get(), At(1, 40), "删除视频(&D)");
    EXPECT_EQ(entries, (std::vector<std::string>{"保存视频文件(&S)...", "删除视频(&D)", "查看视频来源", "加到我的收藏",
                                                 "搜索本视频(&S) (off)"}))
        << "three selected: no play, no preview, no search";
    EXPECT_EQ(host.received, (std::vector<Request>{{WM_REMOVE_VIDEO_KEY, {"key0"}},
                                                   {WM_REMOVE_VIDEO_KEY, {"key1"}},
                                                   {WM_REMOVE_VIDEO_KEY, {"key2"}}}));
}

TEST_F(PlayListViewTest, AVideoStillDownloadingCanBeNeitherSavedNorKept)
{
    const std::vector<std::string> half = ChooseFromMenu(view.get(), At(1, 40), "加到我的收藏");
    EXPECT_EQ(half, (std::vector<std::string>{"播放(&P)", "预览(&V)", "保存视频文件(&S)... (off)", "删除视频(&D)",
                                              "查看视频来源", "加到我的收藏 (off)", "搜索本视频(&S)"}));
    EXPECT_EQ(settings.favorites.PCL_GetObjectCount(), 0u);

    const std::vector<std::string> whole = ChooseFromMenu(view.get(), At(0, 40), "加到我的收藏");
    EXPECT_EQ(whole, (std::vector<std::string>{"播放(&P)", "预览(&V)", "保存视频文件(&S)...", "删除视频(&D)", "查看视频来源",
                                               "加到我的收藏", "搜索本视频(&S)"}));
    ASSERT_EQ(settings.favorites.PCL_GetObjectCount(), 1u);
    EXPECT_NE(FindFavorite(settings, "key0"), nullptr);
    EXPECT_TRUE(std::filesystem::is_regular_file(GetFavoritePath("key0"))) << "kept as a copy of the cache";

    // The first selected video (in list order) decides, whatever follows it.
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(1, 40));
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::ControlModifier, At(0, 40));
    const std::vector<std::string> wholeFirst = ChooseFromMenu(view.get(), At(0, 40));
    EXPECT_EQ(wholeFirst, (std::vector<std::string>{"保存视频文件(&S)...", "删除视频(&D)", "查看视频来源", "加到我的收藏",
                                                    "搜索本视频(&S) (off)"}));
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(2, 40));
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::ControlModifier, At(1, 40));
    const std::vector<std::string> partFirst = ChooseFromMenu(view.get(), At(2, 40));
    EXPECT_EQ(partFirst, (std::vector<std::string>{"保存视频文件(&S)... (off)", "删除视频(&D)", "查看视频来源",
                                                   "加到我的收藏 (off)", "搜索本视频(&S) (off)"}));
}

TEST_F(PlayListViewTest, MenuSearchPutsTheTitleIntoTheSearch)
{
    ChooseFromMenu(view.get(), At(1, 40), "搜索本视频(&S)");
    EXPECT_EQ(host.searched, (std::vector<std::string>{"Half cached"}));
}

// Hovering an HLS video shows its segments and bytes, and the segments
// that never arrived; its bar shows the share of segments.
TEST_F(PlayListViewTest, AnHlsVideosTipCountsItsSegmentsAndTheMissingOnes)
{
    host.hls["key3"] = HlsStatus{true, 3, 1, 12, 2 * 1048576};
    view->Rebuild({});
    QHelpEvent help(QEvent::ToolTip, At(3, 40), view->mapToGlobal(At(3, 40)));
    QApplication::sendEvent(view.get(), &help);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), "已缓冲: 25% (3/12段)\n已缓存: 2.00 Mb\n缺少1段\n下载速度: 0 Kb/S");
    QToolTip::hideText();
    EXPECT_DOUBLE_EQ(view->Layout().Item(3)->share, 0.25);
}

// The skin gives the window a font in pixels: each row's second line is
// still drawn smaller, and painting makes Qt complain about no font size.
std::vector<QString> fontWarnings;

void KeepFontWarnings(QtMsgType, const QMessageLogContext&, const QString& text)
{
    if (text.contains("QFont"))
        fontWarnings.push_back(text);
}

TEST_F(PlayListViewTest, TheSecondLineIsSmallerAlsoInAFontSetInPixelsAndPaintsWithoutWarnings)
{
    for (const bool pixels : {true, false}) {
        SCOPED_TRACE(pixels ? "pixels" : "points");
        QFont font = view->font();
        if (pixels)
            font.setPixelSize(13);
        else
            font.setPointSizeF(10);
        view->setFont(font);
        EXPECT_LT(QFontInfo(view->DetailFont()).pixelSize(), QFontInfo(view->font()).pixelSize());
        fontWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(KeepFontWarnings);
        const QImage shot = view->grab().toImage();
        qInstallMessageHandler(previous);
        EXPECT_FALSE(shot.isNull());
        EXPECT_TRUE(fontWarnings.empty()) << fontWarnings.front().toStdString();
    }
}

}  // namespace
