// quelt-demo-service: the test site run as a stand-alone service, so that
// the program has something real to talk to without the internet. It serves
// generated demo videos, video pages of several kinds (found by detection,
// or meant to make it fail), the detection service on port 5678 and the
// segment service, the update check, the usage reports and the service
// lists of the search.
#include "common/md5.h"
#include "shell/settings/service_hosts.h"
#include "test_site/demo_lists.h"
#include "test_site/detection_service.h"
#include "test_site/live_hls.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

struct DemoPage {
    const char* path;
    const char* title;
    const char* what;  // what detection makes of it
};
constexpr DemoPage kPages[] = {
    {"/watch/flv.html", "Test pattern (FLV)", "a VIDEO element given an FLV: found"},
    {"/watch/flv-h264.html", "Test pattern (H.264 FLV)", "a VIDEO element given an H.264 FLV: found"},
    {"/watch/mp4.html", "Test pattern (MP4)", "a VIDEO element playing an MP4: found"},
    {"/watch/mse.html", "Test pattern (FLV through mpegts.js)", "an MSE player fetching an FLV: found"},
    {"/watch/parts.html", "Test pattern in three parts", "found, and the segment service adds parts 2 and 3"},
    {"/watch/small.html", "A small player", "a 320 x 240 player: taken as removed after 5 s"},
    {"/watch/empty.html", "No player", "no player at all: taken as removed after 5 s"},
    {"/watch/endless.html", "A page that never finishes", "a player whose stream never comes: no answer at 30 s"},
    {"/watch/popups.html", "A page with pop-ups", "opens pop-ups (never shown) and plays the MP4: found"},
    {"/watch/hls.html", "Test pattern (HLS)",
     "a VIDEO element given an HLS playlist (two variants, one-second segments): played while its segments are cached"},
    {"/watch/dash.html", "Test pattern (DASH through dash.js)",
     "dash.js playing a DASH manifest (two video representations and audio, one-second segments): played while "
     "its segments are cached"},
    {"/watch/hls-live.html", "Test pattern (live HLS)",
     "a VIDEO element given a live HLS playlist whose window moves on every second: played live, never complete"},
    {"/watch/hls-aes.html", "Test pattern (HLS, AES-128)",
     "a VIDEO element given an AES-128 encrypted HLS playlist whose key the site gives only with the page as "
     "Referer: played while its segments are cached in the clear"},
    {"/watch/hls-fmp4.html", "Test pattern (HLS, fMP4 segments)",
     "a VIDEO element given an HLS playlist of fMP4 segments with an init section (EXT-X-MAP): played while "
     "its segments are cached"},
};

std::string Html(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head>\n<body><h1>"
           + title + "</h1>\n" + body + "</body></html>\n";
}

std::string IndexPage()
{
    std::string list = "<ul>\n";
    for (const DemoPage& page : kPages)
        list += std::string("<li><a href=\"") + page.path + "\">" + page.title + "</a> &mdash; " + page.what + "</li>\n";
    return Html("Quelt demo videos", list + "</ul>\n");
}

std::string VideoPage(const std::string& title, const std::string& video, const std::string& extra = {})
{
    return Html(title, "<video controls autoplay muted width=\"640\" height=\"360\" src=\"" + video
                           + "\"></video>\n<p><a href=\"" + video + "\">" + video + "</a></p>\n" + extra);
}

