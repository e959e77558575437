// The main window with the real player page in QtWebEngine (offscreen):
// videos play to their end through the play server, the next one follows,
// the controls move, and a seek continues from the new place. One window
// (one browser engine) serves every case.
#include "main_window_fixture.h"
#include "test_site/live_hls.h"

#include "common/ids/command_ids.h"
#include "common/ids/control_ids.h"
#include "common/ids/string_ids.h"
#include "common/string_table.h"
#include "ui/toolkit/panel_item.h"
#include "ui/widgets/skin_paint.h"
#include "shell/window/flv_transcoder.h"
#include "delivery/hls_stream.h"
#include "app/start_request.h"

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QTest>
#include <QDesktopServices>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <cstring>
#include <memory>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace main_window_test;

TEST_F(MainWindowTest, AnMp4AndAnH264FlvPlayToTheEndOneAfterTheOther)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2);
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 2);
    ASSERT_FALSE(mp4.empty());
    ASSERT_FALSE(flv.empty());
    site->AddFileFromDisk("/first.mp4", mp4, "video/mp4");
    site->AddFileFromDisk("/second.flv", flv, "video/x-flv");
    AddRecord("http://videos.test/first", "/first.mp4");
    AddRecord("http://videos.test/second", "/second.flv");

    window->Control().PlayItem("http://videos.test/first");
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    // A frame of the test pattern shows while it plays.
    ASSERT_TRUE(WaitFor("VideoProcess", "1/"));
    const QImage shot = window->grab().toImage();
    QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
    shot.save(QUELT_BUILD_DIR "/screenshots/main-window-playing.png");
    EXPECT_GE(GridColours(shot, window->Player()->Widget()->geometry()), 6) << "the picture shows in the player's place";

    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver"));
    EXPECT_GE(Count("VideoProcess", "2/2"), 1u);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start", 2)) << "the next video follows";
    EXPECT_EQ(settings->nowPlaying->key, "http://videos.test/second");
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver", 2));
    EXPECT_EQ(Count("OnStatus", "Play.Start"), 2u) << "the last video has no next";
    EXPECT_GE(Count("LoadByteProcess", "/"), 1u);
    auto* seek = dynamic_cast<ui::CWndSliderPlay*>(window->GetCtrl(201));
    ASSERT_NE(seek, nullptr);
    EXPECT_EQ(seek->GetLoaded(), 100);
}

TEST_F(MainWindowTest, ALocalFlvPlaysAndASeekContinuesFromThere)
{
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 6);
    ASSERT_FALSE(flv.empty());
    window->Control().PlayItem(flv);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    ASSERT_TRUE(WaitFor("VideoProcess", "/6"));
    // Dropping the file that plays changes nothing: the controls are not
    // reset for a new start.
    const std::string url = window->Player()->GetLastUrl();
    auto* seekBar = dynamic_cast<ui::CWndSliderPlay*>(window->GetCtrl(201));
    ASSERT_NE(seekBar, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return seekBar->GetLoaded() > 0; }));
    const std::string label = TimeLabel();
    const int loaded = seekBar->GetLoaded();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(flv))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(settings->nowPlaying->key, flv);
    EXPECT_EQ(window->Player()->GetLastUrl(), url);
    EXPECT_EQ(TimeLabel(), label) << "the player was not started again";
    EXPECT_EQ(seekBar->GetLoaded(), loaded);
    window->CallPlayer("SetVideoProcess", "75");
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver"));
    // From about 4.5 s on: no second from 1 to 3 was reported after the seek.
    std::size_t seek = 0;
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i].command == "VideoProcess" && events[i].args.starts_with("4/"))
            seek = i;
    ASSERT_GT(seek, 0u);
    EXPECT_LT(Count("VideoProcess", "3/6"), 2u);
    EXPECT_EQ(TimeLabel(), "00:06 / 00:06");
}

TEST_F(MainWindowTest, AnOldCodecFlvIsConvertedByFfmpegAndPlaysToTheEnd)
{
    // Sorenson Spark with MP3: no browser decodes it.
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::Flv, 2);
    ASSERT_FALSE(flv.empty());
    window->Control().PlayItem(flv);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver"));
    EXPECT_GE(Count("VideoProcess", "2/"), 1u);
    window->Control().StopPlaying();
    // The conversion ends with the video and leaves no file behind.
    bool leftover = false;
    for (const auto& entry : fs::directory_iterator(folder + "temp"))
        leftover |= entry.path().filename().string().starts_with("transcoded-");
    EXPECT_FALSE(leftover);
}

