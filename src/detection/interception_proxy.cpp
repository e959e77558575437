#include "detection/interception_proxy.h"

#include "common/ascii_text.h"
#include "common/http_request_head.h"
#include "detection/proxied_answer.h"
#include "platform/window.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <algorithm>
#include <cctype>
#include <cstring>

std::atomic<HWND> DetectTargetWindow{0};

namespace {

constexpr std::size_t kMaxHead = 64 * 1024;
// An answer head longer than this is refused: nothing real comes near it,
// and holding more would let a server grow the program without bound.
constexpr std::size_t kMaxAnswerHead = 64 * 1024;
constexpr const char* kBadGateway = "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
constexpr std::size_t kBlock = 64 * 1024;
constexpr std::size_t kSpliceSize = 1024 * 1024;

bool SendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool SendAll(int fd, const std::string& text)
{
    return SendAll(fd, text.data(), text.size());
}

// Relayed pieces go out at once: waiting to merge a small piece with the
// next (Nagle) would hold a short answer's last bytes for a delayed ACK.
void NoDelay(int fd)
{
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

// Moves everything `from` still sends to `to` inside the kernel (through a
// pipe, no copy into this process) until `from` closes; false when either
// side failed. A client gone away shows as EPIPE: its SIGPIPE is blocked on
// the proxy's threads.
bool SpliceRest(int from, int to)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    ::fcntl(pipeFds[1], F_SETPIPE_SZ, static_cast<int>(kSpliceSize));
    bool ok = true;
    for (;;) {
        ssize_t in = ::splice(from, nullptr, pipeFds[1], nullptr, kSpliceSize, SPLICE_F_MOVE);
        if (in < 0 && errno == EINTR)
            continue;
        if (in <= 0) {
            ok = in == 0;
            break;
        }
        while (ok && in > 0) {
            const ssize_t out = ::splice(pipeFds[0], nullptr, to, nullptr, static_cast<std::size_t>(in), SPLICE_F_MOVE);
            if (out < 0 && errno == EINTR)
                continue;
            ok = out > 0;
            in -= std::max<ssize_t>(out, 0);
        }
        if (!ok)
            break;
    }
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return ok;
}

// Reads until the head's empty line; rest gets what came after it.
bool ReadHead(int fd, std::string& head, std::string& rest)
{
    std::string data;
    char buffer[8192];
    for (;;) {
        const std::size_t end = FindHeadEnd(data);
        if (end != std::string::npos) {
            head = data.substr(0, end);
            rest = data.substr(end);
            return true;
        }
        if (data.size() > kMaxHead)
            return false;
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0)
            return false;
        data.append(buffer, static_cast<std::size_t>(count));
    }
}

// "http://host[:port]/path" into its parts; false for anything else.
bool SplitAbsoluteUrl(const std::string& url, std::string& host, int& port, std::string& path)
{
    const std::string scheme = "http://";
    if (url.size() <= scheme.size() || !EqualsIgnoringCase(url.substr(0, scheme.size()), scheme))
        return false;
    const std::size_t slash = url.find('/', scheme.size());
    const std::string authority = url.substr(scheme.size(), slash == std::string::npos ? std::string::npos : slash - scheme.size());
    path = slash == std::string::npos ? "/" : url.substr(slash);
    const std::size_t colon = authority.rfind(':');
    host = colon == std::string::npos ? authority : authority.substr(0, colon);
    port = colon == std::string::npos ? 80 : std::atoi(authority.c_str() + colon + 1);
    return !host.empty() && port > 0 && port < 65536;
}

// Sends a report to the running detection and waits until it is handled.
void Report(UINT message, void* record)
{
    const HWND target = DetectTargetWindow.load();
    if (target)
        platform::SendMessage(target, message, reinterpret_cast<WPARAM>(record), 0);
}

}  // namespace

std::string HookRequest::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers)
        if (EqualsIgnoringCase(key, name))
            return value;
    return {};
}

