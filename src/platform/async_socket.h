#pragma once
// Event-driven stream sockets on the owner thread's event loop: a
// non-blocking socket whose accept, read, write-ready and close events reach
// the virtual On... hooks on the thread that created it. Write readiness is
// one-shot: after OnSend the socket stays quiet until RearmSend() asks for
// the next write notification.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The longest queue of not yet accepted connections the system allows
// (net.core.somaxconn): a listener with a short one makes a burst of
// connections wait for SYN retransmits while its owner is busy.
int SystemListenBacklog();

class AsyncSocket {
public:
    enum class ListenResult { Listening, AddressInUse, Failed };

    AsyncSocket();
    virtual ~AsyncSocket();
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    // Binds to address:port (a numeric IPv4 address; port 0 picks a free
    // one), listens and reports OnAccept for each waiting connection.
    ListenResult Listen(const std::string& address, int port, int backlog);
    // The bound port, or 0 without a socket.
    int GetLocalPort() const;

    // Moves one waiting connection into `connection`, which must be closed;
    // read and close events then reach the connection. False when nothing
    // was waiting or the accept failed.
    bool Accept(AsyncSocket& connection);

    // Bytes received (> 0), 0 when nothing is waiting, -1 on failure or
    // when the peer has closed.
    std::int64_t Receive(char* buffer, std::size_t size);
    // Bytes the socket took (may be fewer than size, or 0 when its buffer is
    // full), or -1 when the connection is broken (GetLastError tells why).
    std::int64_t Send(const char* data, std::size_t size);
    // Sends up to size bytes of the file at path from offset straight from
    // the file (no copy through this process). The file is opened for this
    // call only, so a file that was deleted and written again is read anew.
    struct FileSendResult {
        std::int64_t sent = 0;   // 0: the socket is full for now
        bool fileEnded = false;  // the file holds no byte at offset (or cannot be opened)
        bool broken = false;     // the connection is broken (GetLastError tells why)
    };
    FileSendResult SendFile(const std::string& path, std::int64_t offset, std::size_t size);
    // errno of the last failed call.
    int GetLastError() const { return lastError_; }

    bool SetSendBufferSize(int bytes);
    // Asks for one OnSend when the socket can take data.
    void RearmSend();
    // Drops unread input and closes; no events follow. Safe to call twice.
    void Close();
    bool IsOpen() const;

protected:
    virtual void OnAccept() {}
    virtual void OnReceive() {}
    virtual void OnSend() {}
    // The peer closed or reset the connection.
    virtual void OnClose() {}

private:
    struct Notifiers;
    void Attach(int fd, bool listening);
    void HandleReadable();
    void HandleWritable();

    int fd_ = -1;
    bool listening_ = false;
    int lastError_ = 0;
    std::unique_ptr<Notifiers> notifiers_;
};

}  // namespace platform