// A program killed while it converted leaves its file; the next start
// removes the files of processes that no longer run, and only those.
TEST(TranscoderLeftovers, FilesOfEndedProcessesAreSweptAndNoOthers)
{
    const std::string folder =
        (fs::temp_directory_path() / ("quelt-transcoded-test-" + std::to_string(::getpid()))).string() + "/";
    fs::create_directories(folder);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string ended = std::to_string(child), running = std::to_string(::getpid());
    const std::vector<std::string> swept = {"transcoded-" + ended + "-1", "transcoded-" + ended + "-27"};
    const std::vector<std::string> kept = {"transcoded-" + running + "-1", "transcoded-" + ended + "-x",
                                           "transcoded-notes", "0123456789abcdef0123456789abcdef"};
    for (const auto& names : {swept, kept})
        for (const std::string& name : names)
            std::ofstream(folder + name) << "flv";
    CFlvTranscoder::SweepLeftovers(folder);
    for (const std::string& name : swept)
        EXPECT_FALSE(fs::exists(folder + name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(folder + name)) << name;
    fs::remove_all(folder);
}

// Saves a picture of the widget under build/screenshots.
void SaveScreenshot(QWidget* widget, const QString& name)
{
    QDir().mkpath(QUELT_BUILD_DIR "/screenshots");
    widget->grab().toImage().save(QUELT_BUILD_DIR "/screenshots/" + name);
}

TEST_F(MainWindowTest, MiniModeAndFullScreenKeepThePlayerAndComeBack)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 4);
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("VideoProcess", "1/"));
    QWidget* player = window->Player()->Widget();
    const QRect mainPlace = window->geometry();
    const QRect playerPlace = player->geometry();
    const auto playIcon = [&] {
        auto* button = dynamic_cast<ui::FCButtonBase*>(window->GetCtrl(20000));
        return button ? fs::path(button->IconImage()).filename().string() : std::string("no button");
    };
    EXPECT_EQ(playIcon(), "pause.png") << "a playing video shows the pause image";

    window->DeliverCommand(20008);
    EXPECT_EQ(playIcon(), "pause.png") << "the mini skin's button too";
    const auto miniTitle = [&] {
        auto* item = dynamic_cast<ui::FCPanelItemText*>(window->GetTopItem().FindByCommandId(control::kMiniTitle));
        return item ? item->text.text : std::string("no title item");
    };
    EXPECT_EQ(miniTitle(), window->windowTitle().toStdString()) << "the mini skin shows the video's title";
    window->SetTitle("Another title");
    EXPECT_EQ(miniTitle(), "Another title");
    EXPECT_EQ(window->size(), QSize(325, 285));
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->geometry(), QRect(0, 32, 325, 213)) << "in the mini skin's player area";
    EXPECT_NE(window->GetCtrl(20050), nullptr);
    ASSERT_TRUE(WaitFor("VideoProcess", "2/"));
    SaveScreenshot(window.get(), "mini-mode.png");
    EXPECT_GE(GridColours(window->grab().toImage(), player->geometry()), 6) << "the picture in the mini skin";
    window->DeliverCommand(20050);
    EXPECT_EQ(window->geometry(), mainPlace);
    EXPECT_EQ(player->geometry(), playerPlace);
    EXPECT_NE(window->GetCtrl(201), nullptr) << "the main skin's controls are back";
    EXPECT_EQ(playIcon(), "pause.png");

    window->DeliverCommand(20006);
    EXPECT_TRUE(player->isWindow());
    EXPECT_TRUE(player->isFullScreen());
    ASSERT_TRUE(WaitFor("VideoProcess", "3/"));
    SaveScreenshot(player, "full-screen.png");
    EXPECT_GE(GridColours(player->grab().toImage(), player->rect()), 6) << "the picture fills the screen";
    window->DeliverCommand(20006);
    EXPECT_FALSE(player->isWindow());
    EXPECT_EQ(player->geometry(), playerPlace);

    // The browsing tab shows the tab band in the player's place, and the
    // player plays on in the small area at the top of the side column.
    const QRect smallArea = ui::FCToQRect(window->GetTopItem().FindByCommandId(control::kSmallPlayerArea)->GetAbsoluteRect());
    window->DeliverCommand(command::kBrowseTab);
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->geometry(), smallArea);
    EXPECT_EQ(smallArea.size(), QSize(299, 168));
    EXPECT_TRUE(window->GetCtrl(control::kTabBand)->isVisible());
    SaveScreenshot(window.get(), "browsing-tab.png");
    EXPECT_LT(GridColours(window->grab().toImage(), playerPlace), 6) << "no picture where the band shows";
    EXPECT_GE(GridColours(window->grab().toImage(), smallArea), 6) << "the picture in the small area";
    window->resize(window->width() + 40, window->height() + 30);
    EXPECT_EQ(player->geometry(),
              ui::FCToQRect(window->GetTopItem().FindByCommandId(control::kSmallPlayerArea)->GetAbsoluteRect()))
        << "it stays in the small area when the window is resized";
    window->setGeometry(mainPlace);
    window->DeliverCommand(command::kPlayerTab);
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->geometry(), playerPlace) << "back in the large area";
    EXPECT_FALSE(window->GetCtrl(control::kTabBand)->isVisible());
    window->Control().StopPlaying();
    EXPECT_EQ(playIcon(), "play.png");
}

