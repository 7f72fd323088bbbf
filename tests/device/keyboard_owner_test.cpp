// One owner of the keyboard at a time: a sequence held with a bracket is never cut into by another
// thread's request, a second holder of the lock file (another program) waits for it or gives up in
// time, and replies that come while nobody here holds the keyboard are another program's.
#include "device/keyboard_owner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <thread>

#include "device/device_commands.h"
#include "device/result_codes.h"
#include "fake_keyboard.h"
#include "platform/keyboard_lock_file.h"
#include "support/temporary_folder.h"

namespace tavrin::device {
namespace {

using namespace std::chrono_literals;
using testing::Answer;

class KeyboardOwnerTest : public ::testing::Test {
protected:
    KeyboardOwnerTest() { keyboard_.Attach(link_); }

    testing::EventLog log_;
    testing::RecordingTimer timer_{log_};
    testing::FakeKeyboard keyboard_{log_};
    DeviceLink link_{keyboard_, timer_};
    DeviceCommands commands_{link_};
};

TEST_F(KeyboardOwnerTest, AnotherThreadsRequestWaitsForTheWholeBracket)
{
    std::promise<void> opened;
    std::promise<void> requested;
    std::thread sequence([&] {
        KeyboardBracket bracket(link_.Owner());
        ASSERT_TRUE(bracket.Held());
        EXPECT_EQ(commands_.DeviceBegin(), kDeviceOk);
        opened.set_value();
        requested.get_future().wait();
        std::this_thread::sleep_for(50ms);  // the other request waits meanwhile, not sent
        EXPECT_EQ(commands_.DeviceEnd(), kDeviceOk);
    });
    opened.get_future().wait();
    std::thread intruder([&] {
        std::array<std::uint8_t, kDeviceInfoSize> info{};
        requested.set_value();
        EXPECT_EQ(commands_.ReadDeviceInfo(info), kDeviceOk);
    });
    sequence.join();
    intruder.join();
    EXPECT_EQ(keyboard_.CommandsWritten(), (std::vector<std::uint8_t>{CMD_BEGIN, CMD_END, CMD_READ_INFO}));
}

TEST_F(KeyboardOwnerTest, TheHolderMayTakeItAgainAndOthersGiveUpInTime)
{
    KeyboardOwner& owner = link_.Owner();
    ASSERT_TRUE(owner.Acquire(0ms));
    ASSERT_TRUE(owner.Acquire(0ms)) << "a sequence inside a sequence of the same thread";
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    EXPECT_EQ(commands_.ReadDeviceInfo(info), kDeviceOk) << "and its own requests go through";
    owner.Release();
    EXPECT_TRUE(owner.HeldHere());

    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(std::async(std::launch::async, [&] { return owner.Acquire(100ms); }).get());
    EXPECT_GE(std::chrono::steady_clock::now() - started, 100ms);
    owner.Release();
    EXPECT_FALSE(owner.HeldHere());
    EXPECT_TRUE(std::async(std::launch::async, [&] {
        const bool taken = owner.Acquire(0ms);
        if (taken)
            owner.Release();
        return taken;
    }).get());
}

TEST_F(KeyboardOwnerTest, RepliesThatComeWhileNobodyHereWaitsForOneAnswerAnotherProgram)
{
    const std::array<std::uint8_t, kReportSize> stray{kReportId, 0, 0, CMD_READ_INFO};
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    const ReplyCount before = link_.CountReplies();
    link_.OnControlReport(kReportSize, stray.data());
    EXPECT_TRUE(link_.RepliesCameInTurn(before)) << "nobody here held the keyboard";
    {
        KeyboardBracket bracket(link_.Owner());
        link_.OnControlReport(kReportSize, stray.data());
        EXPECT_TRUE(link_.RepliesCameInTurn(before)) << "taken, nothing written yet: the last holder's answer";
        ASSERT_EQ(commands_.ReadDeviceInfo(info), kDeviceOk);
        link_.OnControlReport(kReportSize, stray.data());
        EXPECT_FALSE(link_.RepliesCameInTurn(before)) << "after a request of ours it is out of turn";
    }

    // An answer of ours given up for lost may come at any time: then nothing passes for foreign.
    keyboard_.Script({Answer::Silent, Answer::Silent, Answer::Silent});
    ASSERT_EQ(commands_.ReadDeviceInfo(info), kDeviceNoReply);
    ASSERT_EQ(commands_.ReadDeviceInfo(info), kDeviceOk);  // the owed answer is waited out, given up
    const ReplyCount givenUp = link_.CountReplies();
    KeyboardBracket bracket(link_.Owner());
    link_.OnControlReport(kReportSize, stray.data());
    EXPECT_FALSE(link_.RepliesCameInTurn(givenUp));
}

// Two lock files on one path are two programs: the lock is per open file, not per process.
TEST(KeyboardLockFileTest, ASecondProgramWaitsForTheFirstOrGivesUp)
{
    testing::TemporaryFolder folder;
    const std::string path = *platform::KeyboardLockPath(folder.Path().string(), "/run/emulator.socket");
    KeyboardOwner first(std::make_unique<platform::KeyboardLockFile>(path));
    KeyboardOwner second(std::make_unique<platform::KeyboardLockFile>(path));
    ASSERT_TRUE(first.Acquire(0ms));
    EXPECT_FALSE(second.Acquire(50ms));
    std::thread release([&] {
        std::this_thread::sleep_for(50ms);
        first.Release();
    });
    EXPECT_TRUE(second.Acquire(5s)) << "taken once the first lets go";
    release.join();
    EXPECT_FALSE(first.Acquire(0ms));
    second.Release();
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(KeyboardLockFileTest, EachKeyboardHasItsOwnFileAndALinkIsNeverFollowed)
{
    EXPECT_FALSE(platform::KeyboardLockPath("", ""));
    EXPECT_EQ(*platform::KeyboardLockPath("/run/user/1", ""), "/run/user/1/tavrin-keyboard.lock");
    EXPECT_NE(*platform::KeyboardLockPath("/run/user/1", "/a"), *platform::KeyboardLockPath("/run/user/1", "/b"));

    testing::TemporaryFolder folder;
    const std::string path = folder.File("tavrin-keyboard.lock");
    std::filesystem::create_symlink(folder.File("elsewhere"), path);
    platform::KeyboardLockFile lock(path);
    EXPECT_FALSE(lock.Acquire(0ms));
    EXPECT_FALSE(std::filesystem::exists(folder.File("elsewhere")));
}

}  // namespace
}  // namespace tavrin::device
