// The main window's controls under the mouse and the keys, as a user works
// them: real mouse and key events on the real widgets, and what the player
// page reports afterwards (its position, its volume).
#include "main_window_fixture.h"
#include "common/ids/string_ids.h"
#include "common/string_table.h"

#include <QEnterEvent>
#include <QScreen>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

namespace {

using namespace main_window_test;
using namespace std::chrono_literals;

TEST_F(MainWindowTest, ClickingAndDraggingTheSeekBarSeeksAndTheBarKeepsFollowing)
{
    const std::string first = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 8);
    ASSERT_FALSE(first.empty());
    window->Control().PlayItem(first);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    // The window knows the length and the size: a seek is allowed.
    ASSERT_TRUE(WaitFor("VideoProcess", "/8"));
    ASSERT_TRUE(WaitFor("LoadByteProcess", "/"));
    auto* seek = dynamic_cast<ui::CWndSliderPlay*>(window->GetCtrl(201));
    ASSERT_NE(seek, nullptr);
    ASSERT_GT(seek->width(), 100);

    // Paused, the page's position moves by the seek alone.
    QTest::mouseClick(window->GetCtrl(20000), Qt::LeftButton);
    ASSERT_TRUE(WaitFor("OnStatus", "Our.Pause"));
    ASSERT_EQ(AskPlayer("IsPause"), "true");
    ASSERT_LT(LastPosition(), 3);
    EXPECT_EQ(window->GetCtrl(20000)->toolTip().toStdString(), LoadString(IDS_PLAY_TIP)) << "paused, it offers to play";

    // A click at four fifths: 6.4 s of 8.
    QTest::mouseClick(seek, Qt::LeftButton, {}, TrackPoint(seek, 80));
    EXPECT_FALSE(seek->isSliderDown()) << "the release was seen";
    EXPECT_TRUE(RunEventsUntil([] { return LastPosition() == 6; }, 15s))
        << "the page is at " << LastPosition() << " s after the click";

    // A drag from a fifth to 55 %: the knob follows the mouse, and the
    // page goes to 4.4 s when the button is let go.
    QTest::mousePress(seek, Qt::LeftButton, {}, TrackPoint(seek, 20));
    QTest::mouseMove(seek, TrackPoint(seek, 40));
    EXPECT_NEAR(seek->value(), 40, 1);
    QTest::mouseMove(seek, TrackPoint(seek, 55));
    EXPECT_NEAR(seek->value(), 55, 1);
    EXPECT_EQ(LastPosition(), 6) << "no seek while the knob is held";
    QTest::mouseRelease(seek, Qt::LeftButton, {}, TrackPoint(seek, 55));
    EXPECT_FALSE(seek->isSliderDown());
    EXPECT_TRUE(RunEventsUntil([] { return LastPosition() == 4; }, 15s))
        << "the page is at " << LastPosition() << " s after the drag";

    // Playing on (by the key), the bar follows the page again.
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_TRUE(WaitFor("OnStatus", "Our.Pause", 2));
    EXPECT_EQ(window->GetCtrl(20000)->toolTip().toStdString(), LoadString(IDS_PAUSE_TIP)) << "playing, it offers to pause";
    EXPECT_TRUE(RunEventsUntil([] { return LastPosition() >= 6; }, 15s));
    EXPECT_TRUE(RunEventsUntil([&] { return seek->value() == LastPosition() * 100 / 8; }, 5s))
        << "bar " << seek->value() << " at " << LastPosition() << " s of 8";

    // And so it does for the next video.
    const std::string second = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 4);
    ASSERT_FALSE(second.empty());
    events.clear();
    window->Control().PlayItem(second);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    ASSERT_TRUE(WaitFor("VideoProcess", "2/4"));
    EXPECT_TRUE(RunEventsUntil([&] { return seek->value() == LastPosition() * 100 / 4 && seek->value() > 0; }, 5s))
        << "bar " << seek->value() << " at " << LastPosition() << " s of 4";
    window->Control().StopPlaying();
}

