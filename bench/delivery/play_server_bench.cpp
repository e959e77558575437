// Benchmark program of the play server.
//   play_server_bench serve <file>   serves <file> as a complete cached
//       video to every play URL; prints "PATH <request path>" and
//       "PORT <port>", then runs until killed.
//   play_server_bench fetch <port> <path> <clients>   fetches the path
//       with that many concurrent loopback clients and prints
//       "BYTES <body bytes of all clients> SECONDS <wall time>".
//   play_server_bench ranges <port> <path> <clients> <requests> <span> <size>
//       each client fetches <requests> byte ranges of <span> bytes at
//       random offsets of a file of <size> bytes, one connection each;
//       prints the same line (and fails on a body of the wrong length).
#include "delivery/play_request_manager.h"
#include "test_site/test_site.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

class WholeFileServer : public IPlayRequestServer {
public:
    explicit WholeFileServer(std::string path) : path_(std::move(path)) {}
    void ServeRequest(CPlayRequest& request) override
    {
        request.AttachCacheFile(path_);
        request.SetComplete(true);
    }

private:
    std::string path_;
};

int Serve(int argc, char** argv, const char* file)
{
    QCoreApplication app(argc, argv);
    CPlayRequestManager manager;
    WholeFileServer server(file);
    manager.SetRequestServer(&server);
    if (manager.GetPort() == 0) {
        std::fprintf(stderr, "could not listen\n");
        return 1;
    }
    const std::string prefix = "http://127.0.0.1:" + std::to_string(manager.GetPort());
    std::printf("PATH %s\nPORT %d\n", manager.BuildPlayUrl("bench").substr(prefix.size()).c_str(), manager.GetPort());
    std::fflush(stdout);
    return app.exec();
}

// Body bytes received, or -1 when the connection failed. extraHeaders are
// "\r\n"-ended lines.
long long FetchOnce(int port, const std::string& path, const std::string& extraHeaders = {})
{
    const int fd = test_site::ConnectToLoopback(port);
    if (fd < 0)
        return -1;
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port)
                                + "\r\nConnection: close\r\n" + extraHeaders + "\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::vector<char> buffer(256 * 1024);
    long long total = 0;
    std::string head;
    bool inBody = false;
    for (;;) {
        const ssize_t count = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (count <= 0)
            break;
        if (inBody) {
            total += count;
            continue;
        }
        head.append(buffer.data(), static_cast<std::size_t>(count));
        const std::size_t end = head.find("\r\n\r\n");
        if (end != std::string::npos) {
            inBody = true;
            total += static_cast<long long>(head.size() - end - 4);
        }
    }
    ::close(fd);
    return total;
}

// Runs `clients` threads of `work` (which returns body bytes, -1 on a
// failure) and prints the bytes and the wall time.
int RunClients(int clients, const std::function<long long(int client)>& work)
{
    std::atomic<long long> bytes{0};
    std::atomic<bool> failed{false};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            const long long got = work(i);
            if (got < 0)
                failed = true;
            else
                bytes += got;
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("BYTES %lld SECONDS %.4f\n", bytes.load(), seconds);
    return failed ? 1 : 0;
}

int Fetch(int port, const std::string& path, int clients)
{
    return RunClients(clients, [&](int) { return FetchOnce(port, path); });
}

int FetchRanges(int port, const std::string& path, int clients, int requests, long long span, long long size)
{
    return RunClients(clients, [&](int client) {
        std::mt19937_64 random(static_cast<std::uint64_t>(client) + 1);
        std::uniform_int_distribution<long long> offsets(0, size - span);
        long long total = 0;
        for (int i = 0; i < requests; ++i) {
            const long long first = offsets(random);
            const std::string range = "Range: bytes=" + std::to_string(first) + "-" + std::to_string(first + span - 1) + "\r\n";
            if (FetchOnce(port, path, range) != span)
                return -1LL;
            total += span;
        }
        return total;
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "serve") == 0)
        return Serve(argc, argv, argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "fetch") == 0)
        return Fetch(std::atoi(argv[2]), argv[3], std::atoi(argv[4]));
    if (argc == 8 && std::strcmp(argv[1], "ranges") == 0)
        return FetchRanges(std::atoi(argv[2]), argv[3], std::atoi(argv[4]), std::atoi(argv[5]), std::atoll(argv[6]),
                           std::atoll(argv[7]));
    std::fprintf(stderr, "usage: play_server_bench serve <file> | fetch <port> <path> <clients>"
                         " | ranges <port> <path> <clients> <requests> <span> <size>\n");
    return 2;
}