TEST_F(MainWindowTest, APreviewPlaysBesideTheMainPlayerAndMovesIntoIt)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 4);
    site->AddFileFromDisk("/preview.mp4", mp4, "video/mp4");
    AddRecord("http://videos.test/preview", "/preview.mp4");
    window->Control().AddVideo("Preview", "http://videos.test/preview", kAddPreview);
    CPreviewWindow* preview = window->Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->size(), QSize(325, 265));
    bool started = false;
    preview->Player()->SetEventHandler([&](const std::string& command, const std::string& args) {
        started |= command == "OnStatus" && args.find("Play.Start") != std::string::npos;
    });
    ASSERT_TRUE(RunEventsUntil([&] { return started; }, std::chrono::seconds(60)));
    EXPECT_FALSE(settings->nowPlaying) << "the main player was not touched";
    SaveScreenshot(preview, "preview-window.png");
    EXPECT_TRUE(RunEventsUntil([&] { return GridColours(preview->grab().toImage(), preview->Player()->Widget()->geometry()) >= 6; }))
        << "the preview shows the picture";

    preview->DeliverCommand(20302);  // play it in the main window
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    EXPECT_EQ(window->Preview(), nullptr);
    EXPECT_EQ(settings->nowPlaying->key, "http://videos.test/preview");
}

TEST_F(MainWindowTest, TheBrightnessPopUpFadesInAboveItsButton)
{
    window->DeliverCommand(20005);
    auto* light = window->findChild<CWndSliderLight*>();
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(light->isVisible());
    EXPECT_EQ(light->pos(), window->GetCtrl(20005)->mapToGlobal(QPoint(4, -93)));
    EXPECT_TRUE(RunEventsUntil([&] { return light->windowOpacity() == 1.0; }));
    EXPECT_EQ(light->Slider()->value(), 100) << "the picture starts as it is";
}

TEST_F(MainWindowTest, ClearingThePlayListClosesThePreviewAndTheTrayTipNamesTheProgram)
{
    EXPECT_EQ(window->Menus().TrayToolTip().toStdString(), "Quelt");
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 4);
    site->AddFileFromDisk("/cleared.mp4", mp4, "video/mp4");
    AddRecord("http://videos.test/cleared", "/cleared.mp4");
    window->Control().AddVideo("Cleared", "http://videos.test/cleared", kAddPreview);
    ASSERT_NE(window->Preview(), nullptr);
    // The question is answered "是" as a user would.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    answer.start(20);
    window->DeliverCommand(20300);
    answer.stop();
    EXPECT_EQ(settings->playList.PCL_GetObjectCount(), 0u);
    EXPECT_EQ(window->Preview(), nullptr) << "the previewed video went with the list";
    EXPECT_FALSE(settings->nowPreviewing);
}

// Opened addresses reach this instead of a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<std::string> opened;
public Q_SLOTS:
    void Open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }
};

TEST_F(MainWindowTest, TheHomeFeedbackAndAboutLinksOpenTheirAddresses)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("http", &recorder, "Open");
    settings->homeUrl = "http://home.test/";
    settings->feedbackUrl = "http://home.test/feedback";
    settings->aboutUrl = "http://home.test/about";
    for (const int command : {20150, 20151, 20153})
        window->DeliverCommand(command);
    QDesktopServices::unsetUrlHandler("http");
    EXPECT_EQ(recorder.opened,
              (std::vector<std::string>{"http://home.test/", "http://home.test/feedback", "http://home.test/about"}));
}

