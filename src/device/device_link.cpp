#include "device/device_link.h"

#include <algorithm>
#include <cstring>

#include "device/result_codes.h"

namespace tavrin::device {

void DeviceLink::OnControlReport(std::uint32_t length, const std::uint8_t* data)
{
    {
        std::lock_guard lock(slot_.mutex);
        if (slot_.owed == 0 && ForeignAnswer())
            return;
        if (slot_.owed == 0) {
            ++slot_.surplus;  // nothing was asked: dropped, and counted
        } else {
            if (slot_.owed == 1 && slot_.busy && slot_.replyBuffer) {
                const std::uint32_t count = data ? std::min(length, slot_.replyCapacity) : 0;
                slot_.copiedLength = count;
                if (count > 0)
                    std::memcpy(slot_.replyBuffer, data, count);
                slot_.replied = true;
            }
            // Either the answer to the request in flight or a late one to an attempt that timed
            // out: both settle one attempt.
            --slot_.owed;
        }
    }
    slot_.replyEvent.Set();
}

bool DeviceLink::ForeignAnswer() const
{
    if (!owner_.HeldHere())
        return true;
    // Taken, but nothing written yet: an answer that comes now was on its way to the program that
    // held the keyboard before, unless one of ours given up for lost may still come.
    const bool oursMayCome = slot_.givenUp > slot_.surplus + slot_.forgotten;
    return slot_.takeOfLastWrite != owner_.Takes() && !oursMayCome;
}

void DeviceLink::ReleaseSlot()
{
    std::lock_guard lock(slot_.mutex);
    slot_.busy = false;
    slot_.replyBuffer = nullptr;
}

bool DeviceLink::DiscardLateReplies()
{
    for (;;) {
        {
            std::lock_guard lock(slot_.mutex);
            if (slot_.owed == 0)
                return true;
            slot_.busy = false;
            slot_.replyBuffer = nullptr;
            slot_.replyEvent.Reset();
        }
        const WaitResult waited = timer_.Wait(slot_.replyEvent, kReplyWindow);
        if (waited == WaitResult::Failed)
            return false;
        if (waited == WaitResult::TimedOut) {
            // Given up for lost. Should it come after all, it finds nothing owed and is counted as
            // surplus, which RepliesCameInTurn reports.
            std::lock_guard lock(slot_.mutex);
            if (slot_.owed > 0) {
                --slot_.owed;
                ++slot_.givenUp;
                slot_.lastGivenUp = std::chrono::steady_clock::now();
            }
        }
    }
}

ReplyCount DeviceLink::CountReplies()
{
    std::lock_guard lock(slot_.mutex);
    return {slot_.givenUp, slot_.surplus};
}

bool DeviceLink::LateAnswerMayCome()
{
    std::lock_guard lock(slot_.mutex);
    const std::uint64_t settled = slot_.surplus + slot_.forgotten;
    if (slot_.givenUp <= settled)
        return false;
    if (std::chrono::steady_clock::now() - slot_.lastGivenUp > kLateAnswerHorizon) {
        slot_.forgotten += slot_.givenUp - settled;
        return false;
    }
    return true;
}

bool DeviceLink::RepliesCameInTurn(const ReplyCount& before)
{
    ReplyCount now = CountReplies();
    if (now.surplus == before.surplus && LateAnswerMayCome()) {
        // Held, so that the answer waited for is told apart from other programs' answers.
        KeyboardBracket keyboard(owner_);
        if (!keyboard.Held())
            return false;
        {
            std::lock_guard lock(slot_.mutex);
            slot_.replyEvent.Reset();
        }
        // Any answer now is surplus: it wakes this wait, and the count below shows it.
        timer_.Wait(slot_.replyEvent, kReplyWindow);
        now = CountReplies();
    }
    return now.surplus == before.surplus;
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

    if (!owner_.TryAcquire()) {
        timer_.Sleep(kSlotBackOff);
        if (!owner_.Acquire(kKeyboardOwnerWait))
            return kDeviceBusy;
    }
    const KeyboardBracket keyboard(owner_, std::adopt_lock);
    bool firstOfTake = false;
    {
        std::lock_guard lock(slot_.mutex);
        firstOfTake = slot_.takeOfLastWrite != owner_.Takes();
    }
    if (firstOfTake && owner_.TookFromAnotherProgram())
        timer_.Sleep(kForeignAnswerSettle);

    for (int attempt = 1;; ++attempt) {
        if (!DiscardLateReplies())
            return kDeviceAbsent;
        {
            std::lock_guard lock(slot_.mutex);
            slot_.replyBuffer = reply.data();
            slot_.replyCapacity = static_cast<std::uint32_t>(reply.size());
            slot_.copiedLength = 0;
            slot_.replied = false;
            slot_.busy = true;
            slot_.owed = 1;
            slot_.takeOfLastWrite = owner_.Takes();
            slot_.replyEvent.Reset();
        }
        if (service_.RequestWriteOne(&control, nullptr, 0, frame, kReportSize, key, nullptr) <= 0) {
            std::lock_guard lock(slot_.mutex);
            slot_.owed = 0;  // nothing was sent
            slot_.busy = false;
            slot_.replyBuffer = nullptr;
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
            // From here on, until the next attempt, an answer to this one is late and dropped.
            slot_.busy = false;
            slot_.replyBuffer = nullptr;
            // A reply that came just after the window closed still answers this very request.
            if (slot_.replied) {
                copied = slot_.copiedLength;
                usable = copied > 3 && reply[3] == frame[3];
                errorStatus = usable && copied > 7 && (reply[7] == kStatusDeviceError || reply[7] == kStatusOutOfRange);
            }
        }
        if (usable && (!errorStatus || attempt == kAttempts)) {
            copiedLength = copied;
            return kDeviceOk;
        }
        if (attempt == kAttempts)
            return kDeviceNoReply;
        timer_.Sleep(kAttemptPause);
    }
}

}  // namespace tavrin::device
