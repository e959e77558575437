#pragma once
// One HTTP download run by a worker thread of its own, and the messages by
// which the worker hands every event to its manager's window.
#include "platform/window_types.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace platform {
class HttpResponse;
}

struct HttpTask {
    // Set at creation, read-only afterwards (the worker reads them freely).
    std::string url;
    std::int64_t rangeStart = 0;  // 0: no Range header
    std::int64_t byteLimit = -1;  // -1: read to the end
    std::string userAgent;
    std::string extraHeaders;     // "\r\n"-ended lines, may be empty
    std::string key;              // the owner's name for the task
    int bufferSize = 8192;
    int startDelayMs = 0;
    std::thread thread;
    HWND ownerWindow = 0;
    std::uint32_t createTick = 0;

    // Cleared (never set again) to stop the task; the only field both
    // threads change, always by atomic exchange.
    std::atomic<int> running{1};

    // Written only on the window's thread, while the worker waits in a send.
    unsigned statusCode = 0;
    std::int64_t contentLength = 0;  // 0 when the response had none
    std::string lastModified;
    std::int64_t received = 0;       // body bytes of this task so far
    std::unique_ptr<std::string> body;  // every block, when the owner asked for it
    int bytesPerSecond = 0;
    // The first bytes of a download from byte 0, kept by its owner until
    // they tell what the stream is.
    std::string streamStart;
    bool streamStartJudged = false;
    // Messages of this task being handled right now (its worker waits).
    int handling = 0;

    // Set by the worker as its very last action; the record may be freed
    // only after this (and the thread joined).
    std::atomic<bool> workerEnded{false};
    // Whichever side sets it first leaves the record to the other, always by
    // atomic exchange. The worker sets it after its finish message: the
    // window then frees the record once the worker ended. The window sets it
    // when it gives up on a worker (its manager is destroyed inside a
    // notification of this task, or the worker did not end in time): the
    // thread is detached and the worker frees the record itself after its
    // finish message.
    std::atomic<bool> letGo{false};
};

// One block handed from the worker to the window. It lives in the worker's
// frame; the window reads and updates it while the worker waits.
struct HttpTaskChunk {
    const char* data = nullptr;  // the worker's reused read buffer
    int capacity = 0;            // bufferSize, or -1 when there is no buffer
    int count = 0;               // bytes of this block
    int elapsedMs = 0;           // time the read took
    std::int64_t sampleBytes = 0;
    std::int64_t sampleMs = 0;
};

// The four registered messages (registered on first use by either side).
struct HttpTaskMessages {
    UINT responseHeader;  // "HTTPTASK_RESPONSE_HEADER": wParam task, lParam const platform::HttpResponse*
    UINT receive;         // "HTTPTASK_RECEIVE": wParam task, lParam HttpTaskChunk*
    UINT finish;          // "HTTPTASK_FINISH": wParam task, lParam 1 success / 0 failure
    UINT threadWillExit;  // "HTTPTASK_THREAD_WILL_EXIT" (posted): wParam task
};
const HttpTaskMessages& GetHttpTaskMessages();

// The program-wide agent string, computed once.
const std::string& HttpTaskUserAgent();

// Milliseconds of a monotonic clock, wrapping like a tick count.
std::uint32_t HttpTaskTickCount();

// The worker's body: connects, reports the head and every block, judges
// success, reports the end and posts its exit.
void RunHttpTask(HttpTask* task);

// The window-side handling of each message; each returns true when the
// owner's notification is to be called.
bool AcceptResponseHeader(HttpTask& task, const platform::HttpResponse& response);
bool AcceptReceivedBlock(HttpTask& task, HttpTaskChunk& chunk);
bool AcceptFinish(HttpTask& task);
