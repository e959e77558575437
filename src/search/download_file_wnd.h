#pragma once
// A window that downloads whole files, one thread per URL, and hears about
// each download through its own notifications on the user-interface
// thread: check time (may end the download silently), start, progress,
// the whole body, errors, and a request for proxy credentials. Owners
// derive from it over any window base and override the notifications.
//
// Destruction stops every thread cooperatively and waits at most
// kStopWaitMs for each; the window is destroyed first, so a thread still
// blocked afterwards finds no window and touches nothing of this object.
#include "search/download_file_thread.h"

#include "platform/window.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

template <typename Base>
class FCDownloadFileWndBase : public Base {
public:
    static constexpr int kStopWaitMs = 1000;

    FCDownloadFileWndBase() = default;
    ~FCDownloadFileWndBase() override
    {
        for (Running& running : threads_)
            running.state->stop.store(true);
        this->Destroy();
        for (Running& running : threads_) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
            while (!running.state->ended.load() && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            // One that is still blocked is left to end on its own; it holds
            // its own copy of what it needs.
            if (running.state->ended.load())
                running.thread.join();
            else
                running.thread.detach();
        }
    }

    // Starts a thread for the URL; false for an empty URL. A URL whose
    // download still runs is not started twice.
    bool StartDownload(const std::string& url)
    {
        if (url.empty())
            return false;
        ForgetEndedThreads();
        for (const Running& running : threads_)
            if (running.url == url)
                return true;
        Running running;
        running.url = url;
        running.state = std::make_shared<DownFileThreadState>();
        running.thread = std::thread(&RunFileDownload, this->GetSafeHwnd(), url, running.state, limits_);
        threads_.push_back(std::move(running));
        return true;
    }

    // Downloads still running, for tests and status.
    std::size_t GetDownloadCount()
    {
        ForgetEndedThreads();
        return threads_.size();
    }
    void SetDownloadLimits(DownFileLimits limits) { limits_ = limits; }

protected:
    // Non-zero to go on with the download.
    virtual int OnDownloadCheckTime(const std::string& /*url*/, const std::string& /*lastModified*/) { return 1; }
    virtual void OnListDownloaded(const std::string& /*url*/, const char* /*data*/, std::size_t /*length*/) {}
    virtual void OnProxyValidate(const std::string& /*url*/, std::string& /*userName*/, std::string& /*password*/) {}
    virtual void OnDownloadError(const std::string& /*url*/) {}
    virtual void OnDownloadStart(const std::string& /*url*/) {}
    virtual void OnDownloadProgress(const std::string& /*url*/, std::int64_t /*received*/, std::int64_t /*total*/) {}

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        const DownFileMessages& m = GetDownFileMessages();
        if (msg == m.checkTime) {
            const auto& record = *reinterpret_cast<const DownFileCheckTime*>(lParam);
            return OnDownloadCheckTime(record.url, record.lastModified);
        }
        if (msg == m.downFinished) {
            const auto& record = *reinterpret_cast<const DownFileFinished*>(lParam);
            OnListDownloaded(record.url, record.data, record.length);
            return 0;
        }
        if (msg == m.proxyValidate) {
            auto& record = *reinterpret_cast<DownFileProxyValidate*>(lParam);
            OnProxyValidate(record.url, record.userName, record.password);
            return 0;
        }
        if (msg == m.progress) {
            const auto& record = *reinterpret_cast<const DownFileProgress*>(lParam);
            OnDownloadProgress(record.url, record.received, record.total);
            return 0;
        }
        if (msg == m.error) {
            OnDownloadError(reinterpret_cast<const DownFileUrl*>(lParam)->url);
            return 0;
        }
        if (msg == m.startDownload) {
            OnDownloadStart(reinterpret_cast<const DownFileUrl*>(lParam)->url);
            return 0;
        }
        return Base::WindowProc(msg, wParam, lParam);
    }

private:
    struct Running {
        std::string url;
        std::shared_ptr<DownFileThreadState> state;
        std::thread thread;
    };

    void ForgetEndedThreads()
    {
        std::erase_if(threads_, [](Running& running) {
            if (!running.state->ended.load())
                return false;
            running.thread.join();
            return true;
        });
    }

    std::vector<Running> threads_;
    DownFileLimits limits_;
};
