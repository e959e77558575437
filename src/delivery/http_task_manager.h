#pragma once
// The HTTP client engine: a hidden window that runs downloads on worker
// threads and turns their events into notifications on its own thread.
// Owners derive from it, create the window and override the notifications.
#include "delivery/http_task.h"
#include "delivery/http_task_list.h"
#include "platform/window.h"

#include <string_view>
#include <vector>

namespace platform {
class HttpResponse;
}

template <typename Base>
class FCHttpTaskManager : public Base {
public:
    FCHttpTaskManager() = default;
    // Stops every task and frees the records once their workers ended.
    ~FCHttpTaskManager() override { tasks_.StopAndFreeAll(); }

    // Starts a download. Does nothing when the window does not exist.
    void AddTask(const std::string& url, std::int64_t rangeStart, std::int64_t byteLimit, bool keepBody,
                 std::string_view key = {}, std::string_view extraHeaders = {}, int bufferSize = 8192,
                 int startDelayMs = 0)
    {
        if (!platform::IsWindow(this->GetSafeHwnd()))
            return;
        tasks_.Add(this->GetSafeHwnd(),
                   HttpTaskRequest{url, rangeStart, byteLimit, keepBody, key, extraHeaders, bufferSize, startDelayMs});
    }
    void StopAllTasks() { tasks_.StopAll(); }
    void StopTasksByKey(std::string_view key) { tasks_.StopByKey(key); }
    // A copy holding the running tasks in creation order; iterate this,
    // since notifications may change the list.
    std::vector<HttpTask*> GetRunningTasks() const { return tasks_.Running(); }
    // Every task not yet freed, stopped ones included.
    std::size_t GetTaskCount() const { return tasks_.Size(); }

protected:
    // The response head arrived; statusCode, contentLength and lastModified
    // are filled in. Called for every status, before the status is judged.
    virtual void OnTaskResponseHeader(HttpTask* /*task*/, const platform::HttpResponse& /*response*/) {}
    // A block arrived; the data is the worker's buffer, valid only now.
    virtual void OnTaskReceive(HttpTask* /*task*/, const char* /*data*/, int /*count*/, int /*elapsedMs*/) {}
    // The transfer is over. Never called for a task stopped before.
    virtual void OnTaskFinish(HttpTask* /*task*/, bool /*success*/) {}

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        const HttpTaskMessages& m = GetHttpTaskMessages();
        auto* task = reinterpret_cast<HttpTask*>(wParam);
        if (msg == m.responseHeader || msg == m.receive || msg == m.finish) {
            // The handler may destroy this manager: past it, only the task
            // (kept alive by its waiting worker) is touched, never a member.
            ++task->handling;
            if (msg == m.responseHeader) {
                const auto& response = *reinterpret_cast<const platform::HttpResponse*>(lParam);
                if (AcceptResponseHeader(*task, response))
                    OnTaskResponseHeader(task, response);
            } else if (msg == m.receive) {
                auto& chunk = *reinterpret_cast<HttpTaskChunk*>(lParam);
                if (AcceptReceivedBlock(*task, chunk))
                    OnTaskReceive(task, chunk.data, chunk.count, chunk.elapsedMs);
            } else if (AcceptFinish(*task)) {
                OnTaskFinish(task, lParam != 0);
            }
            --task->handling;
            return 0;
        }
        if (msg == m.threadWillExit) {
            tasks_.Reap(task);
            return 0;
        }
        return Base::WindowProc(msg, wParam, lParam);
    }

private:
    HttpTaskList tasks_;
};
