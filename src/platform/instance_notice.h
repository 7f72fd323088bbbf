// The sending side of the running program's single-instance channel, without Qt: one message of
// three little-endian numbers (number, two parameters) to the local socket the program listens on,
// answered by one number. For tools that tell the program something and must never wait long for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrin::platform {

struct ChannelMessage {
    std::uint32_t number = 0;
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0;
};

// Sends `message` to the program listening on `socketPath` and waits for its answer until
// `timeout` has passed in all. Nothing when no program listens there, the socket cannot be reached
// or no answer came in time.
std::optional<std::uint32_t> SendChannelMessage(
    const std::string& socketPath, const ChannelMessage& message, std::chrono::milliseconds timeout);

}  // namespace tavrin::platform
