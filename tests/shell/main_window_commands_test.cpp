// The main window's commands that ask, save, clear and switch: the save
// button and the save request, clearing the play list, the seek bar's
// limits, capture on a paused video, wide screen, the side panels, closing
// the browsing tabs, the tray icon's menu and the exit options.
#include "main_window_fixture.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/ids/message_ids.h"
#include "common/ids/string_ids.h"
#include "common/string_table.h"
#include "shell/save/dlg_save_video.h"
#include "shell/window/main_messages.h"
#include "ui/tab_band/wnd_tab_band.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <fstream>
#include <functional>

namespace {

using namespace main_window_test;
using namespace std::chrono_literals;

// Calls `answer` with each modal widget that shows while it runs, as a user
// who reads and answers it.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer)
    {
        QObject::connect(&timer_, &QTimer::timeout, [answer = std::move(answer)] {
            if (QWidget* modal = QApplication::activeModalWidget())
                answer(modal);
        });
        timer_.start(20);
    }

private:
    QTimer timer_;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ShownTip()
{
    return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
}

// The save request (WM_SAVE_VIDEO_KEY) offers the local files that exist and
// the videos whose cache is complete, and nothing else; the save button
// asks for it with the playing video once that is whole, and otherwise
// says to wait for the download.
TEST_F(MainWindowTest, OnlyWholeVideosAreOfferedForSavingAndTheSaveButtonWaitsForTheDownload)
{
    settings->saveFlvFolder = folder + "saved";
    settings->convertSelection = 0;  // a copy as FLV
    const std::string local = folder + "local clip.flv";
    std::ofstream(local, std::ios::binary) << "FLV\x01 the local file";
    const auto cached = [](const std::string& key, const std::string& title, const std::string& content, int share) {
        InfoVideo* video = AddRecord(key, "/" + title + ".flv");
        video->a1 = title;
        std::ofstream(GetCachePath(*video), std::ios::binary) << content;
        video->a5 = std::to_string(content.size() * 100 / share);
    };
    cached("http://videos.test/whole", "Whole video", "FLV\x01 the whole cache", 100);
    cached("http://videos.test/half", "Half video", "FLV\x01 half", 50);

    std::size_t offered = 0;
    bool done = false;
    bool save = true;  // else a dialog is only counted and closed
    ModalAnswer answer([&](QWidget* modal) {
        auto* dialog = qobject_cast<DlgSaveVideo*>(modal);
        if (!dialog)
            return;
        if (!save) {
            offered = dialog->QueueSize();
            dialog->reject();
        } else if (offered == 0) {
            offered = dialog->QueueSize();
            dialog->Save();
        } else if (dialog->IsDone()) {
            done = true;
            dialog->reject();
        }
    });
    PostKeysMessage(window->GetSafeHwnd(), WM_SAVE_VIDEO_KEY,
                    {local, folder + "gone.flv", "http://videos.test/whole", "http://videos.test/half",
                     "http://videos.test/unknown"});
    ASSERT_TRUE(RunEventsUntil([&] { return done; }, 20s)) << "the save dialog opened and saved";
    EXPECT_EQ(offered, 2u);
    EXPECT_EQ(ReadFile(folder + "saved/local clip.flv"), "FLV\x01 the local file");
    EXPECT_EQ(ReadFile(folder + "saved/Whole video.flv"), "FLV\x01 the whole cache");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder + "saved"), fs::directory_iterator()), 2);

    // Nothing whole among the keys: no dialog, the tip to wait.
    offered = 0;
    save = false;
    PostKeysMessage(window->GetSafeHwnd(), WM_SAVE_VIDEO_KEY, {"http://videos.test/half", folder + "gone.flv"});
    EXPECT_TRUE(RunEventsUntil([] { return ShownTip() == LoadString(IDS_SAVE_AFTER_DOWNLOAD); }, 5s));
    EXPECT_EQ(offered, 0u);
    QToolTip::hideText();

    // The save button with a video that is still downloading: the tip.
    window->Control().PlayItem("http://videos.test/half");
    QTest::mouseClick(window->GetCtrl(command::kSaveVideo), Qt::LeftButton);
    EXPECT_EQ(ShownTip(), LoadString(IDS_SAVE_AFTER_DOWNLOAD));
    EXPECT_EQ(offered, 0u);
    QToolTip::hideText();
    window->Control().StopPlaying();

    // With a local file playing: the dialog, with that file.
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    done = false;
    save = true;
    QTest::mouseClick(window->GetCtrl(command::kSaveVideo), Qt::LeftButton);
    ASSERT_TRUE(RunEventsUntil([&] { return done; }, 20s));
    EXPECT_EQ(offered, 1u);
    EXPECT_EQ(ReadFile(folder + "saved/" + fs::path(mp4).stem().string() + ".flv"), ReadFile(mp4));
    window->Control().StopPlaying();
}

