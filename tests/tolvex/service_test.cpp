// The library's front over a fake back end: keys, arguments, framing, registrations, threads.
#include "service.h"

#include <atomic>
#include <gtest/gtest.h>

#include "fake_backend.h"
#include "support/tolvex_library.h"

namespace tolvex {
namespace {

using tavrin::testing::ConsumerSelector;
using tavrin::testing::ControlSelector;
using tavrin::testing::KeyStatusSelector;
using tavrin::testing::NotificationRecorder;
using tavrin::testing::RecordedNotification;
using testing::FakeBackend;

const InterfaceInfo kControl{TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_CONTROL_USAGE_PAGE, TOLVEX_CONTROL_USAGE, "c"};
const InterfaceInfo kConsumer{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_CONSUMER_USAGE_PAGE, TOLVEX_CONSUMER_USAGE, "m"};
const InterfaceInfo kKeyStatus{
    TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_KEY_STATUS_USAGE_PAGE, TOLVEX_KEY_STATUS_USAGE, "k"};

std::uint32_t KeyOf(const InterfaceSelector& selector, TolvexCallback callback = nullptr, std::uint32_t tag = 0,
    std::span<const std::uint8_t> data = {})
{
    return TolvexRequestKey(&selector, callback, tag, data.data(), data.size());
}

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NotificationRecorder::Clear();
        ASSERT_EQ(service_.Init(), 1);
        backend_->SetInterfaces({kControl, kConsumer, kKeyStatus});
    }

    std::uint32_t Register(const InterfaceSelector& selector, std::uint32_t tag)
    {
        std::uint32_t handle = 0;
        EXPECT_EQ(service_.AsyncRead(&selector, NotificationRecorder::Callback, tag,
                      KeyOf(selector, NotificationRecorder::Callback, tag), &handle),
            1);
        return handle;
    }

    FakeBackend* backend_ = nullptr;
    int backendsMade_ = 0;
    int backendsStopped_ = 0;
    Service service_{[this] {
        auto backend = std::make_unique<FakeBackend>();
        backend->onStop = [this] { ++backendsStopped_; };
        backend_ = backend.get();
        ++backendsMade_;
        return backend;
    }};
};

TEST_F(ServiceTest, RefusesEveryCallWhoseKeyDoesNotMatch)
{
    const InterfaceSelector control = ControlSelector();
    std::uint8_t report[64] = {4, 0, 0, 1};
    const std::uint32_t right = KeyOf(control, nullptr, 0, report);
    std::uint32_t handle = 0;
    EXPECT_EQ(service_.WriteOne(&control, nullptr, 0, report, 64, right + 1), 0);
    EXPECT_EQ(service_.Write(&control, nullptr, 0, report, 64, right + 1), 0);
    EXPECT_EQ(service_.GetDeviceCount(&control, nullptr, 0, KeyOf(control) + 1), 0);
    EXPECT_EQ(service_.AsyncRead(&control, NotificationRecorder::Callback, 1, KeyOf(control), &handle), 0)
        << "a key computed without the callback and tag";
    EXPECT_EQ(service_.StatusGet(&control, nullptr, 0, report, 2, KeyOf(control) + 1), 0);
    EXPECT_TRUE(backend_->Writes().empty());

    EXPECT_EQ(service_.GetDeviceCount(&control, nullptr, 0, KeyOf(control)), 1);
    EXPECT_EQ(service_.WriteOne(&control, nullptr, 0, report, 64, right), 1);
}

TEST_F(ServiceTest, RefusesNullAndEmptyArgumentsAndUnknownHandles)
{
    const InterfaceSelector control = ControlSelector();
    std::uint8_t report[64] = {};
    EXPECT_EQ(service_.WriteOne(nullptr, nullptr, 0, report, 64, 0), 0);
    EXPECT_EQ(service_.WriteOne(&control, nullptr, 0, nullptr, 64, KeyOf(control)), 0);
    EXPECT_EQ(service_.WriteOne(&control, nullptr, 0, report, 0, KeyOf(control)), 0);
    EXPECT_EQ(service_.StatusWrite(&control, nullptr, 0, report, 0, KeyOf(control), nullptr), 0);
    EXPECT_EQ(service_.StatusGet(&control, nullptr, 0, nullptr, 2, KeyOf(control)), 0);
    EXPECT_EQ(service_.AsyncRead(&control, nullptr, 0, KeyOf(control), nullptr), 0);
    EXPECT_EQ(service_.DeleteByHandle(12345), 0);
    EXPECT_EQ(service_.DeleteByRecord(nullptr), 0);
    TolvexRequestRecord stranger{};
    EXPECT_EQ(service_.DeleteByRecord(&stranger), 0);
}

