// The program's link to the keyboard, put together at start-up: the bound service library, the
// reply slot and transaction, the command set, the G-key bank status and the two asynchronous
// reads through which replies and the keyboard's own notifications arrive.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "device/device_commands.h"
#include "device/device_link.h"
#include "device/notification_dispatch.h"

namespace tavrin::device {

inline constexpr std::array<std::uint8_t, 2> kInitialBankStatus = {0x05, 0x02};
// The tag of the bank status write; notifications that come back with it are ignored.
inline constexpr std::uint32_t kBankStatusTag = 0x004C4544;

class DeviceSession {
public:
    DeviceSession(std::unique_ptr<DeviceService> service, std::unique_ptr<TransactionTimer> timer);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Registers the consumer read, then (the reply slot being ready) the control read, each after
    // cancelling its earlier registration. Refusals are not detected: the keyboard then stays
    // silent.
    void RegisterDeviceReads(DeviceEventSink& sink);
    // The number of keyboards on the control interface.
    int KeyboardCount();
    // The G-key bank key: toggles the bank and writes the status (05 03 for bank 1, 05 02 for bank
    // 0), whose refusal is not detected. Returns the new bank. On the library's callback thread.
    int SwitchGKeyBank();
    // The current G-key bank, 0 or 1; the program assumes 0 until the bank key is pressed.
    int GKeyBank() const { return bankStatus_[1].load() & 1; }

    DeviceService& Service() { return *service_; }
    DeviceLink& Link() { return link_; }
    DeviceCommands& Commands() { return commands_; }

private:
    std::unique_ptr<DeviceService> service_;
    std::unique_ptr<TransactionTimer> timer_;
    DeviceLink link_;
    DeviceCommands commands_;
    // Written on the callback thread, read by the window's.
    std::array<std::atomic<std::uint8_t>, 2> bankStatus_{kInitialBankStatus[0], kInitialBankStatus[1]};
    std::uint32_t consumerHandle_ = 0;
    std::uint32_t controlHandle_ = 0;
    std::uint32_t statusHandle_ = 0;
};

}  // namespace tavrin::device
