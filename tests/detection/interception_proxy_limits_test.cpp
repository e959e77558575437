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

class ProxyLimits : public ::testing::Test {
protected:
    void Begin()
    {
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

}  // namespace
