// quelt-demo-service: the test site run as a stand-alone service, so that
// the program has something real to talk to without the internet. It serves
// a few generated demo videos and a page that links them.
#include "common/md5.h"
#include "shell/settings/service_hosts.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

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

std::string DemoPage()
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Quelt demo videos</title></head>\n"
           "<body><h1>Quelt demo videos</h1>\n<ul>\n"
           "<li><a href=\"/watch/flv.html\">Test pattern (FLV)</a></li>\n"
           "<li><a href=\"/watch/flv-h264.html\">Test pattern (H.264 FLV)</a></li>\n"
           "<li><a href=\"/watch/mp4.html\">Test pattern (MP4)</a></li>\n"
           "</ul></body></html>\n";
}

std::string WatchPage(const std::string& title, const std::string& video, const std::string& type)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head>\n"
           "<body><h1>" + title + "</h1>\n<video controls autoplay muted src=\"" + video + "\" type=\"" + type
           + "\"></video>\n<p><a href=\"" + video + "\">" + video + "</a></p></body></html>\n";
}

}  // namespace

int main(int argc, char** argv)
{
    int port = service_hosts::kDemoPort;
    std::string mediaDir;
    bool offerUpdate = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--port") && i + 1 < argc)
            port = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--offer-update"))
            offerUpdate = true;
        else if (!std::strcmp(argv[i], "--media-dir") && i + 1 < argc)
            mediaDir = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--port N] [--media-dir DIR] [--offer-update]\n", argv[0]);
            return 2;
        }
    }

    test_site::TestSite site;
    const std::string flv = test_site::MakeTestVideo(test_site::VideoKind::Flv, 10, mediaDir);
    const std::string flvH264 = test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 10, mediaDir);
    const std::string mp4 = test_site::MakeTestVideo(test_site::VideoKind::Mp4, 10, mediaDir);
    if (flv.empty() || flvH264.empty() || mp4.empty()) {
        std::fprintf(stderr, "quelt-demo-service: could not make the demo videos (is ffmpeg installed?)\n");
        return 1;
    }
    site.AddFileFromDisk("/videos/demo.flv", flv, "video/x-flv");
    site.AddFileFromDisk("/videos/demo-h264.flv", flvH264, "video/x-flv");
    site.AddFileFromDisk("/videos/demo.mp4", mp4, "video/mp4");
    site.AddFile("/", DemoPage(), "text/html; charset=utf-8");
    // The update check: the version the build installs (nothing to do), or
    // with --offer-update a newer one with its setup program.
    const std::string setup = "#!/bin/sh\necho 'Quelt demo setup: nothing is installed.'\n";
    site.AddFile("/ver/update_setup", setup, "application/octet-stream");
    site.AddFile("/ver/update_config.x",
                 std::string("[info]\nver=") + (offerUpdate ? "0.2" : "0.1") + "\nmd5=" + Md5Hex(setup)
                     + "\nsetup_url=http://127.0.0.1:" + std::to_string(port) + "/ver/update_setup\n",
                 "text/plain");
    // The usage reports of a program that runs against this service.
    for (const char* report : {"use", "install", "online", "uninstall"})
        site.AddFile(std::string("/count/soft_") + report + ".php", "ok", "text/plain");
    site.AddFile("/watch/flv.html", WatchPage("Test pattern (FLV)", "/videos/demo.flv", "video/x-flv"),
                 "text/html; charset=utf-8");
    site.AddFile("/watch/flv-h264.html",
                 WatchPage("Test pattern (H.264 FLV)", "/videos/demo-h264.flv", "video/x-flv"),
                 "text/html; charset=utf-8");
    site.AddFile("/watch/mp4.html", WatchPage("Test pattern (MP4)", "/videos/demo.mp4", "video/mp4"),
                 "text/html; charset=utf-8");
    if (!site.Start(port)) {
        std::fprintf(stderr, "quelt-demo-service: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("quelt-demo-service listening on http://127.0.0.1:%d/\n", site.Port());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!g_stop)
        ::pause();
    site.Stop();
    return 0;
}
