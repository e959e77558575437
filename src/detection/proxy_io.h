#pragma once
// The socket moves of the interception proxy, on non-blocking sockets and
// each with an end: every wait also watches the other side of the
// connection, so that a side that goes ends the whole relay, and waits for
// a peer that owes the proxy something stop at a deadline.
#include <chrono>
#include <cstddef>
#include <string>

namespace proxy_io {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;
inline constexpr Deadline kNoDeadline = Deadline::max();

enum class Wait {
    Ready,     // the awaited event came
    Failed,    // the socket itself failed (refused, reset)
    Gone,      // the watched peer closed or failed
    TimedOut,
};

// The time left until the deadline for poll: -1 for none, 0 when past.
int MillisecondsUntil(Deadline deadline);

void SetNonBlocking(int fd);
// Relayed pieces go out at once: waiting to merge a small piece with the
// next (Nagle) would hold a short answer's last bytes for a delayed ACK.
void SetNoDelay(int fd);

// Waits until fd is readable (events POLLIN) or writable (POLLOUT), while
// `watched` (-1: none) is watched for its peer going away.
Wait WaitFor(int fd, short events, int watched, Deadline deadline);

// Sends everything; false when fd fails or `watched` goes first.
bool SendAll(int fd, const char* data, std::size_t size, int watched = -1);
inline bool SendAll(int fd, const std::string& text, int watched = -1)
{
    return SendAll(fd, text.data(), text.size(), watched);
}

// Reads what fd has (at most size bytes), waiting for it until the
// deadline while `watched` is watched: > 0 bytes read, 0 the peer closed,
// -1 when fd failed, the watched peer went or the time is up (`wait` says
// which).
long ReceiveSome(int fd, char* data, std::size_t size, int watched, Deadline deadline, Wait& wait);

// Connects fd (a non-blocking socket) to the address within the deadline
// while `watched` is watched.
Wait ConnectWithin(int fd, const void* address, unsigned length, int watched, Deadline deadline);

// Moves everything `from` sends to `to` inside the kernel (through a pipe,
// no copy into this process) until `from` closes, either side fails, or
// `to` goes away; true when `from` ended normally and all went out.
bool SpliceRest(int from, int to);

// Relays both ways until either side closes or fails.
void RelayBothWays(int a, int b);

}  // namespace proxy_io
