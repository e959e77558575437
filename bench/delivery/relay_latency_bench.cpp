// Relay latency: from a block received by a download task to the same bytes
// arriving at a play client of the local play server. A loopback site sends
// the video in paced pieces so that every block travels on its own.
//
//   relay_latency_bench [pieces] [piece KiB] [pause ms]
#include "bench_common.h"

#include "common/app_folder.h"
#include "delivery/flv_download_manager.h"
#include "delivery/play_request_manager.h"
#include "shell/settings/app_setting_downloads.h"
#include "test_site/test_site.h"

#include <QCoreApplication>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Mark {
    std::int64_t offset;  // body bytes up to and including this block
    Clock::time_point at;
};

// Notes when each block reached the manager, then relays it as usual.
class TimedManager : public CFLVDownloadManager {
public:
    using CFLVDownloadManager::CFLVDownloadManager;
    std::vector<Mark> received;

protected:
    void OnTaskReceive(HttpTask* task, const char* data, int count, int elapsedMs) override
    {
        received.push_back({task->received, Clock::now()});
        CFLVDownloadManager::OnTaskReceive(task, data, count, elapsedMs);
    }
};

// Reads the play URL on its own thread and notes when each byte count was reached.
class Client {
public:
    Client(int port, const std::string& path)
    {
        fd_ = test_site::ConnectToLoopback(port);
        if (fd_ < 0)
            return;
        const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
        ::send(fd_, request.data(), request.size(), MSG_NOSIGNAL);
        marks.reserve(1 << 20);
        thread_ = std::thread([this] { Read(); });
    }
    ~Client()
    {
        ::shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(fd_);
    }
    std::atomic<bool> closed{false};
    std::vector<Mark> marks;  // read after closed

private:
    void Read()
    {
        std::vector<char> buffer(1 << 20);
        std::string head;
        std::int64_t body = -1;
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            const auto now = Clock::now();
            if (body < 0) {
                head.append(buffer.data(), static_cast<std::size_t>(n));
                const auto end = head.find("\r\n\r\n");
                if (end == std::string::npos)
                    continue;
                body = static_cast<std::int64_t>(head.size() - end - 4);
            } else {
                body += n;
            }
            marks.push_back({body, now});
        }
        closed = true;
    }
    int fd_ = -1;
    std::thread thread_;
};

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int pieces = argc >= 2 ? std::atoi(argv[1]) : 1000;
    const int pieceKiB = argc >= 3 ? std::atoi(argv[2]) : 32;
    const int pauseMs = argc >= 4 ? std::atoi(argv[3]) : 3;

    const auto folder = std::filesystem::temp_directory_path() / ("quelt-relay-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "temp");
    SetAppFolderForTesting(folder.string() + "/");

    // An FLV header, so the first block passes the signature check.
    const std::int64_t total = static_cast<std::int64_t>(pieces) * pieceKiB * 1024;
    std::string video("FLV\x01\x05\0\0\0\x09", 9);
    video.reserve(static_cast<std::size_t>(total));
    for (std::int64_t at = 9; at < total; at += 1 << 20)
        video += test_site::PatternBytes(at, std::min<std::int64_t>(1 << 20, total - at));
    const auto videoSize = static_cast<std::int64_t>(video.size());
    test_site::TestSite site;
    site.AddFile("/relay.flv", std::move(video), "video/x-flv");
    test_site::Behaviour paced;
    paced.trickleBytes = pieceKiB * 1024;
    paced.trickleDelayMs = pauseMs;
    site.SetBehaviour("/relay.flv", paced);
    if (!site.Start())
        return 1;

    CAppSetting settings;
    settings.idleDownEnable = 0;
    auto* record = new InfoVideo;
    record->a2 = "relay";
    record->a4 = site.Url("/relay.flv");
    record->state = VIDEO_STATE_RESOLVED;
    settings.playList.PCL_PushObject(record);

    int status = 1;
    {
        CPlayRequestManager server;
        CAppSettingDownloads downloadSettings(settings);
        TimedManager manager(downloadSettings, &server);
        manager.SetStartDelay(0);
        manager.SetBackgroundPeriod(0);
        manager.received.reserve(1 << 20);
        server.SetRequestServer(&manager);
        const std::string url = server.BuildPlayUrl("relay");
        Client client(server.GetPort(), url.substr(url.find('/', 8)));
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (client.closed)
                app.quit();
        });
        poll.start(5);
        app.exec();
        server.SetRequestServer(nullptr);

        std::vector<double> latencies;
        std::size_t at = 0;
        for (const Mark& block : manager.received) {
            while (at < client.marks.size() && client.marks[at].offset < block.offset)
                ++at;
            if (at == client.marks.size())
                break;
            latencies.push_back(std::chrono::duration<double, std::milli>(client.marks[at].at - block.at).count());
        }
        const bool complete = !client.marks.empty()
                              && client.marks.back().offset == videoSize;
        if (complete && !latencies.empty()) {
            const double median = Percentile(latencies, 0.5);
            const double p99 = Percentile(latencies, 0.99);
            std::printf("relay latency over %zu blocks of up to %d KiB: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                        latencies.size(), pieceKiB, median, p99, Percentile(latencies, 1.0));
            std::printf("median/target ratio: %.3f (target median < 2 ms)\n", median / 2.0);
            std::printf("peak RSS %.1f MiB (one process: site with the %lld MiB video in memory, program, client)\n",
                        bench::PeakRssMiB(), static_cast<long long>(videoSize >> 20));
            status = 0;
        } else {
            std::fprintf(stderr, "the client did not receive the whole video\n");
        }
    }
    SetAppFolderForTesting("");
    std::filesystem::remove_all(folder);
    return status;
}
