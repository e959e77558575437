// The play server with real connections: a client thread reads while this
// thread runs the event loop that drives the server.
#include "delivery/cache_file_reader.h"
#include "play_server_fixture.h"

#include <QCoreApplication>

#include <poll.h>

#include <chrono>
#include <vector>

namespace fs = std::filesystem;
using namespace play_test;
using test_support::RunEventsUntil;

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
    // Complete: the file's size is the body's length.
    const std::string header = "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Length: "
                               + std::to_string(bytes.size()) + "\r\nConnection: close\r\n\r\n";
    EXPECT_TRUE(quick.Received() == header + bytes);
    EXPECT_TRUE(slow.Received() == header + bytes);
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

TEST_F(PlayServerTest, TheHeadWaitsForTheFirstBytesAndThenNoLongerChanges)
{
    // The head goes out with the first body bytes, so a length given
    // before them is announced; one given after is not.
    const fs::path file = folder / "video";
    CPlayRequest* early = nullptr;
    server.onServe = [&](CPlayRequest& request) { early = &request; };
    Client client(manager.GetPort());
    client.SendGet(PathOf("early"), Host());
    ASSERT_TRUE(WaitServed(1));
    early->SetContentLength(5000000000);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(early->GetUnsentHeader(), "") << "no head before any body byte";
    early->SetContentLength(6);
    Deliver(file, "early", "abcdef");
    manager.MarkRequestsComplete("early");
    client.StartReading();
    ASSERT_TRUE(WaitFinished(client));
    EXPECT_EQ(client.Received(),
              "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Length: 6\r\nConnection: close\r\n\r\nabcdef");

    CPlayRequest* late = nullptr;
    server.onServe = [&](CPlayRequest& request) { late = &request; };
    Client lateClient(manager.GetPort());
    lateClient.SendGet(PathOf("late"), Host());
    ASSERT_TRUE(WaitServed(2));
    // (Enough bytes to tell a type by, or the head waits for more.)
    const std::string first = "0123456789abcdef";
    late->PushData(first.data(), first.size());
    ASSERT_TRUE(RunEventsUntil([&] { return late->GetBodyBytesSent() == 16; }));
    late->SetContentLength(17);
    late->PushData("z", 1);
    late->SetComplete(true);
    lateClient.StartReading();
    ASSERT_TRUE(WaitFinished(lateClient));
    EXPECT_EQ(lateClient.Received(), kPlainHeader + first + "z");
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

TEST_F(PlayServerTest, CloseRequestByPathDoesNotTakeAnEarlierSerialForALaterOne)
{
    // The path of serial 5 is the start of the path of serial 50: closing
    // the player's URL of serial 50 must not close the preview's request of
    // serial 5 of the same video. The preview's path is made by hand from
    // the player's (the server takes any serial), so that the test does not
    // depend on how far the process-wide serial has counted.
    std::string player;
    do {
        player = PathOf("v");
    } while (player.size() - player.rfind('-') < 3);
    const std::string preview = player.substr(0, player.size() - 1);
    Client previewClient(manager.GetPort());
    Client playerClient(manager.GetPort());
    previewClient.SendGet(preview, Host());
    ASSERT_TRUE(WaitServed(1));
    playerClient.SendGet(player, Host());
    ASSERT_TRUE(WaitServed(2));
    CPlayRequest* previewRequest = server.served[0];

    manager.CloseRequestByPath("http://" + Host() + player);
    ASSERT_EQ(manager.PCL_GetObjectCount(), 1u);
    EXPECT_EQ(manager.PCL_GetObject(0), previewRequest);
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

    // A player that goes away ends its request once data for it fails to
    // go out (its closing alone looks like a half-close).
    auto leaving = std::make_unique<Client>(manager.GetPort());
    leaving->SendGet(PathOf("w"), Host());
    ASSERT_TRUE(WaitServed(2));
    leaving.reset();
    ASSERT_TRUE(RunEventsUntil([&] {
        for (CPlayRequest* request : manager.FindRequestsByKey("w"))
            request->PushData("data", 4);
        return manager.PCL_GetObjectCount() == 0;
    }));
}

// A paused player must not make memory grow with the download: past the
// live limit the pushed bytes are dropped and read back from the cache file.
class PlayLiveLimitTest : public PlayServerTest {
protected:
    static constexpr std::int64_t kLimit = 100000;
    PlayLiveLimitTest() { manager.SetLiveDataLimit(kLimit); }

    // Delivers count blocks, letting the server send a little between some
    // of them, and checks the bound after each.
    void DeliverBlocks(const fs::path& file, const std::string& key, int count, std::string& expected)
    {
        for (int block = 0; block < count; ++block) {
            const std::string bytes = PatternBytes(9000 + static_cast<std::size_t>(block % 7) * 1500, 500 + static_cast<unsigned>(block) + static_cast<unsigned>(expected.size()));
            Deliver(file, key, bytes);
            expected += bytes;
            for (CPlayRequest* request : manager.FindRequestsByKey(key))
                ASSERT_LE(request->GetUnsentLiveSize(), kLimit);
            if (block % 10 == 0)
                for (int i = 0; i < 3; ++i)
                    QCoreApplication::processEvents();
        }
    }
};

TEST_F(PlayLiveLimitTest, PausedPlayerOfAPartialFileGetsEveryByteOnceInOrder)
{
    const fs::path file = folder / "partial";
    std::string expected = PatternBytes(250000, 4);
    AppendToFile(file, expected);
    server.onServe = [&](CPlayRequest& request) { request.AttachCacheFile(file.string()); };
    Client paused(manager.GetPort(), 8192);
    paused.SendGet(PathOf("v"), Host());
    ASSERT_TRUE(WaitServed(1));

    DeliverBlocks(file, "v", 400, expected);  // about 5 MB, fifty times the limit
    EXPECT_TRUE(server.served[0]->HasCacheReader());
    paused.StartReading(7000);
    DeliverBlocks(file, "v", 100, expected);
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(paused));
    EXPECT_EQ(paused.Received().size(), kPlainHeader.size() + expected.size());
    EXPECT_TRUE(paused.Received() == kPlainHeader + expected);
}

