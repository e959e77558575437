// Benchmarks of stream detection.
//   detect_bench add-to-start    AddVideo of a video page (new each round)
//       to "Play.Start", median of 10, split at the page's request, the
//       player's stream request and the stream found; against a bare
//       QtWebEngine page that loads the same page and plays its video.
//   detect_bench page-load direct|proxy   a page of 50 resources loaded
//       10 times (no cache), directly or through the interception proxy;
//       prints the median.
//   detect_bench proxy-download <MiB>   starts the test site with a file of
//       that size and the proxy, prints "ports <proxy> <site>" and runs
//       until its input ends (curl is the peer, in run.sh).
#include "window/window_bench_kit.h"
#include "delivery/http_task.h"
#include "detection/interception_proxy.h"
#include "platform/desktop_integration.h"
#include "platform/web/media_request_header.h"
#include "platform/web/player_page_view.h"
#include "records/info_video.h"
#include "shell/settings/app_setting.h"
#include "shell/settings/records_ops.h"
#include "app/program_parts.h"
#include "shell/window/ovrin_dlg.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"
#include "ui/widgets/player_controls.h"
#include "ui/widgets/player_ctrl_factory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const platform::DesktopIntegration desktop("/nonexistent/quelt");
constexpr int kRounds = 10;

using bench::BarePage;
using bench::Median;

bool RunUntil(const std::function<bool()>& done)
{
    return bench::RunUntil(done, 60000, 5);
}

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The first request for a path after a moment (only those with that
// User-Agent when one is given), or the moment itself when there is none.
Clock::time_point RequestTime(const test_site::TestSite& site, const std::string& path, Clock::time_point after,
                              const std::string& agent = {})
{
    for (const auto& request : site.RequestsFor(path))
        if (request.when >= after && (agent.empty() || request.Value("User-Agent") == agent))
            return request.when;
    return after;
}

int AddToStart(test_site::TestSite& site)
{
    const bench::ProgramFolder folder("quelt-detect-bench", QUELT_APP_DIR);

    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 4);
    // Each round has a page and a video address of its own, so that no
    // cache of the browser answers in place of the site.
    for (int round = 0; round < 2 * kRounds; ++round) {
        const std::string n = std::to_string(round);
        site.AddFileFromDisk("/videos/" + n + ".mp4", mp4, "video/mp4");
        site.AddFile("/watch/" + n + ".html",
                     "<!doctype html><html><head><title>Round " + n + "</title></head><body>"
                     "<video autoplay muted width='640' height='360' src='/videos/" + n + ".mp4'></video>"
                     "<script>document.querySelector('video').addEventListener('playing', function () {"
                     " console.log('playing'); });</script></body></html>",
                     "text/html");
    }
    const auto pageUrl = [&](int round) {
        return "http://localhost:" + std::to_string(site.Port()) + "/watch/" + std::to_string(round) + ".html";
    };

    CAppSetting settings;
    settings.configUrl = "http://127.0.0.1:1/no-update";
    settings.idleDownEnable = false;
    CProgramParts parts(settings);
    COvrinDlg window(settings, desktop, parts.WindowParts());
    bool started = false;
    if (!bench::StartWindow(parts, window, started))
        return 1;
    bench::BareView bareView;
    BarePage* bare = bareView.page;

    std::vector<double> pageAsked, streamAsked, streamFound, downloadAsked, total, peer;
    for (int round = 0; round < kRounds; ++round) {
        const std::string key = pageUrl(round);
        const std::string n = std::to_string(round);
        started = false;
        const Clock::time_point start = Clock::now();
        window.Control().AddVideo("", key, kAddPlayNow);
        Clock::time_point found{};
        if (!RunUntil([&] {
                const InfoVideo* video = FindVideo(settings, key);
                if (found == Clock::time_point{} && video && video->state == VIDEO_STATE_DETECTED)
                    found = Clock::now();
                return started;
            })) {
            std::fprintf(stderr, "round %d: no Play.Start\n", round);
            return 1;
        }
        const Clock::time_point end = Clock::now();
        pageAsked.push_back(Ms(start, RequestTime(site, "/watch/" + n + ".html", start)));
        streamAsked.push_back(Ms(start, RequestTime(site, "/videos/" + n + ".mp4", start)));
        streamFound.push_back(Ms(start, found));
        downloadAsked.push_back(Ms(start, RequestTime(site, "/videos/" + n + ".mp4", start, HttpTaskUserAgent())));
        total.push_back(Ms(start, end));
        window.Control().StopPlaying();

        // The peer: the same kind of page, fresh, played by the browser alone.
        bare->playing = false;
        const Clock::time_point peerStart = Clock::now();
        bare->load(QUrl(QString::fromStdString(pageUrl(kRounds + round))));
        if (!RunUntil([&] { return bare->playing; })) {
            std::fprintf(stderr, "round %d: the bare page did not play\n", round);
            return 1;
        }
        peer.push_back(Ms(peerStart, Clock::now()));
        bare->load(QUrl(QStringLiteral("about:blank")));
    }
    std::printf("AddVideo of a video page to Play.Start, median of %d: %.0f ms; on the way (medians from AddVideo): "
                "page asked for %.0f, stream asked for by the page %.0f, stream found %.0f, download asked for %.0f "
                "(after the download manager's 500 ms start delay); bare QtWebEngine page playing it %.0f ms; "
                "ratio %.2f\n",
                kRounds, Median(total), Median(pageAsked), Median(streamAsked), Median(streamFound),
                Median(downloadAsked), Median(peer), Median(total) / Median(peer));
    return 0;
}

