// The interception proxy under hostile traffic, measured in its own
// process: resident memory and thread count before and after
//   1. 1,000 aborted connections (half with a request to a silent server,
//      half in the middle of their head, each ended by a reset),
//   2. 200 slow clients that send one byte of a head every 5 s, held for
//      the given seconds (60 unless told),
//   3. one answer head of 128 MiB that never ends.
// Not a timed test: it prints figures for a person to read.
//   proxy_limits_bench [hold-seconds]
#include "detection/interception_proxy.h"
#include "test_site/test_site.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Usage {
    long residentKiB = 0;
    int threads = 0;
};

Usage Now()
{
    Usage usage;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            usage.residentKiB = std::atol(line.c_str() + 6);
        else if (line.starts_with("Threads:"))
            usage.threads = std::atoi(line.c_str() + 8);
    }
    return usage;
}

void Print(const char* what, const Usage& usage)
{
    std::printf("  %-34s %7.1f MiB resident, %4d threads\n", what, usage.residentKiB / 1024.0, usage.threads);
}

int Listen(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
    ::listen(fd, 4096);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
    port = ntohs(where.sin_port);
    return fd;
}


void Send(int fd, const std::string& text)
{
    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

// Ends a connection with a reset, as a client killed or crashed does.
void Abort(int fd)
{
    const linger now{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    ::close(fd);
}

// A server that accepts and then never says a word.
class SilentServer {
public:
    SilentServer()
    {
        listenFd_ = Listen(port_);
        thread_ = std::thread([this] {
            for (int fd; (fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                std::lock_guard lock(mutex_);
                held_.push_back(fd);
            }
        });
    }
    ~SilentServer()
    {
        ::shutdown(listenFd_, SHUT_RDWR);
        thread_.join();
        ::close(listenFd_);
        for (const int fd : held_)
            ::close(fd);
    }
    int Port() const { return port_; }

private:
    int listenFd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<int> held_;
};

bool WaitUntilIdle(const CHookInternetAPI& proxy, std::chrono::seconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (proxy.OpenConnections() != 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    return proxy.OpenConnections() == 0;
}

void AbortedConnections(const CHookInternetAPI& proxy)
{
    SilentServer silent;
    const std::string request = "GET http://127.0.0.1:" + std::to_string(silent.Port()) + "/v.flv HTTP/1.1\r\nHost: x\r\n\r\n";
    std::printf("1,000 aborted connections\n");
    Print("before", Now());
    std::size_t peakOpen = 0;
    for (int i = 0; i < 1000; ++i) {
        const int fd = test_site::ConnectToLoopback(proxy.Port());
        if (fd < 0)
            continue;
        Send(fd, i % 2 ? request : request.substr(0, 20));
        peakOpen = std::max(peakOpen, proxy.OpenConnections());
        Abort(fd);
    }
    const bool idle = WaitUntilIdle(proxy, 30s);
    Print(idle ? "after (all ended)" : "after (some still open!)", Now());
    std::printf("  most open at once: %zu\n", peakOpen);
}

void SlowClients(const CHookInternetAPI& proxy, int holdSeconds)
{
    std::printf("200 slow clients, one byte of a head every 5 s, held %d s\n", holdSeconds);
    const Usage before = Now();
    Print("before", before);
    std::vector<int> clients;
    for (int i = 0; i < 200; ++i)
        clients.push_back(test_site::ConnectToLoopback(proxy.Port()));
    const std::string head = "GET http://127.0.0.1:9/slow HTTP/1.1\r\nHost: x\r\nX-Slow: ";
    int refused = 0, timedOut = 0;
    std::vector<bool> ended(clients.size(), false);
    Usage peak = before;
    const auto start = Clock::now();
    for (int second = 0; Clock::now() - start < std::chrono::seconds(holdSeconds); ++second) {
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (ended[i] || clients[i] < 0)
                continue;
            char answer[64];
            const ssize_t count = ::recv(clients[i], answer, sizeof answer, MSG_DONTWAIT);
            if (count > 0 && std::string(answer, static_cast<std::size_t>(count)).starts_with("HTTP/1.1 503")) {
                ++refused;
                ended[i] = true;
            } else if (count == 0 || (count < 0 && errno != EAGAIN)) {
                ++timedOut;
                ended[i] = true;
            } else if (second % 5 == 0) {
                Send(clients[i], std::string(1, head[static_cast<std::size_t>(second / 5) % head.size()]));
            }
        }
        const Usage usage = Now();
        peak.residentKiB = std::max(peak.residentKiB, usage.residentKiB);
        peak.threads = std::max(peak.threads, usage.threads);
        std::this_thread::sleep_for(1s);
    }
    Print("peak while held", peak);
    Print("at the end of the hold", Now());
    std::printf("  refused with 503: %d; closed by the proxy (head time-out): %d; still open: %zu\n", refused, timedOut,
                proxy.OpenConnections());
    for (const int fd : clients)
        if (fd >= 0)
            ::close(fd);
    const bool idle = WaitUntilIdle(proxy, 30s);
    Print(idle ? "after (all ended)" : "after (some still open!)", Now());
}

void EndlessAnswerHead(const CHookInternetAPI& proxy)
{
    constexpr std::int64_t kHeadBytes = 128ll * 1024 * 1024;
    std::printf("an answer head of 128 MiB\n");
    Print("before", Now());
    int port = 0;
    const int listenFd = Listen(port);
    std::atomic<std::int64_t> sent{0};
    std::thread server([&] {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        char request[4096];
        ::recv(fd, request, sizeof request, 0);
        Send(fd, "HTTP/1.1 200 OK\r\n");
        const std::string line = "X-Filler: " + std::string(1014, 'a') + "\r\n";
        while (sent < kHeadBytes) {
            const ssize_t count = ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
            if (count <= 0)
                break;
            sent += count;
        }
        ::close(fd);
    });
    const auto start = Clock::now();
    const int fd = test_site::ConnectToLoopback(proxy.Port());
    Send(fd, "GET http://127.0.0.1:" + std::to_string(port) + "/ HTTP/1.1\r\nHost: x\r\n\r\n");
    std::string answer;
    char buffer[65536];
    for (ssize_t count; (count = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(count));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    ::close(fd);
    server.join();
    ::close(listenFd);
    WaitUntilIdle(proxy, 30s);
    Print("after", Now());
    std::printf("  the client got \"%s\" (%zu bytes) after %lld ms; the server sent %.1f MiB before the proxy "
                "closed\n",
                answer.substr(0, answer.find('\r')).c_str(), answer.size(), static_cast<long long>(took),
                sent.load() / 1048576.0);
}

}  // namespace

int main(int argc, char** argv)
{
    const int hold = argc > 1 ? std::atoi(argv[1]) : 60;
    CHookInternetAPI proxy;
    if (!proxy.Start()) {
        std::fprintf(stderr, "the proxy cannot listen\n");
        return 1;
    }
    std::printf("the proxy on port %d, limits: %zu connections, %lld s head and answer time-outs\n", proxy.Port(),
                CHookInternetAPI::kMaxConnections, static_cast<long long>(CHookInternetAPI::kHeadTimeout.count() / 1000));
    Print("at start", Now());
    AbortedConnections(proxy);
    SlowClients(proxy, hold);
    EndlessAnswerHead(proxy);
    return 0;
}
