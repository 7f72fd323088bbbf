// The keyboard context, made with one call over the real library and a real emulator, or over a
// fake keyboard: what a window or a tool starts from.
#include "profiles/keyboard_context.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "../device/fake_keyboard.h"
#include "device/device_identity.h"
#include "support/emulator_process.h"
#include "support/recorded_messages.h"

namespace tavrin::profiles {
namespace {

using namespace std::chrono_literals;

TEST(KeyboardContextEndToEnd, BindsReadsTheArrivalStateAndFollowsThePresence)
{
    testing::EmulatorProcess emulator;
    ASSERT_TRUE(emulator.Start({"--macro-units", "64"}));
    ::setenv("TOLVEX_EMULATOR", emulator.SocketPath().c_str(), 1);
    testing::RecordedMessages messages;
    std::string failure;
    auto keyboard = KeyboardContext::Bind(testing::BinaryFolder(), messages, failure);
    ::unsetenv("TOLVEX_EMULATOR");
    ASSERT_TRUE(keyboard) << failure;

    std::mutex mutex;
    std::vector<std::uint32_t> changes;
    std::atomic<bool> shownOnce{true};
    keyboard->RegisterDeviceReads();
    ASSERT_TRUE(keyboard->WaitForKeyboard(2s));
    KeyboardPresence::Window window;
    window.ready = [] { return true; };
    window.changed = [&](std::uint32_t presence) {
        std::lock_guard lock(mutex);
        changes.push_back(presence);
    };
    keyboard->StartPresence(window, shownOnce);
    ASSERT_EQ(keyboard->ReadArrivalState(), "");
    EXPECT_EQ(keyboard->Download().Capacity(), 64u * 128u) << "from the identity block";
    EXPECT_EQ(keyboard->Active().ReadActiveProfile(), 0);

    emulator.Control("unplug");
    for (int i = 0; i < 300; ++i) {
        {
            std::lock_guard lock(mutex);
            if (changes.size() == 2)
                break;
        }
        std::this_thread::sleep_for(10ms);
    }
    keyboard->Stop();
    std::lock_guard lock(mutex);
    EXPECT_EQ(changes, (std::vector<std::uint32_t>{1, 0}));
}

TEST(KeyboardContext, WorksOverAFakeKeyboardAsOverTheLibrary)
{
    testing::EventLog log;
    auto fake = std::make_unique<testing::FakeKeyboard>(log);
    testing::FakeKeyboard& keyboard = *fake;
    testing::RecordedMessages messages;
    KeyboardContext context(std::move(fake), std::make_unique<testing::RecordingTimer>(log), messages);
    keyboard.Attach(context.Session().Link());
    ASSERT_EQ(context.ReadArrivalState(), "");
    EXPECT_EQ(context.Download().Capacity(), device::MacroCapacityOf(context.Identity()));
    EXPECT_EQ(context.Active().ReadActiveProfile(), 0);

    keyboard.deviceCount = 0;
    const IdentityBlock before = context.Identity();
    EXPECT_NE(context.ReadArrivalState(), "");
    EXPECT_EQ(context.Identity(), before) << "a failed arrival read keeps what was known";
}

}  // namespace
}  // namespace tavrin::profiles
