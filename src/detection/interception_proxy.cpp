#include "detection/interception_proxy.h"

#include "common/ascii_text.h"
#include "common/http_request_head.h"
#include "detection/proxied_answer.h"
#include "detection/proxy_io.h"
#include "platform/async_socket.h"
#include "platform/window.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <algorithm>
#include <cstring>
#include <string_view>

std::atomic<HWND> DetectTargetWindow{0};

using proxy_io::Clock;
using proxy_io::Deadline;
using proxy_io::kNoDeadline;
using proxy_io::SendAll;
using proxy_io::Wait;

namespace {

constexpr std::size_t kMaxHead = 64 * 1024;
// An answer head longer than this is refused: nothing real comes near it,
// and holding more would let a server grow the program without bound.
constexpr std::size_t kMaxAnswerHead = 64 * 1024;
constexpr std::size_t kBlock = 64 * 1024;
// A refused connection is given this long to take its 503 and close.
constexpr std::chrono::milliseconds kRefusalLinger{1000};
constexpr std::size_t kMaxRefusals = 64;

constexpr const char* kBadRequest = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
constexpr const char* kBadGateway = "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
constexpr const char* kBusy = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
constexpr const char* kGatewayTimeout = "HTTP/1.1 504 Gateway Timeout\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

// Reads until the head's empty line, within the deadline; rest gets what
// came after it.
bool ReadHead(int fd, Deadline deadline, std::string& head, std::string& rest)
{
    std::string data;
    char buffer[8192];
    for (;;) {
        // The empty line may begin two bytes before the new ones; what was
        // scanned once is not scanned again.
        Wait wait;
        const std::size_t before = data.size();
        const long count = proxy_io::ReceiveSome(fd, buffer, sizeof buffer, -1, deadline, wait);
        if (count <= 0)
            return false;
        data.append(buffer, static_cast<std::size_t>(count));
        const std::size_t from = before >= 2 ? before - 2 : 0;
        const std::size_t end = FindHeadEnd(std::string_view(data).substr(from));
        if (end != std::string::npos) {
            head = data.substr(0, from + end);
            rest = data.substr(from + end);
            return true;
        }
        if (data.size() > kMaxHead)
            return false;
    }
}

// Reads and drops what a refused client still sends; true once it has
// closed (or failed), so that closing it now sends no reset over its 503.
bool DrainRefused(int fd)
{
    char sink[4096];
    ssize_t count;
    while ((count = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT)) > 0) {
    }
    return count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

// "host[:port]" into the host and the port (defaultPort when none is
// given); false when the port is not a decimal number from 1 to 65535.
// GET and CONNECT targets are judged by this one rule.
bool SplitAuthority(std::string_view authority, int defaultPort, std::string& host, int& port)
{
    std::size_t colon = authority.rfind(':');
    // An IPv6 literal "[::1]" carries colons of its own.
    if (colon != std::string_view::npos && authority.find(']', colon) != std::string_view::npos)
        colon = std::string_view::npos;
    std::string_view name = authority.substr(0, colon);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    host = name;
    port = defaultPort;
    if (colon != std::string_view::npos) {
        const std::string_view digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5
            || digits.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        port = std::atoi(std::string(digits).c_str());
    }
    return !host.empty() && port >= 1 && port <= 65535;
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
    return SplitAuthority(authority, 80, host, port);
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
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0
        || ::listen(listenFd_, platform::SystemListenBacklog()) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return false;
    port_ = ntohs(where.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void CHookInternetAPI::JoinFinished()
{
    std::lock_guard lock(mutex_);
    for (const std::thread::id id : finished_) {
        if (const auto it = threads_.find(id); it != threads_.end()) {
            it->second.join();
            threads_.erase(it);
        }
    }
    finished_.clear();
}

// Accepts connections and gives each a thread, as long as fewer than the
// bound are open; the others get 503 here and are closed once they took it
// (or after a short while), so that the answer is not lost to a reset.
void CHookInternetAPI::AcceptLoop()
{
    struct Refusal {
        int fd;
        Deadline until;
    };
    std::vector<Refusal> refusals;
    while (!stopping_) {
        std::vector<pollfd> fds{{listenFd_, POLLIN, 0}};
        Deadline next = kNoDeadline;
        for (const Refusal& refusal : refusals) {
            fds.push_back({refusal.fd, POLLIN, 0});
            next = std::min(next, refusal.until);
        }
        if (::poll(fds.data(), fds.size(), proxy_io::MillisecondsUntil(next)) < 0 && errno != EINTR)
            break;
        const Deadline now = Clock::now();
        for (std::size_t i = refusals.size(); i-- > 0;) {
            if (now >= refusals[i].until || (fds[i + 1].revents && DrainRefused(refusals[i].fd))) {
                ::close(refusals[i].fd);
                refusals.erase(refusals.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        if (!(fds[0].revents & POLLIN) || stopping_)
            continue;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0)
            continue;
        JoinFinished();
        if (stopping_) {
            ::close(client);
            break;
        }
        if (open_.load() >= maxConnections_) {
            ::send(client, kBusy, std::strlen(kBusy), MSG_NOSIGNAL | MSG_DONTWAIT);
            ::shutdown(client, SHUT_WR);
            if (refusals.size() < kMaxRefusals)
                refusals.push_back({client, Clock::now() + kRefusalLinger});
            else
                ::close(client);
            continue;
        }
        proxy_io::SetNoDelay(client);
        std::lock_guard lock(mutex_);
        liveFds_.push_back(client);
        ++open_;
        std::thread thread([this, client] { Serve(client); });
        const std::thread::id id = thread.get_id();
        threads_.emplace(id, std::move(thread));
    }
    for (const Refusal& refusal : refusals)
        ::close(refusal.fd);
}

void CHookInternetAPI::Serve(int client)
{
    // A client gone away shows as EPIPE, not as a signal to the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    std::string head, rest;
    if (ReadHead(client, Clock::now() + headTimeout_, head, rest)) {
        const auto parsed = ParseHttpRequestHead(head);
        if (parsed && parsed->method == "CONNECT")
            Tunnel(client, parsed->target, rest);
        else if (!parsed || !Relay(client, head, rest))
            SendAll(client, kBadRequest);
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

int CHookInternetAPI::ConnectTo(const std::string& host, int port, int client, const char*& failure)
{
    failure = kBadGateway;
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
    const Deadline deadline = Clock::now() + answerTimeout_;
    int fd = -1;
    for (addrinfo* at = result; at && fd < 0 && failure; at = at->ai_next) {
        fd = ::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, at->ai_protocol);
        if (fd < 0)
            continue;
        Track(fd);
        const Wait wait = proxy_io::ConnectWithin(fd, at->ai_addr, at->ai_addrlen, client, deadline);
        if (wait == Wait::Ready)
            break;
        // The client gone needs no answer; a server that does not accept in
        // time gets no second try.
        failure = wait == Wait::Gone ? nullptr : wait == Wait::TimedOut ? kGatewayTimeout : kBadGateway;
        Untrack(fd);
        ::close(fd);
        fd = -1;
    }
    ::freeaddrinfo(result);
    if (fd >= 0)
        proxy_io::SetNoDelay(fd);
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
    const char* failure = nullptr;
    const int server = ConnectTo(host, port, client, failure);
    if (server < 0) {
        if (failure)
            SendAll(client, failure);
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
    bool ok = SendAll(server, out, client);
    // The body, as much as the head announces (chunked bodies go on until
    // the client stops sending, which its closing half tells).
    const std::string lengthText = request.Header("Content-Length");
    long long remaining = lengthText.empty() ? 0 : std::atoll(lengthText.c_str());
    if (ok && !rest.empty()) {
        ok = SendAll(server, rest, client);
        remaining -= static_cast<long long>(rest.size());
    }
    std::vector<char> buffer(kBlock);
    while (ok && remaining > 0) {
        Wait wait;
        const long count = proxy_io::ReceiveSome(client, buffer.data(), std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(remaining)),
                                                 server, kNoDeadline, wait);
        if (count <= 0) {
            // The client went (nothing to answer), or the server did and
            // its answer may already wait.
            ok = wait == Wait::Gone;
            break;
        }
        ok = SendAll(server, buffer.data(), static_cast<std::size_t>(count), client);
        remaining -= count;
    }
    const std::uint64_t requestId = ++nextId_;
    if (ok && parsed->method == "GET") {
        HookOpenRequestInfo openInfo{&connection, &requestId, &path, &request};
        Report(WM_HOOK_OPENREQUEST, &openInfo);
    }
    // The answer: its head, whole, within its size and its time, then the
    // body, whose first bytes are reported. The client going ends it all.
    const Deadline answerDeadline = Clock::now() + answerTimeout_;
    ProxiedAnswer answer(parsed->method == "HEAD", kMaxAnswerHead);
    bool reported = false;
    std::string forward;
    while (ok) {
        Wait wait;
        const bool inHead = answer.GetState() == ProxiedAnswer::State::Head;
        const long count = proxy_io::ReceiveSome(server, buffer.data(), buffer.size(), client,
                                                 inHead ? answerDeadline : kNoDeadline, wait);
        if (count < 0 && wait == Wait::Gone)
            break;
        if (count < 0 && wait == Wait::TimedOut) {
            SendAll(client, kGatewayTimeout);
            break;
        }
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
            proxy_io::SpliceRest(server, client);
            break;
        }
    }
    Untrack(server);
    ::close(server);
    return true;
}

// CONNECT host:port: a tunnel relayed both ways until either side ends.
void CHookInternetAPI::Tunnel(int client, const std::string& authority, const std::string& rest)
{
    std::string host;
    int port = 0;
    if (!SplitAuthority(authority, 443, host, port)) {
        SendAll(client, kBadRequest);
        return;
    }
    const char* failure = nullptr;
    const int server = ConnectTo(host, port, client, failure);
    if (server < 0) {
        if (failure)
            SendAll(client, failure);
        return;
    }
    // What the client sent right behind its head (a TLS hello, often) is
    // the tunnel's first traffic.
    if (SendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n") && SendAll(server, rest, client))
        proxy_io::RelayBothWays(client, server);
    Untrack(server);
    ::close(server);
}
