#include <filesystem>
#include <fstream>
#include <functional>
#include <stdlib.h>
#include <thread>

#include <gtest/gtest.h>

#include "fake_hid_system.h"
#include "hidraw/hidraw_backend.h"

namespace tolvex {
namespace {

using namespace std::chrono_literals;
using testing::FakeHidState;
using testing::FakeHidSystem;
using testing::kConsumerCollection;
using testing::kControlCollection;
using testing::kKeyboard;
using testing::kKeyStatusCollection;
using Bytes = std::vector<std::uint8_t>;

const InterfaceInfo kUnknownKeyboardCollection{TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, 0xFF1C, 0x0001, "/dev/hidraw6"};
const InterfaceInfo kOtherProduct{
    TOLVEX_VENDOR_ID, 0x7046, TOLVEX_CONTROL_USAGE_PAGE, TOLVEX_CONTROL_USAGE, "/dev/hidraw7"};
const InterfaceInfo kOtherVendor{
    0x046D, TOLVEX_PRODUCT_ID, TOLVEX_CONTROL_USAGE_PAGE, TOLVEX_CONTROL_USAGE, "/dev/hidraw8"};

InterfaceSelector SelectorFor(const InterfaceInfo& info, std::uint32_t matchMask = TOLVEX_MATCH_ALL)
{
    return {matchMask, info.vendorId, info.productId, info.usagePage, info.usage, 0};
}

class RecordingListener final : public BackendListener {
public:
    void OnInterfacesChanged(const std::vector<InterfaceInfo>& interfaces) override
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(interfaces);
        changed_.notify_all();
        if (onChange_)
            onChange_();
    }

    // Set before the back end starts.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    bool WaitFor(const std::function<bool(const std::vector<std::vector<InterfaceInfo>>&)>& condition)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, FakeHidState::kPatience, [&] { return condition(calls_); });
    }

    std::vector<std::vector<InterfaceInfo>> Calls()
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::vector<InterfaceInfo>> calls_;
    std::function<void()> onChange_;
};

class ReportCollector {
public:
    ReportSink Sink()
    {
        return [this](std::span<const std::uint8_t> report) {
            std::lock_guard lock(mutex_);
            reports_.emplace_back(report.begin(), report.end());
            changed_.notify_all();
        };
    }

    bool WaitForCount(std::size_t count)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, FakeHidState::kPatience, [&] { return reports_.size() >= count; });
    }

    std::vector<Bytes> Reports()
    {
        std::lock_guard lock(mutex_);
        return reports_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Bytes> reports_;
};

class HidrawBackendTest : public ::testing::Test {
protected:
    void Start(HidrawTiming timing = {})
    {
        backend = std::make_unique<HidrawBackend>(std::make_unique<FakeHidSystem>(fake), timing);
        ASSERT_TRUE(backend->Start(listener));
    }

    // Waits until the reader threads hold this many handles on the node.
    void ExpectOpenHandles(const InterfaceInfo& info, int count)
    {
        ASSERT_TRUE(fake->WaitUntil([&] { return fake->OpenHandles(info.path) == count; }))
            << info.path << " has " << fake->OpenHandles(info.path) << " open handles, expected " << count;
    }

    std::shared_ptr<FakeHidState> fake = std::make_shared<FakeHidState>();
    RecordingListener listener;
    std::unique_ptr<HidrawBackend> backend;
};