// "否" keeps the list and its caches; "是" stops the player, empties the
// list and deletes the cache files.
TEST_F(MainWindowTest, ClearingThePlayListAsksAndOnlyAYesStopsAndEmptiesIt)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 20);
    ASSERT_FALSE(mp4.empty());
    site->AddFileFromDisk("/to-clear.mp4", mp4, "video/mp4");
    InfoVideo* video = AddRecord("http://videos.test/to-clear", "/to-clear.mp4");
    AddRecord("http://videos.test/other", "/other.mp4");
    const std::string cache = GetCachePath(*video);
    window->Control().PlayItem("http://videos.test/to-clear");
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    ASSERT_TRUE(fs::exists(cache));

    QMessageBox::StandardButton reply = QMessageBox::No;
    std::string asked;
    ModalAnswer answer([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            asked = box->text().toStdString();
            box->button(reply)->click();
        }
    });
    window->DeliverCommand(command::kClearPlayList);
    EXPECT_EQ(asked, LoadString(IDS_CLEAR_PLAY_LIST_CONFIRM));
    EXPECT_EQ(settings->playList.PCL_GetObjectCount(), 2u);
    ASSERT_TRUE(settings->nowPlaying) << "a no leaves the player alone";
    EXPECT_TRUE(fs::exists(cache));

    reply = QMessageBox::Yes;
    asked.clear();
    window->DeliverCommand(command::kClearPlayList);
    EXPECT_EQ(asked, LoadString(IDS_CLEAR_PLAY_LIST_CONFIRM));
    EXPECT_EQ(settings->playList.PCL_GetObjectCount(), 0u);
    EXPECT_FALSE(settings->nowPlaying) << "the player stopped";
    EXPECT_FALSE(fs::exists(cache)) << "the cache files went with the list";
}

// A release on the seek bar: a video whose length is unknown cannot seek
// (the knob goes back, a tip says why); a video from the web seeks no
// further than it is loaded.
TEST_F(MainWindowTest, TheSeekBarRefusesAnUnknownLengthAndStopsAtTheLoadedShare)
{
    auto* seek = dynamic_cast<ui::CWndSliderPlay*>(window->GetCtrl(control::kSeekSlider));
    ASSERT_NE(seek, nullptr);
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 20);
    ASSERT_FALSE(flv.empty());
    // Sent slowly, so that the video plays long before it is all there.
    site->AddFileFromDisk("/slow.flv", flv, "video/x-flv");
    test_site::Behaviour slow;
    slow.trickleBytes = 8192;
    slow.trickleDelayMs = 40;
    site->SetBehaviour("/slow.flv", slow);
    AddRecord("http://videos.test/slow", "/slow.flv");
    window->Control().PlayItem("http://videos.test/slow");
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    ASSERT_TRUE(RunEventsUntil([&] { return seek->GetLoaded() > 0; }, 20s));
    const int loaded = seek->GetLoaded();
    ASSERT_LT(loaded, 80) << "loaded too fast for the case";
    QTest::mousePress(seek, Qt::LeftButton, {}, TrackPoint(seek, 90));
    QTest::mouseRelease(seek, Qt::LeftButton, {}, TrackPoint(seek, 90));
    EXPECT_GE(seek->value(), loaded);
    EXPECT_LE(seek->value(), seek->GetLoaded()) << "the knob stops at the loaded share, not at 90 %";
    window->Control().StopPlaying();

    // The same video while its length is not known yet (as before the
    // player has told it): the release seeks nowhere.
    window->Control().PlayItem(flv);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start", 2));
    ASSERT_TRUE(settings->nowPlaying);
    settings->nowPlaying->totalTime = 0;
    QToolTip::hideText();
    QTest::mousePress(seek, Qt::LeftButton, {}, TrackPoint(seek, 70));
    QTest::mouseRelease(seek, Qt::LeftButton, {}, TrackPoint(seek, 70));
    EXPECT_EQ(seek->value(), 0);
    EXPECT_EQ(ShownTip(), LoadString(IDS_SEEK_UNKNOWN));
    EXPECT_LT(LastPosition(), 5) << "no seek to 70 %";
    QToolTip::hideText();
    window->Control().StopPlaying();
}

