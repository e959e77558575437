#pragma once
// The tasks of one manager in creation order. A task stays listed, stopped
// or not, until its worker has announced its end; only then is it freed.
#include "delivery/http_task.h"

#include <chrono>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

struct HttpTaskRequest {
    std::string url;
    std::int64_t rangeStart = 0;
    std::int64_t byteLimit = -1;
    bool keepBody = false;
    std::string_view key;           // empty: none
    std::string_view extraHeaders;  // empty: none
    int bufferSize = 8192;
    int startDelayMs = 0;
};

class HttpTaskList {
public:
    HttpTaskList() = default;
    HttpTaskList(const HttpTaskList&) = delete;
    HttpTaskList& operator=(const HttpTaskList&) = delete;
    ~HttpTaskList();

    // Creates the task, lists it and starts its worker. Null, with nothing
    // listed, when no thread could be started.
    HttpTask* Add(HWND owner, const HttpTaskRequest& request);
    void StopAll();
    void StopByKey(std::string_view key);
    std::vector<HttpTask*> Running() const;
    // The worker announced its end: wait for it, unlist and free the task.
    // Unknown tasks are ignored.
    void Reap(HttpTask* task);
    // Stops every task and waits for the workers, handling their sends
    // meanwhile, kStopAllBound for all of them together; frees the records
    // of those that ended. A task whose message is being handled right now,
    // or whose worker did not end in time, is left to its worker.
    void StopAndFreeAll();
    static constexpr std::chrono::milliseconds kStopAllBound{3000};
    std::size_t Size() const { return tasks_.size(); }

private:
    static void LetGo(std::unique_ptr<HttpTask>& task);

    std::deque<std::unique_ptr<HttpTask>> tasks_;
};
