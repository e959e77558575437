#pragma once
// Test helpers for the play server: a blocking loopback client whose reads
// run on a thread of their own (the test's thread runs the event loop), a
// request server that records what it is given, and file helpers.
#include "delivery/play_request.h"
#include "delivery/play_request_manager.h"
#include "test_site/test_site.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace play_test {

class Client {
public:
    // receiveBuffer > 0 makes a small window, so the server meets a full
    // socket often.
    explicit Client(int port, int receiveBuffer = 0)
    {
        fd_ = test_site::ConnectToLoopback(port, receiveBuffer);
        connected_ = fd_ >= 0;
    }
    ~Client()
    {
        if (reader_.joinable()) {
            ::shutdown(fd_, SHUT_RDWR);
            reader_.join();
        }
        ::close(fd_);
    }

    bool Connected() const { return connected_; }
    void Send(const std::string& text) { ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL); }
    void SendGet(const std::string& path, const std::string& host)
    {
        Send("GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\nUser-Agent: test\r\nAccept: */*\r\n\r\n");
    }
    // Reads until the server closes, readSize bytes at a time.
    void StartReading(std::size_t readSize = 65536)
    {
        reader_ = std::thread([this, readSize] {
            std::vector<char> buffer(readSize);
            for (;;) {
                const ssize_t count = ::recv(fd_, buffer.data(), buffer.size(), 0);
                if (count <= 0)
                    break;
                received_.append(buffer.data(), static_cast<std::size_t>(count));
            }
            finished_ = true;
        });
    }
    bool Finished() const { return finished_; }
    // Valid once Finished().
    const std::string& Received() const { return received_; }
    void CloseNow()
    {
        ::shutdown(fd_, SHUT_RDWR);
    }
    // Half-closes: the request is all the server will get.
    void FinishSending() { ::shutdown(fd_, SHUT_WR); }

private:
    int fd_ = -1;
    bool connected_ = false;
    std::thread reader_;
    std::atomic<bool> finished_{false};
    std::string received_;
};

// Records every request it is handed and runs an optional action on it.
class RecordingServer : public IPlayRequestServer {
public:
    void ServeRequest(CPlayRequest& request) override
    {
        served.push_back(&request);
        paths.push_back(request.GetPath());
        keys.push_back(request.GetKey());
        if (onServe)
            onServe(request);
    }
    std::vector<CPlayRequest*> served;
    std::vector<std::string> paths;
    std::vector<std::string> keys;
    std::function<void(CPlayRequest&)> onServe;
};

inline std::string PatternBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

inline void AppendToFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::filesystem::path MakeTempFolder()
{
    std::filesystem::path folder = std::filesystem::temp_directory_path()
                                   / ("quelt-play-test-" + std::to_string(::getpid()) + "-"
                                      + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    return folder;
}

inline const std::string kPlainHeader = "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";

}  // namespace play_test
