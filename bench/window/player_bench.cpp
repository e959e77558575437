// Benchmarks of the main window.
//   player_bench first-picture   PlayItem to "Play.Start" for a complete
//       cached MP4 and H.264 FLV (median of 10), against a bare QtWebEngine
//       page that plays the same file from the same loopback site.
//   player_bench index-at-end    PlayItem to "Play.Start" for a fresh
//       download over a 1 MB/s origin of a stock MP4 (index at the end),
//       of the same MP4 from an origin that ignores Range (as before the
//       relay: the player waits for the whole file), against the same file
//       with its index at the front (+faststart), median of 5.
//   player_bench bare-window     a minimal QtWebEngine window: prints
//       "ready" once its page has loaded, and ends (the start-up peer).
//   player_bench rss <minutes>   plays an FLV of that length and prints the
//       memory of the program and its browser processes at the start and
//       at the end.
#include "window/window_bench_kit.h"
#include "window/process_memory.h"
#include "common/app_folder.h"
#include "delivery/flv_cache.h"
#include "platform/desktop_integration.h"
#include "platform/web/player_page_view.h"
#include "shell/settings/app_setting.h"
#include "app/program_parts.h"
#include "shell/window/ovrin_dlg.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"
#include "ui/widgets/player_controls.h"
#include "ui/widgets/player_ctrl_factory.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The benchmark never opens the settings dialog.
const platform::DesktopIntegration desktop("/nonexistent/quelt");

using bench::BarePage;
using bench::Median;
using bench::RunUntil;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The bare peer: the same loopback site, the page plays the file itself.
const char* kBarePage = R"(<!doctype html><html><body style="margin:0;background:#000">
<script src="/mpegts.js"></script><video id="v" style="width:100%;height:100%"></video><script>
var v = document.getElementById('v'), player = null;
v.addEventListener('playing', function () { console.log('playing'); });
function start(url, flv) {
  if (player) { player.destroy(); player = null; }
  v.removeAttribute('src'); v.load();
  if (flv) { player = mpegts.createPlayer({type: 'flv', url: url}, {enableWorker: false}); player.attachMediaElement(v); player.load(); }
  else v.src = url;
  v.play();
}
function stop() { if (player) { player.destroy(); player = null; } v.pause(); v.removeAttribute('src'); v.load(); }
</script></body></html>)";

int FirstPicture()
{
    const bench::ProgramFolder folder("quelt-bench", QUELT_APP_DIR);
    test_site::TestSite site;
    site.Start();
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 4);
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 4);
    site.AddFileFromDisk("/video.mp4", mp4, "video/mp4");
    site.AddFileFromDisk("/video.flv", flv, "video/x-flv");
    site.AddFile("/bare.html", kBarePage, "text/html");
    site.AddFile("/mpegts.js", ReadFile(QUELT_APP_DIR "/skin/player/mpegts.js"), "text/javascript");

    CAppSetting settings;
    settings.configUrl = "http://127.0.0.1:1/no-update";
    for (const auto& [key, path] : {std::pair{"mp4", mp4}, std::pair{"flv", flv}}) {
        auto* video = new InfoVideo;
        video->a2 = key;
        video->a4 = site.Url(std::string("/video.") + key);
        video->a5 = std::to_string(fs::file_size(path));
        settings.playList.PCL_PushObject(video);
        fs::copy_file(path, GetCachePath(*video));
    }
    CProgramParts parts(settings);
    COvrinDlg window(settings, desktop, parts.WindowParts());
    bool started = false;
    if (!bench::StartWindow(parts, window, started))
        return 1;
    bench::BareView bareView;
    BarePage* bare = bareView.page;
    bool loaded = false;
    QObject::connect(bare, &QWebEnginePage::loadFinished, [&] { loaded = true; });
    bare->load(QUrl(QString::fromStdString(site.Url("/bare.html"))));
    RunUntil([&] { return loaded; });

    constexpr int kRounds = 10;
    for (const char* kind : {"mp4", "flv"}) {
        std::vector<double> ours, peer;
        for (int round = 0; round < kRounds; ++round) {
            started = false;
            QElapsedTimer timer;
            timer.start();
            window.Control().PlayItem(kind);
            if (!RunUntil([&] { return started; }))
                return 1;
            ours.push_back(timer.nsecsElapsed() / 1e6);
            window.Control().StopPlaying();

            bare->playing = false;
            timer.restart();
            bare->runJavaScript(QStringLiteral("start('/video.%1', %2)").arg(kind, std::strcmp(kind, "flv") == 0 ? "true" : "false"));
            if (!RunUntil([&] { return bare->playing; }))
                return 1;
            peer.push_back(timer.nsecsElapsed() / 1e6);
            bare->runJavaScript(QStringLiteral("stop()"));
        }
        std::printf("PlayItem to Play.Start, complete cached %s, median of %d: %.1f ms; bare QtWebEngine page %.1f ms; "
                    "ratio %.2f (target <= 1.30)\n",
                    kind, kRounds, Median(ours), Median(peer), Median(ours) / Median(peer));
    }
    return 0;
}

