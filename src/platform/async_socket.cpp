#include "platform/async_socket.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <csignal>
#include <pthread.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

namespace platform {

struct AsyncSocket::Notifiers {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
};

AsyncSocket::AsyncSocket() = default;

int SystemListenBacklog()
{
    std::ifstream file("/proc/sys/net/core/somaxconn");
    int value = 0;
    return file >> value && value > 0 ? value : SOMAXCONN;
}

AsyncSocket::~AsyncSocket()
{
    Close();
}

AsyncSocket::ListenResult AsyncSocket::Listen(const std::string& address, int port, int backlog)
{
    Close();
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    if (port < 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
        lastError_ = EINVAL;
        return ListenResult::Failed;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        lastError_ = errno;
        return ListenResult::Failed;
    }
    // Lets a restarted program take its port back while old connections
    // linger in TIME_WAIT; a port another program listens on stays refused.
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0
        || ::listen(fd, backlog) != 0) {
        lastError_ = errno;
        ::close(fd);
        return lastError_ == EADDRINUSE ? ListenResult::AddressInUse : ListenResult::Failed;
    }
    Attach(fd, true);
    return ListenResult::Listening;
}

int AsyncSocket::GetLocalPort() const
{
    if (fd_ < 0)
        return 0;
    sockaddr_in where{};
    socklen_t length = sizeof where;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return 0;
    return ntohs(where.sin_port);
}

bool AsyncSocket::Accept(AsyncSocket& connection)
{
    if (fd_ < 0 || !listening_ || connection.IsOpen())
        return false;
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    connection.Attach(fd, false);
    return true;
}

std::int64_t AsyncSocket::Receive(char* buffer, std::size_t size)
{
    if (fd_ < 0)
        return -1;
    const ssize_t count = ::recv(fd_, buffer, size, 0);
    if (count > 0)
        return count;
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return 0;
    lastError_ = count == 0 ? 0 : errno;
    return -1;
}

std::int64_t AsyncSocket::Send(const char* data, std::size_t size)
{
    if (fd_ < 0)
        return -1;
    const ssize_t count = ::send(fd_, data, size, MSG_NOSIGNAL);
    if (count >= 0)
        return count;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return 0;
    lastError_ = errno;
    return -1;
}

AsyncSocket::FileSendResult AsyncSocket::SendFile(const std::string& path, std::int64_t offset, std::size_t size)
{
    FileSendResult result;
    if (fd_ < 0) {
        result.broken = true;
        return result;
    }
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        result.fileEnded = true;
        return result;
    }
    // sendfile has no MSG_NOSIGNAL: a peer that has gone would raise
    // SIGPIPE, which is blocked for the call and taken back if it came.
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    off_t at = static_cast<off_t>(offset);
    const ssize_t count = ::sendfile(fd_, file, &at, size);
    const int error = errno;
    if (count < 0 && error == EPIPE && !sigismember(&previous, SIGPIPE)) {
        const timespec noWait{};
        ::sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(file);
    if (count > 0) {
        result.sent = count;
    } else if (count == 0) {
        result.fileEnded = true;
    } else if (error != EAGAIN && error != EWOULDBLOCK && error != EINTR) {
        lastError_ = error;
        result.broken = true;
    }
    return result;
}

bool AsyncSocket::SetSendBufferSize(int bytes)
{
    return fd_ >= 0 && ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) == 0;
}

void AsyncSocket::RearmSend()
{
    if (notifiers_ && notifiers_->write)
        notifiers_->write->setEnabled(true);
}

void AsyncSocket::Close()
{
    if (fd_ < 0)
        return;
    notifiers_.reset();
    // Unread input makes close() reset the connection, which can discard
    // data the peer has not read yet; read it away first.
    if (!listening_) {
        char sink[4096];
        while (::recv(fd_, sink, sizeof sink, MSG_DONTWAIT) > 0) {
        }
    }
    ::close(fd_);
    fd_ = -1;
    listening_ = false;
}

bool AsyncSocket::IsOpen() const
{
    return fd_ >= 0;
}

void AsyncSocket::Attach(int fd, bool listening)
{
    fd_ = fd;
    listening_ = listening;
    notifiers_ = std::make_unique<Notifiers>();
    notifiers_->read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifiers_->read.get(), &QSocketNotifier::activated, [this] { HandleReadable(); });
    if (!listening) {
        notifiers_->write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        notifiers_->write->setEnabled(false);
        QObject::connect(notifiers_->write.get(), &QSocketNotifier::activated, [this] { HandleWritable(); });
    }
}

void AsyncSocket::HandleReadable()
{
    if (listening_) {
        OnAccept();
        return;
    }
    // Readable means data, an orderly close or an error; a peek tells which.
    char probe;
    const ssize_t count = ::recv(fd_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (count > 0) {
        OnReceive();
        return;
    }
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    lastError_ = count == 0 ? 0 : errno;
    // The end of input stays readable; stop listening for it.
    notifiers_->read->setEnabled(false);
    OnClose();
}

void AsyncSocket::HandleWritable()
{
    notifiers_->write->setEnabled(false);
    OnSend();
}

}  // namespace platform
