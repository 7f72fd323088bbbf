// One request to the keyboard and its reply: the reply slot that the library's callback fills,
// and the transaction with its 300 ms reply window and three attempts.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/device_report.h"
#include "device/device_service.h"
#include "device/transaction_timer.h"

namespace tavrin::device {

inline constexpr std::chrono::milliseconds kReplyWindow{300};
inline constexpr std::chrono::milliseconds kAttemptPause{10};
inline constexpr std::chrono::milliseconds kSlotBackOff{301};
inline constexpr int kAttempts = 3;

// The rendezvous between the thread that waits for a reply and the library's callback thread.
struct ReplySlot {
    std::mutex mutex;  // guards the fields below against the callback thread
    std::uint8_t* replyBuffer = nullptr;
    std::uint32_t replyCapacity = 0;
    std::uint32_t copiedLength = 0;
    bool busy = false;
    AutoResetEvent replyEvent;
};

class DeviceLink {
public:
    DeviceLink(DeviceService& service, TransactionTimer& timer)
        : service_(service)
        , timer_(timer)
    {
    }

    // Sends one request (cut or zero-filled to 64 bytes; its checksum already filled in) and waits
    // for the reply. Results: 1 a reply with the request's command byte arrived (its status may
    // still be an error after the third attempt), 0 no keyboard or the wait failed, -1 the library
    // refused to send, -2 no usable reply after three attempts. One transaction runs at a time;
    // one that finds the slot taken backs off 301 ms and then waits its turn.
    int ExchangeReport(
        std::span<const std::uint8_t> request, std::span<std::uint8_t, kReportSize> reply, std::uint32_t& copiedLength);

    // The reply path of the library's callback: copies a control report into the waiting slot, or
    // drops it when no transaction waits.
    void OnControlReport(std::uint32_t length, const std::uint8_t* data);

    DeviceService& Service() { return service_; }
    TransactionTimer& Timer() { return timer_; }

private:
    enum class Attempt { Replied, TimedOut, WaitFailed };
    Attempt WaitForReply();
    void ReleaseSlot();

    DeviceService& service_;
    TransactionTimer& timer_;
    std::mutex transaction_;  // held for a whole transaction: one at a time
    ReplySlot slot_;
};

}  // namespace tavrin::device
