#include "test_site/test_site.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace test_site {

int ConnectToLoopback(int port, int receiveBuffer)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

namespace {

// The pattern repeats with a period that is no power of two, so a body
// delivered from a wrong offset never matches by chance.
constexpr std::int64_t kPatternPeriod = 1000003;
constexpr std::int64_t kPieceSize = 256 * 1024;

const std::string& PatternTable()
{
    static const std::string table = [] {
        std::string t(static_cast<std::size_t>(kPatternPeriod + kPieceSize), '\0');
        std::uint32_t state = 0x2545F491u;
        for (std::int64_t i = 0; i < kPatternPeriod; ++i) {
            state = state * 1664525u + 1013904223u;
            t[static_cast<std::size_t>(i)] = static_cast<char>(state >> 24);
        }
        std::copy_n(t.begin(), kPieceSize, t.begin() + kPatternPeriod);
        return t;
    }();
    return table;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

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

bool SendText(int fd, const std::string& text)
{
    return SendAll(fd, text.data(), text.size());
}

// Reads one request head (up to the empty line); false on a closed or broken
// connection. Bytes after the head stay in `pending` for the next request.
bool ReadHead(int fd, std::string& pending, std::string& head)
{
    for (;;) {
        const auto end = pending.find("\r\n\r\n");
        if (end != std::string::npos) {
            head = pending.substr(0, end + 2);
            pending.erase(0, end + 4);
            return true;
        }
        char buffer[4096];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0 || pending.size() > 65536)
            return false;
        pending.append(buffer, static_cast<std::size_t>(got));
    }
}

RecordedRequest ParseHead(const std::string& head)
{
    RecordedRequest request;
    std::istringstream lines(head);
    std::string line;
    std::getline(lines, line);
    std::istringstream first(line);
    first >> request.method >> request.target;
    while (std::getline(lines, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        request.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    }
    return request;
}

const char* Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

// "bytes=N-" or "bytes=N-M"; false for anything else.
bool ParseRange(const std::string& value, std::int64_t size, std::int64_t& first, std::int64_t& last)
{
    if (value.rfind("bytes=", 0) != 0)
        return false;
    const std::string rangeText = value.substr(6);
    const auto dash = rangeText.find('-');
    if (dash == std::string::npos || dash == 0)
        return false;
    try {
        first = std::stoll(rangeText.substr(0, dash));
        last = dash + 1 < rangeText.size() ? std::stoll(rangeText.substr(dash + 1)) : size - 1;
    } catch (...) {
        return false;
    }
    last = std::min(last, size - 1);
    return first >= 0 && first <= last;
}

}  // namespace

unsigned char PatternByte(std::int64_t offset)
{
    return static_cast<unsigned char>(PatternTable()[static_cast<std::size_t>(offset % kPatternPeriod)]);
}

std::string PatternBytes(std::int64_t offset, std::int64_t count)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
        out.push_back(static_cast<char>(PatternByte(offset + i)));
    return out;
}

std::vector<std::string> RecordedRequest::Values(const std::string& name) const
{
    std::vector<std::string> values;
    const std::string wanted = Lower(name);
    for (const auto& [key, value] : headers)
        if (Lower(key) == wanted)
            values.push_back(value);
    return values;
}

std::string RecordedRequest::Value(const std::string& name) const
{
    const auto values = Values(name);
    return values.empty() ? std::string() : values.front();
}

TestSite::TestSite() = default;

TestSite::~TestSite()
{
    Stop();
}

bool TestSite::Start(int port)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listenFd_ < 0)
        return false;
    const int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listenFd_, 64) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    stopping_ = false;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void TestSite::Stop()
{
    if (listenFd_ < 0)
        return;
    stopping_ = true;
    ::shutdown(listenFd_, SHUT_RDWR);
    if (acceptThread_.joinable())
        acceptThread_.join();
    ::close(listenFd_);
    listenFd_ = -1;
    std::map<std::thread::id, std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        for (int fd : connectionFds_)
            ::shutdown(fd, SHUT_RDWR);
        threads.swap(connectionThreads_);
        finishedThreads_.clear();
    }
    for (auto& [id, thread] : threads)
        thread.join();
}

std::string TestSite::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TestSite::AddFile(const std::string& path, std::string bytes, const std::string& contentType)
{
    std::lock_guard lock(mutex_);
    Route& route = routes_[path];
    route.content.bytes = std::make_shared<const std::string>(std::move(bytes));
    route.content.patternSize = -1;
    route.content.contentType = contentType;
}

void TestSite::SetHandler(const std::string& path, Handler handler, const std::string& contentType)
{
    std::lock_guard lock(mutex_);
    Route& route = routes_[path];
    route.handler = std::move(handler);
    route.content.contentType = contentType;
}

bool TestSite::AddFileFromDisk(const std::string& path, const std::string& file, const std::string& contentType)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    AddFile(path, std::string(std::istreambuf_iterator<char>(in), {}), contentType);
    return true;
}

void TestSite::AddPatternFile(const std::string& path, std::int64_t size)
{
    std::lock_guard lock(mutex_);
    Route& route = routes_[path];
    route.content.bytes.reset();
    route.content.patternSize = size;
}

void TestSite::SetBehaviour(const std::string& path, const Behaviour& behaviour)
{
    std::lock_guard lock(mutex_);
    routes_[path].behaviour = behaviour;
}

std::vector<RecordedRequest> TestSite::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<RecordedRequest> TestSite::RequestsFor(const std::string& path) const
{
    std::vector<RecordedRequest> out;
    for (auto& request : Requests())
        if (request.target == path)
            out.push_back(request);
    return out;
}

