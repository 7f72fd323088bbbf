// The command-line tool's keyboard: a keyboard context bound from the tool's own folder, waited
// for, and read as the program reads a keyboard that arrives.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "profiles/keyboard_context.h"

namespace tavrin::cli {

class KeyboardConnection {
public:
    explicit KeyboardConnection(model::UserMessages& messages)
        : messages_(messages)
    {
    }
    // Ends the library, joining its threads, before anything it might call goes away.
    ~KeyboardConnection();
    KeyboardConnection(const KeyboardConnection&) = delete;
    KeyboardConnection& operator=(const KeyboardConnection&) = delete;

    // Binds the library, waits up to `wait` for a keyboard and holds it until the connection ends;
    // empty on success, else what failed. Both failures say so when the keyboard is plugged in but
    // its device files refuse the user.
    std::string Open(const std::string& libraryFolder, std::chrono::milliseconds wait);
    // Reads the identity block and the keyboard's default key map; empty on success.
    std::string ReadArrivalState();

    device::DeviceCommands& Commands() { return context_->Commands(); }
    profiles::ActiveProfile& ActiveProfile() { return context_->Active(); }
    profiles::ProfileTransfer& Transfer() { return context_->Transfer(); }
    const profiles::IdentityBlock& Info() const { return context_->Identity(); }

private:
    model::UserMessages& messages_;
    std::unique_ptr<profiles::KeyboardContext> context_;
    std::unique_ptr<device::KeyboardBracket> hold_;  // let go before the library ends
};

}  // namespace tavrin::cli