TEST_F(HidrawBackendTest, ListsOnlyTheKeyboardsCollectionsAndAnswersFromTheList)
{
    fake->Plug({kControlCollection, kConsumerCollection, kKeyStatusCollection, kUnknownKeyboardCollection,
        kOtherProduct, kOtherVendor});
    Start();

    struct Case {
        const char* name;
        InterfaceSelector selector;
        int expected;
    };
    const Case cases[] = {
        {"control", SelectorFor(kControlCollection), 1},
        {"consumer", SelectorFor(kConsumerCollection), 1},
        {"key status", SelectorFor(kKeyStatusCollection), 1},
        {"vendor and product only", SelectorFor(kControlCollection, TOLVEX_MATCH_VENDOR | TOLVEX_MATCH_PRODUCT), 4},
        {"control usage page only", SelectorFor(kControlCollection, TOLVEX_MATCH_USAGE_PAGE), 2},
        {"another product", SelectorFor(kOtherProduct), 0},
        {"another vendor", SelectorFor(kOtherVendor), 0},
    };
    const int enumerationsAfterStart = fake->Enumerations();
    for (const Case& testCase : cases) {
        const auto interfaces = backend->Interfaces();
        const auto count = std::count_if(interfaces.begin(), interfaces.end(),
            [&](const InterfaceInfo& info) { return Matches(testCase.selector, info); });
        EXPECT_EQ(count, testCase.expected) << testCase.name;
    }
    EXPECT_EQ(fake->Enumerations(), enumerationsAfterStart) << "the count is asked before every request";
}

TEST_F(HidrawBackendTest, FramesWritesByCollection)
{
    fake->Plug(kKeyboard);
    Start();

    Bytes fullRequest(64);
    for (std::size_t i = 0; i < fullRequest.size(); ++i)
        fullRequest[i] = static_cast<std::uint8_t>(i + 1);
    fullRequest[0] = 0x04;
    Bytes longRequest = fullRequest;
    longRequest.resize(70, 0xEE);
    Bytes shortFramed(64, 0);
    shortFramed[0] = 0x04;
    shortFramed[1] = 0x11;
    shortFramed[2] = 0x22;

    struct Case {
        const char* name;
        InterfaceInfo target;
        Bytes written;
        Bytes expectedOnDevice;
    };
    const Case cases[] = {
        {"full control report", kControlCollection, fullRequest, fullRequest},
        {"short control report is zero-filled", kControlCollection, {0x04, 0x11, 0x22}, shortFramed},
        {"long control report is cut", kControlCollection, longRequest, fullRequest},
        {"key status report goes as given", kKeyStatusCollection, {0x05, 0x01}, {0x05, 0x01}},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(backend->Write(testCase.target, testCase.written), static_cast<int>(testCase.expectedOnDevice.size()))
            << testCase.name;
        const auto writes = fake->Writes();
        ASSERT_FALSE(writes.empty()) << testCase.name;
        EXPECT_EQ(writes.back().path, testCase.target.path) << testCase.name;
        EXPECT_EQ(writes.back().bytes, testCase.expectedOnDevice) << testCase.name;
    }
    EXPECT_EQ(fake->Opens(kControlCollection.path), 1) << "the handle is kept between writes";
}

TEST_F(HidrawBackendTest, RefusesBadRequestsWithoutTouchingAnyDevice)
{
    fake->Plug(kKeyboard);
    fake->Plug({kOtherProduct});
    Start();
    const InterfaceInfo keyboardNodeWithOtherUsage{
        TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, 0x0001, 0x0006, kControlCollection.path};
    const Bytes report{0x04, 0x01};
    Bytes buffer{0x04, 0, 0};

    struct Case {
        const char* name;
        std::function<int()> request;
    };
    const Case cases[] = {
        {"empty write", [&] { return backend->Write(kControlCollection, {}); }},
        {"empty feature read", [&] { return backend->GetFeature(kControlCollection, {}); }},
        {"empty feature write", [&] { return backend->SetFeature(kControlCollection, {}); }},
        {"write to another product", [&] { return backend->Write(kOtherProduct, report); }},
        {"feature read from another product", [&] { return backend->GetFeature(kOtherProduct, buffer); }},
        {"write to a collection not listed", [&] { return backend->Write(keyboardNodeWithOtherUsage, report); }},
        {"write to an unplugged collection",
            [&] {
                fake->Unplug({kConsumerCollection});
                listener.WaitFor([](const auto& calls) { return !calls.empty(); });
                return backend->Write(kConsumerCollection, report);
            }},
    };
    for (const Case& testCase : cases)
        EXPECT_EQ(testCase.request(), 0) << testCase.name;
    EXPECT_TRUE(fake->Writes().empty());
    EXPECT_EQ(fake->Opens(kOtherProduct.path), 0);
}

