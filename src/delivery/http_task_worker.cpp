// The worker thread of one HttpTask. It never touches its owner's data: it
// reads its own task's fixed fields and hands every event over with a
// synchronous send, so that the window thread updates the task while the
// worker waits.
#include "delivery/http_task.h"

#include "platform/http_client.h"
#include "platform/window.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

class Worker {
public:
    explicit Worker(HttpTask& task) : task_(task), messages_(GetHttpTaskMessages()) {}

    bool Run()
    {
        if (!WaitStartDelay())
            return false;
        platform::HttpHeaderList headers;
        if (task_.rangeStart != 0)
            headers.AddIfNew("Range: bytes=" + std::to_string(task_.rangeStart) + "-");
        if (!task_.extraHeaders.empty())
            headers.AddOrReplace(task_.extraHeaders);
        if (!Running())
            return false;

        platform::HttpClient client(task_.userAgent);
        chunk_.capacity = task_.bufferSize > 0 ? task_.bufferSize : -1;
        platform::HttpClient::Callbacks callbacks;
        callbacks.onHead = [this](const platform::HttpResponse& response) { return OnHead(response); };
        callbacks.onBody = [this](const char* data, std::size_t size) { return OnBody(data, size); };
        callbacks.keepGoing = [this] { return Running(); };
        const auto outcome = client.Get(task_.url, headers, static_cast<std::size_t>(std::max(task_.bufferSize, 1)),
                                        callbacks);
        if (!client.GotResponse() || !statusOk_)
            return false;

        if (task_.byteLimit > 0 && task_.byteLimit == task_.received)
            return true;
        // A body whose length was announced is complete only when all of it
        // came; a dropped connection is no success.
        if (task_.contentLength != 0)
            return task_.contentLength == task_.received;
        // Without a length, only a clean end can be trusted, and then the
        // server is asked once more to tell a clean end from a lost server.
        return outcome == platform::HttpClient::Outcome::Complete && client.Head(task_.url, callbacks.keepGoing);
    }

private:
    bool Running() const { return task_.running.load() != 0; }

    bool WaitStartDelay()
    {
        for (int i = 0; i < task_.startDelayMs / 50; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!Running())
                return false;
        }
        return true;
    }

    bool OnHead(const platform::HttpResponse& response)
    {
        platform::SendMessage(task_.ownerWindow, messages_.responseHeader, reinterpret_cast<WPARAM>(&task_),
                              reinterpret_cast<LPARAM>(&response));
        statusOk_ = task_.statusCode >= 200 && task_.statusCode <= 299;
        lastTick_ = std::chrono::steady_clock::now();
        return statusOk_;
    }

    // The client already hands over blocks of at most the task's size; a
    // block is cut short at the byte limit, and the transfer stops there.
    bool OnBody(const char* data, std::size_t size)
    {
        std::size_t offset = 0;
        while (offset < size) {
            if (!Running())
                return false;
            std::int64_t want = chunk_.capacity > 0 ? chunk_.capacity : 0;
            if (task_.byteLimit != -1)
                want = std::min(want, task_.byteLimit - task_.received);
            if (want <= 0)
                return false;
            const auto now = std::chrono::steady_clock::now();
            chunk_.data = data + offset;
            chunk_.count = static_cast<int>(std::min<std::int64_t>(want, static_cast<std::int64_t>(size - offset)));
            chunk_.elapsedMs = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(now - lastTick_).count());
            platform::SendMessage(task_.ownerWindow, messages_.receive, reinterpret_cast<WPARAM>(&task_),
                                  reinterpret_cast<LPARAM>(&chunk_));
            offset += static_cast<std::size_t>(chunk_.count);
            lastTick_ = std::chrono::steady_clock::now();
        }
        return true;
    }

    HttpTask& task_;
    const HttpTaskMessages& messages_;
    HttpTaskChunk chunk_;
    bool statusOk_ = false;
    std::chrono::steady_clock::time_point lastTick_ = std::chrono::steady_clock::now();
};

}  // namespace

void RunHttpTask(HttpTask* task)
{
    const HttpTaskMessages& messages = GetHttpTaskMessages();
    bool success = false;
    {
        Worker worker(*task);
        success = worker.Run();
    }
    const HWND owner = task->ownerWindow;
    platform::SendMessage(owner, messages.finish, reinterpret_cast<WPARAM>(task), success ? 1 : 0);
    if (task->letGo.exchange(true)) {
        // The manager gave up on this thread and left the record to it. The
        // window was reached only through its handle, which is never reused:
        // a send to a destroyed window returns 0 without calling anything.
        delete task;
        return;
    }
    // From here on the record may be freed at any moment.
    task->workerEnded.store(true);
    platform::PostMessage(owner, messages.threadWillExit, reinterpret_cast<WPARAM>(task), 0);
}