std::string HookRequest::RawHeaders() const
{
    std::string text;
    for (const auto& [key, value] : headers)
        text += key + ": " + value + "\r\n";
    return text;
}

CHookInternetAPI::CHookInternetAPI() = default;

CHookInternetAPI::~CHookInternetAPI()
{
    stopping_ = true;
    if (listenFd_ >= 0)
        ::shutdown(listenFd_, SHUT_RDWR);
    if (acceptThread_.joinable())
        acceptThread_.join();
    if (listenFd_ >= 0)
        ::close(listenFd_);
    std::map<std::thread::id, std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        for (const int fd : liveFds_)
            ::shutdown(fd, SHUT_RDWR);
        threads.swap(threads_);
    }
    for (auto& [id, thread] : threads)
        thread.join();
}

void CHookInternetAPI::MapHost(const std::string& name, const std::string& address)
{
    std::lock_guard lock(mutex_);
    hostMap_[name] = address;
}

bool CHookInternetAPI::Start()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0
        || ::listen(listenFd_, 64) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return false;
    port_ = ntohs(where.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void CHookInternetAPI::AcceptLoop()
{
    while (!stopping_) {
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (stopping_)
                return;
            continue;
        }
        std::lock_guard lock(mutex_);
        for (const std::thread::id id : finished_) {
            if (const auto it = threads_.find(id); it != threads_.end()) {
                it->second.join();
                threads_.erase(it);
            }
        }
        finished_.clear();
        if (stopping_) {
            ::close(client);
            return;
        }
        NoDelay(client);
        liveFds_.push_back(client);
        ++open_;
        std::thread thread([this, client] { Serve(client); });
        const std::thread::id id = thread.get_id();
        threads_.emplace(id, std::move(thread));
    }
}

void CHookInternetAPI::Serve(int client)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    std::string head, rest;
    if (ReadHead(client, head, rest)) {
        const auto parsed = ParseHttpRequestHead(head);
        if (parsed && parsed->method == "CONNECT")
            Tunnel(client, parsed->target);
        else if (!parsed || !Relay(client, head, rest))
            SendAll(client, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    }
    Untrack(client);
    ::close(client);
    --open_;
    std::lock_guard lock(mutex_);
    finished_.push_back(std::this_thread::get_id());
}

void CHookInternetAPI::Track(int fd)
{
    std::lock_guard lock(mutex_);
    liveFds_.push_back(fd);
    if (stopping_)
        ::shutdown(fd, SHUT_RDWR);
}

void CHookInternetAPI::Untrack(int fd)
{
    std::lock_guard lock(mutex_);
    liveFds_.erase(std::remove(liveFds_.begin(), liveFds_.end(), fd), liveFds_.end());
}

