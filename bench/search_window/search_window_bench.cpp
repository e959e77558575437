// Benchmarks of the search in the main window.
//   search_window_bench first-results   the search box's Enter (real key
//       events) to the first result cards drawn in the new search tab,
//       median of 5, split into: tab open (the view exists), page load (its
//       page's document complete), first site parsed (the first site's
//       results reach the tab) and drawn (the page's DOM holds a card);
//       against a bare QWebEngineView loading the same search page and
//       given the same result XML by runJavaScript, in the same run.
//   search_window_bench tabs-memory     the resident memory of the window
//       with 10 browsing tabs on the demo sites' result pages, against a
//       bare QMainWindow + QTabWidget with 10 QWebEngineViews on the same
//       pages in a child process of its own (bare-tabs).
// Memory is the sum of VmRSS over the process and its descendants (the
// QtWebEngineProcess zygotes, renderers and GPU process).
#include "window/window_bench_kit.h"

#include "common/event_window.h"
#include "common/ids/control_ids.h"
#include "common/ids/message_ids.h"
#include "detection/interception_proxy.h"
#include "platform/desktop_integration.h"
#include "platform/web/player_page_view.h"
#include "search/page_calls.h"
#include "search/result_list.h"
#include "shell/browse/browse_tabs.h"
#include "shell/search_tabs/play_search_view.h"
#include "shell/search_tabs/play_search_view_manager.h"
#include "shell/settings/app_setting.h"
#include "test_site/demo_lists.h"
#include "test_site/demo_search_sites.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <QApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMainWindow>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// The benchmark never opens the settings dialog.
const platform::DesktopIntegration desktop("/nonexistent/quelt");

using bench::Median;
using bench::RunUntil;

constexpr int kRounds = 5;
constexpr int kTabs = 10;
constexpr char kCardCount[] = "String(document.querySelectorAll('#results .card').length)";
// Both windows settle this long after their last page loaded before their
// memory is read.
constexpr int kSettleMs = 3000;

// The command line's flags as they were before the proxy was added: the
// bare child runs without the program's proxy.
QByteArray originalFlags;

// The browser views reach the web through the interception proxy, loopback
// included, as in the program.
void RouteThroughProxy(const CHookInternetAPI& proxy)
{
    originalFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    platform::RouteWebEngineThroughProxy(proxy.Port());
}

// The demo sites and lists on loopback servers, the window's settings
// pointing at them.
struct DemoWorld {
    bool Start(CAppSetting& settings)
    {
        if (!sites.Start(0, test_site::MakeTestVideo(test_site::VideoKind::FlvH264, 2)) || !lists.Start())
            return false;
        test_site::PublishDemoLists(lists, &sites);
        settings.configUrl = "http://127.0.0.1:1/no-update";
        settings.searchUrl = lists.Url("/file/8/f.xml");
        settings.searchSettingInfoUrl = lists.Url("/file/6/f.xml");
        settings.speedInfoUrl = lists.Url("/file/4/f.xml");
        settings.relationUrl = lists.Url("/file/2/f.xml");
        settings.relationDefVideoUrl = lists.Url("/relation/none.xml");
        settings.specialViewUrl = lists.Url("/special/none.xml");
        return true;
    }
    test_site::DemoSearchSites sites;
    test_site::TestSite lists;
};

// The default browsing tabs of the skin go, so that only the benchmark's
// tabs are open.
void CloseBrowseTabs(COvrinDlg& window)
{
    for (int id = control::kFirstBrowseView; id <= control::kLastBrowseView; ++id)
        window.BrowseTabs().CloseTab(id);
}

