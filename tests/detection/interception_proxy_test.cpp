// The interception proxy with real sockets: requests relayed byte for byte,
// the three reports in order and only while a detection runs, CONNECT
// tunnels, refused requests, and no connection left behind.
#include "common/stream_start.h"
#include "detection/interception_proxy.h"
#include "platform/window.h"
#include "scripted_server.h"
#include "support/event_wait.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using test_support::RunEventsUntil;

// Stands in for the detection view: copies what each report points to.
class RecordingTarget : public CWnd {
public:
    RecordingTarget() { Create(); }
    std::vector<std::string> events;
    std::vector<StreamStart> kinds;  // of each body start reported
    std::function<void(UINT)> onReport;  // runs first, on this window's thread

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (onReport && msg >= WM_HOOK_CONNECT && msg <= WM_HOOK_READFILE)
            onReport(msg);
        if (msg == WM_HOOK_CONNECT) {
            const auto* info = reinterpret_cast<const HookConnectInfo*>(wParam);
            events.push_back("connect " + *info->serverName);
        } else if (msg == WM_HOOK_OPENREQUEST) {
            const auto* info = reinterpret_cast<const HookOpenRequestInfo*>(wParam);
            events.push_back("get " + *info->objectName + " ua=" + info->headers->Header("user-agent")
                             + " referer=" + info->headers->Header("Referer"));
        } else if (msg == WM_HOOK_READFILE) {
            const auto* info = reinterpret_cast<const HookReadInfo*>(wParam);
            events.push_back("read " + std::string(info->buffer, std::min<std::size_t>(*info->bytesRead, 8)));
            kinds.push_back(ClassifyStreamStart(info->buffer, *info->bytesRead));
        } else {
            return CWnd::WindowProc(msg, wParam, lParam);
        }
        return 0;
    }
};