TEST_F(MainWindowTest, VideoPagesAreFoundThroughTheProxyAndPlayInThePlayerOrThePreview)
{
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2);
    ASSERT_FALSE(mp4.empty());
    site->AddFileFromDisk("/page-video.mp4", mp4, "video/mp4");
    site->AddFile("/watch.html", "<html><head><title>Watched</title></head><body><video autoplay muted width='480' "
                                 "height='360' src='/page-video.mp4'></video></body></html>",
                  "text/html");
    const std::string page = "http://localhost:" + std::to_string(site->Port()) + "/watch.html";
    window->Control().AddVideo("", page, kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    const InfoVideo* video = FindVideo(*settings, page);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->a4, "http://localhost:" + std::to_string(site->Port()) + "/page-video.mp4");
    EXPECT_EQ(video->a3, page);
    EXPECT_EQ(video->a1, "Watched");
    // Handed over without a title (as from a second start), the page takes
    // its own in the history and the window's title.
    ASSERT_NE(FindHistory(*settings, page), nullptr);
    EXPECT_EQ(FindHistory(*settings, page)->title, "Watched");
    EXPECT_EQ(window->windowTitle().toStdString(), "Watched - Quelt");
    window->Control().StopPlaying();

    // A second page, previewed: its stream is found for the preview window,
    // which plays it while the main player stays idle.
    site->AddFileFromDisk("/preview-video.mp4", mp4, "video/mp4");
    site->AddFile("/preview.html", "<html><head><title>Previewed</title></head><body><video autoplay muted "
                                   "width='480' height='360' src='/preview-video.mp4'></video></body></html>",
                  "text/html");
    const std::string previewPage = "http://localhost:" + std::to_string(site->Port()) + "/preview.html";
    window->Control().AddVideo("", previewPage, kAddPreview);
    CPreviewWindow* preview = window->Preview();
    ASSERT_NE(preview, nullptr);
    bool started = false;
    preview->Player()->SetEventHandler([&](const std::string& command, const std::string& args) {
        started |= command == "OnStatus" && args.find("Play.Start") != std::string::npos;
    });
    ASSERT_TRUE(RunEventsUntil([&] { return started; }, std::chrono::seconds(60)));
    EXPECT_FALSE(settings->nowPlaying);
    EXPECT_EQ(FindVideo(*settings, previewPage)->a1, "Previewed");
    preview->DeliverCommand(20301);  // close
    EXPECT_TRUE(RunEventsUntil([] { return window->Preview() == nullptr; })) << "the preview closed";
    EXPECT_FALSE(settings->nowPreviewing);
}

TEST_F(MainWindowTest, AnHlsPageIsDetectedAndPlaysToItsEndFromTheCache)
{
    const std::string hls = test_site::MakeTestHls(3);
    ASSERT_FALSE(hls.empty());
    ASSERT_TRUE(test_site::ServeFolder(*site, "/hls", hls));
    site->AddFile("/hls-watch.html", "<html><head><title>Segmented</title></head><body><video autoplay muted "
                                     "width='480' height='360' src='/hls/master.m3u8'></video></body></html>",
                  "text/html");
    site->ClearRequests();
    const std::string page = "http://localhost:" + std::to_string(site->Port()) + "/hls-watch.html";
    window->Control().AddVideo("", page, kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    const InfoVideo* video = FindVideo(*settings, page);
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->a4.ends_with("/hls/master.m3u8")) << video->a4;
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver"));
    // Each segment of the higher variant came from the site once, fetched
    // by the cache with the page as Referer; the page fetched none itself.
    for (int i = 0; i < 3; ++i) {
        const auto requests = site->RequestsFor("/hls/v0/seg" + std::to_string(i) + ".ts");
        ASSERT_EQ(requests.size(), 1u) << i;
        EXPECT_EQ(requests[0].Value("Referer"), page);
    }
    EXPECT_TRUE(site->RequestsFor("/hls/v1/seg0.ts").empty());
    // The status line counts the segments as the video's row does.
    auto* status = qobject_cast<QLabel*>(window->GetCtrl(control::kStatusLabel));
    ASSERT_NE(status, nullptr);
    EXPECT_NE(status->text().toStdString().find("段)"), std::string::npos) << status->text().toStdString();
}

