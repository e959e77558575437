// The play server with real connections: a client thread reads while this
// thread runs the event loop that drives the server.
#include "delivery/play_request_manager.h"
#include "play_test_client.h"
#include "support/event_wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace fs = std::filesystem;
using namespace play_test;
using test_support::RunEventsUntil;

class PlayServerTest : public ::testing::Test {
protected:
    PlayServerTest() { manager.SetRequestServer(&server); }
    ~PlayServerTest() override { fs::remove_all(folder); }

    std::string Host() const { return "127.0.0.1:" + std::to_string(manager.GetPort()); }
    std::string PathOf(const std::string& key) { return manager.BuildPlayUrl(key).substr(Host().size() + 7); }
    bool WaitServed(std::size_t count) { return RunEventsUntil([&] { return server.served.size() >= count; }); }
    bool WaitFinished(Client& client) { return RunEventsUntil([&] { return client.Finished(); }); }
    bool WaitRequestCount(std::size_t count)
    {
        return RunEventsUntil([&] { return manager.PCL_GetObjectCount() == count; });
    }
    // What the download manager does with a block: append it to the cache
    // file, then push it to every request of the video.
    void Deliver(const fs::path& path, const std::string& key, const std::string& bytes)
    {
        AppendToFile(path, bytes);
        for (CPlayRequest* request : manager.FindRequestsByKey(key))
            request->PushData(bytes.data(), bytes.size());
    }

    CPlayRequestManager manager;
    RecordingServer server;
    fs::path folder = MakeTempFolder();
};

TEST_F(PlayServerTest, ParsesPathAndKeyEvenWhenTheRequestArrivesInPieces)
{
    const std::string path = PathOf("abc");
    Client whole(manager.GetPort());
    whole.SendGet(path, Host());
    ASSERT_TRUE(WaitServed(1));
    EXPECT_EQ(server.paths[0], path);
    EXPECT_EQ(server.keys[0], "abc");

    Client pieces(manager.GetPort());
    pieces.Send("GET /YWJj-&fl");
    ASSERT_TRUE(WaitRequestCount(2));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    pieces.Send("ag&-77 HTTP/1.1\r\nHost: " + Host() + "\r\n\r\n");
    ASSERT_TRUE(WaitServed(2));
    EXPECT_EQ(server.paths[1], "/YWJj-&flag&-77");
    EXPECT_EQ(server.keys[1], "abc");
}

TEST_F(PlayServerTest, EndsRequestsThatAreNotPlayUrlsOrNameAnotherHost)
{
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"/favicon.ico", Host()},
        {PathOf("abc"), "attacker.example:" + std::to_string(manager.GetPort())},
        {PathOf("abc"), "127.0.0.1:1"},
        {PathOf("abc"), "127.0.0.1.attacker.example"},
    };
    for (const auto& [path, host] : refused) {
        Client client(manager.GetPort());
        client.SendGet(path, host);
        client.StartReading();
        ASSERT_TRUE(WaitFinished(client)) << path << " " << host;
        EXPECT_EQ(client.Received(), "") << path << " " << host;
        ASSERT_TRUE(WaitRequestCount(0));
    }
    EXPECT_TRUE(server.served.empty());

    Client named(manager.GetPort());
    named.SendGet(PathOf("abc"), "LocalHost:" + std::to_string(manager.GetPort()));
    ASSERT_TRUE(WaitServed(1));
    EXPECT_EQ(server.keys[0], "abc");
}

TEST_F(PlayServerTest, ServesACompleteCacheFileThenCloses)
{
    const fs::path file = folder / "complete";
    const std::string bytes = PatternBytes(3 * 1024 * 1024 + 17, 2);
    AppendToFile(file, bytes);
    server.onServe = [&](CPlayRequest& request) {
        request.AttachCacheFile(file.string());
        request.SetComplete(true);
    };
    // A quick reader and one with a small window that reads little at a time.
    Client quick(manager.GetPort());
    Client slow(manager.GetPort(), 4096);
    quick.SendGet(PathOf("v"), Host());
    slow.SendGet(PathOf("v"), Host());
    quick.StartReading();
    slow.StartReading(1000);
    ASSERT_TRUE(WaitFinished(quick));
    ASSERT_TRUE(WaitFinished(slow));
    EXPECT_TRUE(quick.Received() == kPlainHeader + bytes);
    EXPECT_TRUE(slow.Received() == kPlainHeader + bytes);
    EXPECT_TRUE(WaitRequestCount(0));
}

