// The detection view in QtWebEngine offscreen, its traffic through the
// interception proxy: a page's stream found (state 5, a4, a3), a small
// player judged after the page completed (12), a player whose stream never
// comes given up at the time limit (11). The limits are short here.
#include "common/base64.h"
#include "detection/detect_manager.h"
#include "detection/detect_view.h"
#include "detection/interception_proxy.h"
#include "platform/web/media_request_header.h"
#include "platform/web/player_page_view.h"
#include "records/info_video.h"
#include "support/event_wait.h"
#include "test_site/detection_service.h"
#include "test_site/test_site.h"
#include "test_site/tls_site.h"
#include "platform/http_client.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <tuple>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using test_support::RunEventsUntil;

const std::string kFlvBytes = std::string("FLV\x01\x05\0\0\0\x09", 9) + test_site::PatternBytes(9, 200000);

// Holds the answers of a test-site path back until it is opened (or a
// minute has passed, so a failed test never leaves the site stuck).
class Gate {
public:
    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    void Wait()
    {
        std::unique_lock lock(mutex_);
        opened_.wait_for(lock, std::chrono::minutes(1), [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// Serves the FLV at path only once the gate opens; the gate opens at the
// latest when the returned holder goes.
std::shared_ptr<Gate> HoldBack(test_site::TestSite& site, const std::string& path)
{
    auto gate = std::make_shared<Gate>();
    site.SetHandler(path, [gate](const test_site::RecordedRequest&) {
        gate->Wait();
        return kFlvBytes;
    }, "video/x-flv");
    return std::shared_ptr<Gate>(gate.get(), [gate](Gate*) { gate->Open(); });
}

class RecordingHost : public IDetectViewHost {
public:
    RecordingHost() { manager.Create(); }
    InfoVideo* FindVideo(const std::string& key) override { return key == video.a2 ? &video : nullptr; }
    void SetVideoState(int code, InfoVideo& record) override
    {
        states.push_back(code);
        record.state = code;
    }
    void SendDetectionReport(const std::string& key, const std::string& url, const std::string& referer) override
    {
        reports.push_back(key + "|" + url + "|" + referer);
    }
    HWND ManagerWindow() const override { return manager.GetSafeHwnd(); }

    InfoVideo video;
    std::vector<int> states;
    std::vector<std::string> reports;
    CWnd manager;
};

// The proxy and the site serve every test of the binary: the browser is
// told the proxy's address once, when its engine starts.
class SharedSite : public ::testing::Environment {
public:
    void SetUp() override
    {
        proxy = std::make_unique<CHookInternetAPI>();
        ASSERT_TRUE(proxy->Start());
        proxy->MapHost("demo.test", "127.0.0.1");
        // Every view of this process goes through the proxy, loopback
        // included, as in the program.
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", QByteArray("--proxy-server=http://127.0.0.1:")
                                                  + QByteArray::number(proxy->Port())
                                                  + " --proxy-bypass-list=<-loopback>");
        platform::PrepareWebEngineEnvironment();
        platform::InstallMediaRequestHeader();
        site = std::make_unique<test_site::TestSite>();
        ASSERT_TRUE(site->Start());
        site->AddFile("/clip.flv", std::string("FLV\x01\x05\0\0\0\x09", 9) + test_site::PatternBytes(9, 200000), "video/x-flv");
        site->AddFile("/watch.html", "<html><head><title>Demo watch</title></head><body>"
                                     "<video src='/clip.flv' preload='auto' width='480' height='360'></video></body></html>",
                      "text/html");
        site->AddFile("/small.html", "<html><head><title>Small</title></head><body>"
                                     "<video width='320' height='240'></video></body></html>",
                      "text/html");
        tls = std::make_unique<test_site::TlsSite>();
        ASSERT_TRUE(tls->Start());
        platform::HttpClient::TrustOnlyCertificatesIn(tls->CertificateFile());
        tls->AddFile("/clip.mp4", std::string("\0\0\0\x20" "ftypisom", 12) + test_site::PatternBytes(12, 100000),
                     "video/mp4");
        tls->AddFile("/live.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\nseg1.ts\n",
                     "application/vnd.apple.mpegurl");
        site->AddFile("/https.html", "<html><head><title>Secure</title></head><body><video src='" + tls->Url("/clip.mp4")
                                         + "' preload='auto' width='480' height='360'></video></body></html>",
                      "text/html");
        site->AddFile("/hls.html", "<html><head><title>Live</title></head><body><video src='" + tls->Url("/live.m3u8")
                                       + "' preload='auto' width='480' height='360'></video></body></html>",
                      "text/html");
        site->AddFile("/big.html", "<html><head><title>Big</title></head><body>"
                                   "<video width='400' height='300'></video></body></html>",
                      "text/html");
    }
    void TearDown() override
    {
        site.reset();
        tls.reset();
        proxy.reset();
    }

    inline static std::unique_ptr<CHookInternetAPI> proxy;
    inline static std::unique_ptr<test_site::TlsSite> tls;
    inline static std::unique_ptr<test_site::TestSite> site;
};
::testing::Environment* const kSharedSite = ::testing::AddGlobalTestEnvironment(new SharedSite);

class DetectViewTest : public ::testing::Test {
protected:
    std::string PageUrl(const std::string& path) const
    {
        return "http://demo.test:" + std::to_string(site->Port()) + path;
    }
    void Detect(const std::string& path, const std::string& agent = "Quelt-Agent")
    {
        host.video.a2 = PageUrl(path);
        CDetectView::Limits limits;
        limits.totalMs = 3000;
        limits.playerTestMs = 300;
        limits.tickMs = 100;
        view = std::make_unique<CDetectView>(host, agent, limits);
        view->Start(host.video.a2);
    }

    test_site::TestSite* const site = SharedSite::site.get();
    RecordingHost host;
    std::unique_ptr<CDetectView> view;
};

TEST_F(DetectViewTest, APagesStreamIsFoundThroughTheProxy)
{
    Detect("/watch.html");
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{5}));
    EXPECT_EQ(host.video.a4, PageUrl("/clip.flv"));
    EXPECT_EQ(host.video.a3, PageUrl("/watch.html")) << "the player's Referer";
    EXPECT_EQ(host.video.a1, "Demo watch");
    EXPECT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(DetectTargetWindow.load(), 0u);
}

// The proxy sees HTTPS only as a tunnel: the stream is confirmed by
// fetching its first bytes again, trusting the test's own certificate.
TEST_F(DetectViewTest, AStreamOverHttpsIsConfirmedByItsFirstBytes)
{
    Detect("/https.html");
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{5}));
    EXPECT_EQ(host.video.a4, SharedSite::tls->Url("/clip.mp4"));
    EXPECT_EQ(host.video.a3, PageUrl("/https.html"));
    EXPECT_EQ(host.video.a1, "Secure");
    EXPECT_EQ(host.reports.size(), 1u);
}

