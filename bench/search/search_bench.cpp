// Benchmark of the multi-site search.
//   search_bench run   a search over the three demo sites whose pages
//       complete (Demo GBK, Demo Clips, Demo Tube), from Search to
//       OnSearchFinished, median of 5, split per site into page load,
//       parse (support and parse script, read back, walk) and the wait for
//       the next tick; against a bare QtWebEngine page loading the same
//       result pages in the same run.
#include "common/app_folder.h"
#include "platform/web/player_page_view.h"
#include "search/list_keeper.h"
#include "search/multi_search.h"
#include "search/views/parse_html_view.h"
#include "test_site/demo_lists.h"
#include "test_site/demo_search_sites.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QWebEnginePage>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

class Finished : public I_QueltMultiSearchEvent {
public:
    bool finished = false;
    void OnSearchFinished() override { finished = true; }
};

}  // namespace

int main(int argc, char** argv)
{
    platform::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules("qt.webenginecontext.info=false");
    const fs::path folder = fs::temp_directory_path() / ("quelt-search-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    SetAppFolderForTesting(folder.string() + "/");

    test_site::DemoSearchSites sites;
    if (!sites.Start(0, test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 2)))
        return 1;
    test_site::TestSite lists;
    lists.Start();
    test_site::PublishDemoLists(lists, &sites);
    const std::string listUrl = lists.Url("/file/8/f.xml");
    {
        CListKeeper keeper;
        keeper.CheckForUpdate(listUrl);
        RunUntil([&] { return keeper.List().size() == 4 && keeper.GetDownloadCount() == 0; });
    }

    // Per site: the time of each phase of the current round.
    std::map<std::string, std::map<std::string, qint64>> marks;
    std::map<std::string, std::vector<double>> load, parse, handOver;
    std::vector<double> whole;
    QElapsedTimer clock;
    clock.start();
    std::string lastParsed;
    CQueltMultiSearch search(CQueltParseHtmlView::Factory({}, [&](const char* phase, const SearchSite& site) {
        marks[site.name][phase] = clock.nsecsElapsed();
        if (std::string(phase) == "load" && !lastParsed.empty())
            handOver[lastParsed].push_back((clock.nsecsElapsed() - marks[lastParsed]["parsed"]) / 1e6);
        if (std::string(phase) == "parsed")
            lastParsed = site.name;
    }));
    Finished finished;
    // The search's list holds all four sites; Demo Slow would only time out.
    struct Narrow : I_QueltMultiSearchEvent {
        void OnSearchStart(std::vector<SearchRequest>& requests) override
        {
            std::erase_if(requests, [](const SearchRequest& r) { return r.site.name == "Demo Slow"; });
        }
    } narrow;
    search.Advise(&narrow);
    search.Advise(&finished);
    search.Initialize(listUrl);
    std::vector<SearchSite> completing;
    for (const SearchSite& site : search.Sites())
        if (site.name != "Demo Slow")
            completing.push_back(site);

    for (int round = 0; round < 5; ++round) {
        marks.clear();
        lastParsed.clear();
        finished.finished = false;
        const qint64 start = clock.nsecsElapsed();
        search.Search("bench", 1);
        if (!RunUntil([&] { return finished.finished; }))
            return 1;
        whole.push_back((clock.nsecsElapsed() - start) / 1e6);
        for (auto& [name, phase] : marks) {
            load[name].push_back((phase["complete"] - phase["load"]) / 1e6);
            parse[name].push_back((phase["parsed"] - phase["parse"]) / 1e6);
        }
    }

    // The peer: a bare page loading each result page.
    QWebEnginePage bare;
    std::map<std::string, std::vector<double>> bareLoad;
    for (int round = 0; round < 5; ++round) {
        for (const SearchSite& site : completing) {
            const std::string url = site.linkScript.substr(7, site.linkScript.find("?") - 7) + "?page=1&q=bench";
            bool loaded = false;
            const auto connection = QObject::connect(&bare, &QWebEnginePage::loadFinished, [&] { loaded = true; });
            QElapsedTimer timer;
            timer.start();
            bare.load(QUrl(QString::fromStdString(url)));
            RunUntil([&] { return loaded; });
            bareLoad[site.name].push_back(timer.nsecsElapsed() / 1e6);
            QObject::disconnect(connection);
        }
    }

    std::printf("search over three demo sites, Search to OnSearchFinished, median of 5: %.0f ms (a 1 s tick)\n",
                Median(whole));
    for (const SearchSite& site : completing) {
        const double ours = Median(load[site.name]) + Median(parse[site.name]);
        const double peer = Median(bareLoad[site.name]);
        const std::string wait = handOver[site.name].empty()
                                     ? std::string("- (the last site)")
                                     : std::to_string(static_cast<int>(Median(handOver[site.name]))) + " ms";
        std::printf("  %-10s page load %.1f ms, parse %.1f ms, wait for the next tick %s; bare page load %.1f ms; "
                    "(load + parse) / bare %.2f (target <= 1.30)\n",
                    site.name.c_str(), Median(load[site.name]), Median(parse[site.name]), wait.c_str(), peer,
                    peer > 0 ? ours / peer : 0.0);
    }
    SetAppFolderForTesting("");
    fs::remove_all(folder);
    return 0;
}