void TestSite::ClearRequests()
{
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void TestSite::AcceptLoop()
{
    while (!stopping_) {
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            if (stopping_)
                return;
            continue;
        }
        const int yes = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        std::vector<std::thread> ended;
        {
            std::lock_guard lock(mutex_);
            for (const auto& id : finishedThreads_) {
                const auto it = connectionThreads_.find(id);
                if (it == connectionThreads_.end())
                    continue;  // ended before a Stop that already joined it
                ended.push_back(std::move(it->second));
                connectionThreads_.erase(it);
            }
            finishedThreads_.clear();
            connectionFds_.push_back(fd);
            ++openConnections_;
            std::thread thread([this, fd] { Serve(fd); });
            const auto id = thread.get_id();
            connectionThreads_.emplace(id, std::move(thread));
        }
        for (auto& thread : ended)
            thread.join();
    }
}

bool TestSite::LookUp(const std::string& path, Route& out)
{
    std::lock_guard lock(mutex_);
    const auto it = routes_.find(path.substr(0, path.find('?')));
    if (it == routes_.end())
        return false;
    out = it->second;
    if (it->second.behaviour.dropOnce)
        it->second.behaviour.dropAfter = -1;
    if (it->second.behaviour.statusOnce)
        it->second.behaviour.status = 200;
    return true;
}

void TestSite::Serve(int fd)
{
    std::string pending;
    std::string head;
    bool keepAlive = true;
    while (keepAlive && !stopping_ && ReadHead(fd, pending, head)) {
        RecordedRequest request = ParseHead(head);
        request.when = std::chrono::steady_clock::now();
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (!Answer(fd, request, keepAlive))
            break;
    }
    std::lock_guard lock(mutex_);
    connectionFds_.erase(std::remove(connectionFds_.begin(), connectionFds_.end(), fd), connectionFds_.end());
    ::close(fd);
    --openConnections_;
    finishedThreads_.push_back(std::this_thread::get_id());
}

bool TestSite::Answer(int fd, const RecordedRequest& request, bool& keepAlive)
{
    const bool head = request.method == "HEAD";
    keepAlive = Lower(request.Value("Connection")) != "close";
    Route route;
    if (!LookUp(request.target, route))
        route.behaviour.status = 404;
    else if (route.handler)
        route.content.bytes = std::make_shared<const std::string>(route.handler(request));
    const Behaviour& b = route.behaviour;
    if (head && b.headUnanswered) {
        // A server that has stopped answering: the client must give up on
        // its own (or be told to stop).
        while (!stopping_)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return false;
    }

    if (b.status != 200 || b.htmlInstead) {
        const int status = b.status != 200 ? b.status : 200;
        const std::string body = "<html><head><title>" + std::to_string(status)
                                 + "</title></head><body>No video here.</body></html>\n";
        std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n"
                             + "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size())
                             + "\r\n\r\n";
        if (!head)
            answer += body;
        return SendText(fd, answer);
    }

    const std::int64_t size = route.content.Size();
    std::int64_t first = 0;
    std::int64_t last = size - 1;
    int status = 200;
    const std::string range = request.Value("Range");
    if (!range.empty() && b.honourRange) {
        if (ParseRange(range, size, first, last)) {
            status = 206;
        } else {
            return SendText(fd, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */"
                                    + std::to_string(size) + "\r\nContent-Length: 0\r\n\r\n");
        }
    }
    const std::int64_t count = std::max<std::int64_t>(0, last - first + 1);
    std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
    answer += "Content-Type: " + route.content.contentType + "\r\n";
    answer += "Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n";
    if (b.honourRange)
        answer += "Accept-Ranges: bytes\r\n";
    if (status == 206)
        answer += "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/"
                  + std::to_string(size) + "\r\n";
    if (b.chunked) {
        answer += "Transfer-Encoding: chunked\r\n";
    } else if (b.contentLength) {
        answer += "Content-Length: " + std::to_string(count) + "\r\n";
    } else {
        // Without a length the end of the body is the end of the connection.
        answer += "Connection: close\r\n";
        keepAlive = false;
    }
    answer += "\r\n";
    if (!SendText(fd, answer))
        return false;
    if (head)
        return true;

    std::int64_t limit = count;
    if (b.dropAfter >= 0 && b.dropAfter < count)
        limit = b.dropAfter;
    const std::int64_t piece = b.trickleBytes > 0 ? std::min<std::int64_t>(b.trickleBytes, kPieceSize) : kPieceSize;
    std::int64_t sent = 0;
    while (sent < limit && !stopping_) {
        if (b.trickleDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(b.trickleDelayMs));
        const std::int64_t n = std::min(piece, limit - sent);
        const std::int64_t offset = first + sent;
        const char* data = route.content.bytes
                               ? route.content.bytes->data() + offset
                               : PatternTable().data() + offset % kPatternPeriod;
        if (b.chunked) {
            char size[24];
            std::snprintf(size, sizeof size, "%llx\r\n", static_cast<unsigned long long>(n));
            if (!SendText(fd, size))
                return false;
        }
        if (!SendAll(fd, data, static_cast<std::size_t>(n)) || (b.chunked && !SendText(fd, "\r\n")))
            return false;
        sent += n;
    }
    if (b.chunked && limit == count && !SendText(fd, "0\r\n\r\n"))
        return false;
    // A dropped response ends the connection early.
    return limit == count && !stopping_;
}

}  // namespace test_site