// A capture of a paused video leaves it paused; a playing one is paused for
// the picture (and plays on afterwards).
TEST_F(MainWindowTest, ACaptureOfAPausedVideoLeavesItPaused)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 20);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("VideoProcess", "1/"));
    std::size_t pausesAtDialog = 0;
    bool asked = false;
    ModalAnswer answer([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            pausesAtDialog = Count("OnStatus", "Our.Pause");
            asked = true;
            dialog->reject();
        }
    });
    QTest::mouseClick(window->GetCtrl(command::kCapture), Qt::LeftButton);
    ASSERT_TRUE(RunEventsUntil([&] { return asked; }, 10s));
    EXPECT_EQ(pausesAtDialog, 1u) << "paused before the picture";
    EXPECT_TRUE(RunEventsUntil([] { return AskPlayer("IsPause") == "false"; }, 5s)) << "plays on after the dialog";

    QTest::mouseClick(window->GetCtrl(command::kPlayPause), Qt::LeftButton);
    ASSERT_TRUE(WaitFor("OnStatus", "Our.Pause", 2));
    ASSERT_EQ(AskPlayer("IsPause"), "true");
    const std::size_t toggles = Count("OnStatus", "Our.Pause");
    asked = false;
    QTest::mouseClick(window->GetCtrl(command::kCapture), Qt::LeftButton);
    ASSERT_TRUE(RunEventsUntil([&] { return asked; }, 10s));
    EXPECT_EQ(AskPlayer("IsPause"), "true") << "a paused video stays paused";
    EXPECT_EQ(Count("OnStatus", "Our.Pause"), toggles) << "neither paused nor played for the picture";
    window->Control().StopPlaying();
}