// A script of the program's player page (mpegts.js, dash.js), found beside
// this program (build/app/skin/player/) or given with --web-dir.
std::string ReadPlayerScript(const std::string& webDir, const char* name)
{
    std::filesystem::path dir = webDir;
    if (dir.empty())
        dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "skin" / "player";
    std::ifstream in(dir / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void AddPages(test_site::TestSite& site, const std::string& webDir)
{
    const std::string mpegts = ReadPlayerScript(webDir, "mpegts.js");
    const std::string html = "text/html; charset=utf-8";
    site.AddFile("/", IndexPage(), html);
    site.AddFile("/watch/flv.html", VideoPage(kPages[0].title, "/videos/demo.flv"), html);
    site.AddFile("/watch/flv-h264.html", VideoPage(kPages[1].title, "/videos/demo-h264.flv"), html);
    site.AddFile("/watch/mp4.html", VideoPage(kPages[2].title, "/videos/demo.mp4"), html);
    site.AddFile("/lib/mpegts.js", mpegts, "text/javascript");
    site.AddFile("/watch/mse.html",
                 Html(kPages[3].title,
                      "<video id=\"v\" controls muted width=\"640\" height=\"360\"></video>\n"
                      "<script src=\"/lib/mpegts.js\"></script>\n<script>\n"
                      "if (window.mpegts && mpegts.getFeatureList().mseLivePlayback) {\n"
                      "  var player = mpegts.createPlayer({type: 'flv', url: '/videos/demo-h264.flv'});\n"
                      "  player.attachMediaElement(document.getElementById('v'));\n"
                      "  player.load();\n  player.play();\n}\n</script>\n"),
                 html);
    site.AddFile("/watch/parts.html", VideoPage(kPages[4].title, "/videos/part1.flv"), html);
    site.AddFile("/watch/small.html",
                 Html(kPages[5].title, "<video controls muted width=\"320\" height=\"240\"></video>\n"), html);
    site.AddFile("/watch/empty.html", Html(kPages[6].title, "<p>Nothing to watch here.</p>\n"), html);
    // The page's last script never finishes arriving, and its player waits
    // for a stream that does not come.
    site.AddFile("/watch/endless.html",
                 Html(kPages[7].title, "<video controls muted width=\"640\" height=\"360\"></video>\n"
                                       "<script src=\"/lib/endless.js\"></script>\n"),
                 html);
    test_site::Behaviour endless;
    endless.trickleBytes = 1;
    endless.trickleDelayMs = 10000;
    site.AddFile("/lib/endless.js", std::string(64, ' '), "text/javascript");
    site.SetBehaviour("/lib/endless.js", endless);
    site.AddFile("/watch/popups.html",
                 VideoPage(kPages[8].title, "/videos/demo.mp4",
                           "<script>for (var i = 0; i < 20; ++i) window.open('/watch/empty.html?' + i);</script>\n"),
                 html);
    site.AddFile("/watch/hls.html", VideoPage(kPages[9].title, "/videos/hls/master.m3u8"), html);
    site.AddFile("/watch/hls-live.html", VideoPage(kPages[11].title, "/videos/hls/v0/live.m3u8"), html);
    site.AddFile("/lib/dash.js", ReadPlayerScript(webDir, "dash.mediaplayer.min.js"), "text/javascript");
    site.AddFile("/watch/dash.html",
                 Html(kPages[10].title,
                      "<video id=\"v\" controls muted width=\"640\" height=\"360\"></video>\n"
                      "<script src=\"/lib/dash.js\"></script>\n<script>\n"
                      "if (window.dashjs)\n"
                      "  dashjs.MediaPlayer().create().initialize(document.getElementById('v'), "
                      "'/videos/dash/manifest.mpd', true);\n</script>\n"),
                 html);
    site.AddFile("/watch/hls-aes.html", VideoPage(kPages[11].title, "/videos/hls-aes/index.m3u8"), html);
    site.AddFile("/watch/hls-fmp4.html", VideoPage(kPages[12].title, "/videos/hls-fmp4/index.m3u8"), html);
    // The default browsing tabs of the main skin ("browserview_mgr").
    std::string videos;
    for (const DemoPage& page : kPages)
        videos += std::string("<li><a href=\"") + page.path + "\">" + page.title + "</a> <a href=\"playxev://"
                  + "http://localhost:20080" + page.path + "&&&" + page.title + "\">play</a> <a href=\"addxev://"
                  + "http://localhost:20080" + page.path + "&&&" + page.title + "\">add</a></li>\n";
    site.AddFile("/browse/home.html",
                 Html("Demo videos", "<p>Every demo page; \"play\" plays it in Quelt, \"add\" (or a right click on "
                                     "it) queues it.</p>\n<ul>\n" + videos + "</ul>\n"),
                 html);
    site.AddFile("/browse/links.html",
                 Html("Demo links", "<p><a href=\"/watch/mp4.html\" target=\"_blank\">The MP4 page in a new tab</a></p>\n"
                                    "<p><a href=\"/\">The demo service's home page</a></p>\n"),
                 html);
}

}  // namespace

int main(int argc, char** argv)
{
    int port = service_hosts::kDemoPort;
    std::string mediaDir;
    std::string webDir;
    bool offerUpdate = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--port") && i + 1 < argc)
            port = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--offer-update"))
            offerUpdate = true;
        else if (!std::strcmp(argv[i], "--media-dir") && i + 1 < argc)
            mediaDir = argv[++i];
        else if (!std::strcmp(argv[i], "--web-dir") && i + 1 < argc)
            webDir = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--port N] [--media-dir DIR] [--web-dir DIR] [--offer-update]\n",
                         argv[0]);
            return 2;
        }
    }

    test_site::TestSite site;
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::Flv, 10, mediaDir);
    const std::string flvH264 = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 10, mediaDir);
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 10, mediaDir);
    const std::string hls = test_site::MakeTestHls(10, mediaDir);
    const std::string dash = test_site::MakeTestDash(10, test_site::DashKind::NumberTimeline, mediaDir);
    const std::string hlsAes = test_site::MakeTestHlsAes(10, mediaDir);
    const std::string hlsFmp4 = test_site::MakeTestHlsFmp4(10, mediaDir);
    if (flv.empty() || flvH264.empty() || mp4.empty() || hls.empty() || dash.empty() || hlsAes.empty()
        || hlsFmp4.empty()) {
        std::fprintf(stderr, "quelt-demo-service: could not make the demo videos (is ffmpeg installed?)\n");
        return 1;
    }
    site.AddFileFromDisk("/videos/demo.flv", flv, "video/x-flv");
    site.AddFileFromDisk("/videos/demo-h264.flv", flvH264, "video/x-flv");
    site.AddFileFromDisk("/videos/demo.mp4", mp4, "video/mp4");
    test_site::ServeFolder(site, "/videos/hls", hls);
    // A live broadcast of the same segments: a window of five that moves on
    // with the clock, looping over the stream.
    const std::string vod = test_site::ReadFileBytes(hls + "/v0/index.m3u8");
    const auto onAir = std::chrono::steady_clock::now();
    site.SetHandler(
        "/videos/hls/v0/live.m3u8",
        [vod, onAir](const test_site::RecordedRequest&) {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - onAir);
            return test_site::LiveHlsPlaylist(vod, static_cast<std::uint64_t>(seconds.count()), 5);
        },
        "application/vnd.apple.mpegurl");
    test_site::ServeFolder(site, "/videos/dash", dash);
    // The key goes to the program, which fetches it with the page as Referer.
    test_site::ServeHlsAes(site, "/videos/hls-aes", hlsAes, "/watch/hls-aes.html");
    test_site::ServeFolder(site, "/videos/hls-fmp4", hlsFmp4);
    for (const char* part : {"/videos/part1.flv", "/videos/part2.flv", "/videos/part3.flv"})
        site.AddFileFromDisk(part, flv, "video/x-flv");
    AddPages(site, webDir);
    // The update check: the version the build installs (nothing to do), or
    // with --offer-update a newer one with its setup program.
    const std::string setup = "#!/bin/sh\necho 'Quelt demo setup: nothing is installed.'\n";
    site.AddFile("/ver/update_setup", setup, "application/octet-stream");
    site.AddFile("/ver/update_config.x",
                 std::string("[info]\nver=") + (offerUpdate ? "0.2" : "0.1") + "\nmd5=" + Md5Hex(setup)
                     + "\nsetup_url=http://127.0.0.1:" + std::to_string(port) + "/ver/update_setup\n",
                 "text/plain");
    // The service lists: search sites, categories, speed information,
    // special and related sites, the connectivity probe file.
    test_site::DemoSearchSites videoSites;
    if (!videoSites.Start(port + 1, flvH264))
        std::fprintf(stderr, "quelt-demo-service: ports %d-%d are taken; the demo video sites to search are missing\n",
                     port + 1, port + 4);
    test_site::PublishDemoLists(site, &videoSites);
    // The usage reports of a program that runs against this service.
    for (const char* report : {"use", "install", "online", "uninstall"})
        site.AddFile(std::string("/count/soft_") + report + ".php", "ok", "text/plain");
    // The detection service learns the streams that the program reports,
    // and the segment service knows the parts of the three-part video.
    test_site::DetectionService detection;
    detection.Install(site);
    detection.SetSegments("/videos/part1.flv", {"/videos/part2.flv", "/videos/part3.flv"});
    test_site::TestSite detectionSite;
    detection.Install(detectionSite);
    if (!site.Start(port)) {
        std::fprintf(stderr, "quelt-demo-service: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    if (!detectionSite.Start(service_hosts::kDetectionServicePort))
        std::fprintf(stderr, "quelt-demo-service: port %d is taken; detection lookups go unanswered\n",
                     service_hosts::kDetectionServicePort);
    std::printf("quelt-demo-service listening on http://127.0.0.1:%d/\n", site.Port());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!g_stop)
        ::pause();
    site.Stop();
    detectionSite.Stop();
    return 0;
}