TEST_F(HidrawBackendTest, FailedWriteClosesTheHandleSoTheReturningDeviceWorks)
{
    fake->Plug(kKeyboard);
    Start();
    const Bytes request{0x04, 0x01};
    ASSERT_EQ(backend->Write(kControlCollection, request), 64);

    // Gone and back on the same node between two hot-plug checks: the old handle is dead.
    fake->Unplug({kControlCollection}, false);
    EXPECT_EQ(backend->Write(kControlCollection, request), 0);
    fake->Plug({kControlCollection}, false);
    EXPECT_EQ(backend->Write(kControlCollection, request), 64);

    EXPECT_EQ(fake->Writes().size(), 2u);
    EXPECT_EQ(fake->Opens(kControlCollection.path), 2);
}

TEST_F(HidrawBackendTest, ReadsAndSendsFeatureReports)
{
    fake->Plug(kKeyboard);
    fake->SetFeatureReply(kControlCollection.path, {0x07, 0xAA, 0xBB});
    Start();

    Bytes buffer(64, 0);
    buffer[0] = 0x07;
    ASSERT_EQ(backend->GetFeature(kControlCollection, buffer), 3);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 3), (Bytes{0x07, 0xAA, 0xBB}));

    const Bytes feature{0x08, 0x01, 0x02};
    EXPECT_EQ(backend->SetFeature(kControlCollection, feature), 3);
    ASSERT_EQ(fake->FeaturesSent().size(), 1u);
    EXPECT_EQ(fake->FeaturesSent()[0].bytes, feature);

    fake->SetFailing(kControlCollection.path, true);
    EXPECT_EQ(backend->GetFeature(kControlCollection, buffer), 0);
    EXPECT_EQ(backend->SetFeature(kControlCollection, feature), 0);
    fake->SetFailing(kControlCollection.path, false);
    EXPECT_EQ(backend->SetFeature(kControlCollection, feature), 3);
}

TEST_F(HidrawBackendTest, SerialisesConcurrentWritesOnOneHandle)
{
    fake->Plug(kKeyboard);
    fake->SetSlowWrites(true);
    Start();

    constexpr int kThreads = 4;
    constexpr int kWritesEach = 25;
    {
        std::vector<std::jthread> writers;
        for (int writer = 0; writer < kThreads; ++writer) {
            writers.emplace_back([&, writer] {
                for (int i = 0; i < kWritesEach; ++i) {
                    const Bytes request{0x04, static_cast<std::uint8_t>(writer), static_cast<std::uint8_t>(i)};
                    EXPECT_EQ(backend->Write(kControlCollection, request), 64);
                }
            });
        }
    }
    EXPECT_EQ(fake->OverlappingWrites(), 0);
    EXPECT_EQ(fake->Writes().size(), static_cast<std::size_t>(kThreads * kWritesEach));
    EXPECT_EQ(fake->Opens(kControlCollection.path), 1);
}

