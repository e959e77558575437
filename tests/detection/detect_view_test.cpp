// The detection view in QtWebEngine offscreen, its traffic through the
// interception proxy: a page's stream found (state 5, a4, a3), a small
// player judged after the page completed (12), a player whose stream never
// comes given up at the time limit (11). The limits are short here.
#include "detection/detect_manager.h"
#include "detection/detect_view.h"
#include "detection/interception_proxy.h"
#include "platform/web/media_request_header.h"
#include "platform/web/player_page_view.h"
#include "shell/records/info_video.h"
#include "support/event_wait.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include <memory>
#include <vector>

namespace {

using test_support::RunEventsUntil;

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

class DetectViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        proxy = std::make_unique<CHookInternetAPI>();
        ASSERT_TRUE(proxy->Start());
        proxy->MapHost("demo.test", "127.0.0.1");
        // Every view of this process goes through the proxy; loopback stays direct.
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                QByteArray("--proxy-server=http://127.0.0.1:") + QByteArray::number(proxy->Port()));
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
        site->AddFile("/big.html", "<html><head><title>Big</title></head><body>"
                                   "<video width='400' height='300'></video></body></html>",
                      "text/html");
    }
    static void TearDownTestSuite()
    {
        site.reset();
        proxy.reset();
    }
    std::string PageUrl(const std::string& path) const
    {
        return "http://demo.test:" + std::to_string(site->Port()) + path;
    }
    void Detect(const std::string& path)
    {
        host.video.a2 = PageUrl(path);
        CDetectView::Limits limits;
        limits.totalMs = 3000;
        limits.playerTestMs = 300;
        limits.tickMs = 100;
        view = std::make_unique<CDetectView>(host, "Quelt-Agent", limits);
        view->Start(host.video.a2);
    }

    inline static std::unique_ptr<CHookInternetAPI> proxy;
    inline static std::unique_ptr<test_site::TestSite> site;
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

TEST_F(DetectViewTest, TheManagerHearsOfTheStreamAndASecondDetectionEndsTheFirst)
{
    InfoVideo first, second;
    first.a2 = PageUrl("/big.html");
    second.a2 = PageUrl("/watch.html");
    std::vector<std::string> known;
    std::vector<std::string> states;
    CDetectView::Limits limits;
    limits.tickMs = 100;
    CDetectManager manager(
        CDetectManager::Hooks{[&](const std::string& key) -> InfoVideo* {
                                  return key == first.a2 ? &first : key == second.a2 ? &second : nullptr;
                              },
                              [&](int code, InfoVideo& video) {
                                  video.state = code;
                                  states.push_back(video.a2 + " " + std::to_string(code));
                              },
                              [&](const std::string& key) { known.push_back(key); }},
        "Quelt-Agent", limits);
    manager.StartDetection(first);
    EXPECT_EQ(manager.DetectingKey(), first.a2);
    manager.StartDetection(second);
    ASSERT_TRUE(RunEventsUntil([&] { return manager.IsDetectionIdle(); }, std::chrono::seconds(30)));
    EXPECT_EQ(known, (std::vector<std::string>{second.a2}));
    EXPECT_EQ(states, (std::vector<std::string>{second.a2 + " 5"})) << "the first ended without a result";
    EXPECT_EQ(second.a4, PageUrl("/clip.flv"));
}

TEST(DetectViewSignature, FlvNeedsAByteAfterItsHeaderAndMp4ItsBrands)
{
    const std::string flv("FLV\x01\x05\0\0\0\x09", 9);
    EXPECT_FALSE(CDetectView::IsStreamStart(flv.data(), flv.size()));
    EXPECT_TRUE(CDetectView::IsStreamStart((flv + "x").data(), 10));
    EXPECT_FALSE(CDetectView::IsStreamStart(flv.data(), 8));
    for (const std::string brand : {"isom", "mp42", "mp41", "avc1", "iso6", "dash"}) {
        const std::string mp4 = std::string("\0\0\0\x20" "ftyp", 8) + brand + std::string("\0\0\0\0", 4);
        EXPECT_TRUE(CDetectView::IsStreamStart(mp4.data(), mp4.size())) << brand;
    }
    const std::string other = std::string("\0\0\0\x20" "ftypqt  ", 12) + "x";
    EXPECT_FALSE(CDetectView::IsStreamStart(other.data(), other.size()));
}

}  // namespace