// A browsing view on the default profile plays another page's video (an MSE
// player's fetch, marked as a player's request) while the detected page's
// stream is still held back: only the detected page's own stream is taken.
TEST_F(DetectViewTest, AnotherViewsVideoIsNeverTakenForTheDetectedPages)
{
    const auto held = HoldBack(*site, "/held.flv");
    site->AddFile("/held.html", "<html><head><title>Held</title></head><body>"
                                "<video src='/held.flv' preload='auto' width='480' height='360'></video></body></html>",
                  "text/html");
    site->AddFile("/other.flv", kFlvBytes, "video/x-flv");
    site->AddFile("/other.html", "<html><head><title>Other</title></head><body><video width='480' height='360'></video>"
                                 "<script>fetch('/other.flv').then(function (r) { return r.arrayBuffer(); })"
                                 ".then(function () { document.title = 'played'; });</script></body></html>",
                  "text/html");
    Detect("/held.html");
    ASSERT_TRUE(RunEventsUntil([&] { return !site->RequestsFor("/held.flv").empty(); }, std::chrono::seconds(30)));

    platform::HtmlView other(nullptr, false);
    std::string otherTitle;
    platform::HtmlView::Events events;
    events.titleChanged = [&](const std::string& title) { otherTitle = title; };
    other.SetEvents(events);
    other.SetOptions({});
    other.Navigate(PageUrl("/other.html"));
    ASSERT_TRUE(RunEventsUntil([&] { return otherTitle == "played" || view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_FALSE(view->IsFinished()) << "taken: " << host.video.a4;

    held->Open();
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{5}));
    EXPECT_EQ(host.video.a4, PageUrl("/held.flv"));
    EXPECT_EQ(host.reports, (std::vector<std::string>{host.video.a2 + "|" + PageUrl("/held.flv") + "|" + host.video.a2}));
}

// Answers that start like an FLV but are not the page's player's stream are
// passed over, and the player then waits for its stream to the limit: the
// local play server's traffic, the program's own downloads (here the agent
// is the browser's own) and a request that is no player's (a SCRIPT element).
TEST_F(DetectViewTest, TrafficOtherThanThePagesPlayerIsPassedOver)
{
    site->AddFile("/raw.flv", kFlvBytes, "video/x-flv");
    site->AddFile("/loopback.html", "<html><body><video src='" + site->Url("/raw.flv")
                                        + "' preload='auto' width='480' height='360'></video></body></html>",
                  "text/html");
    site->AddFile("/script.html", "<html><body><video width='480' height='360'></video>"
                                  "<script src='/raw.flv?script'></script></body></html>",
                  "text/html");
    const std::string browserAgent = platform::HtmlView(nullptr, false).UserAgent();
    ASSERT_NE(site->Url("/").find("//127.0.0.1"), std::string::npos);
    for (const auto& [path, agent, stream] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"/loopback.html", "Quelt-Agent", "/raw.flv"},
             {"/watch.html", browserAgent, "/clip.flv"},
             {"/script.html", "Quelt-Agent", "/raw.flv?script"}}) {
        host.states.clear();
        Detect(path, agent);
        ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30))) << path;
        EXPECT_FALSE(site->RequestsFor(stream).empty()) << path << ": the answer was fetched";
        EXPECT_EQ(host.states, (std::vector<int>{11})) << path;
        EXPECT_EQ(host.video.a4, "") << path;
        view.reset();
    }
}