// Wide screen stretches the picture over the player's whole place; the side
// panels show one at a time with their button checked; "close all tabs"
// closes the browsing tabs' views (2100-2199) and leaves the others.
TEST_F(MainWindowTest, WideScreenSidePanelsAndClosingTheBrowsingTabs)
{
    const auto Button = [](int id) { return dynamic_cast<ui::FCButtonBase*>(window->GetCtrl(id)); };
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 30);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("VideoProcess", "1/"));
    QWidget* player = window->Player()->Widget();
    // The player's place is taller than the 4:3 picture: bars above and
    // below it, unless the picture is stretched.
    ASSERT_LT(player->width() * 3, player->height() * 4 - 40);
    const QRect topStrip(0, 0, player->width(), player->height() / 40);
    const auto sideColours = [&] { return GridColours(player->grab().toImage(), topStrip); };
    ASSERT_TRUE(RunEventsUntil([&] { return sideColours() <= 2; }, 5s)) << "a bar at the top";
    ASSERT_NE(Button(command::kWideScreen), nullptr);
    EXPECT_FALSE(Button(command::kWideScreen)->GetCheck());
    QTest::mouseClick(window->GetCtrl(command::kWideScreen), Qt::LeftButton);
    EXPECT_TRUE(Button(command::kWideScreen)->GetCheck());
    EXPECT_TRUE(RunEventsUntil([&] { return sideColours() >= 4; }, 5s)) << "the picture reaches the top";
    QTest::mouseClick(window->GetCtrl(command::kWideScreen), Qt::LeftButton);
    EXPECT_FALSE(Button(command::kWideScreen)->GetCheck());
    EXPECT_TRUE(RunEventsUntil([&] { return sideColours() <= 2; }, 5s)) << "the bar is back";
    window->Control().StopPlaying();

    const std::pair<int, int> panels[] = {{command::kMonitorPanel, control::kMonitorPanel},
                                          {command::kPlayListPanel, control::kPlayList},
                                          {command::kFavoritesPanel, control::kFavorites},
                                          {command::kHistoryPanel, control::kHistory}};
    for (const auto& [chosen, chosenPanel] : {panels[2], panels[0], panels[3], panels[1]}) {
        QTest::mouseClick(window->GetCtrl(chosen), Qt::LeftButton);
        for (const auto& [button, panel] : panels) {
            SCOPED_TRACE(std::to_string(chosen) + " chosen, " + std::to_string(button));
            ASSERT_NE(Button(button), nullptr);
            EXPECT_EQ(Button(button)->GetCheck(), button == chosen);
            // (the skin has no window for the monitor panel yet)
            ASSERT_TRUE(window->GetCtrl(panel) || panel == control::kMonitorPanel);
            if (QWidget* shown = window->GetCtrl(panel)) {
                EXPECT_EQ(shown->isVisible(), panel == chosenPanel);
            }
        }
    }

    auto* band = dynamic_cast<ui::CWndTabBand*>(window->GetCtrl(control::kTabBand));
    ASSERT_NE(band, nullptr);
    // The skin's default tabs hold the first ids; these join them.
    const int views[] = {2099, 2150, control::kLastBrowseView, 2200};
    for (const int view : views)
        band->AddButton(view, true);
    window->DeliverCommand(command::kCloseAllTabs);
    EXPECT_TRUE(RunEventsUntil([&] { return !band->FindButton(control::kLastBrowseView); }));
    for (int view = control::kFirstBrowseView; view <= control::kLastBrowseView; ++view)
        EXPECT_EQ(band->FindButton(view), nullptr) << view;
    EXPECT_NE(band->FindButton(2099), nullptr) << "below the browsing tabs' ids";
    EXPECT_NE(band->FindButton(2200), nullptr) << "above them";
    // The message closes the view it names.
    platform::PostMessage(window->GetSafeHwnd(), WM_TAB_CLOSE, control::kTabBand, 2200);
    EXPECT_TRUE(RunEventsUntil([&] { return !band->FindButton(2200); }));
    EXPECT_NE(band->FindButton(2099), nullptr);
    band->RemoveButton(2099);
}

// With the exit options set, closing the window empties the history and the
// play list; without them both stay.
TEST_F(MainWindowTest, TheExitOptionsClearTheHistoryAndThePlayList)
{
    for (const int clear : {0, 1}) {
        SCOPED_TRACE(clear);
        // A window of its own: the shared one stays open for the other cases.
        CAppSetting closing;
        closing.configUrl = settings->configUrl;
        closing.exitClearHistory = clear;
        closing.exitDeletePlaylist = clear;
        auto* video = new InfoVideo;
        video->a0 = "2";
        video->a2 = "http://videos.test/listed";
        closing.playList.PCL_PushObject(video);
        ASSERT_TRUE(AddHistory(closing, "Seen", "http://videos.test/seen"));
        {
            CProgramParts otherParts(closing);
            COvrinDlg other(closing, desktop, otherParts.WindowParts());
            std::string error;
            ASSERT_TRUE(other.Start("", error)) << error;
            other.close();
        }
        EXPECT_EQ(closing.playList.PCL_GetObjectCount(), clear ? 0u : 1u);
        EXPECT_EQ(closing.history.PCL_GetObjectCount(), clear ? 0u : 1u);
    }
    EXPECT_TRUE(window->isVisible()) << "the shared window is untouched";
}

// The tray icon as the desktop reports its clicks: a left click brings a
// window hidden in the tray back, a right click offers the main menu.
TEST_F(MainWindowTest, TheTrayIconRestoresTheWindowAndOffersTheMainMenu)
{
    QSystemTrayIcon* tray = window->Menus().TrayIcon();
    ASSERT_NE(tray, nullptr);
    window->hide();
    Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window->isVisible()) << "a left click brings the window back";

    QStringList entries;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        menu->close();
    });
    Q_EMIT tray->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(entries, (QStringList{"播放视频文件(&O)...", "播放视频网页(&U)...", "界面颜色(&C)...", "设置(&S)...", "-",
                                    "访问Quelt网站", "意见与反馈", "关于(&A)...", "-", "退出(&X)"}));
}

}  // namespace
