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

// Gives the record to its worker when the worker has not yet claimed it;
// otherwise the worker is past its finish message and ends at once.
void HttpTaskList::LetGo(std::unique_ptr<HttpTask>& task)
{
    if (!task->letGo.exchange(true)) {
        task->thread.detach();
        task.release();
        return;
    }
    if (task->thread.joinable())
        task->thread.join();
    task.reset();
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
    for (auto& task : tasks_)
        if (task->handling > 0)
            LetGo(task);
    std::erase_if(tasks_, [](const auto& task) { return !task; });
    // A stopped worker gives up within one progress poll of its client, so
    // all of them normally end well within the bound. One stuck in a call
    // that does not look at its flag (a blocked read, a slow name lookup)
    // would hold the window forever, so after the bound it is let go: it
    // owns its record from then on, and it reaches the window only through
    // the handle, whose sends give 0 once the window is destroyed, so it
    // never touches freed memory.
    platform::WaitWhileDispatching(
        [&] { return std::all_of(tasks_.begin(), tasks_.end(), [](const auto& t) { return t->workerEnded.load(); }); },
        kStopAllBound);
    for (auto& task : tasks_) {
        if (task->workerEnded.load()) {
            if (task->thread.joinable())
                task->thread.join();
            task.reset();
        } else {
            LetGo(task);
        }
    }
    tasks_.clear();
}