// Flash players count like VIDEO elements: an OBJECT by its class id, an
// EMBED by its type, in any case; of players of equal area the first
// counts, and other OBJECTs do not.
TEST_F(DetectViewTest, FlashPlayersAreKnownByClassIdOrTypeInAnyCase)
{
    const auto object = [](const std::string& classId, int width, int height) {
        return "<object classid='" + classId + "' style='display:block;width:" + std::to_string(width)
               + "px;height:" + std::to_string(height) + "px'></object>";
    };
    const std::string flash = "clsid:D27CDB6E-AE6D-11CF-96B8-444553540000";
    site->AddFile("/upper.html", "<html><body>" + object(flash, 480, 360) + "</body></html>", "text/html");
    site->AddFile("/embed.html", "<html><body><embed type='Application/X-Shockwave-Flash' "
                                 "style='display:block;width:480px;height:360px'></body></html>", "text/html");
    site->AddFile("/other.object.html", "<html><body>" + object("clsid:12345678-0000-0000-0000-000000000000", 480, 360)
                                            + "</body></html>", "text/html");
    site->AddFile("/tie.low.html", "<html><body>" + object(flash, 600, 200) + object(flash, 400, 300) + "</body></html>",
                  "text/html");
    site->AddFile("/tie.high.html", "<html><body>" + object(flash, 400, 300) + object(flash, 600, 200) + "</body></html>",
                  "text/html");
    for (const auto& [path, state] : std::vector<std::pair<std::string, int>>{
             {"/upper.html", 11}, {"/embed.html", 11}, {"/other.object.html", 12}, {"/tie.low.html", 12},
             {"/tie.high.html", 11}}) {
        host.states.clear();
        Detect(path);
        ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30))) << path;
        EXPECT_EQ(host.states, (std::vector<int>{state})) << path;
        view.reset();
    }
}