// A page whose player fetches a live playlist: it plays live while the
// site's window moves on (the test moves it), the status line says it is
// live, and the video ends when the broadcast does.
TEST_F(MainWindowTest, ALiveHlsPageIsDetectedPlaysLiveAndEndsWithTheBroadcast)
{
    const std::string hls = test_site::MakeTestHls(8);
    ASSERT_FALSE(hls.empty());
    ASSERT_TRUE(test_site::ServeFolder(*site, "/hls", hls));
    const std::string vod = test_site::ReadFileBytes(hls + "/v0/index.m3u8");
    auto head = std::make_shared<std::atomic<std::uint64_t>>(0);
    auto ended = std::make_shared<std::atomic<bool>>(false);
    site->SetHandler(
        "/hls/v0/live.m3u8",
        [vod, head, ended](const test_site::RecordedRequest&) {
            return test_site::LiveHlsPlaylist(vod, head->load(), 3, ended->load());
        },
        "application/vnd.apple.mpegurl");
    site->AddFile("/live-watch.html", "<html><head><title>On air</title></head><body><video autoplay muted "
                                      "width='480' height='360' src='/hls/v0/live.m3u8'></video></body></html>",
                  "text/html");
    site->ClearRequests();
    const std::string page = "http://localhost:" + std::to_string(site->Port()) + "/live-watch.html";
    window->Control().AddVideo("", page, kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    auto* status = qobject_cast<QLabel*>(window->GetCtrl(control::kStatusLabel));
    ASSERT_NE(status, nullptr);
    const std::string live = LoadString(IDS_HLS_LIVE).substr(0, LoadString(IDS_HLS_LIVE).find(' '));
    ASSERT_TRUE(RunEventsUntil([&] { return status->text().toStdString().find(live) != std::string::npos; }))
        << status->text().toStdString();
    // The broadcast goes on, then ends: the player follows it to its end.
    *head = 3;
    ASSERT_TRUE(RunEventsUntil([&] { return !site->RequestsFor("/hls/v0/seg5.ts").empty(); }));
    *head = 5;
    *ended = true;
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver"));
    EXPECT_EQ(status->text().toStdString().find(live), std::string::npos) << status->text().toStdString();
}

// An AES-128 stream whose key the site gives only with the page as
// Referer, then a stream of fMP4 segments with an init section, in one
// window: each is detected, plays to its end from the cache, and the cache
// holds what a save joins (clear TS; the init section first).
TEST_F(MainWindowTest, AnAes128AndAnFmp4HlsPagePlayToTheirEndFromTheCache)
{
    const std::string aes = test_site::MakeTestHlsAes(3);
    const std::string fmp4 = test_site::MakeTestHlsFmp4(3);
    ASSERT_FALSE(aes.empty());
    ASSERT_FALSE(fmp4.empty());
    const std::string origin = "http://localhost:" + std::to_string(site->Port());
    const std::string aesPage = origin + "/hls-aes-watch.html";
    const std::string fmp4Page = origin + "/hls-fmp4-watch.html";
    ASSERT_TRUE(test_site::ServeHlsAes(*site, "/hls-aes", aes, "/hls-aes-watch.html"));
    ASSERT_TRUE(test_site::ServeFolder(*site, "/hls-fmp4", fmp4));
    for (const auto& [page, playlist] : {std::pair{"/hls-aes-watch.html", "/hls-aes/index.m3u8"},
                                         std::pair{"/hls-fmp4-watch.html", "/hls-fmp4/index.m3u8"}})
        site->AddFile(page,
                      std::string("<html><head><title>Segmented</title></head><body><video autoplay muted "
                                  "width='480' height='360' src='")
                          + playlist + "'></video></body></html>",
                      "text/html");
    site->ClearRequests();

    window->Control().AddVideo("", aesPage, kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver"));
    EXPECT_EQ(Count("VideoProcess", "2/3"), 1u) << "the picture went on to its last second";
    const InfoVideo* video = FindVideo(*settings, aesPage);
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->a4.ends_with("/hls-aes/index.m3u8")) << video->a4;
    const auto keyRequests = site->RequestsFor("/hls-aes/key.bin");
    ASSERT_FALSE(keyRequests.empty());
    EXPECT_EQ(keyRequests[0].Value("Referer"), aesPage);
    SegmentedCache cache = ReadSegmentedCache(*video);
    ASSERT_TRUE(cache.IsComplete());
    ASSERT_EQ(cache.tracks.size(), 1u);
    ASSERT_EQ(cache.tracks[0].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(test_site::ReadFileBytes(cache.tracks[0][i]),
                  test_site::ReadFileBytes(aes + "/clear/seg" + std::to_string(i) + ".ts"))
            << "segment " << i << " is cached in the clear";

    window->Control().AddVideo("", fmp4Page, kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start", 2));
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver", 2));
    EXPECT_EQ(Count("VideoProcess", "2/3"), 2u) << "the picture went on to its last second";
    video = FindVideo(*settings, fmp4Page);
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->a4.ends_with("/hls-fmp4/index.m3u8")) << video->a4;
    cache = ReadSegmentedCache(*video);
    ASSERT_TRUE(cache.IsComplete());
    ASSERT_EQ(cache.count, 4u) << "the init section and three segments";
    ASSERT_EQ(cache.tracks.size(), 1u);
    EXPECT_EQ(test_site::ReadFileBytes(cache.tracks[0][0]), test_site::ReadFileBytes(fmp4 + "/init.mp4"));
    EXPECT_EQ(site->RequestsFor("/hls-fmp4/init.mp4").size(), 1u);
}

TEST_F(MainWindowTest, ADashPageIsDetectedAndPlaysToItsEndFromTheCache)
{
    const std::string dash = test_site::MakeTestDash(3);
    ASSERT_FALSE(dash.empty());
    ASSERT_TRUE(test_site::ServeFolder(*site, "/dash", dash));
    // The page plays the manifest with dash.js, the copy the player page uses.
    ASSERT_TRUE(site->AddFileFromDisk("/dash.js", QUELT_APP_DIR "/skin/player/dash.mediaplayer.min.js",
                                      "text/javascript"));
    site->AddFile("/dash-watch.html",
                  "<html><head><title>Dashed</title></head><body><video id='v' autoplay muted width='480' "
                  "height='360'></video><script src='/dash.js'></script><script>dashjs.MediaPlayer().create()"
                  ".initialize(document.getElementById('v'), '/dash/manifest.mpd', true);</script></body></html>",
                  "text/html");
    site->ClearRequests();
    const std::string page = "http://localhost:" + std::to_string(site->Port()) + "/dash-watch.html";
    window->Control().AddVideo("", page, kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    const InfoVideo* video = FindVideo(*settings, page);
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->a4.ends_with("/dash/manifest.mpd")) << video->a4;
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver")) << [] { std::string all; for (const auto& e : events) all += e.command + "(" + e.args.substr(0, 120) + ") "; return all; }();
    // Each segment of the chosen video and of the audio came from the site
    // once, fetched by the cache with the page as Referer.
    for (const char* stream : {"0", "1"})
        for (int i = 1; i <= 3; ++i) {
            const std::string path = std::string("/dash/chunk-stream") + stream + "-0000" + std::to_string(i) + ".m4s";
            const auto requests = site->RequestsFor(path);
            ASSERT_EQ(requests.size(), 1u) << path;
            EXPECT_EQ(requests[0].Value("Referer"), page);
        }
    EXPECT_TRUE(site->RequestsFor("/dash/chunk-stream2-00001.m4s").empty());
    auto* status = qobject_cast<QLabel*>(window->GetCtrl(control::kStatusLabel));
    ASSERT_NE(status, nullptr);
    EXPECT_NE(status->text().toStdString().find("段)"), std::string::npos) << status->text().toStdString();
}

// One file per representation with a segment index (SegmentBase): the
// cache fetches the index and the fragments' ranges, and dash.js plays the
// play server's manifest of whole entries to its end.
TEST_F(MainWindowTest, ASegmentBaseDashPageIsDetectedAndPlaysToItsEndFromTheCache)
{
    const std::string dash = test_site::MakeTestDash(3, test_site::DashKind::SegmentBase);
    ASSERT_FALSE(dash.empty());
    ASSERT_TRUE(test_site::ServeFolder(*site, "/based", dash));
    ASSERT_TRUE(site->AddFileFromDisk("/dash.js", QUELT_APP_DIR "/skin/player/dash.mediaplayer.min.js",
                                      "text/javascript"));
    site->AddFile("/based-watch.html",
                  "<html><head><title>Based</title></head><body><video id='v' autoplay muted width='480' "
                  "height='360'></video><script src='/dash.js'></script><script>dashjs.MediaPlayer().create()"
                  ".initialize(document.getElementById('v'), '/based/manifest.mpd', true);</script></body></html>",
                  "text/html");
    site->ClearRequests();
    const std::string page = "http://localhost:" + std::to_string(site->Port()) + "/based-watch.html";
    window->Control().AddVideo("", page, kAddPlayNow);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    const InfoVideo* video = FindVideo(*settings, page);
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->a4.ends_with("/based/manifest.mpd")) << video->a4;
    ASSERT_TRUE(WaitFor("OnStatus", "VideoPlayOver"));
    // The cache asked for ranges of the files, with the page as Referer.
    std::size_t ranged = 0;
    for (const char* file : {"/based/manifest-stream0.mp4", "/based/manifest-stream1.mp4"})
        for (const auto& request : site->RequestsFor(file))
            ranged += request.Value("Referer") == page && request.Value("Range").starts_with("bytes=");
    EXPECT_GE(ranged, 2u * 5) << "an index, an init section and three fragments of each";
    auto* status = qobject_cast<QLabel*>(window->GetCtrl(control::kStatusLabel));
    ASSERT_NE(status, nullptr);
    EXPECT_NE(status->text().toStdString().find("段)"), std::string::npos) << status->text().toStdString();
}

TEST_F(MainWindowTest, APageWhoseServerCannotBeReachedSaysSoInTheStatusLine)
{
    const std::string page = "http://nowhere.invalid/watch";
    window->Control().AddVideo("", page, kAddPlayNow);
    auto* status = dynamic_cast<QLabel*>(window->GetCtrl(239));
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return FindVideo(*settings, page)->state == VIDEO_STATE_HTTP_ERROR; },
                               std::chrono::seconds(40)));
    EXPECT_EQ(status->text().toStdString(), "nowhere.invalid服务器连接错误，请您稍后再试");
    window->Control().StopPlaying();
}

