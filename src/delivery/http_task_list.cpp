#include "delivery/http_task_list.h"

#include "platform/window.h"

#include <algorithm>
#include <chrono>
#include <system_error>

HttpTaskList::~HttpTaskList()
{
    StopAndFreeAll();
}

HttpTask* HttpTaskList::Add(HWND owner, const HttpTaskRequest& request)
{
    auto task = std::make_unique<HttpTask>();
    task->url = request.url;
    task->rangeStart = request.rangeStart;
    task->byteLimit = request.byteLimit;
    task->userAgent = HttpTaskUserAgent();
    task->extraHeaders = std::string(request.extraHeaders);
    task->key = std::string(request.key);
    task->bufferSize = request.bufferSize;
    task->startDelayMs = request.startDelayMs;
    task->ownerWindow = owner;
    task->createTick = HttpTaskTickCount();
    if (request.keepBody)
        task->body = std::make_unique<std::string>();
    HttpTask* raw = task.get();
    // Listed before the worker runs, so that its first message finds it.
    tasks_.push_back(std::move(task));
    try {
        raw->thread = std::thread(RunHttpTask, raw);
    } catch (const std::system_error&) {
        // Without a worker nothing would ever end the task, and the
        // destructor would wait for it forever; the download just fails to start.
        tasks_.pop_back();
        return nullptr;
    }
    return raw;
}

void HttpTaskList::StopAll()
{
    for (HttpTask* task : Running())
        task->running.exchange(0);
}

void HttpTaskList::StopByKey(std::string_view key)
{
    for (HttpTask* task : Running())
        if (task->key == key)
            task->running.exchange(0);
}

std::vector<HttpTask*> HttpTaskList::Running() const
{
    std::vector<HttpTask*> running;
    for (const auto& task : tasks_)
        if (task->running.load())
            running.push_back(task.get());
    return running;
}

void HttpTaskList::Reap(HttpTask* task)
{
    const auto it = std::find_if(tasks_.begin(), tasks_.end(), [task](const auto& t) { return t.get() == task; });
    if (it == tasks_.end())
        return;
    // The worker posted its exit as its last act; the join is short.
    if (task->thread.joinable())
        task->thread.join();
    tasks_.erase(it);
}

void HttpTaskList::StopAndFreeAll()
{
    if (tasks_.empty())
        return;
    for (auto& task : tasks_)
        task->running.exchange(0);
    // A worker whose message is being handled further up this thread's
    // stack (the manager is destroyed from inside a notification) cannot end
    // before that handler returns; it is left to free its own record.
    for (auto& task : tasks_) {
        if (task->handling > 0) {
            task->freedByWorker.store(true);
            task->thread.detach();
            task.release();
        }
    }
    std::erase_if(tasks_, [](const auto& task) { return !task; });
    for (auto& task : tasks_)
        platform::WaitWhileDispatching([&] { return task->workerEnded.load(); }, std::chrono::milliseconds(100));
    // A thread cannot be ended safely from outside; a stopped worker gives
    // up within one progress poll of its client, so it is waited for.
    for (auto& task : tasks_) {
        while (!platform::WaitWhileDispatching([&] { return task->workerEnded.load(); }, std::chrono::seconds(1))) {
        }
        if (task->thread.joinable())
            task->thread.join();
    }
    tasks_.clear();
}
