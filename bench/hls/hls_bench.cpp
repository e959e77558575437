// Benchmarks of HLS playing and caching, each against a peer measured in
// the same run. The streams are made by ffmpeg's hls muxer
// (test_site::MakeTestHls: two variants, one-second TS segments) and
// served by the test site on 127.0.0.1.
//   hls_bench start-and-cache   a 60-segment VOD: AddVideo to "Play.Start"
//       against a bare QtWebEngine page playing the same stream with the
//       program's hls.js straight from the site (median of 5), and the time
//       until every segment is cached against `ffmpeg -i <playlist> -c copy`
//       from the same server (median of 5), then the same with each answer
//       of the site held to about 1 MB/s (median of 3).
//   hls_bench rss <minutes> <rate>   plays a VOD of that length to its end
//       at that playbackRate and samples the memory of the program every
//       60 s of media.
#include "window/window_bench_kit.h"
#include "window/process_memory.h"
#include "delivery/bench_common.h"
#include "delivery/flv_download_manager.h"
#include "platform/desktop_integration.h"
#include "platform/web/player_page_view.h"
#include "records/info_video.h"
#include "shell/settings/app_setting.h"
#include "shell/player/play_control.h"
#include "app/program_parts.h"
#include "shell/window/ovrin_dlg.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The benchmark never opens the settings dialog.
const platform::DesktopIntegration desktop("/nonexistent/quelt");

using bench::Median;
using bench::RunUntil;

constexpr int kSegments = 60;  // one-second segments

// The peer: the same hls.js and the same options as the player page,
// loading the site's master playlist itself.
const char* kBarePage = R"(<!doctype html><html><body style="margin:0;background:#000">
<script src="/hls.min.js"></script><video id="v" style="width:100%;height:100%"></video><script>
var v = document.getElementById('v'), hls = null;
v.addEventListener('playing', function () { console.log('playing'); });
function start(url) {
  stop();
  hls = new Hls({ enableWorker: false, startLevel: 0, capLevelToPlayerSize: false,
                  backBufferLength: 30, maxBufferLength: 30, maxMaxBufferLength: 60 });
  hls.loadSource(url);
  hls.attachMedia(v);
  v.play();
}
function stop() { if (hls) { hls.destroy(); hls = null; } v.pause(); v.removeAttribute('src'); v.load(); }
</script></body></html>)";

// A play-list record whose stream the detection already knows to be an
// HLS manifest, as the detection service answers for a known page.
void AddManifestRecord(CAppSetting& settings, const std::string& key, const std::string& playlist)
{
    auto* video = new InfoVideo;
    video->a0 = kAddQueue;
    video->a1 = key;
    video->a2 = key;
    video->a4 = playlist;
    video->state = VIDEO_STATE_MANIFEST;
    settings.playList.PCL_PushObject(video);
}

// Each segment path of one served copy of the stream, both variants.
void SetSegmentBehaviour(test_site::TestSite& site, const std::string& prefix, const test_site::Behaviour& behaviour)
{
    for (const char* variant : {"v0", "v1"})
        for (int i = 0; i < kSegments; ++i)
            site.SetBehaviour(prefix + "/" + variant + "/seg" + std::to_string(i) + ".ts", behaviour);
}

struct CacheRun {
    double startMs = 0;   // AddVideo to "Play.Start"
    double cachedMs = 0;  // AddVideo to every segment cached
};

class StartAndCache {
public:
    StartAndCache() : folder_("quelt-hls-bench", QUELT_APP_DIR), parts_(Settings()), window_(settings_, desktop, parts_.WindowParts())
    {
    }

