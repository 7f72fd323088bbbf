// The library's callback and the program's shutdown: once the targets are detached, no call of the
// callback is still inside them, so they may be destroyed at once.
#include "device/notification_dispatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/device_session.h"
#include "fake_keyboard.h"

namespace tavrin::device {
namespace {

using namespace std::chrono_literals;

struct Notification {
    Notification(std::uint32_t kind, std::uint32_t tag, const std::uint8_t* data, std::uint32_t length)
    {
        buffer.structSize = sizeof buffer;
        buffer.receivedLength = length;
        buffer.received = data;
        request.tag = tag;
        request.length = length;
        request.data = data;
        request.buffer = &buffer;
        record.kind = kind;
        record.request = &request;
    }
    TolvexBufferRecord buffer{};
    TolvexRequestRecord request{};
    TolvexNotification record{};
};

class SlowSink final : public DeviceEventSink {
public:
    void OnPresenceNotification(std::uint32_t) override { }
    void OnConsumerCode(std::uint16_t) override
    {
        inside = true;
        std::this_thread::sleep_for(100ms);
        finished = true;
    }
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
};

TEST(NotificationDispatch, DetachingWaitsForACallStillInsideTheSink)
{
    auto sink = std::make_unique<SlowSink>();
    InstallNotificationTargets(nullptr, sink.get());
    const std::uint8_t code[2] = {0x01, 0x04};
    Notification lighting(TOLVEX_NOTIFY_DATA, TOLVEX_TAG_CONSUMER, code, sizeof code);
    std::thread library([&lighting] { NotificationCallback(&lighting.record); });
    while (!sink->inside)
        std::this_thread::yield();
    InstallNotificationTargets(nullptr, nullptr);
    EXPECT_TRUE(sink->finished) << "the sink was detached while the callback was still inside it";
    sink.reset();
    library.join();
}

TEST(NotificationDispatch, ASessionGoesAwayWhileRepliesKeepArriving)
{
    testing::EventLog log;
    auto session = std::make_unique<DeviceSession>(
        std::make_unique<testing::StubService>(), std::make_unique<testing::RecordingTimer>(log));
    SlowSink sink;
    session->RegisterDeviceReads(sink);
    const std::array<std::uint8_t, kReportSize> reply{kReportId, 0, 0, CMD_BEGIN};
    Notification control(TOLVEX_NOTIFY_DATA, TOLVEX_TAG_CONTROL, reply.data(), kReportSize);
    Notification presence(TOLVEX_NOTIFY_STATE, TOLVEX_TAG_CONTROL, nullptr, 1);
    std::atomic<bool> stop{false};
    std::atomic<int> calls{0};
    std::vector<std::thread> library;
    for (int i = 0; i < 2; ++i)
        library.emplace_back([&] {
            while (!stop) {
                NotificationCallback(&control.record);
                NotificationCallback(&presence.record);
                ++calls;
            }
        });
    while (calls < 100)
        std::this_thread::yield();
    session.reset();  // the address sanitizer sees any call that still reaches the link
    std::this_thread::sleep_for(10ms);
    stop = true;
    for (auto& thread : library)
        thread.join();
}

}  // namespace
}  // namespace tavrin::device