class ProxyTest : public ::testing::Test {
protected:
    ProxyTest()
    {
        site.Start();
        site.AddFile("/clip.flv", std::string("FLV\x01\x05\0\0\0\x09", 9) + test_site::PatternBytes(9, 300000));
        proxy.Start();
        proxy.MapHost("video.test", "127.0.0.1");
    }
    ~ProxyTest() override { DetectTargetWindow = 0; }
    // Sends the text through the proxy on a thread of its own and reads
    // the answer to its end, while this thread runs the event loop.
    std::string Exchange(const std::vector<std::string>& parts) { return ExchangeWith(proxy.Port(), parts); }
    std::string ExchangeWith(int port, const std::vector<std::string>& parts)
    {
        std::string answer;
        std::atomic<bool> done{false};
        std::thread client([&] {
            const int fd = test_site::ConnectToLoopback(port);
            for (const std::string& part : parts) {
                ::send(fd, part.data(), part.size(), MSG_NOSIGNAL);
                // (a CONNECT's answer comes before the tunnel's traffic)
                if (part.starts_with("CONNECT")) {
                    char buffer[256];
                    const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
                    answer.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
                }
            }
            char buffer[65536];
            for (ssize_t count; (count = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
                answer.append(buffer, static_cast<std::size_t>(count));
            ::close(fd);
            done = true;
        });
        EXPECT_TRUE(RunEventsUntil([&] { return done.load(); }));
        client.join();
        return answer;
    }
    std::string Url(const std::string& path) const { return "http://video.test:" + std::to_string(site.Port()) + path; }
    std::string Body(const std::string& answer) const { return answer.substr(answer.find("\r\n\r\n") + 4); }

    test_site::TestSite site;
    CHookInternetAPI proxy;
    RecordingTarget target;
};

TEST_F(ProxyTest, AGetIsRelayedByteForByteAndReportedInOrder)
{
    DetectTargetWindow = target.GetSafeHwnd();
    const std::string answer = Exchange({"GET " + Url("/clip.flv") + " HTTP/1.1\r\nHost: video.test\r\n"
                                         "User-Agent: QueltTest\r\nReferer: http://page.test/\r\nProxy-Connection: keep-alive\r\n\r\n"});
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(Body(answer) == std::string("FLV\x01\x05\0\0\0\x09", 9) + test_site::PatternBytes(9, 300000));
    ASSERT_EQ(target.events.size(), 3u);
    EXPECT_EQ(target.events[0], "connect video.test");
    EXPECT_EQ(target.events[1], "get /clip.flv ua=QueltTest referer=http://page.test/");
    EXPECT_EQ(target.events[2], "read " + std::string("FLV\x01\x05\0\0\0", 8)) << "the body's first block, not the head";
    const auto seen = site.RequestsFor("/clip.flv");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Value("Connection"), "close");
    EXPECT_EQ(seen[0].Value("Proxy-Connection"), "");
}

TEST_F(ProxyTest, NothingIsReportedWithoutADetectionAndOnlyGetOpensARequest)
{
    DetectTargetWindow = 0;
    Exchange({"GET " + Url("/clip.flv") + " HTTP/1.1\r\nHost: video.test\r\n\r\n"});
    EXPECT_TRUE(target.events.empty());

    DetectTargetWindow = target.GetSafeHwnd();
    site.AddFile("/form", "thanks");
    const std::string answer = Exchange({"POST " + Url("/form") + " HTTP/1.1\r\nHost: video.test\r\nContent-Length: 5\r\n\r\n",
                                         "hello"});
    EXPECT_EQ(Body(answer), "thanks");
    EXPECT_EQ(target.events, (std::vector<std::string>{"connect video.test", "read thanks"}));
    Exchange({"HEAD " + Url("/clip.flv") + " HTTP/1.1\r\nHost: video.test\r\n\r\n"});
    EXPECT_EQ(target.events.size(), 3u) << "HEAD: a connection, no request, no body";
}

TEST_F(ProxyTest, AConnectTunnelRelaysBothWays)
{
    const std::string answer = Exchange({"CONNECT 127.0.0.1:" + std::to_string(site.Port()) + " HTTP/1.1\r\n\r\n",
                                         "GET /clip.flv HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"});
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 Connection established\r\n\r\nHTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(answer.ends_with(test_site::PatternBytes(9, 300000)));
}

// Whatever shape an answer has (a length, chunks, no length, an error, a
// server that stops halfway) the client gets exactly the bytes the server
// sent, and nothing stays open afterwards.
TEST_F(ProxyTest, EveryAnswerIsRelayedExactlyAsTheServerSentIt)
{
    site.AddFile("/page.html", "<html><body>" + std::string(5000, 'p') + "</body></html>", "text/html");
    site.AddPatternFile("/chunked.bin", 300000);
    site.AddPatternFile("/unsized.bin", 200000);
    site.AddPatternFile("/dropped.bin", 200000);
    test_site::Behaviour chunked, unsized, dropped;
    chunked.chunked = true;
    chunked.trickleBytes = 7000;
    unsized.contentLength = false;
    dropped.dropAfter = 70000;
    site.SetBehaviour("/chunked.bin", chunked);
    site.SetBehaviour("/unsized.bin", unsized);
    site.SetBehaviour("/dropped.bin", dropped);
    for (const std::string path : {"/page.html", "/clip.flv", "/chunked.bin", "/unsized.bin", "/dropped.bin", "/none"}) {
        const std::string headers = "Host: video.test\r\nAccept: */*\r\nConnection: close\r\n\r\n";
        const std::string direct = ExchangeWith(site.Port(), {"GET " + path + " HTTP/1.1\r\n" + headers});
        const std::string proxied = Exchange({"GET " + Url(path) + " HTTP/1.1\r\n" + headers});
        ASSERT_GT(direct.size(), 0u) << path;
        EXPECT_EQ(proxied.size(), direct.size()) << path;
        EXPECT_TRUE(proxied == direct) << path;
    }
    EXPECT_NE(Exchange({"GET " + Url("/chunked.bin") + " HTTP/1.1\r\n\r\n"}).find("\r\n0\r\n\r\n"), std::string::npos);
    EXPECT_TRUE(RunEventsUntil([&] { return proxy.OpenConnections() == 0; }));
}

TEST_F(ProxyTest, NonProxyAndBrokenRequestsAre400AndNoConnectionStays)
{
    EXPECT_TRUE(Exchange({"GET /clip.flv HTTP/1.1\r\nHost: video.test\r\n\r\n"}).starts_with("HTTP/1.1 400 "));
    EXPECT_TRUE(Exchange({"nonsense\r\n\r\n"}).starts_with("HTTP/1.1 400 "));
    EXPECT_TRUE(Exchange({"GET http://nowhere.invalid/ HTTP/1.1\r\n\r\n"}).starts_with("HTTP/1.1 502 "));
    // A client that goes away in the middle of an answer.
    const int fd = test_site::ConnectToLoopback(proxy.Port());
    const std::string request = "GET " + Url("/clip.flv") + " HTTP/1.1\r\nHost: video.test\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char some[100];
    ASSERT_GT(::recv(fd, some, sizeof some, 0), 0);
    ::close(fd);
    EXPECT_TRUE(RunEventsUntil([&] { return proxy.OpenConnections() == 0; }));
}

// What the detection is shown is the start of the final answer's body with
// its chunk framing taken off, as much as tells what it is, however the
// server framed and paced it; the client still gets every byte as sent.
TEST_F(ProxyTest, TheReportedStartIsTheFinalAnswersDechunkedBody)
{
    const std::string flv = std::string("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13) + test_site::PatternBytes(0, 300);
    std::string chunked;  // chunks of five bytes, the first "5\r\nFLV\x01\x05\r\n"
    for (std::size_t at = 0; at < flv.size(); at += 5)
        chunked += std::to_string(flv.substr(at, 5).size()) + "\r\n" + flv.substr(at, 5) + "\r\n";
    const std::string length = "Content-Length: " + std::to_string(flv.size()) + "\r\n\r\n";
    struct Case {
        std::string name;
        std::vector<std::string> pieces;  // sent one by one, with a pause between
    };
    const std::vector<Case> cases = {
        {"chunked", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked.substr(0, 10),
                     chunked.substr(10) + "0\r\n\r\n"}},
        {"chunk size alone", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n8", "0\r\n" + flv.substr(0, 0x80) + "\r\n0\r\n\r\n"}},
        {"early hints", {"HTTP/1.1 103 Early Hints\r\nLink: </v.css>; rel=preload\r\n\r\nHTTP/1.1 200 OK\r\n" + length + flv}},
        {"header alone", {"HTTP/1.1 200 OK\r\n" + length + flv.substr(0, 9), flv.substr(9)}},
    };
    for (const Case& c : cases) {
        proxy_test::ScriptedServer server([&](int fd) {
            std::string request;
            proxy_test::ReadHeadFrom(fd, request);
            for (const std::string& piece : c.pieces) {
                proxy_test::SendText(fd, piece);
                // Apart, so that the proxy reads them apart.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        target.events.clear();
        target.kinds.clear();
        DetectTargetWindow = target.GetSafeHwnd();
        const std::string answer = Exchange({"GET http://video.test:" + std::to_string(server.Port())
                                             + "/v HTTP/1.1\r\nHost: video.test\r\n\r\n"});
        std::string sent;
        for (const std::string& piece : c.pieces)
            sent += piece;
        EXPECT_TRUE(answer == sent) << c.name;
        ASSERT_EQ(target.kinds.size(), 1u) << c.name;
        EXPECT_EQ(target.kinds[0], StreamStart::Flv) << c.name << ": " << target.events.back();
    }
}

// The method is compared exactly: a lower-case "get" is relayed but opens no
// request. And each report is a synchronous hand-over: the client's worker
// relays nothing of the answer's body until the detection window has handled
// the report of its first bytes.
TEST_F(ProxyTest, ALowerCaseGetOpensNoRequestAndTheWorkerWaitsForEachReport)
{
    DetectTargetWindow = target.GetSafeHwnd();
    proxy_test::ScriptedServer lower([](int fd) {
        std::string request;
        proxy_test::ReadHeadFrom(fd, request);
        proxy_test::SendText(fd, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n" + request.substr(0, 3) + "!!");
    });
    const std::string answer =
        Exchange({"get http://video.test:" + std::to_string(lower.Port()) + "/v HTTP/1.1\r\nHost: video.test\r\n\r\n"});
    EXPECT_EQ(Body(answer), "get!!") << "relayed with its method as it was";
    EXPECT_EQ(target.events, (std::vector<std::string>{"connect video.test", "read get!!"}));

    // The client thread counts what reaches it; each report waits a while
    // for the answer's body to reach the client, which must not happen.
    target.events.clear();
    std::mutex lock;
    std::condition_variable changed;
    std::string received;
    bool bodyDuringReport = false;
    std::vector<UINT> reports;
    const auto bodyArrived = [&] {
        const std::size_t head = received.find("\r\n\r\n");
        return head != std::string::npos && received.size() > head + 4;
    };
    target.onReport = [&](UINT msg) {
        reports.push_back(msg);
        std::unique_lock<std::mutex> held(lock);
        bodyDuringReport |= changed.wait_for(held, std::chrono::milliseconds(300), bodyArrived);
    };
    std::atomic<bool> done{false};
    std::thread client([&] {
        const int fd = test_site::ConnectToLoopback(proxy.Port());
        const std::string request = "GET " + Url("/clip.flv") + " HTTP/1.1\r\nHost: video.test\r\n\r\n";
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        char buffer[65536];
        for (ssize_t count; (count = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            std::lock_guard<std::mutex> guard(lock);
            received.append(buffer, static_cast<std::size_t>(count));
            changed.notify_all();
        }
        ::close(fd);
        done = true;
    });
    EXPECT_TRUE(RunEventsUntil([&] { return done.load(); }));
    client.join();
    target.onReport = nullptr;
    EXPECT_EQ(reports, (std::vector<UINT>{WM_HOOK_CONNECT, WM_HOOK_OPENREQUEST, WM_HOOK_READFILE}));
    EXPECT_FALSE(bodyDuringReport) << "the body went on while the detection window had not handled a report";
    EXPECT_TRUE(Body(received) == std::string("FLV\x01\x05\0\0\0\x09", 9) + test_site::PatternBytes(9, 300000));
}

}  // namespace