TEST_F(HidrawBackendTest, EveryReaderGetsEveryReportAcrossUnplugAndReplug)
{
    fake->Plug(kKeyboard);
    HidrawTiming timing;
    timing.reopenInterval = 1h;  // only the hot-plug event may bring the readers back
    Start(timing);
    ReportCollector first;
    ReportCollector second;
    auto firstReader = backend->OpenReader(SelectorFor(kControlCollection), first.Sink());
    auto secondReader = backend->OpenReader(SelectorFor(kControlCollection), second.Sink());
    ExpectOpenHandles(kControlCollection, 2);

    EXPECT_EQ(fake->PushInput(kConsumerCollection.path, {0x02, 0xE9}), 0) << "only matching nodes are read";
    const std::vector<Bytes> beforeUnplug{{0x04, 0x01}, {0x04, 0x02}, {0x04, 0x03}};
    for (const Bytes& report : beforeUnplug)
        fake->PushInput(kControlCollection.path, report);
    ASSERT_TRUE(first.WaitForCount(3));
    ASSERT_TRUE(second.WaitForCount(3));
    EXPECT_EQ(first.Reports(), beforeUnplug);
    EXPECT_EQ(second.Reports(), beforeUnplug);

    fake->Unplug(kKeyboard);
    ExpectOpenHandles(kControlCollection, 0);
    fake->Plug(kKeyboard);
    ExpectOpenHandles(kControlCollection, 2);
    fake->PushInput(kControlCollection.path, {0x04, 0x04});
    ASSERT_TRUE(first.WaitForCount(4));
    ASSERT_TRUE(second.WaitForCount(4));
    EXPECT_EQ(first.Reports().back(), (Bytes{0x04, 0x04}));

    firstReader.reset();
    EXPECT_EQ(fake->OpenHandles(kControlCollection.path), 1) << "a destroyed reader has closed its handles";
    fake->PushInput(kControlCollection.path, {0x04, 0x05});
    ASSERT_TRUE(second.WaitForCount(5));
    EXPECT_EQ(first.Reports().size(), 4u);
}

// A node the user may not open (no udev rule, another seat) is not counted: a keyboard that
// refuses this user must look absent, so that the program says so and why, instead of looking
// present while every request fails (seen on a real kernel with 0600 nodes). Permissions granted
// later, announced by udev as a change, bring it in.
TEST_F(HidrawBackendTest, ANodeThisUserMayNotOpenIsNotCountedUntilItMay)
{
    fake->SetRefused(kControlCollection.path, true);
    fake->Plug(kKeyboard);
    Start();
    const std::vector<InterfaceInfo> listed = backend->Interfaces();
    EXPECT_TRUE(std::none_of(
        listed.begin(), listed.end(), [](const InterfaceInfo& info) { return info.path == kControlCollection.path; }));
    EXPECT_EQ(listed.size(), kKeyboard.size() - 1);
    EXPECT_EQ(fake->Opens(kControlCollection.path), 0) << "asked without opening it";

    fake->SetRefused(kControlCollection.path, false);
    ASSERT_TRUE(listener.WaitFor([](const auto& calls) { return !calls.empty(); }));
    EXPECT_EQ(backend->Interfaces().size(), kKeyboard.size());
}

// A hidraw node queues a report only for the handles open on it when the report comes; a reply to a
// request written right after the reader was registered came before the reader's thread had
// opened the node, and was lost (seen on a real kernel, with the emulator as a uhid keyboard).
TEST_F(HidrawBackendTest, AReaderHasItsNodesOpenWhenItIsHandedOut)
{
    fake->Plug(kKeyboard);
    Start();
    ReportCollector control;
    auto reader = backend->OpenReader(SelectorFor(kControlCollection), control.Sink());
    EXPECT_EQ(fake->PushInput(kControlCollection.path, {0x04, 0x01}), 1) << "the node was not open yet";
    ASSERT_TRUE(control.WaitForCount(1));
    EXPECT_EQ(control.Reports(), (std::vector<Bytes>{{0x04, 0x01}}));

    // Nodes that arrive later are still opened by the reader's thread.
    ReportCollector consumer;
    auto consumerReader = backend->OpenReader(SelectorFor(kConsumerCollection), consumer.Sink());
    fake->Unplug({kConsumerCollection});
    ExpectOpenHandles(kConsumerCollection, 0);
    fake->Plug({kConsumerCollection});
    ExpectOpenHandles(kConsumerCollection, 1);
    fake->PushInput(kConsumerCollection.path, {0xE9, 0x00});
    ASSERT_TRUE(consumer.WaitForCount(1));
}

