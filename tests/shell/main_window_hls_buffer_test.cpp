// The player page's media buffers of a long HLS stream: what has been played
// is dropped behind the playing position (otherwise the page grows with the
// stream's length), and a seek back into the dropped part plays again from
// the play server.
#include "main_window_fixture.h"
#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

using namespace main_window_test;
using namespace std::chrono_literals;

// The result of a script in the player page, as text (empty when it gives
// none within the wait's bound).
std::string PageValue(COvrinDlg& dialog, const QString& code)
{
    auto* view = qobject_cast<QWebEngineView*>(dialog.Player()->Page().Widget());
    if (!view)
        return {};
    std::string value;
    bool done = false;
    view->page()->runJavaScript(code, [&](const QVariant& result) {
        value = result.toString().toStdString();
        done = true;
    });
    RunEventsUntil([&] { return done; });
    return value;
}

// Where the page's buffered media starts, in seconds; -1 when nothing is
// buffered.
double BufferedStart(COvrinDlg& dialog)
{
    const std::string value = PageValue(dialog, QStringLiteral("video.buffered.length ? video.buffered.start(0) : -1"));
    return value.empty() ? -1 : std::atof(value.c_str());
}

// Whether the page has media at its playing position.
bool HasMediaAtPosition(COvrinDlg& dialog)
{
    return PageValue(dialog, QStringLiteral("(function () { for (var i = 0; i < video.buffered.length; ++i)"
                                    " if (video.buffered.start(i) <= video.currentTime &&"
                                    " video.currentTime < video.buffered.end(i)) return 'yes'; return 'no'; })()"))
           == "yes";
}

TEST_F(MainWindowTest, AnHlsStreamPlayedFarKeepsOnlyItsRecentPastAndSeeksBackIntoWhatItDropped)
{
    const std::string hls = test_site::MakeTestHls(60);
    ASSERT_FALSE(hls.empty());
    ASSERT_TRUE(test_site::ServeFolder(*site, "/long-hls", hls));
    InfoVideo* video = AddRecord("long-hls", "/long-hls/master.m3u8");
    video->state = VIDEO_STATE_MANIFEST;  // as the detection service answers for a known page
    window->Control().AddVideo("", "long-hls", kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));

    // Forty-five seconds of media in a few seconds of the test.
    PageValue(*window, QStringLiteral("video.playbackRate = 16"));
    ASSERT_TRUE(RunEventsUntil([] { return LastPosition() >= 45; }, 60s)) << "at " << LastPosition() << " s";
    QTest::mouseClick(window->GetCtrl(command::kPlayPause), Qt::LeftButton);
    ASSERT_TRUE(WaitFor("OnStatus", "Our.Pause"));
    PageValue(*window, QStringLiteral("video.playbackRate = 1"));

    // The played part is removed as playing goes on; a poll with a bound, as
    // the removal finishes within the page on its own time.
    double start = BufferedStart(*window);
    for (int tries = 0; tries < 100 && start < 10; ++tries)
        start = BufferedStart(*window);
    EXPECT_GE(start, 10) << "the page still holds the media from " << start << " s while at " << LastPosition()
                         << " s";

    // A click on the seek bar at a tenth (6 s of 60), inside what was
    // dropped: the page asks the play server again and plays on from there.
    // The size in bytes of a segmented stream is never known; it seeks by
    // time, anywhere, as the segment asked for is fetched first.
    QWidget* seekBar = window->GetCtrl(control::kSeekSlider);
    ASSERT_NE(seekBar, nullptr);
    QTest::mouseClick(seekBar, Qt::LeftButton, {}, TrackPoint(seekBar, 10));
    ASSERT_TRUE(RunEventsUntil([] { return LastPosition() == 6; }, 15s)) << "at " << LastPosition() << " s";
    QTest::keyClick(window.get(), Qt::Key_Space);
    EXPECT_TRUE(RunEventsUntil([] { return LastPosition() >= 8 && LastPosition() < 30; }, 20s))
        << "at " << LastPosition() << " s";
    EXPECT_TRUE(HasMediaAtPosition(*window));
    window->Control().StopPlaying();
}

}  // namespace
