// The HTTP task engine against the test site on 127.0.0.1.
#include "delivery/http_task_manager.h"
#include "platform/http_client.h"
#include "support/event_wait.h"
#include "support/thread_probe.h"
#include "test_site/test_site.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using test_site::Behaviour;
using test_site::PatternBytes;

struct Event {
    enum Kind { Header, Receive, Finish } kind;
    HttpTask* task;
    unsigned status = 0;
    int count = 0;
    bool success = false;
    // Copied at the time of the event: a finished task may be freed at any
    // later turn of the event loop.
    std::int64_t received = 0;
    std::int64_t contentLength = 0;
    std::string lastModified;
    std::string body;
    int bytesPerSecond = 0;
};

class RecordingManager : public FCHttpTaskManager<CWnd> {
public:
    RecordingManager() { Create(); }

    std::vector<Event> events;
    std::string bytes;
    std::function<void(HttpTask*)> onReceive;

    int Count(Event::Kind kind) const
    {
        int n = 0;
        for (const auto& e : events)
            n += e.kind == kind;
        return n;
    }
    bool Finished() const { return Count(Event::Finish) > 0; }
    const Event* FinishEvent() const
    {
        for (const auto& e : events)
            if (e.kind == Event::Finish)
                return &e;
        return nullptr;
    }

protected:
    void OnTaskResponseHeader(HttpTask* task, const platform::HttpResponse& response) override
    {
        EXPECT_EQ(task->statusCode, response.StatusCode());
        events.push_back({Event::Header, task, task->statusCode});
    }
    void OnTaskReceive(HttpTask* task, const char* data, int count, int) override
    {
        events.push_back({Event::Receive, task, task->statusCode, count});
        bytes.append(data, static_cast<std::size_t>(count));
        if (onReceive)
            onReceive(task);
    }
    void OnTaskFinish(HttpTask* task, bool success) override
    {
        events.push_back({Event::Finish, task, task->statusCode, 0, success, task->received, task->contentLength,
                          task->lastModified, task->body ? *task->body : std::string(), task->bytesPerSecond});
    }
};

class HttpTaskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.Start());
        site.AddPatternFile("/video.flv", 300000);
    }
    bool WaitFreed(RecordingManager& m)
    {
        return test_support::RunEventsUntil([&] { return m.GetTaskCount() == 0; });
    }

    test_site::TestSite site;
};

TEST_F(HttpTaskTest, AddTaskWithoutWindowDoesNothing)
{
    struct Windowless : FCHttpTaskManager<CWnd> {} manager;
    manager.AddTask(site.Url("/video.flv"), 0, -1, false);
    EXPECT_EQ(manager.GetTaskCount(), 0u);
    EXPECT_TRUE(site.Requests().empty());
}

TEST_F(HttpTaskTest, WholeFileArrivesInOrderAndTheRecordIsFreed)
{
    RecordingManager m;
    m.AddTask(site.Url("/video.flv"), 0, -1, true, "k1", {}, 8192);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Finished(); }));
    EXPECT_EQ(m.bytes, PatternBytes(0, 300000));
    ASSERT_GE(m.events.size(), 3u);
    EXPECT_EQ(m.events.front().kind, Event::Header);
    EXPECT_EQ(m.events.front().status, 200u);
    EXPECT_EQ(m.events.back().kind, Event::Finish);
    EXPECT_TRUE(m.events.back().success);
    const Event& finish = m.events.back();
    EXPECT_EQ(finish.received, 300000);
    EXPECT_EQ(finish.contentLength, 300000);
    EXPECT_EQ(finish.lastModified, "Tue, 01 Dec 2026 10:00:00 GMT");
    EXPECT_EQ(finish.body, m.bytes);
    EXPECT_EQ(finish.bytesPerSecond, 0) << "less than two seconds of reads give no rate";
    for (const auto& e : m.events) {
        if (e.kind == Event::Receive) {
            EXPECT_LE(e.count, 8192);
        }
    }
    EXPECT_TRUE(m.GetRunningTasks().empty());
    EXPECT_TRUE(WaitFreed(m));
}

