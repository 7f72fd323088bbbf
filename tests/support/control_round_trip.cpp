#include "support/control_round_trip.h"

#include <condition_variable>
#include <mutex>

#include "device/device_memory.h"
#include "device/device_report.h"

namespace tavrin::testing {
namespace {

// The library's callbacks carry no context of ours: the count of replies is the process's.
std::mutex replyMutex;
std::condition_variable replyArrived;
std::uint64_t replies = 0;

int CountReply(const TolvexNotification* notification)
{
    if (notification->kind == TOLVEX_NOTIFY_DATA) {
        std::lock_guard lock(replyMutex);
        ++replies;
    }
    replyArrived.notify_one();
    return 1;
}

device::DeviceReport SettingsRead()
{
    device::DeviceReport request{};
    request.reportId = device::kReportId;
    request.command = device::CMD_READ_SETTINGS;
    request.length = 56;
    device::ComputeReportChecksum(device::ReportBytes(request));
    return request;
}

const device::DeviceReport kRequest = SettingsRead();

}  // namespace

ControlRoundTrip::ControlRoundTrip(const TolvexLibrary& library)
    : library_(library)
    , control_(ControlSelector())
{
    std::uint32_t handle = 0;
    library_.RequestAsyncRead(&control_, CountReply, TOLVEX_TAG_CONTROL,
        TolvexRequestKey(&control_, CountReply, TOLVEX_TAG_CONTROL, nullptr, 0), &handle);
    const auto frame = device::ReportBytes(kRequest);
    key_ = TolvexRequestKey(&control_, nullptr, 0, frame.data(), static_cast<std::uint32_t>(frame.size()));
}

RoundTrip ControlRoundTrip::Once(std::chrono::milliseconds wait)
{
    const auto frame = device::ReportBytes(kRequest);
    std::unique_lock lock(replyMutex);
    const std::uint64_t before = replies;
    lock.unlock();
    if (library_.RequestWriteOne(
            &control_, nullptr, 0, frame.data(), static_cast<std::uint32_t>(frame.size()), key_, nullptr)
        <= 0)
        return RoundTrip::Refused;
    lock.lock();
    return replyArrived.wait_for(lock, wait, [&] { return replies > before; }) ? RoundTrip::Replied
                                                                               : RoundTrip::NoReply;
}

}  // namespace tavrin::testing