TEST_F(ServiceTest, FramesWritesAsSixtyFourByteReportsToTheMatchingInterface)
{
    const InterfaceSelector control = ControlSelector();
    std::vector<std::uint8_t> longer(70, 0xAB);
    longer[0] = 4;
    const std::uint8_t shorter[] = {4, 1, 0, 2};
    ASSERT_EQ(service_.WriteOne(&control, nullptr, 0, longer.data(), 70, KeyOf(control, nullptr, 0, longer)), 1);
    ASSERT_EQ(service_.WriteOne(&control, nullptr, 0, shorter, 4, KeyOf(control, nullptr, 0, shorter)), 1);
    std::vector<std::uint8_t> three(130, 0x11);
    ASSERT_EQ(service_.Write(&control, nullptr, 0, three.data(), 130, KeyOf(control, nullptr, 0, three)), 3);

    const auto writes = backend_->Writes();
    ASSERT_EQ(writes.size(), 5u);
    for (const auto& write : writes) {
        EXPECT_EQ(write.target, kControl);
        EXPECT_EQ(write.bytes.size(), 64u);
    }
    EXPECT_EQ(writes[0].bytes, std::vector<std::uint8_t>(longer.begin(), longer.begin() + 64));
    std::vector<std::uint8_t> padded(64, 0);
    std::copy(std::begin(shorter), std::end(shorter), padded.begin());
    EXPECT_EQ(writes[1].bytes, padded);
    EXPECT_EQ(writes[4].bytes[1], 0x11);
    EXPECT_EQ(writes[4].bytes[2], 0x00) << "the last report of a multi-report write is zero-filled";

    backend_->SetInterfaces({});
    EXPECT_EQ(service_.WriteOne(&control, nullptr, 0, shorter, 4, KeyOf(control, nullptr, 0, shorter)), 0)
        << "no keyboard, nothing queued";
}

TEST_F(ServiceTest, DeliversInputOfMatchingInterfacesInOrderOnALibraryThread)
{
    Register(ControlSelector(), TOLVEX_TAG_CONTROL);
    for (std::uint8_t i = 1; i <= 20; ++i)
        backend_->Input(kControl, {4, 0, 0, i});
    backend_->Input(kConsumer, {0x01, 0x04});  // nobody registered for it

    ASSERT_TRUE(NotificationRecorder::WaitFor(
        [](const RecordedNotification& n) { return n.bytes.size() == 4 && n.bytes[3] == 20; }));
    const auto recorded = NotificationRecorder::Snapshot();
    ASSERT_EQ(recorded.size(), 20u);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(recorded[i].kind, static_cast<std::uint32_t>(TOLVEX_NOTIFY_DATA));
        EXPECT_EQ(recorded[i].tag, TOLVEX_TAG_CONTROL);
        EXPECT_EQ(recorded[i].length, 4u);
        EXPECT_EQ(recorded[i].bytes[3], i + 1);
        EXPECT_NE(recorded[i].thread, std::this_thread::get_id());
    }
}

TEST_F(ServiceTest, TellsEachRegistrationWhenItsCountChangesAndOnlyThen)
{
    Register(ControlSelector(), TOLVEX_TAG_CONTROL);
    Register(ConsumerSelector(), TOLVEX_TAG_CONSUMER);
    backend_->SetInterfaces({kControl, kConsumer, kKeyStatus});  // no change
    backend_->SetInterfaces({});
    backend_->SetInterfaces({kConsumer});  // consumer back, control still away
    backend_->SetInterfaces({kControl, kControl, kConsumer});

    auto states = [](std::uint32_t tag) {
        std::vector<std::uint32_t> presence;
        for (const auto& n : NotificationRecorder::Snapshot())
            if (n.kind == TOLVEX_NOTIFY_STATE && n.tag == tag)
                presence.push_back(n.length);
        return presence;
    };
    ASSERT_TRUE(NotificationRecorder::WaitFor([](const RecordedNotification& n) {
        return n.tag == TOLVEX_TAG_CONTROL && n.kind == TOLVEX_NOTIFY_STATE && n.length == 2;
    }));
    ASSERT_TRUE(NotificationRecorder::WaitFor([](const RecordedNotification& n) {
        return n.tag == TOLVEX_TAG_CONSUMER && n.kind == TOLVEX_NOTIFY_STATE && n.length == 1;
    }));
    EXPECT_EQ(states(TOLVEX_TAG_CONTROL), (std::vector<std::uint32_t>{0, 2}));
    EXPECT_EQ(states(TOLVEX_TAG_CONSUMER), (std::vector<std::uint32_t>{0, 1}));
}