// Without a udev daemon, a monitor on udev's own events opens but never hears anything (libudev
// turns it off), so a keyboard plugged in later went unseen; the kernel's events are used then.
TEST(HotplugEventSource, IsUdevOnlyWhileTheDaemonRuns)
{
    char folder[] = "/tmp/tavrin-udev-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string control = std::string(folder) + "/control";
    EXPECT_STREQ(HotplugEventSource(control.c_str()), "kernel");
    {
        std::ofstream(control).put('\n');
    }
    EXPECT_STREQ(HotplugEventSource(control.c_str()), "udev");
    std::filesystem::remove_all(folder);
}

TEST_F(HidrawBackendTest, ReadsANodeSharedByTwoMatchingCollectionsOnce)
{
    const InterfaceInfo consumerOnSharedNode{
        TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_CONSUMER_USAGE_PAGE, TOLVEX_CONSUMER_USAGE, "/dev/hidraw9"};
    const InterfaceInfo keyStatusOnSharedNode{
        TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, TOLVEX_KEY_STATUS_USAGE_PAGE, TOLVEX_KEY_STATUS_USAGE, "/dev/hidraw9"};
    fake->Plug({consumerOnSharedNode, keyStatusOnSharedNode});
    Start();
    ReportCollector collector;
    auto reader = backend->OpenReader(
        SelectorFor(kControlCollection, TOLVEX_MATCH_VENDOR | TOLVEX_MATCH_PRODUCT), collector.Sink());
    ASSERT_TRUE(fake->WaitUntil([&] { return fake->OpenHandles("/dev/hidraw9") > 0; }));

    fake->PushInput("/dev/hidraw9", {0x02, 0x01});
    fake->PushInput("/dev/hidraw9", {0x02, 0x02});
    ASSERT_TRUE(collector.WaitForCount(2));
    EXPECT_EQ(collector.Reports(), (std::vector<Bytes>{{0x02, 0x01}, {0x02, 0x02}}));
    EXPECT_EQ(fake->Opens("/dev/hidraw9"), 1);
}

TEST_F(HidrawBackendTest, TellsTheListenerOncePerChangeOfTheKeyboardsCollections)
{
    Start();
    EXPECT_TRUE(backend->Interfaces().empty());

    fake->Plug(kKeyboard);
    ASSERT_TRUE(listener.WaitFor([](const auto& calls) { return calls.size() == 1; }));
    EXPECT_EQ(listener.Calls()[0].size(), 3u);
    EXPECT_EQ(backend->Interfaces().size(), 3u);

    const int enumerationsBefore = fake->Enumerations();
    fake->Plug({kOtherVendor});
    ASSERT_TRUE(fake->WaitUntil([&] { return fake->Enumerations() > enumerationsBefore; }));

    fake->Unplug(kKeyboard);
    ASSERT_TRUE(listener.WaitFor([](const auto& calls) { return !calls.empty() && calls.back().empty(); }));
    EXPECT_EQ(listener.Calls().size(), 2u) << "the other vendor's device is not a change";
    EXPECT_TRUE(backend->Interfaces().empty());
}