// The hidden view neither fetches images nor plays sound, and a record that
// has a title keeps it.
TEST_F(DetectViewTest, TheHiddenViewFetchesNoImagesIsMutedAndKeepsTheRecordsTitle)
{
    site->AddFile("/picture.png", "not really a picture", "image/png");
    site->AddFile("/pictures.html", "<html><body><img src='/picture.png' width='10' height='10'></body></html>",
                  "text/html");
    Detect("/pictures.html");
    EXPECT_TRUE(view->IsAudioMuted());
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{12})) << "the page completed";
    EXPECT_TRUE(site->RequestsFor("/picture.png").empty());

    host.states.clear();
    host.video.a1 = "Named by the user";
    Detect("/watch.html");
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{5}));
    EXPECT_EQ(host.video.a1, "Named by the user") << "not the page's title";
}

TEST_F(DetectViewTest, AnHlsManifestEndsTheDetectionWithItsOwnState)
{
    Detect("/hls.html");
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{VIDEO_STATE_MANIFEST}));
    EXPECT_EQ(host.video.a4, SharedSite::tls->Url("/live.m3u8"));
    EXPECT_TRUE(host.reports.empty()) << "a manifest is not reported as a stream";
}

// Pages that misbehave end by the usual rules, and a page that asks for a
// hundred HTTPS resources costs at most 32 probes.
TEST_F(DetectViewTest, PagesThatMisbehaveEndByTheRules)
{
    const std::string player = "<video width='480' height='360'></video>";
    site->AddFile("/popups.html", "<html><body><script>for (var i = 0; i < 200; ++i) window.open('/small.html?' + i);"
                                  "</script></body></html>", "text/html");
    site->AddFile("/loop.html", "<html><body>" + player + "<script>location.replace('/loop.html?' + Math.random());"
                                "</script></body></html>", "text/html");
    site->AddPatternFile("/blob.bin", 300000);
    site->AddFile("/hundred.html", "<html><body>" + player + "<script>for (var i = 0; i < 100; ++i) fetch('"
                                       + SharedSite::tls->Url("/none") + "' + i).catch(function () {});</script>"
                                       "</body></html>", "text/html");
    const int probesBefore = SharedSite::tls->Requests();
    // (Chromium never completes a page that opened 200 pop-ups, however
    // they are refused: that one ends at the time limit or, when it does
    // complete, as a page without a player.)
    for (const auto& [path, states] : std::vector<std::pair<std::string, std::vector<int>>>{
             {"/popups.html", {11, 12}}, {"/loop.html", {11}}, {"/blob.bin", {11}}, {"/hundred.html", {11}}}) {
        host.states.clear();
        Detect(path);
        ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30))) << path;
        ASSERT_EQ(host.states.size(), 1u) << path;
        EXPECT_NE(std::find(states.begin(), states.end(), host.states[0]), states.end()) << path;
        EXPECT_EQ(host.video.a4, "") << path;
        EXPECT_EQ(DetectTargetWindow.load(), 0u);
        if (path == "/popups.html") {
            EXPECT_GT(view->RefusedWindows(), 0) << "the page's pop-ups were asked for and refused";
            for (const auto& request : site->Requests())
                EXPECT_NE(request.target.rfind("/small.html?", 0), 0u) << "a pop-up opened: " << request.target;
        }
        view.reset();
    }
    EXPECT_GT(SharedSite::tls->Requests() - probesBefore, 0);
    EXPECT_LE(SharedSite::tls->Requests() - probesBefore, CHttpsStreamProbe::kMaxPerPage);
}

