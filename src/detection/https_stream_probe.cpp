#include "detection/https_stream_probe.h"

CHttpsStreamProbe::CHttpsStreamProbe(std::string referer, std::string agent, Result result)
    : headers_("Range: bytes=0-" + std::to_string(kBytes - 1) + "\r\nReferer: " + referer + "\r\nUser-Agent: " + agent
               + "\r\n"),
      result_(std::move(result))
{
    Create();
}

void CHttpsStreamProbe::Probe(const std::string& url)
{
    if (seen_.size() >= static_cast<std::size_t>(kMaxPerPage) || !seen_.insert(url).second)
        return;
    waiting_.push_back(url);
    Pump();
}

void CHttpsStreamProbe::Pump()
{
    while (!waiting_.empty() && GetRunningTasks().size() < static_cast<std::size_t>(kMaxRunning)) {
        AddTask(waiting_.front(), 0, kBytes, true, {}, headers_);
        waiting_.pop_front();
    }
}

// A server that ignores the range still gives its first bytes; a file
// shorter than the probe is whole.
void CHttpsStreamProbe::OnTaskFinish(HttpTask* task, bool)
{
    const std::string url = task->url;
    const StreamStart kind =
        task->body ? ClassifyStreamStart(task->body->data(), task->body->size()) : StreamStart::None;
    Pump();
    if (result_)
        result_(url, kind);  // may destroy this probe
}