int IndexAtEnd()
{
    const bench::ProgramFolder folder("quelt-bench", QUELT_APP_DIR);
    test_site::TestSite site;
    site.Start();
    const std::string atEnd = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 120);
    const std::string atFront = test_site::MakeTestVideo(test_site::VideoKind::Mp4FastStart, 120);
    if (atEnd.empty() || atFront.empty())
        return 1;
    // About 1 MB/s, for every answer of the origin.
    test_site::Behaviour slow;
    slow.trickleBytes = 16384;
    slow.trickleDelayMs = 16;
    test_site::Behaviour slowNoRange = slow;
    slowNoRange.honourRange = false;
    struct Case {
        const char* name;
        std::string file;
        test_site::Behaviour behaviour;
    };
    const Case cases[] = {{"index at the end", atEnd, slow},
                          {"index at the end, origin ignoring Range (before the relay)", atEnd, slowNoRange},
                          {"index at the front (+faststart, peer)", atFront, slow}};

    CAppSetting settings;
    settings.configUrl = "http://127.0.0.1:1/no-update";
    CProgramParts parts(settings);
    COvrinDlg window(settings, desktop, parts.WindowParts());
    bool started = false;
    if (!bench::StartWindow(parts, window, started))
        return 1;
    constexpr int kRounds = 5;
    int serial = 0;
    std::vector<double> medians;
    for (const Case& c : cases) {
        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round) {
            // A new address each round: nothing is cached yet.
            const std::string path = "/movie-" + std::to_string(++serial) + ".mp4";
            site.AddFileFromDisk(path, c.file, "video/mp4");
            site.SetBehaviour(path, c.behaviour);
            auto* video = new InfoVideo;
            video->a2 = "movie-" + std::to_string(serial);
            video->a4 = site.Url(path);
            settings.playList.PCL_PushObject(video);
            started = false;
            QElapsedTimer timer;
            timer.start();
            window.Control().PlayItem(video->a2);
            if (!RunUntil([&] { return started; }, 60000))
                return 1;
            times.push_back(timer.nsecsElapsed() / 1e6);
            window.Control().StopPlaying();
        }
        medians.push_back(Median(times));
        std::printf("PlayItem to Play.Start, 120 s stock MP4 (%lld bytes) over a 1 MB/s origin, %s, median of %d: "
                    "%.0f ms\n",
                    static_cast<long long>(fs::file_size(c.file)), c.name, kRounds, Median(times));
    }
    std::printf("ratio to the +faststart peer: index at the end %.2f; before the relay %.2f\n", medians[0] / medians[2],
                medians[1] / medians[2]);
    return 0;
}

int BareWindow()
{
    QWebEngineView view;
    view.resize(960, 640);
    view.show();
    QObject::connect(&view, &QWebEngineView::loadFinished, [] {
        std::printf("ready\n");
        std::fflush(stdout);
        QApplication::quit();
    });
    view.setHtml(QStringLiteral("<html><body style='background:#000'></body></html>"));
    return QApplication::exec();
}

int Rss(int minutes)
{
    const bench::ProgramFolder folder("quelt-bench", QUELT_APP_DIR);
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, minutes * 60);
    CAppSetting settings;
    settings.configUrl = "http://127.0.0.1:1/no-update";
    CProgramParts parts(settings);
    COvrinDlg window(settings, desktop, parts.WindowParts());
    std::string error;
    if (flv.empty() || !window.Start("", error))
        return 1;
    parts.ConnectWindow(window);
    bool started = false;
    bool over = false;
    window.SetPlayerEventObserver([&](const std::string& command, const std::string& args) {
        started |= command == "OnStatus" && args.find("Play.Start") != std::string::npos;
        over |= command == "OnStatus" && args.find("VideoPlayOver") != std::string::npos;
    });
    window.Control().PlayItem(flv);
    if (!RunUntil([&] { return started; }))
        return 1;
    RunUntil([] { return false; }, 5000);
    const long atStart = bench::ProcessTreeRssKib(::getpid());
    if (!RunUntil([&] { return over; }, (minutes * 60 + 120) * 1000))
        return 1;
    const long atEnd = bench::ProcessTreeRssKib(::getpid());
    std::printf("memory (program and its browser processes) playing a %d-minute FLV: %ld KiB after 5 s, %ld KiB at the "
                "end; growth %.1f%%\n",
                minutes, atStart, atEnd, 100.0 * static_cast<double>(atEnd - atStart) / static_cast<double>(atStart));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "first-picture") == 0)
        return FirstPicture();
    if (argc >= 2 && std::strcmp(argv[1], "bare-window") == 0)
        return BareWindow();
    if (argc >= 2 && std::strcmp(argv[1], "index-at-end") == 0)
        return IndexAtEnd();
    if (argc >= 3 && std::strcmp(argv[1], "rss") == 0)
        return Rss(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: player_bench first-picture | index-at-end | bare-window | rss <minutes>\n");
    return 2;
}