TEST_F(HidrawBackendTest, WithoutAWorkingMonitorEnumeratesEverySoOften)
{
    struct Case {
        const char* name;
        bool monitorAvailable;
        bool monitorBreaks;
    };
    const Case cases[] = {
        {"no monitor", false, false},
        {"monitor fails", true, true},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        fake = std::make_shared<FakeHidState>();
        fake->SetMonitorAvailable(testCase.monitorAvailable);
        HidrawTiming timing;
        timing.pollInterval = 20ms;
        RecordingListener caseListener;
        HidrawBackend pollingBackend(std::make_unique<FakeHidSystem>(fake), timing);
        ASSERT_TRUE(pollingBackend.Start(caseListener));
        if (testCase.monitorBreaks)
            fake->BreakMonitor();

        fake->Plug(kKeyboard, false);
        ASSERT_TRUE(caseListener.WaitFor([](const auto& calls) { return calls.size() == 1; }));
        fake->Unplug(kKeyboard, false);
        ASSERT_TRUE(caseListener.WaitFor([](const auto& calls) { return calls.size() == 2; }));
        EXPECT_TRUE(caseListener.Calls().back().empty());
    }
}

TEST_F(HidrawBackendTest, StopClosesEverythingAndMayBeRepeated)
{
    fake->Plug(kKeyboard);
    Start();
    ReportCollector collector;
    auto reader = backend->OpenReader(SelectorFor(kControlCollection), collector.Sink());
    ExpectOpenHandles(kControlCollection, 1);
    ASSERT_EQ(backend->Write(kKeyStatusCollection, Bytes{0x05, 0x01}), 2);

    backend->Stop();
    EXPECT_EQ(fake->AllOpenHandles(), 0);
    backend->Stop();
    EXPECT_TRUE(backend->Interfaces().empty());
    EXPECT_EQ(backend->Write(kKeyStatusCollection, Bytes{0x05, 0x01}), 0);
    auto lateReader = backend->OpenReader(SelectorFor(kControlCollection), collector.Sink());
    EXPECT_EQ(fake->AllOpenHandles(), 0);

    // Started again, the back end serves new readers; the ones it stopped stay stopped.
    ASSERT_TRUE(backend->Start(listener));
    EXPECT_EQ(backend->Interfaces().size(), 3u);
    ReportCollector newCollector;
    auto newReader = backend->OpenReader(SelectorFor(kControlCollection), newCollector.Sink());
    ExpectOpenHandles(kControlCollection, 1);
    fake->PushInput(kControlCollection.path, {0x04, 0x01});
    ASSERT_TRUE(newCollector.WaitForCount(1));
    EXPECT_TRUE(collector.Reports().empty());
}

TEST_F(HidrawBackendTest, ListenerMayStopTheBackEndFromItsCallback)
{
    listener.SetOnChange([this] { backend->Stop(); });
    Start();
    fake->Plug(kKeyboard);
    ASSERT_TRUE(listener.WaitFor([](const auto& calls) { return calls.size() == 1; }));
    EXPECT_TRUE(backend->Interfaces().empty());

    backend.reset();
    EXPECT_TRUE(fake->WaitUntil([&] { return fake->LiveSystems() == 0; })) << "the monitor thread has ended";
    EXPECT_EQ(listener.Calls().size(), 1u);
}

TEST_F(HidrawBackendTest, SinkMayDestroyItsOwnReader)
{
    fake->Plug(kKeyboard);
    Start();
    std::mutex readerMutex;
    std::unique_ptr<InputReader> reader;
    int deliveries = 0;
    std::unique_ptr<InputReader> opened
        = backend->OpenReader(SelectorFor(kControlCollection), [&](std::span<const std::uint8_t>) {
              std::lock_guard lock(readerMutex);
              ++deliveries;
              reader.reset();
          });
    {
        std::lock_guard lock(readerMutex);
        reader = std::move(opened);
    }
    ExpectOpenHandles(kControlCollection, 1);

    fake->PushInput(kControlCollection.path, {0x04, 0x01});
    fake->PushInput(kControlCollection.path, {0x04, 0x02});
    ExpectOpenHandles(kControlCollection, 0);
    backend.reset();
    EXPECT_TRUE(fake->WaitUntil([&] { return fake->LiveSystems() == 0; })) << "the reader thread has ended";
    std::lock_guard lock(readerMutex);
    EXPECT_EQ(deliveries, 1);
}

}  // namespace
}  // namespace tolvex