TEST_F(DetectViewTest, APageWhoseServerCannotBeReachedIsAConnectionError)
{
    for (const std::string page : {"http://nowhere.invalid/watch", "https://nowhere.invalid/watch"}) {
        host.states.clear();
        host.video.a2 = page;
        view = std::make_unique<CDetectView>(host, "Quelt-Agent", CDetectView::Limits{3000, 300, 100});
        view->Start(page);
        ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30))) << page;
        EXPECT_EQ(host.states, (std::vector<int>{13})) << page;
        view.reset();
    }
}

TEST_F(DetectViewTest, ASmallPlayerIsJudgedAfterThePageCompleted)
{
    Detect("/small.html");
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{12}));
    EXPECT_EQ(host.video.a4, "");
}

TEST_F(DetectViewTest, APlayerWhoseStreamNeverComesIsGivenUpAtTheLimit)
{
    Detect("/big.html");
    ASSERT_TRUE(RunEventsUntil([&] { return view->IsFinished(); }, std::chrono::seconds(30)));
    EXPECT_EQ(host.states, (std::vector<int>{11}));
}

// The manager with its services on the test site and its views in the
// browser: what the service cannot answer is found locally.
class DetectManagerTest : public DetectViewTest {
protected:
    void SetUp() override
    {
        service.Install(*site);
        CDetectManager::Hooks hooks;
        hooks.setVideoState = [this](int code, InfoVideo& video) {
            video.state = code;
            states.push_back(video.a2 + " " + std::to_string(code));
        };
        hooks.playingKey = [this] { return playing; };
        hooks.play = [this](const std::string& key) { played.push_back(key); };
        CDetectManager::Limits limits;
        limits.view.tickMs = 100;
        limits.lookupTimeoutMs = 400;
        limits.lookupTickMs = 100;
        manager = std::make_unique<CDetectManager>(
            playList,
            CDetectManager::Services{site->Url("/c.quelt?"), site->Url("/flash_process_url.php?url=")}, hooks,
            "Quelt-Agent", limits);
    }
    void TearDown() override
    {
        manager.reset();
        site->SetBehaviour("/c.quelt", {});
    }
    InfoVideo& AddPage(const std::string& path, int lookupDone)
    {
        auto* video = new InfoVideo;
        video->a2 = PageUrl(path);
        video->lookupDone = lookupDone;
        playList.PCL_PushObject(video);
        return *video;
    }

    test_site::DetectionService service;
    PCL_Interface_Composite<InfoVideo> playList;
    std::unique_ptr<CDetectManager> manager;
    std::vector<std::string> states;
    std::vector<std::string> played;
    std::string playing;
};

TEST_F(DetectManagerTest, ATypedPageIsFoundLocallyReportedAndPlayed)
{
    InfoVideo& video = AddPage("/watch.html", 1);
    playing = video.a2;
    ASSERT_NE(manager->StartDetection(video), nullptr);
    EXPECT_TRUE(manager->IsDetectingCurrent());
    ASSERT_TRUE(RunEventsUntil([&] { return !played.empty(); }, std::chrono::seconds(30)));
    EXPECT_EQ(states, (std::vector<std::string>{video.a2 + " 5"}));
    EXPECT_TRUE(manager->IsDetectionIdle());
    EXPECT_TRUE(service.Lookups().empty()) << "a typed page is never looked up";
    ASSERT_TRUE(RunEventsUntil([&] { return service.Reports().size() == 1; }));
    const auto report = service.Reports().front();
    EXPECT_TRUE(report.signatureValid);
    EXPECT_EQ(report.streamUrl, PageUrl("/clip.flv"));
    EXPECT_EQ(report.referer, video.a2);
    ASSERT_TRUE(RunEventsUntil([&] { return service.SegmentQueries().size() == 1; }));
}