    int Run()
    {
        hls_ = test_site::MakeTestHls(kSegments);
        if (hls_.empty() || !site_.Start())
            return 1;
        site_.AddFile("/bare.html", kBarePage, "text/html");
        if (!site_.AddFileFromDisk("/hls.min.js", QUELT_APP_DIR "/skin/player/hls.min.js", "text/javascript"))
            return 1;
        bool started = false;
        if (!bench::StartWindow(parts_, window_, started))
            return 1;
        started_ = &started;
        bench::BareView bareView;
        bare_ = bareView.page;
        bool loaded = false;
        QObject::connect(bare_, &QWebEnginePage::loadFinished, [&] { loaded = true; });
        bare_->load(QUrl(QString::fromStdString(site_.Url("/bare.html"))));
        if (!RunUntil([&] { return loaded; }))
            return 1;

        // Unthrottled loopback: start and caching, median of 5.
        std::vector<double> ourStart, bareStart, ourCache, ffmpegCache;
        for (int round = 0; round < 5; ++round) {
            CacheRun ours;
            double bare = 0, ffmpeg = 0;
            if (!PlayOurs({}, ours) || !PlayBare(bare) || !CopyWithFfmpeg({}, ffmpeg))
                return 1;
            ourStart.push_back(ours.startMs);
            ourCache.push_back(ours.cachedMs);
            bareStart.push_back(bare);
            ffmpegCache.push_back(ffmpeg);
        }
        std::printf("HLS VOD of %d one-second segments (2 variants, 320x240 chosen), AddVideo of a record known as a "
                    "manifest to Play.Start, median of 5: %.0f ms; bare QtWebEngine page with the same hls.js from the "
                    "site %.0f ms; ratio %.2f\n",
                    kSegments, Median(ourStart), Median(bareStart), Median(ourStart) / Median(bareStart));
        PrintCache("unthrottled loopback", 5, Median(ourCache), Median(ffmpegCache));

        // Each answer of the site at about 1 MB/s, as over a slower link.
        test_site::Behaviour slow;
        slow.trickleBytes = 16384;
        slow.trickleDelayMs = 16;
        ourCache.clear();
        ffmpegCache.clear();
        for (int round = 0; round < 3; ++round) {
            CacheRun ours;
            double ffmpeg = 0;
            if (!PlayOurs(slow, ours) || !CopyWithFfmpeg(slow, ffmpeg))
                return 1;
            ourCache.push_back(ours.cachedMs);
            ffmpegCache.push_back(ffmpeg);
        }
        PrintCache("each answer of the site at about 1 MB/s", 3, Median(ourCache), Median(ffmpegCache));
        return 0;
    }

private:
    CAppSetting& Settings()
    {
        settings_.configUrl = "http://127.0.0.1:1/no-update";
        return settings_;
    }

    // A fresh copy of the stream at a new prefix, so that neither the
    // program's cache nor the browser's holds any of it yet.
    std::string ServeCopy(const test_site::Behaviour* behaviour)
    {
        const std::string prefix = "/copy" + std::to_string(++copies_);
        test_site::ServeFolder(site_, prefix, hls_, test_site::FolderServing::FromDisk);
        if (behaviour)
            SetSegmentBehaviour(site_, prefix, *behaviour);
        return prefix;
    }

    bool PlayOurs(const test_site::Behaviour& behaviour, CacheRun& run)
    {
        const std::string prefix = ServeCopy(&behaviour);
        const std::string key = "hls-video" + prefix;
        AddManifestRecord(settings_, key, site_.Url(prefix + "/master.m3u8"));
        const CFLVDownloadManager& downloads = parts_.Downloads();
        *started_ = false;
        QElapsedTimer timer;
        timer.start();
        window_.Control().AddVideo("", key, kAddPlayNow);
        // Either may come first: the segments of a fast origin are all
        // cached before the page has shown its first picture.
        const auto elapsedMs = [&] { return static_cast<double>(timer.nsecsElapsed()) / 1e6; };
        run = {};
        const bool both = RunUntil(
            [&] {
                if (run.startMs == 0 && *started_)
                    run.startMs = elapsedMs();
                if (run.cachedMs == 0 && downloads.GetHlsStatus(key).IsComplete())
                    run.cachedMs = elapsedMs();
                return run.startMs > 0 && run.cachedMs > 0;
            },
            120000, 5);
        if (!both) {
            std::fprintf(stderr, "%s: %s\n", key.c_str(), run.startMs == 0 ? "no Play.Start" : "not cached whole");
            return false;
        }
        window_.Control().StopPlaying();
        return true;
    }

