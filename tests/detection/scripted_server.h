#pragma once
// Loopback peers for the proxy tests that the test site cannot play: a
// server that runs a script of its own on each accepted connection (heads
// that never end, interim answers, silence), and a client whose every wait
// is bounded, so that a proxy that misbehaves fails a test instead of
// hanging it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace proxy_test {

using Clock = std::chrono::steady_clock;

// Reads into text until it holds the end of a head (an empty line), the
// peer closes, or the time is up; false unless the head ended.
inline bool ReadHeadFrom(int fd, std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = Clock::now() + timeout;
    while (text.find("\r\n\r\n") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        char buffer[4096];
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0)
            return false;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

// Waits until the peer closes (or resets) the connection, discarding what
// it sends; false when it is still open at the end of the time.
inline bool WaitForClose(int fd, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        char buffer[65536];
        if (::recv(fd, buffer, sizeof buffer, 0) <= 0)
            return true;
    }
}

inline bool SendText(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t sent = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

// A TCP server on 127.0.0.1 that runs the script on a thread of its own for
// every connection; the script owns nothing, the server closes the socket.
class ScriptedServer {
public:
    using Script = std::function<void(int fd)>;
    explicit ScriptedServer(Script script) : script_(std::move(script))
    {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof where;
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&where), sizeof where);
        ::listen(listenFd_, 512);
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&where), &length);
        port_ = ntohs(where.sin_port);
        acceptThread_ = std::thread([this] { AcceptLoop(); });
    }
    ~ScriptedServer()
    {
        stopping_ = true;
        ::shutdown(listenFd_, SHUT_RDWR);
        acceptThread_.join();
        ::close(listenFd_);
        {
            std::lock_guard lock(mutex_);
            for (const int fd : fds_)
                ::shutdown(fd, SHUT_RDWR);
        }
        for (std::thread& thread : threads_)
            thread.join();
        for (const int fd : fds_)
            ::close(fd);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const { return port_; }
    int Accepted() const { return accepted_.load(); }
    // Connections whose script has returned.
    int Finished() const { return finished_.load(); }

private:
    void AcceptLoop()
    {
        while (!stopping_) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::lock_guard lock(mutex_);
            fds_.push_back(fd);
            ++accepted_;
            threads_.emplace_back([this, fd] {
                script_(fd);
                ::shutdown(fd, SHUT_RDWR);
                ++finished_;
            });
        }
    }

    Script script_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> accepted_{0};
    std::atomic<int> finished_{0};
    std::thread acceptThread_;
    std::mutex mutex_;
    std::vector<int> fds_;
    std::vector<std::thread> threads_;
};

// What a client got from a connection within a bounded time.
struct Received {
    std::string bytes;
    bool closed = false;  // the peer ended the connection
};

// Reads from fd until the peer closes or the time is up.
inline Received ReceiveAll(int fd, std::chrono::milliseconds timeout)
{
    Received result;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
            return result;
        char buffer[65536];
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) {
            result.closed = true;
            return result;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

}  // namespace proxy_test
