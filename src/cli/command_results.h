// What every tavrinctl command shares: its exit statuses, how long it waits for a keyboard, and
// how it reports a failure (one line on standard error).
#pragma once

#include <chrono>
#include <iostream>
#include <string>

#include "model/user_messages.h"

namespace tavrin::cli {

inline constexpr int kSuccess = 0;
inline constexpr int kDeviceFailure = 1;
inline constexpr int kBadUsage = 2;
inline constexpr auto kKeyboardWait = std::chrono::milliseconds(2000);

// The core's messages, as tavrinctl's error lines.
class ErrorMessages final : public model::UserMessages {
public:
    void ShowMessage(const std::string& text) override { std::cerr << "tavrinctl: " << text << "\n"; }
};

inline int Fail(int status, const std::string& message)
{
    std::cerr << "tavrinctl: " << message << "\n";
    return status;
}

}  // namespace tavrin::cli