// A failure's message stays only until the next video: a new play clears
// the status line.
TEST_F(MainWindowTest, TheNextVideoClearsTheFailureLeftInTheStatusLine)
{
    const std::string broken = folder + "broken.mp4";
    std::ofstream(broken) << std::string(4096, 'x');
    window->Control().PlayItem(broken);
    auto* status = qobject_cast<QLabel*>(window->GetCtrl(control::kStatusLabel));
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return !status->text().isEmpty(); }, std::chrono::seconds(30)))
        << "the broken file is refused by the player";
    EXPECT_EQ(status->text().toStdString(), "无法播放此视频");

    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2);
    ASSERT_FALSE(mp4.empty());
    window->Control().PlayItem(mp4);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    EXPECT_EQ(status->text().toStdString(), "") << "the old failure is gone";
    window->Control().StopPlaying();
}

TEST_F(MainWindowTest, AnMp4WithItsIndexAtTheEndStartsWhileItsDownloadGoesOn)
{
    // ffmpeg's default layout: the index the player needs first comes last.
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 10);
    ASSERT_FALSE(mp4.empty());
    site->AddFileFromDisk("/index-last.mp4", mp4, "video/mp4");
    test_site::Behaviour slow;
    slow.trickleBytes = 4096;
    slow.trickleDelayMs = 50;
    site->SetBehaviour("/index-last.mp4", slow);
    InfoVideo* video = AddRecord("http://videos.test/index-last", "/index-last.mp4");

    window->Control().PlayItem("http://videos.test/index-last");
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    const CacheSizes sizes = GetCacheSizes(*video);
    EXPECT_GT(sizes.total, 0);
    EXPECT_LT(sizes.cached, sizes.total) << "it started before the whole file was there";
    window->Control().StopPlaying();
}

