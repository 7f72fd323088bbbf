// The program's link to the keyboard, put together at start-up: the bound service library, the
// reply slot and transaction, the command set, the G-key bank status and the two asynchronous
// reads through which replies and the keyboard's own notifications arrive.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "device/device_commands.h"
#include "device/device_link.h"
#include "device/notification_dispatch.h"

namespace tavrin::device {

inline constexpr std::array<std::uint8_t, 2> kInitialBankStatus = {0x05, 0x02};

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

    DeviceService& Service() { return *service_; }
    DeviceLink& Link() { return link_; }
    DeviceCommands& Commands() { return commands_; }

private:
    std::unique_ptr<DeviceService> service_;
    std::unique_ptr<TransactionTimer> timer_;
    DeviceLink link_;
    DeviceCommands commands_;
    std::array<std::uint8_t, 2> bankStatus_ = kInitialBankStatus;
    std::uint32_t consumerHandle_ = 0;
    std::uint32_t controlHandle_ = 0;
};

}  // namespace tavrin::device