TEST_F(MainWindowTest, ClickingAndDraggingTheVolumeSliderSetsThePagesVolume)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 6);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    auto* volume = dynamic_cast<ui::CWndSlider*>(window->GetCtrl(220));
    ASSERT_NE(volume, nullptr);
    ASSERT_GT(volume->width(), 40);
    EXPECT_EQ(AskPlayer("GetVideoVolume"), std::to_string(settings->volume));

    // The slider's ends are its first and last pixel, so a click lands
    // within a step of the share of the width.
    QTest::mouseClick(volume, Qt::LeftButton, {}, TrackPoint(volume, 30));
    EXPECT_FALSE(volume->isSliderDown());
    const int clicked = volume->value();
    EXPECT_NEAR(clicked, 30, 3);
    EXPECT_EQ(AskPlayer("GetVideoVolume"), std::to_string(clicked));
    EXPECT_EQ(settings->volume, clicked) << "stored with the settings, so it comes back after a restart";

    QTest::mousePress(volume, Qt::LeftButton, {}, TrackPoint(volume, 30));
    QTest::mouseMove(volume, TrackPoint(volume, 45));
    QTest::mouseMove(volume, TrackPoint(volume, 60));
    QTest::mouseRelease(volume, Qt::LeftButton, {}, TrackPoint(volume, 60));
    const int dragged = volume->value();
    EXPECT_NEAR(dragged, 60, 3);
    EXPECT_EQ(AskPlayer("GetVideoVolume"), std::to_string(dragged));
    EXPECT_EQ(settings->volume, dragged);
    window->Control().StopPlaying();
}

}  // namespace

namespace {

TEST_F(MainWindowTest, PinningInMiniModeShowsInTheMainSkinAndTheWindowStaysOnTheScreen)
{
    // A click in the middle of the skin's control with this id.
    const auto ClickCtrl = [](int id) {
        QWidget* ctrl = window->GetCtrl(id);
        ASSERT_NE(ctrl, nullptr) << id;
        QTest::mouseClick(ctrl, Qt::LeftButton, {}, ctrl->rect().center());
    };
    const auto Button = [](int id) { return dynamic_cast<ui::FCButtonBase*>(window->GetCtrl(id)); };
    const auto OnTop = [] { return bool(window->windowFlags() & Qt::WindowStaysOnTopHint); };

    window->move(0, 0);
    const QRect place = window->geometry();
    ASSERT_EQ(place.topLeft(), QPoint(0, 0));

    ClickCtrl(20008);  // mini mode
    ASSERT_NE(Button(20051), nullptr);
    ClickCtrl(20051);  // pin
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(Button(20051)->GetCheck());
    ClickCtrl(20050);  // back
    ASSERT_NE(Button(20021), nullptr);
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(Button(20021)->GetCheck()) << "the main skin's pin shows what the window does";

    // The pointer rests on the pin while the window comes back on top: the
    // button must not stay lit once the window has been hidden.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), Button(20021)->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(Button(20021), &enter);
    ASSERT_EQ(Button(20021)->GetState(), ui::FCItemState::kHover);
    ClickCtrl(20021);  // unpin: the first click does what the button shows
    EXPECT_FALSE(OnTop());
    EXPECT_FALSE(Button(20021)->GetCheck());
    EXPECT_EQ(Button(20021)->GetState(), ui::FCItemState::kNormal) << "no hover left over from before the re-show";
    ClickCtrl(20021);  // pin again
    EXPECT_TRUE(OnTop());
    ClickCtrl(20008);
    EXPECT_TRUE(Button(20051)->GetCheck());
    ClickCtrl(20050);

    EXPECT_EQ(window->geometry(), place);
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry().topLeft())) << "the skin's title bar stays in reach";
    for (const int id : {20100, 20021, 20008})
        EXPECT_EQ(Button(id)->GetState(), ui::FCItemState::kNormal) << id;
    ClickCtrl(20021);
    EXPECT_FALSE(OnTop());
}

}  // namespace