int CHookInternetAPI::ConnectTo(const std::string& host, int port)
{
    std::string name = host;
    {
        std::lock_guard lock(mutex_);
        if (const auto it = hostMap_.find(host); it != hostMap_.end())
            name = it->second;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &result) != 0)
        return -1;
    int fd = -1;
    for (addrinfo* at = result; at && fd < 0; at = at->ai_next) {
        fd = ::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
        if (fd >= 0 && ::connect(fd, at->ai_addr, at->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(result);
    if (fd >= 0) {
        NoDelay(fd);
        Track(fd);
    }
    return fd;
}

// One request: to the server in origin form with "Connection: close", the
// answer back byte for byte; false when it is no proxy request.
bool CHookInternetAPI::Relay(int client, const std::string& head, std::string rest)
{
    const auto parsed = ParseHttpRequestHead(head);
    std::string host, path;
    int port = 0;
    if (!parsed || !SplitAbsoluteUrl(parsed->target, host, port, path))
        return false;
    const int server = ConnectTo(host, port);
    if (server < 0) {
        SendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return true;
    }
    const std::uint64_t connection = ++nextId_;
    HookConnectInfo connectInfo{&connection, &host};
    Report(WM_HOOK_CONNECT, &connectInfo);

    HookRequest request;
    request.method = parsed->method;
    request.target = parsed->target;
    std::string out = parsed->method + " " + path + " " + parsed->version + "\r\n";
    for (const auto& [name, value] : parsed->headers) {
        if (EqualsIgnoringCase(name, "Proxy-Connection") || EqualsIgnoringCase(name, "Connection") || EqualsIgnoringCase(name, "Keep-Alive"))
            continue;
        request.headers.emplace_back(name, value);
        out += name + ": " + value + "\r\n";
    }
    out += "Connection: close\r\n\r\n";
    bool ok = SendAll(server, out);
    // The body, as much as the head announces (chunked bodies go on until
    // the client stops sending, which its closing half tells).
    const std::string lengthText = request.Header("Content-Length");
    long long remaining = lengthText.empty() ? 0 : std::atoll(lengthText.c_str());
    if (ok && !rest.empty()) {
        ok = SendAll(server, rest);
        remaining -= static_cast<long long>(rest.size());
    }
    std::vector<char> buffer(kBlock);
    while (ok && remaining > 0) {
        const ssize_t count = ::recv(client, buffer.data(), std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(remaining)), 0);
        if (count <= 0)
            break;
        ok = SendAll(server, buffer.data(), static_cast<std::size_t>(count));
        remaining -= count;
    }
    const std::uint64_t requestId = ++nextId_;
    if (parsed->method == "GET") {
        HookOpenRequestInfo openInfo{&connection, &requestId, &path, &request};
        Report(WM_HOOK_OPENREQUEST, &openInfo);
    }
    // The answer: its head, whole and within its limit, then the body,
    // whose first bytes are reported.
    ProxiedAnswer answer(parsed->method == "HEAD", kMaxAnswerHead);
    bool reported = false;
    std::string forward;
    while (ok) {
        const ssize_t count = ::recv(server, buffer.data(), buffer.size(), 0);
        forward.clear();
        if (count > 0)
            answer.Take(buffer.data(), static_cast<std::size_t>(count), forward);
        else
            answer.End();
        if (answer.GetState() == ProxiedAnswer::State::Head && count > 0)
            continue;
        // A head too long, no HTTP head, or none before the server closed.
        if (answer.GetState() != ProxiedAnswer::State::Body) {
            SendAll(client, kBadGateway);
            break;
        }
        if (!reported && answer.StartKnown()) {
            reported = true;
            const std::size_t size = answer.BodyStart().size();
            HookReadInfo readInfo{&requestId, answer.BodyStart().data(), &size};
            if (size > 0)
                Report(WM_HOOK_READFILE, &readInfo);
        }
        ok = SendAll(client, forward) && count > 0;
        // Once the first bytes were seen, the rest needs no looking at.
        if (ok && reported) {
            SpliceRest(server, client);
            break;
        }
    }
    Untrack(server);
    ::close(server);
    return true;
}

// CONNECT host:port: a tunnel relayed both ways until either side ends.
void CHookInternetAPI::Tunnel(int client, const std::string& authority)
{
    const std::size_t colon = authority.rfind(':');
    const int port = colon == std::string::npos ? 443 : std::atoi(authority.c_str() + colon + 1);
    const int server = ConnectTo(authority.substr(0, colon), port);
    if (server < 0) {
        SendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
        return;
    }
    SendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n");
    std::vector<char> buffer(kBlock);
    pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    while (!stopping_ && ::poll(fds, 2, -1) > 0) {
        bool done = false;
        for (int i = 0; i < 2 && !done; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t count = ::recv(fds[i].fd, buffer.data(), buffer.size(), 0);
            done = count <= 0 || !SendAll(fds[1 - i].fd, buffer.data(), static_cast<std::size_t>(count));
        }
        if (done)
            break;
    }
    Untrack(server);
    ::close(server);
}
