#pragma once
// Shared pieces of the download manager's tests: a play client on its own
// thread, a program folder in the temporary directory, and a manager wired
// to the play server and the test site.
#include "common/app_folder.h"
#include "common/md5.h"
#include "delivery/flv_cache.h"
#include "delivery/flv_download_manager.h"
#include "delivery/play_request_manager.h"
#include "shell/settings/app_setting_downloads.h"
#include "support/event_wait.h"
#include "test_site/test_site.h"
#include "test_site/test_videos.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace flv_test {

// Fetches one play URL and reads until the server closes.
class PlayClient {
public:
    // extraHeaders: "\r\n"-ended lines added to the request.
    explicit PlayClient(const std::string& playUrl, const std::string& extraHeaders = {})
    {
        const auto hostStart = playUrl.find("//") + 2;
        const auto pathStart = playUrl.find('/', hostStart);
        const std::string host = playUrl.substr(hostStart, pathStart - hostStart);
        const int port = std::stoi(host.substr(host.find(':') + 1));
        fd_ = test_site::ConnectToLoopback(port);
        if (fd_ < 0)
            return;
        const std::string request = "GET " + playUrl.substr(pathStart) + " HTTP/1.1\r\nHost: " + host
                                    + "\r\nAccept: */*\r\n" + extraHeaders + "\r\n";
        ::send(fd_, request.data(), request.size(), MSG_NOSIGNAL);
        reader_ = std::thread([this] {
            char buffer[65536];
            for (;;) {
                const ssize_t count = ::recv(fd_, buffer, sizeof buffer, 0);
                if (count <= 0)
                    break;
                std::lock_guard lock(mutex_);
                data_.append(buffer, static_cast<std::size_t>(count));
            }
            closed_ = true;
        });
    }
    ~PlayClient()
    {
        ::shutdown(fd_, SHUT_RDWR);
        if (reader_.joinable())
            reader_.join();
        ::close(fd_);
    }
    bool Closed() const { return closed_; }
    std::string Header() const
    {
        std::lock_guard lock(mutex_);
        const auto end = data_.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : data_.substr(0, end + 4);
    }
    std::string Body() const
    {
        std::lock_guard lock(mutex_);
        const auto end = data_.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : data_.substr(end + 4);
    }

private:
    int fd_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::string data_;
    std::atomic<bool> closed_{false};
};

// Compares two byte strings and names the first difference, without
// printing megabytes of video on failure.
inline ::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected)
{
    const std::size_t common = std::min(actual.size(), expected.size());
    std::size_t at = 0;
    while (at < common && actual[at] == expected[at])
        ++at;
    if (at == common && actual.size() == expected.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at byte " << at;
}

// Records what the manager asks of the main window and the detection.
struct RecordingObserver : IFlvDownloadObserver {
    bool detectionIdle = true;
    std::vector<std::string> detectionsStarted;
    std::vector<std::string> reports;
    std::vector<int> messages;
    int refreshes = 0;

    bool IsDetectionIdle() const override { return detectionIdle; }
    void StartBackgroundDetection(InfoVideo& video) override { detectionsStarted.push_back(video.a2); }
    void SendDetectionReport(const std::string& key, const std::string& a, const std::string& b) override
    {
        reports.push_back(key + "|" + a + "|" + b);
    }
    void ShowStateMessage(int id, const InfoVideo&) override { messages.push_back(id); }
    void ReportMissingSegments(const InfoVideo& video, std::size_t missing, std::size_t count) override
    {
        missingSegments.push_back(video.a2 + "|" + std::to_string(missing) + "/" + std::to_string(count));
    }
    std::vector<std::string> missingSegments;
    void StreamIsManifest(const InfoVideo& video) override { manifests.push_back(video.a2); }
    std::vector<std::string> manifests;
    void RefreshPlayingSizeAndDuration() override { ++refreshes; }
};

// A later run of the program over the same cache folder and records: a
// play server and a download manager of its own, without background steps.
struct NextRun {
    NextRun(CAppSettingDownloads& settings, IFlvDownloadObserver& observer) : manager{settings, &server, &observer}
    {
        manager.SetBackgroundPeriod(0);
        server.SetRequestServer(&manager);
    }
    ~NextRun() { server.SetRequestServer(nullptr); }

    CPlayRequestManager server;
    CFLVDownloadManager manager;
};

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = (std::filesystem::temp_directory_path()
                  / ("quelt-flv-test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial)))
                     .string() + "/";
        std::filesystem::create_directories(folder + "temp");
        SetAppFolderForTesting(folder);
        ASSERT_TRUE(site.Start());
        settings.idleDownEnable = 0;
        manager.SetBackgroundPeriod(0);
        manager.SetStartDelay(0);
        server.SetRequestServer(&manager);
    }
    void TearDown() override
    {
        manager.StopAllTasks();
        WaitIdle();
        server.SetRequestServer(nullptr);
        SetAppFolderForTesting("");
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    InfoVideo* AddVideo(const std::string& key, const std::string& path, int state = VIDEO_STATE_RESOLVED)
    {
        auto* video = new InfoVideo;
        video->a2 = key;
        video->a3 = "http://page.test/" + key;
        video->a4 = path.empty() ? std::string() : site.Url(path);
        video->state = state;
        settings.playList.PCL_PushObject(video);
        return video;
    }
    void Play(const std::string& key)
    {
        settings.nowPlaying = std::make_unique<PlayingInfo>();
        settings.nowPlaying->key = key;
    }
    static void WriteFile(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string FileBytes(const std::string& path) { return test_site::ReadFileBytes(path); }
    static bool Wait(const std::function<bool()>& done) { return test_support::RunEventsUntil(done); }
    // One GET through the play server, read until the server closes.
    static std::string Fetch(const std::string& url, std::string* header = nullptr)
    {
        PlayClient client(url);
        EXPECT_TRUE(Wait([&] { return client.Closed(); })) << url;
        if (header)
            *header = client.Header();
        return client.Body();
    }
    bool WaitIdle()
    {
        return Wait([&] { return manager.GetTaskCount() == 0; });
    }

    inline static int serial = 0;
    std::string folder;
    test_site::TestSite site;
    CAppSetting settings;
    RecordingObserver observer;
    CPlayRequestManager server;
    CAppSettingDownloads downloadSettings{settings};
    CFLVDownloadManager manager{downloadSettings, &server, &observer};
};

}  // namespace flv_test
