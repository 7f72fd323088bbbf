// The command-line tool's link to the keyboard: libTolvex.so bound from the tool's own folder, the
// reply route, and the reads the program makes when a keyboard arrives (its default key map and its
// identity block).
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "device/device_memory.h"
#include "device/device_session.h"
#include "model/key_assignment.h"
#include "profiles/macro_download.h"
#include "profiles/active_profile.h"
#include "profiles/profile_transfer.h"

namespace tavrin::cli {

class KeyboardConnection final : private device::DeviceEventSink {
public:
    explicit KeyboardConnection(model::UserMessages& messages)
        : messages_(messages)
    {
    }
    ~KeyboardConnection() override;

    // Binds the library and waits up to `wait` for a keyboard; empty on success, else what failed.
    std::string Open(const std::string& libraryFolder, std::chrono::milliseconds wait);
    // Reads the identity block and the keyboard's default key map; empty on success.
    std::string ReadArrivalState();

    device::DeviceCommands& Commands() { return session_->Commands(); }
    profiles::ActiveProfile& ActiveProfile() { return *activeProfile_; }
    profiles::ProfileTransfer& Transfer() { return *transfer_; }
    const std::array<std::uint8_t, device::kDeviceInfoSize>& Info() const { return info_; }

private:
    void OnPresenceNotification(std::uint32_t) override { }
    void OnConsumerCode(std::uint16_t) override { }

    model::UserMessages& messages_;
    std::unique_ptr<device::DeviceSession> session_;
    std::unique_ptr<profiles::ActiveProfile> activeProfile_;
    model::DefaultKeyBlock defaults_;
    std::unique_ptr<profiles::MacroDownload> download_;
    std::unique_ptr<profiles::ProfileTransfer> transfer_;
    std::array<std::uint8_t, device::kDeviceInfoSize> info_{};
};

}  // namespace tavrin::cli
