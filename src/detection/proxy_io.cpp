#include "detection/proxy_io.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace proxy_io {

namespace {

constexpr std::size_t kSpliceSize = 1024 * 1024;
constexpr std::size_t kBlock = 64 * 1024;
constexpr short kPeerGone = POLLRDHUP | POLLHUP | POLLERR;

bool WouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

// poll that goes on after a signal.
int PollAll(pollfd* fds, nfds_t count, Deadline deadline)
{
    for (;;) {
        const int ready = ::poll(fds, count, MillisecondsUntil(deadline));
        if (ready >= 0 || errno != EINTR)
            return ready;
    }
}

}  // namespace

int MillisecondsUntil(Deadline deadline)
{
    if (deadline == kNoDeadline)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

void SetNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void SetNoDelay(int fd)
{
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

Wait WaitFor(int fd, short events, int watched, Deadline deadline)
{
    pollfd fds[2] = {{fd, events, 0}, {watched, POLLRDHUP, 0}};
    const int ready = PollAll(fds, watched >= 0 ? 2 : 1, deadline);
    if (ready < 0)
        return Wait::Failed;
    if (ready == 0)
        return Wait::TimedOut;
    if (watched >= 0 && (fds[1].revents & kPeerGone))
        return Wait::Gone;
    return Wait::Ready;
}

bool SendAll(int fd, const char* data, std::size_t size, int watched)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent == 0 || !WouldBlock() || WaitFor(fd, POLLOUT, watched, kNoDeadline) != Wait::Ready)
            return false;
    }
    return true;
}

long ReceiveSome(int fd, char* data, std::size_t size, int watched, Deadline deadline, Wait& wait)
{
    for (;;) {
        const ssize_t count = ::recv(fd, data, size, MSG_DONTWAIT);
        if (count >= 0) {
            wait = Wait::Ready;
            return static_cast<long>(count);
        }
        if (errno == EINTR)
            continue;
        if (!WouldBlock()) {
            wait = Wait::Failed;
            return -1;
        }
        wait = WaitFor(fd, POLLIN, watched, deadline);
        if (wait != Wait::Ready)
            return -1;
    }
}

Wait ConnectWithin(int fd, const void* address, unsigned length, int watched, Deadline deadline)
{
    if (::connect(fd, static_cast<const sockaddr*>(address), length) == 0)
        return Wait::Ready;
    if (errno != EINPROGRESS)
        return Wait::Failed;
    const Wait wait = WaitFor(fd, POLLOUT, watched, deadline);
    if (wait != Wait::Ready)
        return wait;
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0 ? Wait::Ready : Wait::Failed;
}

bool SpliceRest(int from, int to)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    ::fcntl(pipeFds[1], F_SETPIPE_SZ, static_cast<int>(kSpliceSize));
    std::size_t inPipe = 0;
    bool ok = false;
    for (;;) {
        // Reads only into an empty pipe, so that `from` closing is seen
        // once everything before it went out; while the pipe holds bytes,
        // `from` is left out of the wait (a reset of it would otherwise
        // wake the wait again and again).
        pollfd fds[2] = {{inPipe == 0 ? from : -1, POLLIN, 0},
                         {to, static_cast<short>(POLLRDHUP | (inPipe > 0 ? POLLOUT : 0)), 0}};
        if (PollAll(fds, 2, kNoDeadline) < 0 || (fds[1].revents & kPeerGone))
            break;
        if (inPipe == 0 && fds[0].revents) {
            const ssize_t in = ::splice(from, nullptr, pipeFds[1], nullptr, kSpliceSize, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
            if (in == 0) {
                ok = true;
                break;
            }
            if (in < 0 && !WouldBlock() && errno != EINTR)
                break;
            inPipe = static_cast<std::size_t>(std::max<ssize_t>(in, 0));
        }
        if (inPipe > 0) {
            const ssize_t out = ::splice(pipeFds[0], nullptr, to, nullptr, inPipe, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
            if (out < 0 && !WouldBlock() && errno != EINTR)
                break;
            inPipe -= static_cast<std::size_t>(std::max<ssize_t>(out, 0));
        }
    }
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return ok;
}

void RelayBothWays(int a, int b)
{
    std::vector<char> buffer(kBlock);
    for (;;) {
        pollfd fds[2] = {{a, POLLIN | POLLRDHUP, 0}, {b, POLLIN | POLLRDHUP, 0}};
        if (PollAll(fds, 2, kNoDeadline) < 0)
            return;
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents)
                continue;
            const ssize_t count = ::recv(fds[i].fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (count < 0 && (WouldBlock() || errno == EINTR))
                continue;
            if (count <= 0 || !SendAll(fds[1 - i].fd, buffer.data(), static_cast<std::size_t>(count), fds[i].fd))
                return;
        }
    }
}

}  // namespace proxy_io
