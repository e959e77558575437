// The interception proxy against hostile and broken peers, with real
// sockets and every wait bounded: answer heads that never end, clients and
// servers that go silent or go away, more connections than it serves, and
// CONNECT requests with odd ports or bytes right behind the head.
#include "detection/interception_proxy.h"
#include "scripted_server.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace {

using namespace proxy_test;
using namespace std::chrono_literals;

// True once the server accepted a connection (bounded).
bool ScriptedServerAccepted(const ScriptedServer& server)
{
    const auto deadline = Clock::now() + 5s;
    while (server.Accepted() == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(2ms);
    return server.Accepted() > 0;
}

class ProxyLimits : public ::testing::Test {
protected:
    // Starts the proxy with small limits, so that the time-outs come
    // within a test's time.
    void Begin(std::chrono::milliseconds headTimeout = 300ms, std::chrono::milliseconds answerTimeout = 300ms)
    {
        proxy.SetConnectionLimit(4);
        proxy.SetHeadTimeout(headTimeout);
        proxy.SetAnswerTimeout(answerTimeout);
        proxy.Start();
        proxy.MapHost("video.test", "127.0.0.1");
    }
    static std::string Get(int port, const std::string& path = "/")
    {
        return "GET http://video.test:" + std::to_string(port) + path + " HTTP/1.1\r\nHost: video.test\r\n\r\n";
    }
    // Connects to the proxy and sends the text.
    int Send(const std::string& text)
    {
        const int fd = test_site::ConnectToLoopback(proxy.Port());
        EXPECT_GE(fd, 0);
        SendText(fd, text);
        return fd;
    }
    bool AllClosed() { return OpenBecomes(0); }
    bool OpenBecomes(std::size_t count)
    {
        return PollUntil([&] { return proxy.OpenConnections() == count; });
    }
    static bool PollUntil(const std::function<bool()>& done)
    {
        const auto deadline = Clock::now() + 10s;
        while (!done() && Clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        return done();
    }

    CHookInternetAPI proxy;
};

TEST_F(ProxyLimits, AnAnswerHeadThatNeverEndsIsCutShortWith502)
{
    Begin();
    ScriptedServer server([](int fd) {
        std::string request;
        ReadHeadFrom(fd, request);
        const std::string filler = "X-Filler: " + std::string(1000, 'a') + "\r\n";
        if (SendText(fd, "HTTP/1.1 200 OK\r\n"))
            for (int i = 0; i < 4000 && SendText(fd, filler); ++i) {
            }
        WaitForClose(fd, 10s);
    });
    const int fd = Send(Get(server.Port()));
    const Received answer = ReceiveAll(fd, 10s);
    ::close(fd);
    EXPECT_TRUE(answer.bytes.starts_with("HTTP/1.1 502 ")) << answer.bytes.substr(0, 40);
    EXPECT_LT(answer.bytes.size(), 1000u) << "none of the oversized head reaches the client";
    EXPECT_TRUE(answer.closed);
    EXPECT_TRUE(AllClosed());
}

TEST_F(ProxyLimits, ConnectionsPastTheBoundAre503UntilOnesEnd)
{
    ScriptedServer server([](int fd) {
        std::string request;
        if (ReadHeadFrom(fd, request))
            SendText(fd, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    });
    Begin(10s, 10s);
    std::vector<int> idle;
    for (int i = 0; i < 4; ++i)
        idle.push_back(Send(""));
    ASSERT_TRUE(OpenBecomes(4));
    const int refused = Send(Get(server.Port()));
    const Received busy = ReceiveAll(refused, 5s);
    ::close(refused);
    EXPECT_TRUE(busy.bytes.starts_with("HTTP/1.1 503 ")) << busy.bytes;
    EXPECT_TRUE(busy.closed);
    EXPECT_EQ(server.Accepted(), 0);

    for (const int fd : idle)
        ::close(fd);
    ASSERT_TRUE(AllClosed());
    const int fd = Send(Get(server.Port()));
    const Received served = ReceiveAll(fd, 5s);
    ::close(fd);
    EXPECT_TRUE(served.bytes.ends_with("\r\n\r\nok")) << served.bytes;
}

TEST_F(ProxyLimits, AHeadThatDoesNotComeAndAServerThatDoesNotAnswerAreTimedOut)
{
    Begin();
    const auto started = Clock::now();
    const int quiet = Send("GET http://video.test/ HTTP/1.1\r\n");
    const Received dropped = ReceiveAll(quiet, 5s);
    ::close(quiet);
    EXPECT_TRUE(dropped.closed);
    EXPECT_TRUE(dropped.bytes.empty()) << dropped.bytes;

    std::atomic<bool> serverSawClose{false};
    ScriptedServer silent([&](int fd) {
        std::string request;
        ReadHeadFrom(fd, request);
        serverSawClose = WaitForClose(fd, 10s);
    });
    const int fd = Send(Get(silent.Port()));
    const Received answer = ReceiveAll(fd, 5s);
    ::close(fd);
    EXPECT_TRUE(answer.bytes.starts_with("HTTP/1.1 504 ")) << answer.bytes;
    EXPECT_TRUE(answer.closed);
    EXPECT_TRUE(PollUntil([&] { return silent.Finished() == 1; }));
    EXPECT_TRUE(serverSawClose);
    EXPECT_LT(Clock::now() - started, 5s);
    EXPECT_TRUE(AllClosed());
}

TEST_F(ProxyLimits, BytesRightBehindAConnectHeadGoThroughTheTunnel)
{
    Begin(10s, 10s);
    ScriptedServer echo([](int fd) {
        std::string hello;
        char buffer[64];
        while (hello.size() < 5) {
            const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
            if (count <= 0)
                return;
            hello.append(buffer, static_cast<std::size_t>(count));
        }
        SendText(fd, "got:" + hello);
    });
    const int fd = Send("CONNECT 127.0.0.1:" + std::to_string(echo.Port()) + " HTTP/1.1\r\n\r\nhello");
    const Received answer = ReceiveAll(fd, 5s);
    ::close(fd);
    EXPECT_EQ(answer.bytes, "HTTP/1.1 200 Connection established\r\n\r\ngot:hello");
}

// 65536 + port would reach the port if the number were cut to 16 bits.
TEST_F(ProxyLimits, AConnectPortOutOfRangeIsRefusedLikeAGetPort)
{
    Begin(10s, 10s);
    ScriptedServer server([](int) {});
    for (const std::string& port : {std::to_string(65536 + server.Port()), std::string("0"), std::string("-443"),
                                   std::to_string(server.Port()) + "x", std::string("")}) {
        for (const std::string& request : {"CONNECT 127.0.0.1:" + port + " HTTP/1.1\r\n\r\n",
                                           "GET http://127.0.0.1:" + port + "/ HTTP/1.1\r\n\r\n"}) {
            const int fd = Send(request);
            const Received answer = ReceiveAll(fd, 5s);
            ::close(fd);
            EXPECT_TRUE(answer.bytes.starts_with("HTTP/1.1 400 ")) << request << answer.bytes;
        }
    }
    EXPECT_EQ(server.Accepted(), 0);
}

// With the time-outs far away, a client that goes ends the server's side at
// once: while the server is silent before its answer and in its body.
TEST(ProxyEnds, AClientThatGoesEndsTheServerSide)
{
    CHookInternetAPI proxy;
    proxy.Start();
    proxy.MapHost("video.test", "127.0.0.1");
    for (const bool midBody : {false, true}) {
        std::atomic<bool> serverSawClose{false};
        ScriptedServer silent([&](int fd) {
            std::string request;
            ReadHeadFrom(fd, request);
            if (midBody)
                SendText(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + std::string(100, 'b'));
            serverSawClose = WaitForClose(fd, 10s);
        });
        const int fd = test_site::ConnectToLoopback(proxy.Port());
        SendText(fd, "GET http://video.test:" + std::to_string(silent.Port()) + "/ HTTP/1.1\r\n\r\n");
        if (midBody) {
            std::string head;
            EXPECT_TRUE(ReadHeadFrom(fd, head));
        } else {
            ASSERT_TRUE(ScriptedServerAccepted(silent));
        }
        ::close(fd);
        const auto deadline = Clock::now() + 5s;
        while (silent.Finished() == 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(2ms);
        EXPECT_TRUE(serverSawClose) << (midBody ? "in the body" : "before the answer");
    }
}

}  // namespace