// The program as both measurements run it: the interception proxy, a
// program folder of its own, the demo world, and the started window at
// 960 × 640 without the skin's default tabs. The members end in reverse:
// the window first, the proxy last.
struct BenchProgram {
    bool Start()
    {
        if (!proxy.Start())
            return false;
        RouteThroughProxy(proxy);
        folder.emplace("quelt-search-window-bench", QUELT_APP_DIR);
        if (!world.Start(settings))
            return false;
        parts = std::make_unique<CProgramParts>(settings);
        window = std::make_unique<COvrinDlg>(settings, desktop, parts->WindowParts());
        if (!bench::StartWindow(*parts, *window, started))
            return false;
        window->resize(960, 640);
        CloseBrowseTabs(*window);
        return true;
    }

    CHookInternetAPI proxy;
    std::optional<bench::ProgramFolder> folder;
    CAppSetting settings;
    DemoWorld world;
    std::unique_ptr<CProgramParts> parts;
    std::unique_ptr<COvrinDlg> window;
    bool started = false;
};

struct Split {
    std::vector<double> opened, loaded, parsed, drawn;
};

// One search from the box; the times of its steps from the Enter, in ms.
bool SearchFromTheBox(COvrinDlg& window, const QString& keyword, Split& split, std::vector<SearchResultItem>& first,
                      std::string& pageUrl, QSize& tabSize)
{
    auto* box = dynamic_cast<QLineEdit*>(window.GetCtrl(control::kSearchBox));
    if (!box)
        return false;
    // Shared with the script answers, which may come while the tab closes.
    struct Round {
        QElapsedTimer clock;
        std::optional<double> opened, loaded, parsed, drawn;
        std::vector<SearchResultItem> drawnItems;
        PlaySearchView* tab = nullptr;
    };
    auto round = std::make_shared<Round>();
    window.SearchDeps().observeSteps = [round](PlaySearchView& view, SearchTabStep step) {
        const double at = round->clock.nsecsElapsed() / 1e6;
        if (step == SearchTabStep::Opened && !round->opened) {
            round->opened = at;
            round->tab = &view;
        }
        if (step == SearchTabStep::PageLoaded && !round->loaded)
            round->loaded = at;
        if (step != SearchTabStep::SiteResults)
            return;
        if (!round->parsed)
            round->parsed = at;
        // Asked right after the page's getMovieData, so the answer comes
        // once that call has drawn; the first that finds a card counts
        // (a site's results may all be of sites the speed list lacks).
        view.View().ExecScript(kCardCount, [round, sent = view.Results()](const std::string& cards) {
            if (!round->drawn && std::atoi(cards.c_str()) > 0) {
                round->drawn = round->clock.nsecsElapsed() / 1e6;
                round->drawnItems = sent;
            }
        });
    };
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClicks(box, keyword);
    round->clock.start();
    QTest::keyClick(box, Qt::Key_Return);
    const bool done = RunUntil([&] { return round->drawn.has_value(); }, 60000, 5);
    window.SearchDeps().observeSteps = nullptr;
    if (round->tab) {
        pageUrl = round->tab->HomeUrl();
        tabSize = round->tab->Widget()->size();
        // The tab and its search go; the next round starts as this one did.
        window.BrowseTabs().CloseTab(round->tab->ViewId());
    }
    if (!done)
        return false;
    split.opened.push_back(*round->opened);
    split.loaded.push_back(*round->loaded);
    split.parsed.push_back(*round->parsed);
    split.drawn.push_back(*round->drawn);
    first = round->drawnItems;
    return true;
}

// The peer: a new bare view of the tab's size loads the same page, is given
// the same call, and is asked for its cards the same way.
bool BareSearchPage(const std::string& pageUrl, const std::string& call, QSize size, std::vector<double>& loaded,
                    std::vector<double>& drawn)
{
    QWebEngineView view;
    view.resize(size);
    view.show();
    bool done = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&] { done = true; });
    QElapsedTimer clock;
    clock.start();
    view.load(QUrl(QString::fromStdString(pageUrl)));
    if (!RunUntil([&] { return done; }, 30000, 5))
        return false;
    loaded.push_back(clock.nsecsElapsed() / 1e6);
    view.page()->runJavaScript(QString::fromStdString(call));
    int cards = 0;
    bool answered = false;
    view.page()->runJavaScript(QString::fromLatin1(kCardCount), [&](const QVariant& value) {
        cards = value.toString().toInt();
        answered = true;
    });
    if (!RunUntil([&] { return answered; }, 30000, 5) || cards == 0)
        return false;
    drawn.push_back(clock.nsecsElapsed() / 1e6);
    return true;
}

