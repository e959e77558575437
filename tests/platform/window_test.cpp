#include "platform/window.h"

#include "support/event_wait.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using test_support::RunEventsUntil;

namespace {

constexpr UINT kRecord = WM_USER + 1;

// Records the messages it handles and the thread they ran on.
class Recorder : public CWnd {
public:
    std::vector<WPARAM> seen;
    std::vector<std::thread::id> threads;
    std::vector<UINT_PTR> ticks;
    std::function<void(UINT_PTR)> onTimer;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kRecord) {
            seen.push_back(wParam);
            threads.push_back(std::this_thread::get_id());
            return static_cast<LRESULT>(wParam) + lParam;
        }
        if (msg == WM_TIMER) {
            ticks.push_back(wParam);
            if (onTimer)
                onTimer(wParam);
        }
        return 0;
    }
};

}  // namespace

TEST(Window, SendOnTheOwnerThreadIsADirectCall)
{
    Recorder w;
    ASSERT_TRUE(w.Create());
    EXPECT_FALSE(w.Create());
    EXPECT_TRUE(platform::IsWindow(w.GetSafeHwnd()));
    EXPECT_EQ(w.SendMessage(kRecord, 40, 2), 42);
    EXPECT_EQ(w.seen, std::vector<WPARAM>{40});
}

