#pragma once
// The download thread of FCDownloadFileWndBase: one GET of one URL, whose
// events reach the owning window as synchronous sends of the registered
// "ZORVAN_WM_DOWNFILE_*" messages, each with a record in the thread's
// memory. The thread stops reading as soon as the window is gone or its
// owner asked it to stop, and then sends nothing more.
#include "platform/window_types.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct DownFileMessages {
    UINT checkTime;      // DownFileCheckTime*; the result is the check's answer
    UINT downFinished;   // DownFileFinished*
    UINT proxyValidate;  // DownFileProxyValidate*
    UINT progress;       // DownFileProgress*
    UINT error;          // DownFileUrl*
    UINT startDownload;  // DownFileUrl*
};
const DownFileMessages& GetDownFileMessages();

struct DownFileUrl {
    std::string url;
};
struct DownFileCheckTime {
    std::string url;
    std::string lastModified;
};
struct DownFileFinished {
    std::string url;
    const char* data = nullptr;
    std::size_t length = 0;
};
struct DownFileProxyValidate {
    std::string url;
    std::string userName;  // filled in by the window
    std::string password;
};
struct DownFileProgress {
    std::string url;
    std::int64_t received = 0;
    std::int64_t total = 0;  // 0 when unknown
};

// What the thread shares with its owner; it outlives an owner that gave up
// waiting for it.
struct DownFileThreadState {
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
};

struct DownFileLimits {
    // A body larger than this is a failed download: a list is small.
    std::size_t maxBody = 16 * 1024 * 1024;
    long connectTimeoutMs = 30000;
};

inline constexpr const char* kDownFileAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)";

void RunFileDownload(HWND window, const std::string& url, std::shared_ptr<DownFileThreadState> state,
                     DownFileLimits limits);