namespace {

// A double click as a widget window delivers it: press, release, then the
// second press as a double click, and its release.
void DoubleClick(QWidget* widget, QPoint at)
{
    // The view counts clicks by their times: apart from any earlier ones.
    static ulong time = 0;
    time += 10'000;
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    for (const auto& [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                         std::pair{QEvent::MouseButtonRelease, Qt::NoButton},
                                         std::pair{QEvent::MouseButtonDblClick, Qt::LeftButton},
                                         std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
        event.setTimestamp(time += 50);
        QApplication::sendEvent(widget, &event);
    }
}

TEST_F(MainWindowTest, FullScreenComesAndGoesEveryTimeAndTheControlsGoOn)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 30);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("VideoProcess", "1/"));
    QWidget* player = window->Player()->Widget();
    const QRect place = player->geometry();
    const QRect screen = window->screen()->geometry();
    const auto full = [&] { return player->isWindow() && player->isFullScreen(); };
    // Keys go where the keyboard's focus is.
    const auto press = [](QWidget* fallback, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : fallback, key, modifiers);
    };

    enum class Way { CtrlEnter, AltEnter, Button, Escape, DoubleClick };
    const std::pair<Way, Way> rounds[] = {{Way::CtrlEnter, Way::Escape},   {Way::Button, Way::Escape},
                                          {Way::AltEnter, Way::AltEnter},  {Way::CtrlEnter, Way::CtrlEnter},
                                          {Way::Button, Way::Escape},      {Way::CtrlEnter, Way::Escape},
                                          {Way::DoubleClick, Way::Escape}, {Way::CtrlEnter, Way::DoubleClick}};
    int round = 0;
    for (const auto& [enter, leave] : rounds) {
        SCOPED_TRACE("round " + std::to_string(++round));
        switch (enter) {
        case Way::CtrlEnter: press(window.get(), Qt::Key_Return, Qt::ControlModifier); break;
        case Way::AltEnter: press(window.get(), Qt::Key_Return, Qt::AltModifier); break;
        case Way::Button: QTest::mouseClick(window->GetCtrl(20006), Qt::LeftButton); break;
        case Way::DoubleClick: DoubleClick(player->focusProxy() ? player->focusProxy() : player, QPoint(200, 150)); break;
        case Way::Escape: break;
        }
        ASSERT_TRUE(RunEventsUntil(full, 5s));
        EXPECT_EQ(player->geometry(), screen) << "the whole screen";
        EXPECT_TRUE(player->windowFlags() & Qt::FramelessWindowHint) << "no frame around it";
        EXPECT_TRUE(player->windowFlags() & Qt::WindowStaysOnTopHint) << "above every other window";
        EXPECT_TRUE(RunEventsUntil([&] { return QApplication::focusWidget() && player->isAncestorOf(QApplication::focusWidget()); }, 5s))
            << "the keyboard's focus is in it";
        if (round == 1) {
            const std::string label = TimeLabel();
            EXPECT_TRUE(RunEventsUntil([&] { return TimeLabel() != label; }, 5s)) << "the time label goes on: " << label;
        }
        switch (leave) {
        case Way::CtrlEnter: press(player, Qt::Key_Return, Qt::ControlModifier); break;
        case Way::AltEnter: press(player, Qt::Key_Return, Qt::AltModifier); break;
        case Way::Escape: press(player, Qt::Key_Escape, Qt::NoModifier); break;
        case Way::DoubleClick: DoubleClick(player->focusProxy() ? player->focusProxy() : player, QPoint(200, 150)); break;
        case Way::Button: break;
        }
        ASSERT_TRUE(RunEventsUntil([&] { return !player->isWindow(); }, 5s)) << "left full screen";
        EXPECT_EQ(player->geometry(), place);
        EXPECT_TRUE(player->isVisible());
    }
    window->Control().StopPlaying();
}

}  // namespace

namespace {

TEST_F(MainWindowTest, MutingShowsAMutedSpeakerAndSilencesThePage)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 6);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    auto* mute = dynamic_cast<ui::FCButtonBase*>(window->GetCtrl(20002));
    ASSERT_NE(mute, nullptr);
    const auto icon = [&] { return fs::path(mute->IconImage()).filename().string(); };
    EXPECT_EQ(icon(), "volume.png");

    QTest::mouseClick(mute, Qt::LeftButton, {}, mute->rect().center());
    EXPECT_EQ(icon(), "muted.png") << "the muted speaker";
    EXPECT_TRUE(fs::is_regular_file(mute->IconImage())) << mute->IconImage();
    EXPECT_TRUE(mute->GetCheck());
    EXPECT_EQ(mute->toolTip().toStdString(), LoadString(IDS_SOUND_TIP));
    EXPECT_EQ(AskPlayer("GetVideoVolume"), "0");

    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(icon(), "volume.png");
    EXPECT_FALSE(mute->GetCheck());
    EXPECT_EQ(mute->toolTip().toStdString(), LoadString(IDS_MUTE_TIP));
    EXPECT_EQ(AskPlayer("GetVideoVolume"), std::to_string(settings->volume));
    // Ctrl+D stops the video.
    QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(settings->nowPlaying);
    window->Control().StopPlaying();
}

}  // namespace