TEST_F(MainWindowTest, PageAddressesAreQueuedAndTheLastPlays)
{
    // A page already listed, with a stream found before and its lookup not
    // done: queued again, it is detected anew, straight from the page.
    InfoVideo* known = AddRecord("http://pages.test/one", "/old.flv");
    known->lookupDone = 0;
    window->QueuePages({"http://pages.test/one", "http://pages.test/new"}, false);
    ASSERT_EQ(settings->playList.PCL_GetObjectCount(), 2u);
    EXPECT_FALSE(settings->nowPlaying) << "only queued";
    for (const InfoVideo* video : settings->playList) {
        EXPECT_EQ(video->a4, "") << video->a2;
        EXPECT_EQ(video->lookupDone, 1) << video->a2 << ": straight to the page";
    }
    EXPECT_EQ(settings->playList.PCL_GetObject(1)->a2, "http://pages.test/new");
    EXPECT_EQ(settings->playList.PCL_GetObject(1)->a0, "2");
    window->QueuePages({"http://pages.test/three", "http://pages.test/two"}, true);
    ASSERT_EQ(settings->playList.PCL_GetObjectCount(), 4u);
    ASSERT_TRUE(settings->nowPlaying);
    EXPECT_EQ(settings->nowPlaying->key, "http://pages.test/two");
    window->Control().StopPlaying();
}

TEST_F(MainWindowTest, ClosingRemovesPreviewOnlyVideosAndKeepsThePlace)
{
    // A window of its own: the shared one stays open for the other cases.
    CAppSetting closing;
    closing.configUrl = settings->configUrl;
    auto* kept = new InfoVideo;
    kept->a0 = "2";
    kept->a2 = "http://videos.test/kept";
    closing.playList.PCL_PushObject(kept);
    auto* previewOnly = new InfoVideo;
    previewOnly->a0 = "3";
    previewOnly->a2 = "http://videos.test/preview";
    closing.playList.PCL_PushObject(previewOnly);
    {
        CProgramParts otherParts(closing);
        COvrinDlg other(closing, desktop, otherParts.WindowParts());
        std::string error;
        ASSERT_TRUE(other.Start("", error)) << error;
        other.show();
        other.setGeometry(40, 50, 900, 620);
        const QRect place = other.geometry();
        other.close();
        EXPECT_EQ(closing.posLeft, place.left());
        EXPECT_EQ(closing.posTop, place.top());
        EXPECT_EQ(closing.posRight - closing.posLeft, 900);
        EXPECT_EQ(closing.posBottom - closing.posTop, 620);
    }
    ASSERT_EQ(closing.playList.PCL_GetObjectCount(), 1u);
    EXPECT_EQ(closing.playList.PCL_GetObject(0)->a2, "http://videos.test/kept");
    EXPECT_TRUE(window->isVisible()) << "the shared window is untouched";
}

// A dropped file plays when it is a video; anything else is refused with
// the reason, and the player is left alone.
TEST_F(MainWindowTest, ADroppedVideoFilePlaysAndOtherFilesAreRefusedWithTheReason)
{
    const auto drop = [](const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    };
    // Each message box is read and closed as a user would.
    std::vector<std::string> told;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told.push_back(box->text().toStdString());
            box->buttons().front()->click();
        }
    });
    answer.start(20);
    const std::string text = folder + "notes.txt";
    std::ofstream(text) << "not a video at all, just some words";
    drop(text);
    const std::string missing = folder + "gone.flv";
    drop(missing);
    answer.stop();
    EXPECT_EQ(told, (std::vector<std::string>{LoadString(IDS_NOT_A_VIDEO), std::strerror(ENOENT)}));
    EXPECT_FALSE(settings->nowPlaying);

    // From the browsing tab: the video plays, on the player tab.
    window->DeliverCommand(20201);
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 2);
    ASSERT_FALSE(mp4.empty());
    drop(mp4);
    ASSERT_TRUE(WaitFor("OnStatus", "Play.Start"));
    ASSERT_TRUE(settings->nowPlaying);
    EXPECT_EQ(settings->nowPlaying->key, mp4);
    EXPECT_TRUE(window->Player()->Widget()->isVisible());
    window->Control().StopPlaying();
}

