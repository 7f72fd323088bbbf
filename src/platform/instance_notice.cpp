#include "platform/instance_notice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrin::platform {
namespace {

constexpr std::size_t kMessageSize = 12;
constexpr std::size_t kAnswerSize = 4;

class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

void PutLittleEndian(std::uint32_t value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Waits until `fd` is ready for `events` or the deadline has passed; false on a timeout or error.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd poller{fd, events, 0};
        const int ready = ::poll(&poller, 1, static_cast<int>(left.count()));
        if (ready > 0)
            return (poller.revents & events) != 0 || (poller.revents & POLLHUP) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

}  // namespace

std::optional<std::uint32_t> SendChannelMessage(
    const std::string& socketPath, const ChannelMessage& message, std::chrono::milliseconds timeout)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.Get() < 0)
        return std::nullopt;
    // A socket file that nobody listens on refuses at once; a listener whose queue is full is
    // waited for until the deadline.
    if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EAGAIN && errno != EINPROGRESS)
            return std::nullopt;
        if (!WaitFor(socket.Get(), POLLOUT, deadline))
            return std::nullopt;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return std::nullopt;
    }
    unsigned char bytes[kMessageSize];
    PutLittleEndian(message.number, bytes);
    PutLittleEndian(message.wParam, bytes + 4);
    PutLittleEndian(message.lParam, bytes + 8);
    std::size_t sent = 0;
    while (sent < kMessageSize) {
        // Never a SIGPIPE when the program goes away meanwhile.
        const ssize_t n = ::send(socket.Get(), bytes + sent, kMessageSize - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(socket.Get(), POLLOUT, deadline))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    unsigned char answer[kAnswerSize];
    std::size_t received = 0;
    while (received < kAnswerSize) {
        if (!WaitFor(socket.Get(), POLLIN, deadline))
            return std::nullopt;
        const ssize_t n = ::recv(socket.Get(), answer + received, kAnswerSize - received, 0);
        if (n > 0)
            received += static_cast<std::size_t>(n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(answer[0]) | static_cast<std::uint32_t>(answer[1]) << 8
        | static_cast<std::uint32_t>(answer[2]) << 16 | static_cast<std::uint32_t>(answer[3]) << 24;
}

}  // namespace tavrin::platform