int PageLoad(test_site::TestSite& site)
{
    std::string page = "<!doctype html><html><head><title>Fifty</title>";
    for (int i = 0; i < 25; ++i) {
        site.AddPatternFile("/r/style" + std::to_string(i) + ".css", 1);
        site.AddFile("/r/script" + std::to_string(i) + ".js", "var x" + std::to_string(i) + " = '" + std::string(20000, 'x') + "';",
                     "text/javascript");
        page += "<script src='/r/script" + std::to_string(i) + ".js'></script>";
    }
    page += "</head><body>";
    for (int i = 0; i < 25; ++i) {
        site.AddPatternFile("/r/image" + std::to_string(i) + ".bin", 30000);
        page += "<img src='/r/image" + std::to_string(i) + ".bin' width='10' height='10'>";
    }
    site.AddFile("/fifty.html", page + "</body></html>", "text/html");
    QWebEngineProfile::defaultProfile()->setHttpCacheType(QWebEngineProfile::NoCache);
    QWebEnginePage view;
    bool loaded = false;
    QObject::connect(&view, &QWebEnginePage::loadFinished, [&] { loaded = true; });
    std::vector<double> times;
    for (int round = 0; round <= kRounds; ++round) {
        loaded = false;
        const Clock::time_point start = Clock::now();
        view.load(QUrl(QString::fromStdString("http://localhost:" + std::to_string(site.Port()) + "/fifty.html")));
        if (!RunUntil([&] { return loaded; }))
            return 1;
        if (round > 0)  // the first load also starts the browser's processes
            times.push_back(Ms(start, Clock::now()));
    }
    std::printf("%.1f\n", Median(times));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    CHookInternetAPI proxy;
    if (!proxy.Start())
        return 1;
    test_site::TestSite site;
    site.Start();

    if (mode == "proxy-download") {
        const long mib = argc > 2 ? std::atol(argv[2]) : 256;
        site.AddPatternFile("/big.bin", static_cast<std::int64_t>(mib) << 20);
        std::printf("ports %d %d\n", proxy.Port(), site.Port());
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        return 0;
    }

    // "localhost" (not 127.0.0.1, which detection skips as the program's
    // own server) goes through the proxy as the program routes it.
    QByteArray flags;
    if (mode != "page-load" || (argc > 2 && std::strcmp(argv[2], "proxy") == 0))
        flags = "--proxy-server=http://127.0.0.1:" + QByteArray::number(proxy.Port()) + " --proxy-bypass-list=<-loopback>";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    platform::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    platform::InstallMediaRequestHeader();
    if (mode == "add-to-start")
        return AddToStart(site);
    if (mode == "page-load")
        return PageLoad(site);
    std::fprintf(stderr, "usage: %s add-to-start | page-load direct|proxy | proxy-download <MiB>\n", argv[0]);
    return 2;
}
