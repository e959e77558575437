// What real players expect of the play server's HTTP: byte ranges, lengths
// and types, errors, HEAD, half-closed clients, the limits, and one line
// structure for the whole request head.
#include "play_server_fixture.h"

#include <QCoreApplication>

#include <memory>

namespace fs = std::filesystem;
using namespace play_test;
using test_support::RunEventsUntil;

namespace {

const std::string kFlvStart("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13);
const std::string kMp4Start("\0\0\0\x18" "ftypmp42\0\0\0\0", 16);

class PlayHttpTest : public PlayServerTest {
protected:
    // A video of `total` bytes, starting with `start`, whose first `cached`
    // bytes are in the cache file.
    std::string MakeVideo(const std::string& start, std::size_t total, std::size_t cached)
    {
        video = start + PatternBytes(total - start.size(), 11);
        AppendToFile(file, video.substr(0, cached));
        return video;
    }
    // Serves every request as the download manager does for a video of
    // `total` bytes (0: unknown) that is complete or still downloading.
    void ServeAsDownload(std::int64_t total, bool complete)
    {
        server.onServe = [this, total, complete](CPlayRequest& request) {
            request.SetCacheFilePath(file.string());
            if (total > 0)
                request.SetContentLength(total);
            request.AttachCacheFile(file.string());
            if (complete)
                request.SetComplete(true);
        };
    }
    // Sends a request and reads the answer until the server closes.
    std::string Fetch(const std::string& headers, const std::string& method = "GET", bool halfClose = false)
    {
        Client client(manager.GetPort());
        client.Send(method + " " + PathOf("v") + " HTTP/1.1\r\nHost: " + Host() + "\r\n" + headers + "\r\n");
        if (halfClose)
            client.FinishSending();
        client.StartReading();
        EXPECT_TRUE(WaitFinished(client));
        return client.Received();
    }
    static std::string Head206(const std::string& type, std::int64_t first, std::int64_t last, std::int64_t total)
    {
        return "HTTP/1.1 206 Partial Content\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\n" + type + "Content-Range: bytes "
               + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(total)
               + "\r\nContent-Length: " + std::to_string(last - first + 1) + "\r\nConnection: close\r\n\r\n";
    }

    fs::path file = folder / "cache";
    std::string video;
};

TEST_F(PlayHttpTest, RangesWithinACompleteFileAreAnsweredWithThoseBytes)
{
    MakeVideo(kFlvStart, 300000, 300000);
    ServeAsDownload(300000, true);
    const std::string flv = "Content-Type: video/x-flv\r\n";
    struct Case {
        std::string range;
        std::int64_t first, last;
    };
    for (const Case& c : {Case{"bytes=100000-", 100000, 299999}, Case{"bytes=10-19", 10, 19},
                          Case{"bytes=-500", 299500, 299999}, Case{"bytes=299990-999999", 299990, 299999},
                          Case{"bytes=-900000", 0, 299999}, Case{"Bytes=5-5", 5, 5}}) {
        const std::string answer = Fetch("Range: " + c.range + "\r\n");
        EXPECT_TRUE(answer == Head206(flv, c.first, c.last, 300000)
                                  + video.substr(static_cast<std::size_t>(c.first),
                                                 static_cast<std::size_t>(c.last - c.first + 1)))
            << c.range << ": " << answer.substr(0, 200);
    }
    // Several ranges, other units and broken ones get the whole file.
    const std::string whole = "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\n" + flv
                              + "Content-Length: 300000\r\nConnection: close\r\n\r\n" + video;
    for (const std::string range : {"bytes=0-1,5-6", "items=0-5", "bytes=9-3", "bytes=x-", "bytes=-"})
        EXPECT_TRUE(Fetch("Range: " + range + "\r\n") == whole) << range;
    EXPECT_TRUE(Fetch("") == whole) << "no Range: the whole file as before";
}

TEST_F(PlayHttpTest, RangesAtOrPastTheEndAre416WithTheTotal)
{
    MakeVideo(kFlvStart, 300000, 300000);
    ServeAsDownload(300000, true);
    const std::string refused = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */300000\r\n"
                                "Content-Length: 0\r\nConnection: close\r\n\r\n";
    for (const std::string range : {"bytes=300000-", "bytes=300000-300010", "bytes=999999999-", "bytes=-0"})
        EXPECT_EQ(Fetch("Range: " + range + "\r\n"), refused) << range;
}

TEST_F(PlayHttpTest, ARangeBeyondTheCachedBytesIsHeldUntilTheyArrive)
{
    MakeVideo(kMp4Start, 400000, 100000);
    ServeAsDownload(400000, false);
    Client ranged(manager.GetPort());
    ranged.Send("GET " + PathOf("v") + " HTTP/1.1\r\nHost: " + Host() + "\r\nRange: bytes=250000-\r\n\r\n");
    ranged.StartReading();
    ASSERT_TRUE(WaitServed(1));
    CPlayRequest* request = server.served[0];
    ASSERT_TRUE(RunEventsUntil([&] { return request->GetUnsentHeader().empty(); }));
    EXPECT_EQ(request->GetBodyBytesSent(), 0);

    for (std::size_t at = 100000; at < 400000; at += 30000) {
        Deliver(file, "v", video.substr(at, 30000));
        // The span reads from the file: pushed blocks take no memory.
        EXPECT_EQ(request->GetUnsentLiveSize(), 0);
        if (at < 250000) {
            EXPECT_EQ(request->GetBodyBytesSent(), 0);
        }
    }
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(ranged));
    EXPECT_TRUE(ranged.Received() == Head206("Content-Type: video/mp4\r\n", 250000, 399999, 400000) + video.substr(250000));
}

TEST_F(PlayHttpTest, LengthAndTypeWheneverTheyAreKnown)
{
    // Growing, total known: the length is the whole video's.
    MakeVideo(kFlvStart, 200000, 50000);
    ServeAsDownload(200000, false);
    Client growing(manager.GetPort());
    growing.SendGet(PathOf("v"), Host());
    growing.StartReading();
    ASSERT_TRUE(WaitServed(1));
    Deliver(file, "v", video.substr(50000));
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(growing));
    EXPECT_TRUE(growing.Received()
                == "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Type: video/x-flv\r\nContent-Length: 200000\r\n"
                   "Connection: close\r\n\r\n" + video);

