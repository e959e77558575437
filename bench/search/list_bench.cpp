// Benchmark of the service lists.
//   list_bench refresh    the six demo lists refreshed as at network-ready
//       (version probe, download, decipher, parse, cache) into an empty
//       cache, median of 5, against curl fetching the same six list files
//       in the same run; and the user-interface thread's longest stall
//       while a list of about 1 MiB is taken, median of 5.
#include "common/app_folder.h"
#include "search/list_cipher.h"
#include "search/list_keeper.h"
#include "test_site/demo_lists.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CountingKeeper : public CListKeeper {
public:
    int updates = 0;

protected:
    void OnListUpdated(const std::vector<SearchSite>&) override { ++updates; }
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until done, measuring the longest gap between two
// turns of a 1 ms timer: the longest time the thread did something else.
double RunMeasuringStall(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    double longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, (now - last) / 1e6);
        last = now;
    });
    tick.start(1);
    while (!done() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return longest;
}

std::string BigList()
{
    std::string xml = "<root version=\"2\">";
    const std::string script(900, 'x');
    for (int i = 0; xml.size() < 1024 * 1024 * 3 / 4; ++i)
        xml += "<i><n>site" + std::to_string(i) + "</n><s>" + script + "</s><l>link</l><c>utf-8</c></i>";
    return xml + "</root>";
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || std::string(argv[1]) != "refresh") {
        std::fprintf(stderr, "usage: list_bench refresh\n");
        return 2;
    }
    test_site::TestSite site;
    site.Start();
    test_site::DemoSearchSites videoSites;
    videoSites.Start(0, test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 2));
    test_site::PublishDemoLists(site, &videoSites);
    std::vector<std::string> urls;
    for (int number : {8, 7, 2, 6, 4, 5})
        urls.push_back(site.Url("/file/" + std::to_string(number) + "/f.xml"));

    const fs::path folder = fs::temp_directory_path() / ("quelt-list-bench-" + std::to_string(::getpid()));
    std::vector<double> ours, peer;
    for (int round = 0; round < 5; ++round) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        SetAppFolderForTesting(folder.string() + "/");
        std::vector<std::unique_ptr<CountingKeeper>> keepers;
        QElapsedTimer timer;
        timer.start();
        for (const std::string& url : urls) {
            keepers.push_back(std::make_unique<CountingKeeper>());
            keepers.back()->CheckForUpdate(url);
        }
        RunMeasuringStall([&] {
            return std::all_of(keepers.begin(), keepers.end(), [](const auto& k) { return k->updates == 1; });
        });
        ours.push_back(timer.nsecsElapsed() / 1e6);

        QStringList arguments{"-s"};
        for (const std::string& url : urls)
            arguments << "-o" << "/dev/null" << QString::fromStdString(url);
        timer.restart();
        QProcess curl;
        curl.start("curl", arguments);
        curl.waitForFinished(30000);
        peer.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("six demo lists refreshed into an empty cache (probe, download, decipher, parse, cache), median of 5: "
                "%.1f ms; curl fetching the six list files %.1f ms; ratio %.2f\n",
                Median(ours), Median(peer), Median(ours) / Median(peer));

    const std::string big = EncipherListFile(BigList());
    site.AddFile("/big/f.xml", big, "text/plain");
    site.AddFile("/big/f.xml.seupdate", "2", "text/plain");
    std::vector<double> stalls;
    for (int round = 0; round < 5; ++round) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        CountingKeeper keeper;
        keeper.CheckForUpdate(site.Url("/big/f.xml"));
        stalls.push_back(RunMeasuringStall([&] { return keeper.updates == 1; }));
    }
    std::printf("longest stall of the user-interface thread while a %.2f MiB list is taken, median of 5: %.2f ms "
                "(target < 5 ms)\n",
                big.size() / 1048576.0, Median(stalls));
    SetAppFolderForTesting("");
    fs::remove_all(folder);
    return 0;
}