TEST_F(HttpTaskTest, RangeAndExtraHeaders)
{
    RecordingManager m;
    m.AddTask(site.Url("/video.flv"), 0, -1, false, "a", "Referer: http://page.test/\r\nx-flash-version: 9,0,115,0\r\n");
    m.AddTask(site.Url("/video.flv"), 1000, -1, false, "b");
    m.AddTask(site.Url("/video.flv"), 1000, -1, false, "c", "Range: bytes=250000-\r\n");
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Count(Event::Finish) == 3; }));
    const auto requests = site.RequestsFor("/video.flv");
    ASSERT_EQ(requests.size(), 3u);
    int plain = 0, ranged = 0, replaced = 0;
    for (const auto& r : requests) {
        EXPECT_EQ(r.Value("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
        const auto ranges = r.Values("Range");
        if (ranges.empty()) {
            ++plain;
            EXPECT_EQ(r.Value("Referer"), "http://page.test/");
            EXPECT_EQ(r.Value("x-flash-version"), "9,0,115,0");
        } else {
            ASSERT_EQ(ranges.size(), 1u) << "never two Range headers";
            ranged += ranges[0] == "bytes=1000-";
            replaced += ranges[0] == "bytes=250000-";
        }
    }
    EXPECT_EQ(plain, 1);
    EXPECT_EQ(ranged, 1);
    EXPECT_EQ(replaced, 1);
    for (const auto& e : m.events) {
        if (e.kind == Event::Finish) {
            EXPECT_TRUE(e.success);
        }
    }
}

TEST_F(HttpTaskTest, ByteLimitReadsExactlyThatMuch)
{
    RecordingManager m;
    m.AddTask(site.Url("/video.flv"), 0, 5000, true, {}, {}, 8192);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Finished(); }));
    EXPECT_EQ(m.bytes, PatternBytes(0, 5000));
    EXPECT_TRUE(m.FinishEvent()->success);
    EXPECT_EQ(m.FinishEvent()->received, 5000);
}

TEST_F(HttpTaskTest, WithoutContentLengthACleanEndIsConfirmedByAHeadRequest)
{
    Behaviour b;
    b.contentLength = false;
    site.SetBehaviour("/video.flv", b);
    RecordingManager m;
    m.AddTask(site.Url("/video.flv"), 0, -1, false);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Finished(); }));
    EXPECT_TRUE(m.FinishEvent()->success);
    EXPECT_EQ(m.bytes.size(), 300000u);
    EXPECT_EQ(m.FinishEvent()->contentLength, 0);
    const auto requests = site.RequestsFor("/video.flv");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "HEAD");
}

TEST_F(HttpTaskTest, ErrorStatusReachesTheHeaderThenFailsWithoutData)
{
    for (int status : {404, 500}) {
        Behaviour b;
        b.status = status;
        site.SetBehaviour("/video.flv", b);
        RecordingManager m;
        m.AddTask(site.Url("/video.flv"), 0, -1, false);
        ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Finished(); }));
        ASSERT_EQ(m.events.size(), 2u);
        EXPECT_EQ(m.events[0].kind, Event::Header);
        EXPECT_EQ(m.events[0].status, static_cast<unsigned>(status));
        EXPECT_FALSE(m.events[1].success);
        EXPECT_EQ(m.Count(Event::Receive), 0);
    }
}

TEST_F(HttpTaskTest, NoServerFailsWithoutAResponse)
{
    test_site::TestSite closed;
    ASSERT_TRUE(closed.Start());
    const std::string url = closed.Url("/video.flv");
    closed.Stop();
    RecordingManager m;
    m.AddTask(url, 0, -1, false);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Finished(); }));
    ASSERT_EQ(m.events.size(), 1u);
    EXPECT_FALSE(m.events[0].success);
    EXPECT_EQ(m.events[0].status, 0u);
}

TEST_F(HttpTaskTest, ADroppedConnectionIsNoSuccess)
{
    Behaviour b;
    b.dropAfter = 100000;
    site.SetBehaviour("/video.flv", b);
    RecordingManager m;
    m.AddTask(site.Url("/video.flv"), 0, -1, false);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Finished(); }));
    EXPECT_FALSE(m.FinishEvent()->success);
    EXPECT_EQ(m.bytes, PatternBytes(0, 100000));
}