int FirstResults()
{
    BenchProgram program;
    if (!program.Start())
        return 1;
    COvrinDlg& window = *program.window;
    // What the network-ready broadcast brings: the lists and, as in a
    // first run, the speeds of the sites of the list it just took. (A
    // second broadcast would add a second set of records that never count
    // as done: a finished test marks the first record of its address.)
    auto* manager = dynamic_cast<PlaySearchViewManager*>(window.GetCtrl(control::kSearchViews));
    if (!manager)
        return 1;
    BroadcastEvent(WM_EVENT_NETWORK_READY, 0);
    if (!RunUntil([&] { return manager->SiteList().size() == 4 && manager->Categories().Categories().size() == 2; }))
        return 1;
    const auto measured = [&] {
        const std::vector<SpeedInfoRecord>* records = manager->SpeedRecords();
        return records && !records->empty()
               && std::all_of(records->begin(), records->end(), [](const SpeedInfoRecord& r) { return r.done; });
    };
    if (!RunUntil(measured))
        return 1;
    Split ours, warmUp;
    std::vector<double> bareLoaded, bareDrawn, bareWarmUp;
    std::vector<SearchResultItem> first;
    std::string pageUrl;
    QSize tabSize;
    // A round not counted first: the browser's processes start, the speed
    // test of the sites ends.
    if (!SearchFromTheBox(window, QStringLiteral("warm"), warmUp, first, pageUrl, tabSize))
        return 1;
    for (int round = 0; round < kRounds; ++round) {
        if (!SearchFromTheBox(window, QStringLiteral("demo%1").arg(round), ours, first, pageUrl, tabSize))
            return 1;
        // The same XML as the tab's first call that drew cards.
        const std::string call = SearchResultCall(BuildResultXml(first, manager->SpeedRecords()));
        if (round == 0 && !BareSearchPage(pageUrl, call, tabSize, bareWarmUp, bareWarmUp))
            return 1;
        if (!BareSearchPage(pageUrl, call, tabSize, bareLoaded, bareDrawn))
            return 1;
    }

    const double drawn = Median(ours.drawn);
    const double peer = Median(bareDrawn);
    std::printf("search box Enter to the first result cards, median of %d, each from the Enter: tab open %.1f ms, "
                "page load %.1f ms, first site parsed %.1f ms, first getMovieData drawn %.1f ms\n",
                kRounds, Median(ours.opened), Median(ours.loaded), Median(ours.parsed), drawn);
    std::printf("bare QWebEngineView, the same page and result XML, median of %d, each from its load(): page load "
                "%.1f ms, cards drawn %.1f ms; ratio (Enter to cards / bare) %.2f, page load ratio %.2f\n",
                kRounds, Median(bareLoaded), peer, drawn / peer, Median(ours.loaded) / Median(bareLoaded));
    return 0;
}

// The ten pages both windows hold: the Demo Tube's result pages.
std::vector<std::string> TabUrls(const test_site::DemoSearchSites& sites)
{
    std::vector<std::string> urls;
    for (int i = 0; i < kTabs; ++i)
        urls.push_back(sites.Sites().front().Host() + "/search?page=" + std::to_string(1 + i % 3) + "&q=tab"
                       + std::to_string(i));
    return urls;
}

