#include "platform/async_socket.h"

namespace platform {
struct AsyncSocket::Notifiers {};
AsyncSocket::AsyncSocket() = default;
AsyncSocket::~AsyncSocket() = default;
AsyncSocket::ListenResult AsyncSocket::Listen(const std::string&, int, int) { return ListenResult::Failed; }
int AsyncSocket::GetLocalPort() const { return 0; }
bool AsyncSocket::Accept(AsyncSocket&) { return false; }
std::int64_t AsyncSocket::Receive(char*, std::size_t) { return -1; }
std::int64_t AsyncSocket::Send(const char*, std::size_t) { return -1; }
bool AsyncSocket::SetSendBufferSize(int) { return false; }
void AsyncSocket::RearmSend() {}
void AsyncSocket::Close() {}
bool AsyncSocket::IsOpen() const { return fd_ >= 0; }
void AsyncSocket::Attach(int, bool) {}
void AsyncSocket::HandleReadable() {}
void AsyncSocket::HandleWritable() {}
}  // namespace platform
