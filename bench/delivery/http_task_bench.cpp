// HTTP task engine throughput: one 512 MiB download from a loopback server
// by an HttpTask (64 KiB blocks, each handed to the window thread), against
// curl writing the same file to /dev/null from the same server.
//
//   http_task_bench [size MiB] [rounds]   runs both and prints the ratio
//   http_task_bench fetch URL             (internal) one engine download
//   http_task_bench serve SIZE_MIB        only the server, for profiling
#include "bench_common.h"

#include "delivery/http_task_manager.h"
#include "test_site/test_site.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

class CountingManager : public FCHttpTaskManager<CWnd> {
public:
    CountingManager() { Create(); }
    std::int64_t bytes = 0;
    std::int64_t blocks = 0;
    bool done = false;
    bool success = false;

protected:
    void OnTaskReceive(HttpTask*, const char*, int count, int) override
    {
        bytes += count;
        ++blocks;
    }
    void OnTaskFinish(HttpTask*, bool ok) override
    {
        done = true;
        success = ok;
        QCoreApplication::quit();
    }
};

int Fetch(int argc, char** argv, const char* url)
{
    QCoreApplication app(argc, argv);
    CountingManager manager;
    const auto start = std::chrono::steady_clock::now();
    manager.AddTask(url, 0, -1, false, "bench", {}, 65536, 0);
    app.exec();
    const double seconds = bench::Seconds(std::chrono::steady_clock::now() - start);
    std::printf("%lld %.6f %lld\n", static_cast<long long>(manager.bytes), seconds,
                static_cast<long long>(manager.blocks));
    return manager.success ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && !std::strcmp(argv[1], "fetch"))
        return Fetch(argc, argv, argv[2]);
    if (argc >= 3 && !std::strcmp(argv[1], "serve")) {
        // For profiling one side alone: serves until killed.
        test_site::TestSite site;
        site.AddPatternFile("/big.bin", std::atoll(argv[2]) * 1024 * 1024);
        if (!site.Start())
            return 1;
        std::printf("%s\n", site.Url("/big.bin").c_str());
        std::fflush(stdout);
        ::pause();
        return 0;
    }

    const std::int64_t mib = argc >= 2 ? std::atoll(argv[1]) : 512;
    const int rounds = argc >= 3 ? std::atoi(argv[2]) : 3;
    const std::int64_t size = mib * 1024 * 1024;
    test_site::TestSite site;
    site.AddPatternFile("/big.bin", size);
    if (!site.Start()) {
        std::fprintf(stderr, "cannot start the loopback server\n");
        return 1;
    }
    const std::string url = site.Url("/big.bin");
    double bestEngine = 1e9, bestCurl = 1e9, rssEngine = 0, rssCurl = 0;
    for (int round = 0; round < rounds; ++round) {
        // Alternating, best of each: both see the same machine state.
        // Both figures are transfer times, without process start-up.
        const bench::ChildRun curl = bench::RunChild({"curl", "-s", "-o", "/dev/null", "-w", "%{time_total}", url});
        const bench::ChildRun engine = bench::RunChild({"/proc/self/exe", "fetch", url});
        long long bytes = 0;
        double seconds = 0;
        const double curlSeconds = std::atof(curl.output.c_str());
        if (!curl.ok || curlSeconds <= 0 || !engine.ok || std::sscanf(engine.output.c_str(), "%lld %lf", &bytes, &seconds) != 2
            || bytes != size) {
            std::fprintf(stderr, "a download failed (curl %d, engine %d, %lld bytes)\n", curl.ok, engine.ok, bytes);
            return 1;
        }
        bestCurl = std::min(bestCurl, curlSeconds);
        bestEngine = std::min(bestEngine, seconds);
        rssCurl = std::max(rssCurl, curl.peakRssMiB);
        rssEngine = std::max(rssEngine, engine.peakRssMiB);
    }
    const double mbEngine = static_cast<double>(size) / 1048576.0 / bestEngine;
    const double mbCurl = static_cast<double>(size) / 1048576.0 / bestCurl;
    std::printf("http task engine: %lld MiB in %.3f s (%.0f MiB/s), peak RSS %.1f MiB\n",
                static_cast<long long>(mib), bestEngine, mbEngine, rssEngine);
    std::printf("curl -o /dev/null: %lld MiB in %.3f s (%.0f MiB/s), peak RSS %.1f MiB\n",
                static_cast<long long>(mib), bestCurl, mbCurl, rssCurl);
    std::printf("engine/curl throughput ratio: %.2f (target >= 0.80)\n", mbEngine / mbCurl);
    return 0;
}