    bool PlayBare(double& ms)
    {
        const std::string prefix = ServeCopy(nullptr);
        bare_->playing = false;
        QElapsedTimer timer;
        timer.start();
        bare_->runJavaScript(QStringLiteral("start('%1/master.m3u8')").arg(QString::fromStdString(prefix)));
        if (!RunUntil([&] { return bare_->playing; }, 60000, 5)) {
            std::fprintf(stderr, "the bare page did not play %s\n", prefix.c_str());
            return false;
        }
        ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        bare_->runJavaScript(QStringLiteral("stop()"));
        return true;
    }

    // ffmpeg copies the variant the program caches (its media playlist:
    // ffmpeg given the master would open every variant). Its hls reader
    // also asks for the next segment while it reads one (http_multiple,
    // on by default for HTTP/1.1), so it too fetches two at a time.
    bool CopyWithFfmpeg(const test_site::Behaviour& behaviour, double& ms)
    {
        const std::string prefix = ServeCopy(&behaviour);
        const std::string out = folder_.Path() + "ffmpeg-copy.ts";
        const bench::ChildRun run = bench::RunChild({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i",
                                                     site_.Url(prefix + "/v0/index.m3u8"), "-c", "copy", out});
        std::error_code ignored;
        fs::remove(out, ignored);
        if (!run.ok) {
            std::fprintf(stderr, "ffmpeg failed on %s\n", prefix.c_str());
            return false;
        }
        ms = run.seconds * 1000;
        return true;
    }

    static void PrintCache(const char* how, int rounds, double ours, double ffmpeg)
    {
        std::printf("all %d segments cached, %s, median of %d: %.0f ms from AddVideo (playing meanwhile); "
                    "ffmpeg -i <media playlist> -c copy out.ts %.0f ms; ratio ffmpeg/ours %.2f (>= 1.0: at least as "
                    "fast)\n",
                    kSegments, how, rounds, ours, ffmpeg, ffmpeg / ours);
    }

    bench::ProgramFolder folder_;
    CAppSetting settings_;
    CProgramParts parts_;
    COvrinDlg window_;
    test_site::TestSite site_;
    std::string hls_;
    int copies_ = 0;
    bool* started_ = nullptr;
    bench::BarePage* bare_ = nullptr;
};

