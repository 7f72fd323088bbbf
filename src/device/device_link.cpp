#include "device/device_link.h"

#include <algorithm>
#include <cstring>

#include "device/result_codes.h"

namespace tavrin::device {

void DeviceLink::OnControlReport(std::uint32_t length, const std::uint8_t* data)
{
    {
        std::lock_guard lock(slot_.mutex);
        if (!slot_.busy || !slot_.replyBuffer)
            return;
        const std::uint32_t count = data ? std::min(length, slot_.replyCapacity) : 0;
        slot_.copiedLength = count;
        if (count > 0)
            std::memcpy(slot_.replyBuffer, data, count);
    }
    slot_.replyEvent.Set();
}

void DeviceLink::ReleaseSlot()
{
    std::lock_guard lock(slot_.mutex);
    slot_.busy = false;
    slot_.replyBuffer = nullptr;
}

int DeviceLink::ExchangeReport(
    std::span<const std::uint8_t> request, std::span<std::uint8_t, kReportSize> reply, std::uint32_t& copiedLength)
{
    copiedLength = 0;
    const InterfaceSelector control = ControlInterface();
    const std::uint32_t countKey = TolvexRequestKey(&control, nullptr, 0, nullptr, 0);
    if (service_.RequestGetDeviceCount(&control, nullptr, 0, countKey, nullptr) <= 0)
        return kDeviceAbsent;

    std::uint8_t frame[kReportSize] = {};
    std::memcpy(frame, request.data(), std::min(request.size(), kReportSize));
    const std::uint32_t key = TolvexRequestKey(&control, nullptr, 0, frame, kReportSize);

    std::unique_lock transaction(transaction_, std::try_to_lock);
    if (!transaction.owns_lock()) {
        timer_.Sleep(kSlotBackOff);
        transaction.lock();
    }

    for (int attempt = 1;; ++attempt) {
        {
            std::lock_guard lock(slot_.mutex);
            slot_.replyBuffer = reply.data();
            slot_.replyCapacity = static_cast<std::uint32_t>(reply.size());
            slot_.copiedLength = 0;
            slot_.busy = true;
            slot_.replyEvent.Reset();
        }
        if (service_.RequestWriteOne(&control, nullptr, 0, frame, kReportSize, key, nullptr) <= 0) {
            ReleaseSlot();
            return kDeviceRefused;
        }
        const WaitResult waited = timer_.Wait(slot_.replyEvent, kReplyWindow);
        if (waited == WaitResult::Failed) {
            ReleaseSlot();
            return kDeviceAbsent;
        }
        std::uint32_t copied = 0;
        bool usable = false;
        bool errorStatus = false;
        {
            std::lock_guard lock(slot_.mutex);
            // Whatever arrives from here on, until the next attempt, is dropped.
            slot_.busy = false;
            copied = slot_.copiedLength;
            if (waited == WaitResult::Signalled) {
                usable = copied > 3 && reply[3] == frame[3];
                errorStatus = usable && copied > 7 && (reply[7] == kStatusDeviceError || reply[7] == kStatusOutOfRange);
            }
        }
        if (usable && (!errorStatus || attempt == kAttempts)) {
            ReleaseSlot();
            copiedLength = copied;
            return kDeviceOk;
        }
        if (attempt == kAttempts) {
            ReleaseSlot();
            return kDeviceNoReply;
        }
        timer_.Sleep(kAttemptPause);
    }
}

}  // namespace tavrin::device