    // Fresh, nothing cached and no total: the type comes from the first
    // pushed bytes, and no length is announced.
    fs::remove(file);
    ServeAsDownload(0, false);
    Client fresh(manager.GetPort());
    fresh.SendGet(PathOf("v"), Host());
    fresh.StartReading();
    ASSERT_TRUE(WaitServed(2));
    Deliver(file, "v", kMp4Start + "rest");
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(fresh));
    EXPECT_EQ(fresh.Received(), "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Type: video/mp4\r\n"
                                "Content-Length: 20\r\nConnection: close\r\n\r\n" + kMp4Start + "rest")
        << "complete before the head went out: the file's size is the length";

    // Bytes that are neither FLV nor MP4 get no type.
    fs::remove(file);
    AppendToFile(file, "<html>not a video</html>");
    ServeAsDownload(24, true);
    EXPECT_EQ(Fetch(""), "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Length: 24\r\nConnection: close\r\n\r\n"
                         "<html>not a video</html>");
}

// The player page's browser keeps no copy of what it fetched from here:
// the cache on disk already holds every video, and a copy per segment
// played grew the program with the length of the stream. The page's own
// files may be kept.
TEST_F(PlayHttpTest, VideoAnswersTellTheBrowserNotToStoreThemButPageFilesDoNot)
{
    MakeVideo(kFlvStart, 300000, 300000);
    ServeAsDownload(300000, true);
    const auto head = [](const std::string& answer) { return answer.substr(0, answer.find("\r\n\r\n") + 2); };
    const std::string whole = head(Fetch(""));
    EXPECT_NE(whole.find("\r\nCache-Control: no-store\r\n"), std::string::npos) << whole;
    const std::string span = head(Fetch("Range: bytes=10-19\r\n"));
    EXPECT_NE(span.find("\r\nCache-Control: no-store\r\n"), std::string::npos) << span;

    const fs::path pageFolder = folder / "page";
    fs::create_directories(pageFolder);
    AppendToFile(pageFolder / "player.js", "var page = 1;");
    manager.SetPageFolder(pageFolder.string());
    Client client(manager.GetPort());
    client.SendGet("/player/player.js", Host());
    client.StartReading();
    ASSERT_TRUE(WaitFinished(client));
    EXPECT_EQ(client.Received(), "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Type: text/javascript; "
                                 "charset=utf-8\r\nContent-Length: 13\r\nConnection: close\r\n\r\nvar page = 1;");
}