TEST_F(PlayLiveLimitTest, FreshDownloadWithoutCachedPartIsBoundedToo)
{
    // The download answered from byte 0: no file was attached, the request
    // only knows where its pushed bytes are stored.
    const fs::path file = folder / "fresh";
    server.onServe = [&](CPlayRequest& request) {
        request.SetCacheFilePath(file.string());
        request.SetContentLength(123);
    };
    Client paused(manager.GetPort(), 8192);
    paused.SendGet(PathOf("v"), Host());
    ASSERT_TRUE(WaitServed(1));

    std::string expected;
    DeliverBlocks(file, "v", 300, expected);
    paused.StartReading();
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(paused));
    const std::string header = "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Length: 123\r\nConnection: close\r\n\r\n";
    EXPECT_TRUE(paused.Received() == header + expected);
}

TEST_F(PlayServerTest, AttachingAgainContinuesWhereTheRequestIs)
{
    // The download stopped and resumes with a 206 answer, which attaches
    // the cache file to the requests that are still open.
    const fs::path file = folder / "resumed";
    std::string expected = PatternBytes(200000, 5);
    AppendToFile(file, expected);
    server.onServe = [&](CPlayRequest& request) { request.AttachCacheFile(file.string()); };
    Client client(manager.GetPort());
    client.SendGet(PathOf("v"), Host());
    client.StartReading();
    ASSERT_TRUE(WaitServed(1));
    CPlayRequest* request = server.served[0];
    Deliver(file, "v", PatternBytes(50000, 6));
    expected += PatternBytes(50000, 6);
    ASSERT_TRUE(RunEventsUntil([&] { return request->GetBodyBytesSent() == 250000; }));

    const std::string resumed = PatternBytes(70000, 7);
    AppendToFile(file, resumed);
    expected += resumed;
    request->AttachCacheFile(file.string());
    Deliver(file, "v", PatternBytes(30000, 8));
    expected += PatternBytes(30000, 8);
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(client));
    EXPECT_TRUE(client.Received() == kPlainHeader + expected);
}

