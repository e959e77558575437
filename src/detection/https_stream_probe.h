#pragma once
// Streams fetched over HTTPS pass the interception proxy as tunnels, their
// bytes unseen. A detection view hands such requests of its page here: the
// first bytes are fetched again (a small Range request with the page's
// User-Agent and Referer) and classified as the proxy's first bytes would
// be. At most three run at a time and 32 per page, so a page that fetches
// hundreds of resources costs little.
#include "delivery/http_task_manager.h"
#include "common/stream_start.h"
#include "platform/window.h"

#include <deque>
#include <functional>
#include <set>
#include <string>

class CHttpsStreamProbe : public FCHttpTaskManager<CWnd> {
public:
    static constexpr int kMaxRunning = 3;
    static constexpr int kMaxPerPage = 32;
    static constexpr int kBytes = 64;

    using Result = std::function<void(const std::string& url, StreamStart kind)>;
    // referer and agent go with every probe.
    CHttpsStreamProbe(std::string referer, std::string agent, Result result);

    // Each URL is probed once.
    void Probe(const std::string& url);

protected:
    void OnTaskFinish(HttpTask* task, bool success) override;

private:
    void Pump();

    std::string headers_;
    Result result_;
    std::set<std::string> seen_;
    std::deque<std::string> waiting_;
};