TEST_F(DetectManagerTest, ALookupTooSlowOrOfAnotherShapeFallsBackToTheBrowser)
{
    InfoVideo& slow = AddPage("/watch.html", 0);
    service.KnowStream(slow.a2, "http://c/never.flv", slow.a2);
    test_site::Behaviour late;
    late.trickleBytes = 1;
    late.trickleDelayMs = 2000;
    site->SetBehaviour("/c.quelt", late);
    EXPECT_EQ(manager->StartDetection(slow), nullptr);
    ASSERT_TRUE(RunEventsUntil([&] { return manager->DetectingKey() == slow.a2; }));
    ASSERT_TRUE(RunEventsUntil([&] { return manager->IsDetectionIdle(); }, std::chrono::seconds(30)));
    EXPECT_EQ(states, (std::vector<std::string>{slow.a2 + " 5"})) << "the late answer is not heard";
    EXPECT_EQ(slow.a4, PageUrl("/clip.flv"));

    site->SetBehaviour("/c.quelt", {});
    InfoVideo& odd = AddPage("/big.html", 0);
    service.SetLookupBody(odd.a2, "<\r" + Base64Encode("http://c/v.flv\r" + odd.a2 + "\rextra") + "\r>");
    manager->StartDetection(odd);
    ASSERT_TRUE(RunEventsUntil([&] { return manager->DetectingKey() == odd.a2; }));
    EXPECT_EQ(odd.a4, "");
    manager->CancelDetection(odd.a2);
    EXPECT_TRUE(manager->IsDetectionIdle());
}

TEST_F(DetectManagerTest, CancellingAPageStopsItsRunningLookup)
{
    InfoVideo& video = AddPage("/watch.html", 0);
    test_site::Behaviour late;
    late.trickleBytes = 1;
    late.trickleDelayMs = 2000;
    site->SetBehaviour("/c.quelt", late);
    EXPECT_EQ(manager->StartDetection(video), nullptr);
    EXPECT_FALSE(manager->IsDetectionIdle()) << "the lookup runs";
    manager->CancelDetection(video.a2);
    EXPECT_TRUE(manager->IsDetectionIdle());
    // Past the lookup's time limit nothing falls back to the browser.
    EXPECT_FALSE(RunEventsUntil([&] { return !manager->DetectingKey().empty() || !states.empty(); },
                                std::chrono::milliseconds(1500)));
}

// The first page would yield a stream: its player asks for it, and the
// site holds the answer back until the second detection has begun.
TEST_F(DetectManagerTest, ASecondLocalDetectionEndsTheFirstWithoutAResult)
{
    const auto held = HoldBack(*site, "/first.flv");
    site->AddFile("/first.html", "<html><head><title>First</title></head><body>"
                                 "<video src='/first.flv' preload='auto' width='480' height='360'></video></body></html>",
                  "text/html");
    InfoVideo& first = AddPage("/first.html", 1);
    InfoVideo& second = AddPage("/watch.html", 1);
    manager->StartDetection(first);
    EXPECT_EQ(manager->DetectingKey(), first.a2);
    ASSERT_TRUE(RunEventsUntil([&] { return !site->RequestsFor("/first.flv").empty(); }, std::chrono::seconds(30)));
    manager->StartDetection(second);
    held->Open();
    ASSERT_TRUE(RunEventsUntil([&] { return manager->IsDetectionIdle(); }, std::chrono::seconds(30)));
    EXPECT_EQ(states, (std::vector<std::string>{second.a2 + " 5"})) << "the first ended without a result";
    EXPECT_EQ(first.a4, "");
    EXPECT_EQ(second.a4, PageUrl("/clip.flv"));
    EXPECT_TRUE(played.empty()) << "nothing was waiting for it";
}

}  // namespace