namespace {

TEST_F(MainWindowTest, TheCaptureButtonAsksInThePicturesFolderAndPlaybackGoesOn)
{
    // A home of the test's own, with a pictures folder.
    const QByteArray home = qgetenv("HOME");
    const std::string testHome = folder + "home";
    fs::create_directories(testHome + "/Pictures");
    qputenv("HOME", QByteArray::fromStdString(testHome));
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 20);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("VideoProcess", "1/"));

    std::string asked;
    QTimer answer;
    answer.setInterval(50);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !asked.empty())
            return;
        asked = dialog->directory().absolutePath().toStdString();
        static_cast<QDialog*>(dialog)->accept();
    });
    answer.start();
    QTest::mouseClick(window->GetCtrl(20003), Qt::LeftButton);
    EXPECT_TRUE(RunEventsUntil([&] { return !asked.empty(); }, 10s)) << "the save dialog opened";
    answer.stop();
    qputenv("HOME", home);
    EXPECT_EQ(asked, testHome + "/Pictures");
    // Saved under the name it offered (the video's, as a BMP).
    EXPECT_TRUE(RunEventsUntil([&] { return fs::is_regular_file(testHome + "/Pictures/" + fs::path(mp4).filename().string() + ".bmp"); }, 5s));
    EXPECT_TRUE(RunEventsUntil([] { return AskPlayer("IsPause") == "false"; }, 5s)) << "playback goes on";
    const int position = LastPosition();
    EXPECT_TRUE(RunEventsUntil([&] { return LastPosition() > position; }, 5s));
    window->Control().StopPlaying();
}

}  // namespace

namespace {

TEST_F(MainWindowTest, AnOldCodecFlvPlaysInThePreviewThroughTheConversion)
{
    // Sorenson Spark with MP3, as a play-list video whose cache is whole.
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::Flv, 3);
    ASSERT_FALSE(flv.empty());
    window->Control().AddVideo("Old", flv, kAddPreview);
    CPreviewWindow* preview = window->Preview();
    ASSERT_NE(preview, nullptr);
    std::vector<Event> seen;
    preview->Player()->SetEventHandler([&](const std::string& command, const std::string& args) {
        seen.push_back({command, args});
    });
    const auto has = [&](const std::string& command, const std::string& part) {
        for (const Event& event : seen)
            if (event.command == command && event.args.find(part) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(RunEventsUntil([&] { return has("OnStatus", "Play.Start"); }, 60s)) << "the preview plays it";
    EXPECT_TRUE(RunEventsUntil([&] { return has("VideoProcess", "2/"); }, 60s));
    preview->DeliverCommand(20301);  // close
    EXPECT_TRUE(RunEventsUntil([] { return window->Preview() == nullptr; }));
    // Its conversion ended with it.
    EXPECT_TRUE(RunEventsUntil([&] {
        for (const auto& entry : fs::directory_iterator(folder + "temp"))
            if (entry.path().filename().string().starts_with("transcoded-"))
                return false;
        return true;
    }));
}

}  // namespace

namespace {

TEST_F(MainWindowTest, ASeekBarHiddenWhileHeldLetsGoWithoutSeeking)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 8);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("VideoProcess", "/8"));
    auto* seek = dynamic_cast<ui::CWndSliderPlay*>(window->GetCtrl(201));
    ASSERT_NE(seek, nullptr);
    // Held, and then the skin goes (mini mode by its key while the button is down).
    QTest::mousePress(seek, Qt::LeftButton, {}, TrackPoint(seek, 90));
    window->DeliverCommand(20008);
    EXPECT_FALSE(seek->isSliderDown()) << "a hidden slider holds nothing";
    window->DeliverCommand(20050);
    QTest::mouseRelease(seek, Qt::LeftButton, {}, TrackPoint(seek, 90));
    EXPECT_TRUE(RunEventsUntil([&] { return LastPosition() >= 2; }, 10s));
    EXPECT_LT(LastPosition(), 6) << "no seek to 90 %";
    EXPECT_TRUE(RunEventsUntil([&] { return seek->value() == LastPosition() * 100 / 8; }, 5s)) << "the bar follows";
    window->Control().StopPlaying();
}

}  // namespace