TEST_F(HttpTaskTest, StoppedDuringTheStartDelayNeverConnects)
{
    RecordingManager m;
    m.AddTask(site.Url("/video.flv"), 0, -1, false, "late", {}, 8192, 500);
    ASSERT_EQ(m.GetRunningTasks().size(), 1u);
    m.StopTasksByKey("other");
    EXPECT_EQ(m.GetRunningTasks().size(), 1u);
    m.StopTasksByKey("late");
    EXPECT_TRUE(m.GetRunningTasks().empty());
    EXPECT_EQ(m.GetTaskCount(), 1u) << "listed until its worker ended";
    EXPECT_TRUE(WaitFreed(m));
    EXPECT_TRUE(m.events.empty());
    EXPECT_TRUE(site.Requests().empty());
}

TEST_F(HttpTaskTest, StoppedWhileConfirmingTheEndWithAHeadRequestEndsPromptly)
{
    // The HEAD that confirms a body without length can meet a server that
    // never answers; a stop must still end the worker at once, since the
    // manager's destructor waits for it on the user-interface thread.
    Behaviour b;
    b.contentLength = false;
    b.headUnanswered = true;
    site.SetBehaviour("/video.flv", b);
    RecordingManager m;
    m.AddTask(site.Url("/video.flv"), 0, -1, false);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return site.RequestsFor("/video.flv").size() == 2; }));
    EXPECT_EQ(m.bytes.size(), 300000u);
    m.StopAllTasks();
    EXPECT_TRUE(test_support::RunEventsUntil([&] { return m.GetTaskCount() == 0; }, std::chrono::seconds(3)));
    EXPECT_FALSE(m.Finished());
}

TEST_F(HttpTaskTest, StoppedDuringTheTransferReportsNothingMore)
{
    Behaviour b;
    b.trickleBytes = 1000;
    b.trickleDelayMs = 5;
    site.SetBehaviour("/video.flv", b);
    RecordingManager m;
    int receivesAtStop = -1;
    m.onReceive = [&](HttpTask*) {
        if (m.Count(Event::Receive) == 3) {
            m.StopAllTasks();
            receivesAtStop = 3;
        }
    };
    m.AddTask(site.Url("/video.flv"), 0, -1, false);
    ASSERT_TRUE(WaitFreed(m));
    EXPECT_EQ(receivesAtStop, 3);
    EXPECT_EQ(m.Count(Event::Receive), 3);
    EXPECT_FALSE(m.Finished());
}

TEST_F(HttpTaskTest, RateIsMeasuredAfterTwoSecondsOfReads)
{
    site.AddPatternFile("/slow.flv", 60000);
    Behaviour b;
    b.trickleBytes = 2000;
    b.trickleDelayMs = 80;  // about 2.4 s in all
    site.SetBehaviour("/slow.flv", b);
    RecordingManager m;
    std::vector<int> rates;
    m.onReceive = [&](HttpTask* task) { rates.push_back(task->bytesPerSecond); };
    m.AddTask(site.Url("/slow.flv"), 0, -1, false);
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Finished(); }));
    ASSERT_FALSE(rates.empty());
    EXPECT_EQ(rates.front(), 0);
    EXPECT_GT(rates.back(), 10000);
    EXPECT_LT(rates.back(), 50000);
}

TEST(HttpTaskRateTest, ARateBeyondTheIntRangeIsCappedNotWrapped)
{
    // Reads shorter than a millisecond count as 0 ms, so a fast link can
    // pile up gigabytes over two seconds of counted read time.
    HttpTask task;
    const char byte = 0;
    HttpTaskChunk chunk;
    chunk.data = &byte;
    chunk.count = 1;
    chunk.elapsedMs = 1;
    chunk.sampleBytes = 10'000'000'000;
    chunk.sampleMs = 2000;
    ASSERT_TRUE(AcceptReceivedBlock(task, chunk));
    EXPECT_EQ(task.bytesPerSecond, std::numeric_limits<int>::max());
    EXPECT_EQ(chunk.sampleBytes, 0);
}

TEST_F(HttpTaskTest, DestroyingTheManagerStopsAndFreesRunningTasks)
{
    Behaviour b;
    b.trickleBytes = 500;
    b.trickleDelayMs = 20;
    site.SetBehaviour("/video.flv", b);
    {
        RecordingManager m;
        for (int i = 0; i < 4; ++i)
            m.AddTask(site.Url("/video.flv"), 0, -1, false, "k", {}, 8192, i % 2 ? 500 : 0);
        ASSERT_TRUE(test_support::RunEventsUntil([&] { return m.Count(Event::Receive) >= 2; }));
    }
    // The trickle would go on for seconds: the connections close only
    // because the destructor stopped every worker.
    EXPECT_TRUE(test_support::RunEventsUntil([&] { return site.OpenConnections() == 0; }, std::chrono::milliseconds(1500)));
}

