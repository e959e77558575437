#pragma once
// The traffic interception: an HTTP proxy of the program on 127.0.0.1 that
// its browser views use. Each client connection has a thread of its own
// that relays one request: the request goes to the server with
// "Connection: close", the answer comes back byte for byte, and CONNECT
// opens a tunnel (HTTPS) that is relayed untouched. While a detection runs
// (DetectTargetWindow set) the thread reports the connection, a GET, and
// the first bytes of the answer's body, each as a synchronous send that it
// waits for. Requests that are not proxy requests get 400.
//
// Hostile or broken peers cannot hold it: the connections are bounded
// (503 past the bound), a request head and a server's answer head must
// come within a time, an answer head within a size, and when either side
// of a connection goes the other is ended too.
#include "detection/hook_messages.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CHookInternetAPI {
public:
    // Connections served at once; more are answered 503.
    static constexpr std::size_t kMaxConnections = 128;
    // A request head must be whole this long after its connection opened.
    static constexpr std::chrono::milliseconds kHeadTimeout{30000};
    // A server must accept the connection and send its whole answer head
    // this long after the request went to it (browsers wait as long).
    static constexpr std::chrono::milliseconds kAnswerTimeout{30000};

    CHookInternetAPI();
    // Stops listening, ends every connection and waits for their threads.
    virtual ~CHookInternetAPI();
    CHookInternetAPI(const CHookInternetAPI&) = delete;
    CHookInternetAPI& operator=(const CHookInternetAPI&) = delete;

    // Listens on 127.0.0.1, on a free port; false when it cannot.
    bool Start();
    int Port() const { return port_; }
    // Host names the proxy resolves itself (tests map "*.test" names to
    // 127.0.0.1 this way); others go to the system's resolver.
    void MapHost(const std::string& name, const std::string& address);
    std::size_t OpenConnections() const { return open_.load(); }

    // Tests make the limits small; the program keeps the constants. Set
    // before Start.
    void SetConnectionLimit(std::size_t count) { maxConnections_ = count; }
    void SetHeadTimeout(std::chrono::milliseconds time) { headTimeout_ = time; }
    void SetAnswerTimeout(std::chrono::milliseconds time) { answerTimeout_ = time; }

private:
    void AcceptLoop();
    void Serve(int client);
    bool Relay(int client, const std::string& head, std::string rest);
    void Tunnel(int client, const std::string& authority, const std::string& rest);
    // A connection to the server, or -1 with the answer the client gets.
    int ConnectTo(const std::string& host, int port, int client, const char*& failure);
    void Track(int fd);
    void Untrack(int fd);
    void JoinFinished();

    int listenFd_ = -1;
    int port_ = 0;
    std::size_t maxConnections_ = kMaxConnections;
    std::chrono::milliseconds headTimeout_ = kHeadTimeout;
    std::chrono::milliseconds answerTimeout_ = kAnswerTimeout;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;

    std::mutex mutex_;
    // Connection threads by id; an ended one leaves its id in finished_,
    // and the accept loop joins those, so a long run gathers no threads.
    std::map<std::thread::id, std::thread> threads_;
    std::vector<std::thread::id> finished_;
    // Every socket of a connection, so that stopping can wake its thread.
    std::vector<int> liveFds_;
    std::map<std::string, std::string> hostMap_;
    std::atomic<std::size_t> open_{0};
    std::atomic<std::uint64_t> nextId_{0};
};