// Whether every view's result page has completed, asked in one round.
bool AllComplete(const std::vector<platform::HtmlView*>& views)
{
    int answers = 0;
    int complete = 0;
    for (platform::HtmlView* view : views)
        view->ExecScript("document.readyState + ' ' + document.title", [&](const std::string& state) {
            ++answers;
            complete += state == "complete Demo Tube";
        });
    RunUntil([&] { return answers == static_cast<int>(views.size()); });
    return complete == static_cast<int>(views.size());
}

int TabsMemory()
{
    BenchProgram program;
    if (!program.Start())
        return 1;
    COvrinDlg& window = *program.window;
    const std::vector<std::string> urls = TabUrls(program.world.sites);
    std::vector<platform::HtmlView*> views;
    for (const std::string& url : urls) {
        PlayHtmlViewBase* view = window.BrowseTabs().OpenViewTab(ViewKind::Browser, true);
        if (!view)
            return 1;
        view->Navigate(url);
        views.push_back(&view->View());
    }
    if (!RunUntil([&] { return AllComplete(views); }))
        return 1;
    RunUntil([] { return false; }, kSettleMs);
    int ourProcesses = 0;
    const long ours = bench::ProcessTreeRssKib(::getpid(), &ourProcesses);

    QProcess bare;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QString::fromLocal8Bit(originalFlags));
    bare.setProcessEnvironment(environment);
    QStringList arguments{QStringLiteral("bare-tabs")};
    for (const std::string& url : urls)
        arguments << QString::fromStdString(url);
    bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bare.start(QCoreApplication::applicationFilePath(), arguments);
    // The loop keeps running: the demo sites answer the child's pages.
    if (!RunUntil([&] { return bare.state() == QProcess::NotRunning; }, 120000) || bare.exitCode() != 0)
        return 1;
    long peer = 0;
    int peerProcesses = 0;
    if (std::sscanf(bare.readAllStandardOutput().constData(), "%ld %d", &peer, &peerProcesses) != 2 || peer <= 0)
        return 1;
    std::printf("memory with %d tabs of the same pages (VmRSS summed over the process and its QtWebEngineProcess "
                "descendants): quelt window %ld KiB in %d processes; bare QMainWindow + QTabWidget with %d "
                "QWebEngineViews %ld KiB in %d processes; ratio %.2f\n",
                kTabs, ours, ourProcesses, kTabs, peer, peerProcesses, static_cast<double>(ours) / static_cast<double>(peer));
    return 0;
}

// The child: the bare window on the pages of its command line; prints the
// memory of its own process tree in KiB and the number of its processes.
int BareTabs(const std::vector<std::string>& urls)
{
    QMainWindow window;
    auto* tabs = new QTabWidget(&window);
    window.setCentralWidget(tabs);
    window.resize(960, 640);
    int loaded = 0;
    bool failed = false;
    for (const std::string& url : urls) {
        auto* view = new QWebEngineView;
        tabs->addTab(view, QString::fromStdString(url));
        QObject::connect(view, &QWebEngineView::loadFinished, [&](bool ok) {
            ++loaded;
            failed |= !ok;
        });
        view->load(QUrl(QString::fromStdString(url)));
    }
    window.show();
    if (!RunUntil([&] { return loaded == static_cast<int>(urls.size()); }) || failed)
        return 1;
    RunUntil([] { return false; }, kSettleMs);
    int processes = 0;
    const long rss = bench::ProcessTreeRssKib(::getpid(), &processes);
    std::printf("%ld %d\n", rss, processes);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules("qt.webenginecontext.info=false");
    if (argc >= 2 && std::strcmp(argv[1], "first-results") == 0)
        return FirstResults();
    if (argc >= 2 && std::strcmp(argv[1], "tabs-memory") == 0)
        return TabsMemory();
    if (argc >= 3 && std::strcmp(argv[1], "bare-tabs") == 0)
        return BareTabs(std::vector<std::string>(argv + 2, argv + argc));
    std::fprintf(stderr, "usage: search_window_bench first-results | tabs-memory\n");
    return 2;
}