// Memory while a long stream plays to its end.
int Rss(int minutes, int rate)
{
    const bench::ProgramFolder folder("quelt-hls-bench", QUELT_APP_DIR);
    QElapsedTimer making;
    making.start();
    const std::string hls = test_site::MakeTestHls(minutes * 60);
    test_site::TestSite site;
    if (hls.empty() || !site.Start())
        return 1;
    std::printf("stream of %d minutes (%d segments, 2 variants) ready in %.1f s (made now, or kept from an earlier run)\n",
                minutes, minutes * 60, static_cast<double>(making.elapsed()) / 1000);
    // Read from disk at each request, so that the site in this process
    // holds none of the stream.
    test_site::ServeFolder(site, "/long", hls, test_site::FolderServing::FromDisk);

    CAppSetting settings;
    settings.configUrl = "http://127.0.0.1:1/no-update";
    CProgramParts parts(settings);
    COvrinDlg window(settings, desktop, parts.WindowParts());
    bool started = false;
    if (!bench::StartWindow(parts, window, started))
        return 1;
    bool over = false;
    int mediaSecond = -1;
    window.SetPlayerEventObserver([&](const std::string& command, const std::string& args) {
        started |= command == "OnStatus" && args.find("Play.Start") != std::string::npos;
        over |= command == "OnStatus" && args.find("VideoPlayOver") != std::string::npos;
        if (command == "VideoProcess")
            mediaSecond = std::atoi(args.c_str());
    });
    auto* view = qobject_cast<QWebEngineView*>(window.Player()->Page().Widget());
    if (!view)
        return 1;
    const std::string key = "long-hls";
    AddManifestRecord(settings, key, site.Url("/long/master.m3u8"));
    window.Control().AddVideo("", key, kAddPlayNow);
    if (!RunUntil([&] { return started; }))
        return 1;
    QElapsedTimer wall;
    wall.start();
    struct Sample {
        int second;
        long program;
        long heapInUse;  // what malloc has handed out and not had back, KiB
        bench::TreeMemory tree;
    };
    std::vector<Sample> samples;
    const auto sample = [&] {
        const struct mallinfo2 heap = ::mallinfo2();
        samples.push_back({mediaSecond, bench::ProcessRssKib(::getpid()),
                           static_cast<long>((heap.uordblks + heap.hblkhd) / 1024), bench::TreeRss(::getpid())});
        site.ClearRequests();  // the site's request log is no part of the program
    };
    const int limitMs = (minutes * 60 * 1000 / rate) * 3 + 120000;
    int nextSample = 0;
    while (!over) {
        // Set again at each step: a new media source may reset the rate.
        view->page()->runJavaScript(QStringLiteral("video.playbackRate = %1").arg(rate));
        if (mediaSecond >= nextSample) {
            sample();
            nextSample = mediaSecond + 60;
        }
        if (!RunUntil([&] { return over || mediaSecond >= nextSample; }, 2000, 50) && wall.elapsed() > limitMs) {
            std::fprintf(stderr, "the stream did not end (at %d s of media)\n", mediaSecond);
            return 1;
        }
    }
    sample();
    const double wallSeconds = static_cast<double>(wall.elapsed()) / 1000;
    const HlsStatus status = parts.Downloads().GetHlsStatus(key);
    const Sample& first = samples.front();
    const Sample& last = samples.back();
    long programPeak = 0, treePeak = 0;
    for (const Sample& s : samples) {
        programPeak = std::max(programPeak, s.program);
        treePeak = std::max(treePeak, s.tree.rssKib);
    }
    const auto growth = [](long from, long to) { return 100.0 * static_cast<double>(to - from) / static_cast<double>(from); };
    std::printf("played %d minutes of HLS at playbackRate %d in %.0f s; %zu of %zu segments cached; %zu memory samples "
                "(one per 60 s of media)\n",
                minutes, rate, wallSeconds, status.done, status.count, samples.size());
    std::printf("memory, program process alone: %ld KiB at %d s of media, %ld KiB at %d s (the end), peak %ld KiB; growth "
                "%.1f%%\n",
                first.program, first.second, last.program, last.second, programPeak, growth(first.program, last.program));
    // Memory held by live allocations against the resident size tells
    // retained data from a heap that keeps freed pages.
    std::printf("program's heap in use (mallinfo2): %ld KiB at the start, %ld KiB at the end; growth %.1f%%\n",
                first.heapInUse, last.heapInUse, growth(first.heapInUse, last.heapInUse));
    std::printf("memory of the program and its browser processes at each sample, MiB:");
    for (const Sample& s : samples)
        std::printf(" %ld", s.tree.rssKib / 1024);
    std::printf("\n");
    std::printf("memory, program and its %d QtWebEngineProcess descendants (browser helpers, renderer, GPU): %ld KiB at "
                "%d s, %ld KiB at the end, peak %ld KiB; growth %.1f%%\n",
                last.tree.descendants, first.tree.rssKib, first.second, last.tree.rssKib, treePeak,
                growth(first.tree.rssKib, last.tree.rssKib));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "start-and-cache") == 0)
        return StartAndCache().Run();
    if (argc >= 4 && std::strcmp(argv[1], "rss") == 0)
        return Rss(std::atoi(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: hls_bench start-and-cache | rss <minutes> <playbackRate>\n");
    return 2;
}