TEST_F(PlayServerTest, PartialFileThenPushedDataArriveOnceAndInOrderForEveryRequest)
{
    const fs::path file = folder / "partial";
    std::string expected = PatternBytes(300000, 3);
    AppendToFile(file, expected);
    server.onServe = [&](CPlayRequest& request) { request.AttachCacheFile(file.string()); };
    Client player(manager.GetPort());
    Client preview(manager.GetPort());
    player.SendGet(PathOf("v"), Host());
    preview.SendGet(PathOf("v"), Host());
    player.StartReading();
    preview.StartReading(3000);
    ASSERT_TRUE(WaitServed(2));

    for (unsigned block = 0; block < 40; ++block) {
        const std::string bytes = PatternBytes(1000 + block * 997, 100 + block);
        Deliver(file, "v", bytes);
        expected += bytes;
        // Let the server catch up now and then, so that data also arrives
        // while the requests are idle.
        if (block % 8 == 0)
            RunEventsUntil([&] {
                return manager.FindRequestsByKey("v").size() == 2
                       && manager.FindRequestsByKey("v")[0]->GetUnsentLiveSize() == 0
                       && manager.FindRequestsByKey("v")[1]->GetUnsentLiveSize() == 0;
            });
    }
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(player));
    ASSERT_TRUE(WaitFinished(preview));
    EXPECT_TRUE(player.Received() == kPlainHeader + expected);
    EXPECT_TRUE(preview.Received() == kPlainHeader + expected);
}

TEST_F(PlayServerTest, ContentLengthOnlyBeforeTheHeaderWentOut)
{
    const fs::path file = folder / "video";
    CPlayRequest* early = nullptr;
    server.onServe = [&](CPlayRequest& request) { early = &request; };
    Client client(manager.GetPort());
    client.SendGet(PathOf("early"), Host());
    ASSERT_TRUE(WaitServed(1));
    early->SetContentLength(5000000000);
    EXPECT_EQ(early->GetUnsentHeader(),
              "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Length: 5000000000\r\nConnection: close\r\n\r\n");
    early->SetContentLength(6);
    Deliver(file, "early", "abcdef");
    manager.MarkRequestsComplete("early");
    client.StartReading();
    ASSERT_TRUE(WaitFinished(client));
    EXPECT_EQ(client.Received(),
              "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Length: 6\r\nConnection: close\r\n\r\nabcdef");

    CPlayRequest* late = nullptr;
    server.onServe = [&](CPlayRequest& request) { late = &request; };
    Client lateClient(manager.GetPort());
    lateClient.SendGet(PathOf("late"), Host());
    ASSERT_TRUE(WaitServed(2));
    late->Rearm();
    ASSERT_TRUE(RunEventsUntil([&] { return late->GetUnsentHeader().empty(); }));
    late->SetContentLength(3);
    EXPECT_EQ(late->GetUnsentHeader(), "");
    late->PushData("xyz", 3);
    late->SetComplete(true);
    lateClient.StartReading();
    ASSERT_TRUE(WaitFinished(lateClient));
    EXPECT_EQ(lateClient.Received(), kPlainHeader + "xyz");
}

TEST_F(PlayServerTest, CloseRequestByPathClosesOnlyTheFirstMatch)
{
    const std::string path = PathOf("v");
    Client first(manager.GetPort());
    Client second(manager.GetPort());
    first.SendGet(path, Host());
    ASSERT_TRUE(WaitServed(1));
    second.SendGet(path, Host());
    ASSERT_TRUE(WaitServed(2));
    CPlayRequest* survivor = server.served[1];

    manager.CloseRequestByPath("http://127.0.0.1:" + std::to_string(manager.GetPort()) + path);
    ASSERT_EQ(manager.PCL_GetObjectCount(), 1u);
    EXPECT_EQ(manager.PCL_GetObject(0), survivor);
    first.StartReading();
    ASSERT_TRUE(WaitFinished(first));
    EXPECT_EQ(first.Received(), "");
}

TEST_F(PlayServerTest, EndedRequestsLeaveTheListAndGetNoMoreData)
{
    Client client(manager.GetPort());
    client.SendGet(PathOf("v"), Host());
    ASSERT_TRUE(WaitServed(1));
    CPlayRequest* request = server.served[0];
    request->EndRequest();
    EXPECT_EQ(request->GetKey(), "");
    EXPECT_TRUE(manager.FindRequestsByKey("v").empty());
    ASSERT_TRUE(WaitRequestCount(0));

    // A player that goes away ends its request too.
    Client leaving(manager.GetPort());
    leaving.SendGet(PathOf("w"), Host());
    ASSERT_TRUE(WaitServed(2));
    leaving.CloseNow();
    ASSERT_TRUE(WaitRequestCount(0));
}