// The main menu (150) by its button, the player's menu (153): their entries
// in order, and an entry runs its command.
TEST_F(MainWindowTest, TheMainAndPlayerMenusListTheirEntriesAndRunThem)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("http", &recorder, "Open");
    settings->homeUrl = "http://home.test/";
    std::vector<QString> entries;
    QString chosen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        entries.clear();
        QAction* pick = nullptr;
        for (QAction* action : menu->actions()) {
            entries.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
            if (action->text() == chosen)
                pick = action;
        }
        menu->close();
        if (pick) {
            chosen.clear();
            pick->trigger();
        }
    });
    answer.start(20);
    chosen = QStringLiteral("访问Quelt网站");
    QTest::mouseClick(window->GetCtrl(20103), Qt::LeftButton);
    EXPECT_EQ(entries, (std::vector<QString>{"播放视频文件(&O)...", "播放视频网页(&U)...", "界面颜色(&C)...", "设置(&S)...", "-",
                                             "访问Quelt网站", "意见与反馈", "关于(&A)...", "-", "退出(&X)"}));
    EXPECT_EQ(recorder.opened, (std::vector<std::string>{"http://home.test/"}));
    QDesktopServices::unsetUrlHandler("http");

    chosen = QStringLiteral("全屏播放(&F)");
    // A right click on the picture.
    QWidget* player = window->Player()->Widget();
    entries.clear();
    // The engine reports a right click back only once the page has a renderer.
    ASSERT_TRUE(RunEventsUntil([&] { return window->Player()->Page().IsReady() && player->focusProxy(); },
                               std::chrono::seconds(60)))
        << "the player page loaded";
    QWidget* picture = player->focusProxy() ? player->focusProxy() : player;
    // The renderer drops input that comes before its first frame, so the
    // click is repeated until a menu opens; the entry is picked only once.
    bool opened = false;
    for (int tries = 0; tries < 30 && !opened; ++tries) {
        QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(100, 100));
        opened = RunEventsUntil([&] { return !entries.empty(); }, std::chrono::seconds(1));
    }
    EXPECT_TRUE(opened) << "the menu opened";
    EXPECT_EQ(entries, (std::vector<QString>{"截图(&C)...", "全屏播放(&F)"}));
    EXPECT_TRUE(player->isWindow() && player->isFullScreen());
    window->DeliverCommand(20006);
    answer.stop();
    EXPECT_FALSE(player->isWindow());
}

}  // namespace

#include "main_window_test.moc"

// The side column's related view shows the skin's dark colours from the
// moment the window appears, not a white empty browser until its page has
// loaded.
TEST_F(MainWindowTest, TheRelatedViewIsInTheSkinsColoursBeforeItsPageShows)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QWidget* related = window->GetCtrl(control::kRelatedView);
    ASSERT_NE(related, nullptr);
    ASSERT_TRUE(related->isVisible());
    const QImage shot = window->grab().toImage();
    const QRect area(related->mapTo(window.get(), QPoint(0, 0)), related->size());
    for (const QPoint point : {area.center(), area.topLeft() + QPoint(8, 8), area.bottomRight() - QPoint(8, 8)})
        EXPECT_LT(shot.pixelColor(point).lightness(), 96) << "at " << point.x() << "," << point.y() << ": "
                                                          << shot.pixelColor(point).name().toStdString();
}

// A first start given a path that names no file opens its window all the
// same and says in the status line why nothing plays.
TEST_F(MainWindowTest, AFirstStartGivenABadPathSaysWhyInTheStatusLine)
{
    auto* status = qobject_cast<QLabel*>(window->GetCtrl(control::kStatusLabel));
    ASSERT_NE(status, nullptr);
    const std::string missing = folder + "missing.flv";
    const std::string directory = folder + "favorite";
    struct Case {
        std::string argument;
        std::string shown;
    };
    for (const Case& bad : {Case{missing, "找不到视频文件：" + missing},
                            Case{"\"" + directory + "\"", "这是一个文件夹，不是视频文件：" + directory}}) {
        SCOPED_TRACE(bad.argument);
        ActOnStartRequest(*window, *settings, ParseCommandLine(bad.argument));
        EXPECT_EQ(status->text().toStdString(), bad.shown);
        EXPECT_EQ(settings->playList.PCL_GetObjectCount(), 0u) << "nothing is queued for it";
        EXPECT_FALSE(settings->nowPlaying);
    }
}
