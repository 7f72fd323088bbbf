// How two instances of the program reach each other: the running one listens on a local socket
// named after its lock; another start sends it a message (number, two parameters) and waits for
// the answer, as a synchronous window message would.
#pragma once

#include <QLocalServer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/instance_notice.h"

namespace tavrin::app {

// The same three numbers that tavrinctl's sender, without Qt, writes.
using InstanceMessage = platform::ChannelMessage;

// Whether a message may come from outside the program: a later start's MSG_OPEN and MSG_KILL, and
// tavrinctl's MSG_KEYBOARD_CHANGED, each with its exact check value. The window's own messages
// (removal, reload, language, …) never come through the channel.
bool AcceptedFromOutside(const InstanceMessage& message);

// The running instance's side. Messages are handled on the thread that owns the server (the
// window thread); those not accepted from outside are answered 0 and never reach the handler.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<std::uint32_t(const InstanceMessage&)>;

    explicit InstanceServer(Handler handler = {}, QObject* parent = nullptr);
    // Messages that come before a handler is set are answered 0.
    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    // Listens on `name` (a path in the user's runtime folder), replacing a socket left behind by
    // an instance that crashed. False when it cannot listen.
    bool Listen(const std::string& name);
    void Close();
    // Why the last Listen failed.
    std::string ErrorString() const { return server_.errorString().toStdString(); }

private:
    void OnNewConnection();

    Handler handler_;
    QLocalServer server_;
};

// Sends one message to the instance listening on `name` and waits for its answer (0 when it gives
// none in time); nothing when no instance listens there.
std::optional<std::uint32_t> SendInstanceMessage(
    const std::string& name, const InstanceMessage& message, int timeoutMs = 5000);

}  // namespace tavrin::app