TEST_F(ServiceTest, StatusWriteReachesTheInterfaceAndCompletesThroughTheCallback)
{
    const InterfaceSelector status = KeyStatusSelector();
    const std::uint8_t bank1[] = {0x05, 0x03};
    std::uint32_t handle = 0;
    ASSERT_EQ(service_.StatusWrite(&status, NotificationRecorder::Callback, TOLVEX_TAG_KEY_STATUS, bank1, 2,
                  KeyOf(status, NotificationRecorder::Callback, TOLVEX_TAG_KEY_STATUS, bank1), &handle),
        1);
    EXPECT_NE(handle, 0u);
    ASSERT_EQ(backend_->Writes().size(), 1u);
    EXPECT_EQ(backend_->Writes()[0].target, kKeyStatus);
    EXPECT_EQ(backend_->Writes()[0].bytes, (std::vector<std::uint8_t>{0x05, 0x03}));
    RecordedNotification completion;
    ASSERT_TRUE(NotificationRecorder::WaitFor(
        [](const RecordedNotification& n) { return n.tag == TOLVEX_TAG_KEY_STATUS; }, &completion));
    EXPECT_EQ(completion.bytes, (std::vector<std::uint8_t>{0x05, 0x03}));
    EXPECT_EQ(service_.DeleteByHandle(handle), 1);
    EXPECT_EQ(service_.DeleteByHandle(handle), 0);
}

// A callback that blocks, as the program's does while the window thread handles the bank key,
// must not hold up the replies that the window thread may be waiting for.
std::atomic<bool> releaseBlockedCallback{false};
std::atomic<bool> blockedCallbackEntered{false};

int BlockingCallback(const TolvexNotification*)
{
    blockedCallbackEntered = true;
    while (!releaseBlockedCallback)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

TEST_F(ServiceTest, ABlockedCallbackHoldsUpOnlyItsOwnRegistration)
{
    releaseBlockedCallback = false;
    blockedCallbackEntered = false;
    const InterfaceSelector consumer = ConsumerSelector();
    std::uint32_t handle = 0;
    ASSERT_EQ(service_.AsyncRead(&consumer, BlockingCallback, TOLVEX_TAG_CONSUMER,
                  KeyOf(consumer, BlockingCallback, TOLVEX_TAG_CONSUMER), &handle),
        1);
    Register(ControlSelector(), TOLVEX_TAG_CONTROL);
    backend_->Input(kConsumer, {0xFF, 0x02});
    while (!blockedCallbackEntered)
        std::this_thread::yield();
    backend_->Input(kControl, {4, 0, 0, 7});
    EXPECT_TRUE(
        NotificationRecorder::WaitFor([](const RecordedNotification& n) { return n.tag == TOLVEX_TAG_CONTROL; }));
    releaseBlockedCallback = true;
}

// Cancels its own registration from inside the callback, as a caller may on its first report.
std::atomic<int> selfCancellingCalls{0};
Service* cancellingService = nullptr;

int SelfCancellingCallback(const TolvexNotification* notification)
{
    ++selfCancellingCalls;
    cancellingService->DeleteByRecord(notification->request);
    return 1;
}

TEST_F(ServiceTest, ARegistrationCanCancelItselfFromItsCallback)
{
    cancellingService = &service_;
    selfCancellingCalls = 0;
    const InterfaceSelector control = ControlSelector();
    std::uint32_t handle = 0;
    ASSERT_EQ(
        service_.AsyncRead(&control, SelfCancellingCallback, 0, KeyOf(control, SelfCancellingCallback), &handle), 1);
    backend_->Input(kControl, {4, 0, 0, 1});
    for (int i = 0; i < 200 && selfCancellingCalls == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(selfCancellingCalls, 1);
    for (int i = 0; i < 200 && backend_->ReaderCount() != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(backend_->ReaderCount(), 0u);
    backend_->Input(kControl, {4, 0, 0, 2});
    EXPECT_EQ(service_.DeleteByHandle(handle), 0);
    EXPECT_EQ(service_.End(), 1);
    EXPECT_EQ(selfCancellingCalls, 1);
}

TEST_F(ServiceTest, EndStopsEverythingAndInitStartsAfresh)
{
    Register(ControlSelector(), TOLVEX_TAG_CONTROL);
    ASSERT_EQ(service_.End(), 1);
    EXPECT_EQ(backendsStopped_, 1);
    const InterfaceSelector control = ControlSelector();
    EXPECT_EQ(service_.GetDeviceCount(&control, nullptr, 0, KeyOf(control)), 0) << "calls after End are refused";

    ASSERT_EQ(service_.Init(), 1);
    EXPECT_EQ(backendsMade_, 2);
    backend_->SetInterfaces({kControl});
    EXPECT_EQ(service_.GetDeviceCount(&control, nullptr, 0, KeyOf(control)), 1);
}

TEST(ServiceStart, FailsWhenNoBackEndStarts)
{
    Service service([] {
        auto backend = std::make_unique<FakeBackend>();
        backend->startSucceeds = false;
        return backend;
    });
    EXPECT_EQ(service.Init(), 0);
    Service none([] { return std::unique_ptr<Backend>(); });
    EXPECT_EQ(none.Init(), 0);
}

}  // namespace
}  // namespace tolvex