TEST(Window, SendFromAWorkerBlocksUntilTheOwnerHasHandledIt)
{
    Recorder w;
    w.Create();
    const HWND hwnd = w.GetSafeHwnd();
    std::atomic<bool> finished{false};
    std::vector<std::size_t> seenAfterSend;
    LRESULT result = 0;
    std::thread worker([&] {
        for (WPARAM i = 1; i <= 50; ++i) {
            result = platform::SendMessage(hwnd, kRecord, i, 0);
            // The handler's effect is visible as soon as the send returns.
            seenAfterSend.push_back(w.seen.size());
        }
        finished = true;
    });
    EXPECT_TRUE(RunEventsUntil([&] { return finished.load(); }));
    worker.join();
    EXPECT_EQ(result, 50);
    ASSERT_EQ(seenAfterSend.size(), 50u);
    for (std::size_t i = 0; i < 50; ++i)
        EXPECT_EQ(seenAfterSend[i], i + 1);
    for (auto id : w.threads)
        EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(Window, PostsKeepTheirOrderAndRunOnTheOwnerThread)
{
    Recorder w;
    w.Create();
    const HWND hwnd = w.GetSafeHwnd();
    std::thread worker([&] {
        for (WPARAM i = 0; i < 200; ++i)
            platform::PostMessage(hwnd, kRecord, i, 0);
    });
    for (WPARAM i = 200; i < 210; ++i)
        w.PostMessage(kRecord, i, 0);
    worker.join();
    EXPECT_TRUE(w.seen.empty());  // a post never runs inside the poster's call
    ASSERT_TRUE(RunEventsUntil([&] { return w.seen.size() == 210; }));
    std::vector<WPARAM> fromWorker, fromOwner;
    for (WPARAM v : w.seen)
        (v < 200 ? fromWorker : fromOwner).push_back(v);
    for (std::size_t i = 0; i < fromWorker.size(); ++i)
        EXPECT_EQ(fromWorker[i], i);
    for (std::size_t i = 0; i < fromOwner.size(); ++i)
        EXPECT_EQ(fromOwner[i], 200 + i);
}

TEST(Window, TimerFiresOnItsWindowsThreadUntilKilled)
{
    Recorder w;
    std::thread::id timerThread;
    // A window owned by another thread with its own event loop; timers need
    // a thread that Qt started.
    std::unique_ptr<QThread> owner(QThread::create([&] {
        w.Create();
        w.onTimer = [&](UINT_PTR id) {
            timerThread = std::this_thread::get_id();
            if (w.ticks.size() == 3)
                w.KillTimer(id);
        };
        EXPECT_EQ(w.SetTimer(7, 1), 7u);
        RunEventsUntil([&] { return w.ticks.size() >= 3; });
        // Killed: a few more loop turns give no further tick.
        RunEventsUntil([] { return false; }, std::chrono::milliseconds(30));
        w.Destroy();
    }));
    owner->start();
    owner->wait();
    EXPECT_EQ(w.ticks, (std::vector<UINT_PTR>{7, 7, 7}));
    EXPECT_NE(timerThread, std::this_thread::get_id());
}

TEST(Window, SetTimerFromAnotherThreadIsRefused)
{
    Recorder w;
    w.Create();
    UINT_PTR result = 1;
    std::thread([&] { result = w.SetTimer(3, 10); }).join();
    EXPECT_EQ(result, 0u);
}

TEST(Window, DestroyedWindowsIgnoreSendsAndPosts)
{
    Recorder w;
    w.Create();
    const HWND hwnd = w.GetSafeHwnd();
    w.PostMessage(kRecord, 1, 0);
    w.Destroy();
    EXPECT_FALSE(platform::IsWindow(hwnd));
    EXPECT_EQ(platform::SendMessage(hwnd, kRecord, 5, 0), 0);
    EXPECT_FALSE(platform::PostMessage(hwnd, kRecord, 6, 0));
    LRESULT fromWorker = -1;
    std::thread([&] { fromWorker = platform::SendMessage(hwnd, kRecord, 7, 0); }).join();
    EXPECT_EQ(fromWorker, 0);
    // The post queued before destruction is dropped, not delivered.
    RunEventsUntil([] { return false; }, std::chrono::milliseconds(20));
    EXPECT_TRUE(w.seen.empty());
    EXPECT_FALSE(platform::IsWindow(0));
}

TEST(Window, SendPendingWhenTheWindowIsDestroyedReturnsZero)
{
    auto w = std::make_unique<Recorder>();
    w->Create();
    const HWND hwnd = w->GetSafeHwnd();
    std::atomic<bool> sent{false};
    LRESULT result = -1;
    std::thread worker([&] {
        sent = true;
        result = platform::SendMessage(hwnd, kRecord, 9, 0);
    });
    // The owner destroys the window without handling the send first.
    while (!sent)
        std::this_thread::yield();
    w.reset();
    EXPECT_TRUE(RunEventsUntil([&] { return result != -1; }));
    worker.join();
    EXPECT_EQ(result, 0);
}

TEST(Window, WaitingOwnerStillHandlesSendsFromTheWorkerItWaitsFor)
{
    Recorder w;
    w.Create();
    const HWND hwnd = w.GetSafeHwnd();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        platform::SendMessage(hwnd, kRecord, 1, 0);
        done = true;
    });
    EXPECT_TRUE(platform::WaitWhileDispatching([&] { return done.load(); }, std::chrono::seconds(10)));
    worker.join();
    EXPECT_EQ(w.seen, std::vector<WPARAM>{1});
}

TEST(Window, SendsToAThreadThatHasEndedReturnZero)
{
    auto w = std::make_unique<Recorder>();
    std::thread([&] { w->Create(); }).join();
    EXPECT_EQ(platform::SendMessage(w->GetSafeHwnd(), kRecord, 1, 0), 0);
    EXPECT_FALSE(platform::PostMessage(w->GetSafeHwnd(), kRecord, 1, 0));
}

TEST(RegisterWindowMessage, SameNameSameNumberFromAnyThread)
{
    std::vector<UINT> numbers(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] { numbers[i] = platform::RegisterWindowMessage("HTTPTASK_RECEIVE"); });
    for (auto& t : threads)
        t.join();
    for (UINT n : numbers)
        EXPECT_EQ(n, numbers[0]);
    EXPECT_GE(numbers[0], 0xC000u);
    EXPECT_NE(platform::RegisterWindowMessage("HTTPTASK_FINISH"), numbers[0]);
    EXPECT_EQ(platform::RegisterWindowMessage("HTTPTASK_RECEIVE"), numbers[0]);
}
