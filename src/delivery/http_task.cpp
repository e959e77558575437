#include "delivery/http_task.h"

#include "platform/http_client.h"
#include "platform/window.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <limits>

const HttpTaskMessages& GetHttpTaskMessages()
{
    static const HttpTaskMessages messages{
        platform::RegisterWindowMessage("HTTPTASK_RESPONSE_HEADER"),
        platform::RegisterWindowMessage("HTTPTASK_RECEIVE"),
        platform::RegisterWindowMessage("HTTPTASK_FINISH"),
        platform::RegisterWindowMessage("HTTPTASK_THREAD_WILL_EXIT"),
    };
    return messages;
}

const std::string& HttpTaskUserAgent()
{
    // Sites tell the program's requests from a browser's by this agent; the
    // "Windows NT 5.1" form belonged to one old system version only.
    static const std::string agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
    return agent;
}

std::uint32_t HttpTaskTickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool AcceptResponseHeader(HttpTask& task, const platform::HttpResponse& response)
{
    if (!task.running.load())
        return false;
    task.statusCode = response.StatusCode();
    const std::string length = response.QueryHeader("Content-Length");
    if (!length.empty())
        task.contentLength = std::strtoll(length.c_str(), nullptr, 10);
    task.lastModified = response.QueryHeader("Last-Modified");
    return true;
}

bool AcceptReceivedBlock(HttpTask& task, HttpTaskChunk& chunk)
{
    if (!task.running.load())
        return false;
    task.received += chunk.count;
    if (task.body)
        task.body->append(chunk.data, static_cast<std::size_t>(chunk.count));
    chunk.sampleBytes += chunk.count;
    chunk.sampleMs += chunk.elapsedMs;
    // The rate is sampled over windows of more than two seconds of read time.
    if (chunk.sampleMs > 2000) {
        // Reads under a millisecond count as 0 ms, so the figure can exceed
        // an int on a fast link; it is capped rather than converted out of range.
        const double rate = static_cast<double>(chunk.sampleBytes) * 1000.0 / static_cast<double>(chunk.sampleMs);
        task.bytesPerSecond = static_cast<int>(std::min(rate, static_cast<double>(std::numeric_limits<int>::max())));
        chunk.sampleBytes = 0;
        chunk.sampleMs = 0;
    }
    return true;
}

bool AcceptFinish(HttpTask& task)
{
    // A stopped task still finishes, but its owner does not hear of it.
    return task.running.exchange(0) != 0;
}