// Deletes itself from inside one of its own notifications, as an owner may
// when a download's end makes the manager unneeded (or a nested event loop
// in a handler closes the program).
class SelfDeletingManager : public FCHttpTaskManager<CWnd> {
public:
    enum class At { Receive, Finish };
    SelfDeletingManager(std::unique_ptr<SelfDeletingManager>& holder, At at) : holder_(holder), at_(at) { Create(); }

protected:
    void OnTaskReceive(HttpTask*, const char*, int, int) override
    {
        if (at_ == At::Receive)
            holder_.reset();
    }
    void OnTaskFinish(HttpTask*, bool) override
    {
        if (at_ == At::Finish)
            holder_.reset();
    }

private:
    std::unique_ptr<SelfDeletingManager>& holder_;
    At at_;
};

TEST_F(HttpTaskTest, AManagerDeletedInsideItsOwnNotificationDoesNotWaitForThatWorker)
{
    // The worker whose message is being handled waits for the handler to
    // return, so the destructor cannot wait for it to end.
    Behaviour b;
    b.trickleBytes = 20000;
    b.trickleDelayMs = 5;
    site.SetBehaviour("/video.flv", b);
    for (const auto at : {SelfDeletingManager::At::Receive, SelfDeletingManager::At::Finish}) {
        std::unique_ptr<SelfDeletingManager> holder;
        holder = std::make_unique<SelfDeletingManager>(holder, at);
        holder->AddTask(site.Url("/video.flv"), 0, -1, false);
        EXPECT_TRUE(test_support::RunEventsUntil([&] { return holder == nullptr; }));
        // The worker ends on its own and closes its connection.
        EXPECT_TRUE(test_support::RunEventsUntil([&] { return site.OpenConnections() == 0; }));
    }
}

// A worker blocked in a call that never looks at its stop flag: curl
// reading a named pipe whose writer sends nothing.
TEST_F(HttpTaskTest, DestroyingTheManagerWaitsForAStuckWorkerOnlyForABound)
{
    const std::string fifo = ::testing::TempDir() + "quelt-stuck-task-" + std::to_string(::getpid());
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto manager = std::make_unique<RecordingManager>();
    manager->AddTask("file://" + fifo, 0, -1, false);
    // The writer's open succeeds once the worker has the pipe open for reading.
    int writer = -1;
    ASSERT_TRUE(test_support::RunEventsUntil([&] {
        writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        return writer >= 0;
    }));
    ASSERT_TRUE(test_support::RunEventsUntil([&] { return test_support::SomeThreadReads(fifo, writer); }));
    // Without a bound the destructor would wait for ever; the pipe is closed
    // after a while so that such a failure ends.
    std::promise<void> destroyed;
    std::thread unblock([&writer, done = destroyed.get_future()] {
        done.wait_for(std::chrono::seconds(8));
        ::close(writer);
    });
    const auto start = std::chrono::steady_clock::now();
    manager.reset();
    const auto took = std::chrono::steady_clock::now() - start;
    destroyed.set_value();
    unblock.join();
    ::unlink(fifo.c_str());
    EXPECT_LT(took, HttpTaskList::kStopAllBound + std::chrono::milliseconds(1500));
    // The worker, let go, now reads the end of the pipe, finds its window
    // gone and frees its own record (the sanitizer build watches that).
}

TEST(HttpHeaderListTest, AddIfNewKeepsThePresentHeaderAndReplaceOverwrites)
{
    platform::HttpHeaderList list;
    list.AddIfNew("Range: bytes=1-");
    list.AddIfNew("range: bytes=2-");
    list.AddOrReplace("Referer: a\r\nRANGE: bytes=3-\r\n\r\nAccept: */*\r\n");
    ASSERT_EQ(list.Lines().size(), 3u);
    EXPECT_EQ(list.Lines()[0], "RANGE: bytes=3-");
    EXPECT_EQ(list.Lines()[1], "Referer: a");
    EXPECT_EQ(list.Lines()[2], "Accept: */*");
}

}  // namespace