TEST_F(PlayHttpTest, HeadGetsTheHeadAloneAndOtherMethodsAre405)
{
    MakeVideo(kFlvStart, 300000, 300000);
    ServeAsDownload(300000, true);
    EXPECT_EQ(Fetch("", "HEAD"), "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nContent-Type: video/x-flv\r\n"
                                 "Content-Length: 300000\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(Fetch("Range: bytes=0-9\r\n", "HEAD"), Head206("Content-Type: video/x-flv\r\n", 0, 9, 300000));
    const std::string refused = "HTTP/1.1 405 Method Not Allowed\r\nAllow: GET, HEAD\r\nContent-Length: 0\r\n"
                                "Connection: close\r\n\r\n";
    EXPECT_EQ(Fetch("Content-Length: 0\r\n", "POST"), refused);
    EXPECT_EQ(Fetch("", "DELETE"), refused);
    EXPECT_EQ(server.served.size(), 2u) << "only GET and HEAD reach the download manager";
}

TEST_F(PlayHttpTest, AHalfClosedClientStillGetsItsWholeAnswer)
{
    MakeVideo(kFlvStart, 3000000, 3000000);
    ServeAsDownload(3000000, true);
    const std::string answer = Fetch("", "GET", true);
    EXPECT_TRUE(answer.ends_with(video));
    EXPECT_EQ(answer.size(), answer.find("\r\n\r\n") + 4 + video.size());

    // Also while the video still downloads.
    fs::remove(file);
    MakeVideo(kFlvStart, 200000, 1000);
    ServeAsDownload(200000, false);
    Client client(manager.GetPort());
    client.SendGet(PathOf("v"), Host());
    client.FinishSending();
    client.StartReading();
    ASSERT_TRUE(WaitServed(2));
    for (std::size_t at = 1000; at < 200000; at += 50000) {
        Deliver(file, "v", video.substr(at, 50000));
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    manager.MarkRequestsComplete("v");
    ASSERT_TRUE(WaitFinished(client));
    EXPECT_TRUE(client.Received().ends_with(video));
}

TEST_F(PlayHttpTest, AnUnfinishedRequestHeadIsDroppedAfterTheTimeOut)
{
    manager.SetHeaderTimeout(300);
    Client slow(manager.GetPort());
    slow.Send("GET " + PathOf("v") + " HTTP/1.1\r\nHost: ");
    slow.StartReading();
    ASSERT_TRUE(WaitFinished(slow));
    EXPECT_EQ(slow.Received(), "");
    EXPECT_TRUE(server.served.empty());
    ASSERT_TRUE(WaitRequestCount(0));

    // A request that did arrive in time is not touched by the time-out.
    MakeVideo(kFlvStart, 1000, 500);
    ServeAsDownload(1000, false);
    Client waiting(manager.GetPort());
    waiting.SendGet(PathOf("v"), Host());
    ASSERT_TRUE(WaitServed(1));
    Client other(manager.GetPort());
    other.Send("GET /");
    other.StartReading();
    ASSERT_TRUE(WaitFinished(other));
    EXPECT_EQ(manager.FindRequestsByKey("v").size(), 1u);
}

TEST_F(PlayHttpTest, ConnectionsBeyondTheLimitAre503UnlessAHalfClosedIdleOneGivesWay)
{
    manager.SetConnectionLimit(3);
    MakeVideo(kFlvStart, 1000, 0);
    ServeAsDownload(1000, false);  // nothing cached: every request waits
    std::vector<std::unique_ptr<Client>> players;
    for (int i = 0; i < 3; ++i) {
        players.push_back(std::make_unique<Client>(manager.GetPort()));
        players.back()->SendGet(PathOf("v"), Host());
        ASSERT_TRUE(WaitServed(static_cast<std::size_t>(i + 1)));
    }
    const std::string full = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(Fetch(""), full);
    EXPECT_EQ(server.served.size(), 3u);

    // The first player half-closes and waits: it makes room for a new one.
    players[0]->FinishSending();
    server.served[0]->Rearm();
    ASSERT_TRUE(RunEventsUntil([&] { return server.served[0]->IsIdleAfterPeerFinished(); }));
    Client next(manager.GetPort());
    next.SendGet(PathOf("v"), Host());
    ASSERT_TRUE(WaitServed(4));
    EXPECT_EQ(manager.FindRequestsByKey("v").size(), 3u);
}

TEST_F(PlayHttpTest, ABareCarriageReturnDoesNotEndALine)
{
    // Read as one line, this head's Host names another site: refused, and
    // the request never reaches the download manager.
    Client crafted(manager.GetPort());
    crafted.Send("GET " + PathOf("v") + " HTTP/1.1\rHost: other.example:" + std::to_string(manager.GetPort())
                 + "\r\n\r\n");
    crafted.StartReading();
    ASSERT_TRUE(WaitFinished(crafted));
    EXPECT_TRUE(crafted.Received().starts_with("HTTP/1.1 400 Bad Request\r\n")) << crafted.Received();
    EXPECT_TRUE(server.served.empty());

    // Lines ended by LF alone are one structure too, and are served.
    Client plain(manager.GetPort());
    plain.Send("GET " + PathOf("v") + " HTTP/1.1\nHost: " + Host() + "\n\n");
    ASSERT_TRUE(WaitServed(1));
    EXPECT_EQ(server.keys[0], "v");
}

}  // namespace
