#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace platform {

namespace {

constexpr int kConnectTimeoutMs = 500;
constexpr qint32 kMaxText = 1 << 20;

}  // namespace

struct SingleInstance::Impl {
    QString name;
    QLocalServer server;
    MessageHandler handler;

    // One connection carries one message: tag, length, UTF-8 text.
    void Read(QLocalSocket* socket)
    {
        QDataStream in(socket);
        in.startTransaction();
        quint32 tag = 0;
        qint32 length = 0;
        in >> tag >> length;
        if (length < 0 || length > kMaxText) {
            socket->abort();
            return;
        }
        QByteArray text(length, '\0');
        if (in.readRawData(text.data(), length) != length) {
            in.rollbackTransaction();
            return;
        }
        in.commitTransaction();
        socket->write("k");
        socket->flush();
        socket->disconnectFromServer();
        if (handler)
            handler(tag, text.toStdString());
    }
};

SingleInstance::SingleInstance(std::string name) : impl_(std::make_unique<Impl>())
{
    impl_->name = QString::fromStdString(name);
}

SingleInstance::~SingleInstance() = default;

std::string SingleInstance::NameFor(const std::string& programFolder)
{
    const QByteArray folderHash =
        QCryptographicHash::hash(QByteArray::fromStdString(programFolder), QCryptographicHash::Md5).toHex().left(12);
    return "quelt-" + std::to_string(::getuid()) + "-" + folderHash.toStdString();
}

bool SingleInstance::IsAnotherRunning() const
{
    QLocalSocket probe;
    probe.connectToServer(impl_->name);
    return probe.waitForConnected(kConnectTimeoutMs);
}

bool SingleInstance::BecomeInstance(MessageHandler handler)
{
    if (IsAnotherRunning())
        return false;
    // Nobody answers: a socket file that is still there was left by a
    // crashed instance.
    QLocalServer::removeServer(impl_->name);
    impl_->server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!impl_->server.listen(impl_->name))
        return !IsAnotherRunning();  // lost a race: the winner runs
    impl_->handler = std::move(handler);
    Impl* impl = impl_.get();
    QObject::connect(&impl_->server, &QLocalServer::newConnection, &impl_->server, [impl] {
        while (QLocalSocket* socket = impl->server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [impl, socket] { impl->Read(socket); });
        }
    });
    return true;
}

bool SingleInstance::SendToRunning(std::uint32_t tag, const std::string& text, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(impl_->name);
    if (!socket.waitForConnected(std::min(timeoutMs, kConnectTimeoutMs)))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << quint32(tag) << qint32(text.size());
    out.writeRawData(text.data(), static_cast<int>(text.size()));
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The answer says the message was read whole.
    return socket.waitForReadyRead(timeoutMs) && socket.read(1) == "k";
}

bool SingleInstance::WaitUntilGone(int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (IsAnotherRunning()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

}  // namespace platform