TEST_F(PlayServerTest, WaitsWhileTheCacheFileIsWrittenAgainFromTheStart)
{
    // The site ignored a resume request, so the download deletes the file
    // and fetches it again from byte 0, pushing only what lies beyond the
    // old end; the request must pick the rest up from the new file.
    const fs::path file = folder / "rewritten";
    const std::string video = PatternBytes(900000, 9);
    AppendToFile(file, video.substr(0, 600000));
    server.onServe = [&](CPlayRequest& request) { request.AttachCacheFile(file.string()); };
    Client client(manager.GetPort(), 8192);
    client.SendGet(PathOf("v"), Host());
    ASSERT_TRUE(WaitServed(1));
    CPlayRequest* request = server.served[0];
    ASSERT_TRUE(RunEventsUntil([&] { return request->GetBodyBytesSent() > 0; }));

    fs::remove(file);
    AppendToFile(file, video.substr(0, 200000));
    const std::int64_t sentBefore = request->GetBodyBytesSent();
    client.StartReading(4000);
    // The new file is read as far as it goes; past its end the request
    // waits rather than skipping to pushed data.
    const std::int64_t newEnd = std::max<std::int64_t>(sentBefore, 200000);
    ASSERT_TRUE(RunEventsUntil([&] { return request->GetBodyBytesSent() == newEnd; }));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(request->GetBodyBytesSent(), newEnd);
    EXPECT_TRUE(request->HasCacheReader());
    AppendToFile(file, video.substr(200000, 400000));
    Deliver(file, "v", video.substr(600000));
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(client));
    EXPECT_TRUE(client.Received() == kPlainHeader + video);
}

TEST_F(PlayServerTest, ARangeBeyondFourGigabytesOfASparseFileIsServed)
{
    // Only the last bytes take disk space.
    const fs::path file = folder / "big";
    const std::int64_t tailAt = (std::int64_t{1} << 32) + 12345;
    const std::string tail = "tail of a long video";
    { std::ofstream create(file, std::ios::binary); }
    fs::resize_file(file, static_cast<std::uintmax_t>(tailAt));
    AppendToFile(file, tail);
    const std::int64_t size = tailAt + static_cast<std::int64_t>(tail.size());
    server.onServe = [&](CPlayRequest& request) {
        request.SetCacheFilePath(file.string());
        request.SetContentLength(size);
        request.SetComplete(true);
    };
    Client client(manager.GetPort());
    client.Send("GET " + PathOf("big") + " HTTP/1.1\r\nHost: " + Host() + "\r\nRange: bytes=" + std::to_string(tailAt)
                + "-\r\n\r\n");
    client.StartReading();
    ASSERT_TRUE(WaitFinished(client));
    const std::string& answer = client.Received();
    EXPECT_NE(answer.find("Content-Range: bytes " + std::to_string(tailAt) + "-" + std::to_string(size - 1) + "/"
                          + std::to_string(size) + "\r\n"),
              std::string::npos)
        << answer;
    EXPECT_TRUE(answer.ends_with("\r\n\r\n" + tail)) << answer;
}

// A page's many range requests come as a burst while the event loop is busy:
// every connection completes at once, none waits for a SYN retransmit.
TEST_F(PlayServerTest, ABurstOfConnectionsIsQueuedWhileTheServerIsBusy)
{
    constexpr int kBurst = 200;
    std::vector<int> fds;
    for (int i = 0; i < kBurst; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(static_cast<std::uint16_t>(manager.GetPort()));
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
        fds.push_back(fd);
    }
    // No events run: the server accepts nothing while the burst comes.
    std::vector<pollfd> pending;
    for (const int fd : fds)
        pending.push_back({fd, POLLOUT, 0});
    int connected = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    while (!pending.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(pending.data(), pending.size(), static_cast<int>(left.count())) <= 0)
            break;
        for (std::size_t i = pending.size(); i-- > 0;)
            if (pending[i].revents) {
                connected += (pending[i].revents & POLLOUT) && !(pending[i].revents & POLLERR) ? 1 : 0;
                pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
            }
    }
    for (const int fd : fds)
        ::close(fd);
    EXPECT_EQ(connected, kBurst);
    EXPECT_TRUE(RunEventsUntil([&] { return manager.PCL_GetObjectCount() == 0; }));
}
