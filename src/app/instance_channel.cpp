#include "app/instance_channel.h"

#include <QLocalSocket>
#include <QPointer>
#include <QtEndian>

#include "app/window_messages.h"

namespace tavrin::app {
namespace {

constexpr int kMessageSize = 12;

}  // namespace

bool AcceptedFromOutside(const InstanceMessage& message)
{
    return (message.number == MSG_OPEN && message.wParam == MSG_OPEN_CHECK)
        || (message.number == MSG_KILL && message.wParam == MSG_KILL_CHECK)
        || (message.number == MSG_KEYBOARD_CHANGED && message.wParam == MSG_KEYBOARD_CHANGED_CHECK);
}

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent)
    , handler_(std::move(handler))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
}

bool InstanceServer::Listen(const std::string& name)
{
    QLocalServer::removeServer(QString::fromStdString(name));
    return server_.listen(QString::fromStdString(name));
}

void InstanceServer::Close()
{
    server_.close();
}

void InstanceServer::OnNewConnection()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < kMessageSize)
                return;
            const QByteArray bytes = socket->read(kMessageSize);
            const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
            const InstanceMessage message{qFromLittleEndian<quint32>(data), qFromLittleEndian<quint32>(data + 4),
                qFromLittleEndian<quint32>(data + 8)};
            // The handler may end the program's loop; the socket lives on until the answer is out.
            QPointer<QLocalSocket> guard(socket);
            const std::uint32_t result = handler_ && AcceptedFromOutside(message) ? handler_(message) : 0;
            if (!guard)
                return;
            uchar answer[4];
            qToLittleEndian<quint32>(result, answer);
            socket->write(reinterpret_cast<const char*>(answer), sizeof answer);
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

std::optional<std::uint32_t> SendInstanceMessage(const std::string& name, const InstanceMessage& message, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(name));
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    uchar bytes[kMessageSize];
    qToLittleEndian<quint32>(message.number, bytes);
    qToLittleEndian<quint32>(message.wParam, bytes + 4);
    qToLittleEndian<quint32>(message.lParam, bytes + 8);
    // Connected means an instance was found, whether or not it answers in time.
    socket.write(reinterpret_cast<const char*>(bytes), kMessageSize);
    if (!socket.waitForBytesWritten(timeoutMs))
        return 0u;
    while (socket.bytesAvailable() < 4)
        if (!socket.waitForReadyRead(timeoutMs))
            return 0u;
    const QByteArray answer = socket.read(4);
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(answer.constData()));
}

}  // namespace tavrin::app
