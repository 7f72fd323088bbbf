// The transaction against a fake keyboard and a timer that records its waits.
#include "device/device_link.h"

#include <gtest/gtest.h>
#include <thread>

#include "device/device_commands.h"
#include "device/result_codes.h"
#include "fake_keyboard.h"

namespace tavrin::device {
namespace {

using testing::Answer;
using Log = std::vector<std::string>;

class DeviceLinkTest : public ::testing::Test {
protected:
    DeviceLinkTest()
    {
        keyboard_.Attach(link_);
        timer_.beforeWait = [this] { keyboard_.DeliverDue(); };
    }

    static std::array<std::uint8_t, kReportSize> Begin()
    {
        std::array<std::uint8_t, kReportSize> request{kReportId, 0, 0, CMD_BEGIN};
        ComputeReportChecksum(request);
        return request;
    }

    int Exchange(std::span<const std::uint8_t> request)
    {
        reply_.fill(0);
        return link_.ExchangeReport(request, reply_, copied_);
    }

    testing::EventLog log_;
    testing::RecordingTimer timer_{log_};
    testing::FakeKeyboard keyboard_{log_};
    DeviceLink link_{keyboard_, timer_};
    std::array<std::uint8_t, kReportSize> reply_{};
    std::uint32_t copied_ = 99;
};

TEST_F(DeviceLinkTest, AnswersOnTheFirstAttempt)
{
    EXPECT_EQ(Exchange(Begin()), kDeviceOk);
    EXPECT_EQ(copied_, 64u);
    EXPECT_EQ(reply_[3], CMD_BEGIN);
    EXPECT_EQ(log_.Entries(), (Log{"write 1", "wait 300"}));
}

TEST_F(DeviceLinkTest, AttemptsFollowTheRepliesThatCome)
{
    struct Case {
        const char* name;
        std::initializer_list<Answer> answers;
        int result;
        std::uint8_t status;
        Log log;
    };
    // After an attempt that timed out, its answer may still come: one more reply window lets it in
    // before the request is written again.
    const Case cases[] = {
        {"a keyboard that never answers", {Answer::Silent, Answer::Silent, Answer::Silent}, kDeviceNoReply, 0,
            {"write 1", "wait 300", "sleep 10", "wait 300", "write 1", "wait 300", "sleep 10", "wait 300", "write 1",
                "wait 300"}},
        {"0xFE twice, then status 0", {Answer::StatusFE, Answer::StatusFE}, kDeviceOk, 0,
            {"write 1", "wait 300", "sleep 10", "write 1", "wait 300", "sleep 10", "write 1", "wait 300"}},
        {"0xFF three times is reported", {Answer::StatusFF, Answer::StatusFF, Answer::StatusFF}, kDeviceOk, 0xFF,
            {"write 1", "wait 300", "sleep 10", "write 1", "wait 300", "sleep 10", "write 1", "wait 300"}},
        {"a wrong echo counts as lost", {Answer::WrongEcho}, kDeviceOk, 0,
            {"write 1", "wait 300", "sleep 10", "write 1", "wait 300"}},
        {"three wrong echoes", {Answer::WrongEcho, Answer::WrongEcho, Answer::WrongEcho}, kDeviceNoReply, 0,
            {"write 1", "wait 300", "sleep 10", "write 1", "wait 300", "sleep 10", "write 1", "wait 300"}},
        {"a late answer is let in and dropped", {Answer::Late}, kDeviceOk, 0,
            {"write 1", "wait 300", "sleep 10", "wait 300", "write 1", "wait 300"}},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        testing::EventLog log;
        testing::RecordingTimer timer(log);
        testing::FakeKeyboard keyboard(log);
        DeviceLink link(keyboard, timer);
        keyboard.Attach(link);
        timer.beforeWait = [&keyboard] { keyboard.DeliverDue(); };
        keyboard.Script(item.answers);
        reply_.fill(0);
        EXPECT_EQ(link.ExchangeReport(Begin(), reply_, copied_), item.result);
        if (item.result == kDeviceOk) {
            EXPECT_EQ(reply_[7], item.status);
        } else {
            EXPECT_EQ(copied_, 0u);
        }
        EXPECT_EQ(log.Entries(), item.log);
    }
}

TEST_F(DeviceLinkTest, ALateAnswerNeverAnswersALaterRequest)
{
    DeviceCommands commands(link_);
    std::array<std::uint8_t, kKeyBlockSize> clean{};
    ASSERT_EQ(commands.ReadKeyMapBank(clean, 1), kDeviceOk);
    // The second chunk's first answer comes late; every chunk after it must still get its own.
    keyboard_.Script({Answer::Normal, Answer::Late});
    std::array<std::uint8_t, kKeyBlockSize> read{};
    ASSERT_EQ(commands.ReadKeyMapBank(read, 1), kDeviceOk);
    EXPECT_EQ(read, clean);
}

TEST_F(DeviceLinkTest, AnAnswerThatComesAfterItWasGivenUpIsCaughtBeforeAnythingIsTrusted)
{
    DeviceCommands commands(link_);
    std::array<std::uint8_t, kKeyBlockSize> read{};
    // An answer that never comes is only lost: every answer after it is in turn.
    ReplyCount before = link_.CountReplies();
    keyboard_.Script({Answer::Normal, Answer::Silent});
    ASSERT_EQ(commands.ReadKeyMapBank(read, 1), kDeviceOk);
    EXPECT_TRUE(link_.RepliesCameInTurn(before));

    // One that comes after it was given up answers the next request in its place, and so on down
    // the transfer; the answer left over at the end gives it away.
    before = link_.CountReplies();
    keyboard_.Script({Answer::Normal, Answer::VeryLate});
    ASSERT_EQ(commands.ReadKeyMapBank(read, 1), kDeviceOk);
    EXPECT_FALSE(link_.RepliesCameInTurn(before));

    // Given up in one sequence, it may come in the next: that one is checked as well.
    keyboard_.Script({Answer::Normal, Answer::Normal, Answer::Normal, Answer::Normal, Answer::Normal, Answer::Normal,
        Answer::VeryLate});
    ASSERT_EQ(commands.ReadKeyMapBank(read, 0), kDeviceOk);
    link_.RepliesCameInTurn(link_.CountReplies());  // lets the answer left over come
    before = link_.CountReplies();
    keyboard_.Script({Answer::Normal, Answer::Normal, Answer::Normal, Answer::Normal, Answer::Normal, Answer::Normal,
        Answer::VeryLate});
    ASSERT_EQ(commands.ReadKeyMapBank(read, 0), kDeviceOk);
    const ReplyCount between = link_.CountReplies();
    ASSERT_EQ(commands.ReadKeyMapBank(read, 1), kDeviceOk);
    EXPECT_FALSE(link_.RepliesCameInTurn(between)) << "the second read took the first one's late answer";
}

TEST_F(DeviceLinkTest, AnAnswerOwedFromAnEarlierTransactionIsWaitedForOnceThenForgotten)
{
    keyboard_.Script({Answer::Silent, Answer::Silent, Answer::Silent});
    ASSERT_EQ(Exchange(Begin()), kDeviceNoReply);
    log_.Clear();
    EXPECT_EQ(Exchange(Begin()), kDeviceOk);
    EXPECT_EQ(log_.Entries(), (Log{"wait 300", "write 1", "wait 300"})) << "one window for the owed answer";

    keyboard_.Script({Answer::Silent, Answer::Silent, Answer::Silent});
    ASSERT_EQ(Exchange(Begin()), kDeviceNoReply);
    const std::array<std::uint8_t, kReportSize> late = Begin();
    link_.OnControlReport(kReportSize, late.data());  // comes while no transaction runs
    log_.Clear();
    EXPECT_EQ(Exchange(Begin()), kDeviceOk);
    EXPECT_EQ(log_.Entries(), (Log{"write 1", "wait 300"})) << "nothing is owed any more";
}

TEST_F(DeviceLinkTest, UsesOneKeyForEveryAttempt)
{
    keyboard_.Script({Answer::Silent, Answer::Silent});
    const auto request = Begin();
    ASSERT_EQ(Exchange(request), kDeviceOk);
    const InterfaceSelector control = ControlInterface();
    const std::uint32_t expected = TolvexRequestKey(&control, nullptr, 0, request.data(), request.size());
    EXPECT_EQ(keyboard_.Keys(), (std::vector<std::uint32_t>{expected, expected, expected}));
}

TEST_F(DeviceLinkTest, SendsNothingWithoutAKeyboard)
{
    keyboard_.deviceCount = 0;
    EXPECT_EQ(Exchange(Begin()), kDeviceAbsent);
    EXPECT_EQ(copied_, 0u);
    EXPECT_TRUE(keyboard_.Writes().empty());
}

TEST_F(DeviceLinkTest, ARefusedWriteOrAFailedWaitEndsTheTransaction)
{
    keyboard_.refuseWrites = true;
    EXPECT_EQ(Exchange(Begin()), kDeviceRefused);
    EXPECT_EQ(keyboard_.Writes().size(), 1u);
    keyboard_.refuseWrites = false;
    timer_.failWaits = true;
    EXPECT_EQ(Exchange(Begin()), kDeviceAbsent);
    EXPECT_EQ(keyboard_.Writes().size(), 2u);
    timer_.failWaits = false;
    EXPECT_EQ(Exchange(Begin()), kDeviceOk) << "the slot is free again";
}

TEST_F(DeviceLinkTest, RequestsAreCutOrZeroFilledToSixtyFourBytes)
{
    std::vector<std::uint8_t> longer(70, 0x55);
    longer[3] = CMD_BEGIN;
    ComputeReportChecksum(std::span<std::uint8_t, kReportSize>(longer.data(), kReportSize));
    const std::uint8_t shorter[] = {kReportId, 1, 0, CMD_BEGIN};
    Exchange(longer);
    Exchange(shorter);
    const auto writes = keyboard_.Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(keyboard_.Lengths(), (std::vector<std::uint32_t>{64, 64}));
    EXPECT_TRUE(std::equal(writes[0].begin(), writes[0].end(), longer.begin()));
    EXPECT_EQ(writes[1][3], CMD_BEGIN);
    EXPECT_TRUE(std::all_of(writes[1].begin() + 4, writes[1].end(), [](std::uint8_t byte) { return byte == 0; }));
}

TEST_F(DeviceLinkTest, AShortReplyIsCopiedAsFarAsItGoes)
{
    keyboard_.Script({Answer::Short});
    EXPECT_EQ(Exchange(Begin()), kDeviceOk);
    EXPECT_EQ(copied_, 10u);
}

TEST_F(DeviceLinkTest, RepliesWhileNoTransactionWaitsAreDropped)
{
    const std::uint8_t stray[64] = {kReportId, 0, 0, CMD_BEGIN};
    link_.OnControlReport(64, stray);
    keyboard_.Script({Answer::Silent});
    EXPECT_EQ(Exchange(Begin()), kDeviceOk);
    EXPECT_EQ(keyboard_.Writes().size(), 2u) << "the stray reply did not answer the first attempt";
}

// A keyboard whose answers come from another thread after a real delay, as the library's do.
class SlowKeyboard final : public testing::StubService {
public:
    explicit SlowKeyboard(std::chrono::milliseconds delay)
        : delay_(delay)
    {
    }
    void Attach(DeviceLink& link) { link_ = &link; }
    int RequestWriteOne(const InterfaceSelector*, TolvexCallback, std::uint32_t, const std::uint8_t* data,
        std::uint32_t, std::uint32_t, std::uint32_t*) override
    {
        const int active = ++inFlight_;
        maxInFlight_ = std::max(maxInFlight_.load(), active);
        std::array<std::uint8_t, 64> reply{};
        std::copy_n(data, 64, reply.begin());
        reply[7] = 0;
        responders_.emplace_back([this, reply] {
            std::this_thread::sleep_for(delay_);
            --inFlight_;
            link_->OnControlReport(64, reply.data());
        });
        return 1;
    }
    ~SlowKeyboard() override { JoinResponders(); }
    void JoinResponders()
    {
        for (auto& responder : responders_)
            if (responder.joinable())
                responder.join();
    }
    int MaxInFlight() const { return maxInFlight_; }

private:
    std::chrono::milliseconds delay_;
    DeviceLink* link_ = nullptr;
    std::atomic<int> inFlight_{0};
    std::atomic<int> maxInFlight_{0};
    std::vector<std::thread> responders_;  // only the transaction holder writes, one at a time
};

TEST(DeviceLinkThreads, TwoThreadsTakeTurnsAndEachGetsItsOwnReply)
{
    SlowKeyboard keyboard(std::chrono::milliseconds(2));
    SystemTimer timer;
    DeviceLink link(keyboard, timer);
    keyboard.Attach(link);
    auto run = [&link](std::uint8_t command, int& mismatches) {
        for (int i = 0; i < 4; ++i) {
            std::array<std::uint8_t, kReportSize> request{kReportId, 0, 0, command, static_cast<std::uint8_t>(i)};
            std::array<std::uint8_t, kReportSize> reply{};
            std::uint32_t copied = 0;
            if (link.ExchangeReport(request, reply, copied) != kDeviceOk || reply[3] != command || reply[4] != i)
                ++mismatches;
        }
    };
    int firstMismatches = 0, secondMismatches = 0;
    std::thread first(run, CMD_READ_SETTINGS, std::ref(firstMismatches));
    std::thread second(run, CMD_READ_KEYMAP, std::ref(secondMismatches));
    first.join();
    second.join();
    keyboard.JoinResponders();
    EXPECT_EQ(firstMismatches, 0);
    EXPECT_EQ(secondMismatches, 0);
    EXPECT_EQ(keyboard.MaxInFlight(), 1) << "never two requests waiting at once";
}

TEST_F(DeviceLinkTest, ATransactionThatFindsTheSlotTakenBacksOffThenWaitsItsTurn)
{
    std::mutex gate;
    std::condition_variable changed;
    bool firstInside = false, releaseFirst = false;
    keyboard_.onWrite = [&] {
        std::unique_lock lock(gate);
        if (firstInside)
            return;
        firstInside = true;
        changed.notify_all();
        changed.wait(lock, [&] { return releaseFirst; });
    };
    std::thread first([&] {
        std::array<std::uint8_t, kReportSize> reply{};
        std::uint32_t copied = 0;
        EXPECT_EQ(link_.ExchangeReport(Begin(), reply, copied), kDeviceOk);
    });
    {
        std::unique_lock lock(gate);
        changed.wait(lock, [&] { return firstInside; });
    }
    std::thread second([&] {
        std::array<std::uint8_t, kReportSize> request{kReportId, 2, 0, CMD_END};
        std::array<std::uint8_t, kReportSize> reply{};
        std::uint32_t copied = 0;
        EXPECT_EQ(link_.ExchangeReport(request, reply, copied), kDeviceOk);
        EXPECT_EQ(reply[3], CMD_END);
    });
    while (log_.Entries().size() < 2)
        std::this_thread::yield();
    {
        std::lock_guard lock(gate);
        releaseFirst = true;
    }
    changed.notify_all();
    first.join();
    second.join();
    EXPECT_EQ(log_.Entries(), (Log{"write 1", "sleep 301", "wait 300", "write 2", "wait 300"}));
}

TEST(DeviceLinkRealTime, ASilentKeyboardCostsThreeReplyWindowsTwoPausesAndTwoWindowsForLateAnswers)
{
    testing::EventLog log;
    testing::FakeKeyboard keyboard(log);
    SystemTimer timer;
    DeviceLink link(keyboard, timer);
    keyboard.Attach(link);
    keyboard.Script({Answer::Silent, Answer::Silent, Answer::Silent});
    std::array<std::uint8_t, kReportSize> request{kReportId, 1, 0, CMD_BEGIN};
    std::array<std::uint8_t, kReportSize> reply{};
    std::uint32_t copied = 0;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(link.ExchangeReport(request, reply, copied), kDeviceNoReply);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1520));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
}

}  // namespace
}  // namespace tavrin::device
