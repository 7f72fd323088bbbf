#include "profiles/keyboard_presence.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tavrin::profiles {
namespace {

using namespace std::chrono_literals;

class KeyboardPresenceTest : public ::testing::Test {
protected:
    // Each hook notes itself: "+" arrived, "-" removed, the presence changed to a number, "open".
    KeyboardPresence::Window Window()
    {
        KeyboardPresence::Window window;
        window.ready = [this] { return ready_.load(); };
        window.arrived = [this] { Note("+"); };
        window.removed = [this] { Note("-"); };
        window.changed = [this](std::uint32_t presence) {
            std::lock_guard lock(mutex_);
            changes_.push_back(presence);
            steps_.push_back(std::to_string(presence));
        };
        window.open = [this] {
            ++opens_;
            Note("open");
        };
        return window;
    }
    void Note(const char* step)
    {
        std::lock_guard lock(mutex_);
        steps_.push_back(step);
    }
    std::vector<std::uint32_t> Changes()
    {
        std::lock_guard lock(mutex_);
        return changes_;
    }

    std::atomic<bool> ready_{true};
    std::atomic<bool> shownOnce_{false};
    std::atomic<int> opens_{0};
    std::mutex mutex_;
    std::vector<std::uint32_t> changes_;
    std::vector<std::string> steps_;
};

TEST_F(KeyboardPresenceTest, OpensTheWindowOnTheFirstArrivalOnly)
{
    KeyboardPresence presence(Window(), shownOnce_);
    for (std::uint32_t value : {1u, 1u, 0u, 1u, 2u})
        presence.OnKeyboardPresence(value);
    EXPECT_EQ(Changes(), (std::vector<std::uint32_t>{1, 0, 1, 2})) << "an unchanged value does nothing";
    EXPECT_EQ(opens_, 1);
    EXPECT_TRUE(shownOnce_);
    EXPECT_EQ(presence.LastPresence(), 2u);
}

TEST_F(KeyboardPresenceTest, ArrivalAndRemovalComeBeforeTheChangeAndTheOpening)
{
    KeyboardPresence presence(Window(), shownOnce_);
    for (std::uint32_t value : {1u, 0u, 0u, 1u})
        presence.OnKeyboardPresence(value);
    EXPECT_EQ(steps_, (std::vector<std::string>{"+", "1", "open", "-", "0", "+", "1"}));
}

TEST_F(KeyboardPresenceTest, TheLastPresenceChangesOnlyOnceTheWindowFollowed)
{
    // The window's "is the keyboard there?" must not say yes before the arrival's reload is done.
    auto window = Window();
    KeyboardPresence* presence = nullptr;
    std::uint32_t duringArrival = 99;
    window.arrived = [&] { duringArrival = presence->LastPresence(); };
    KeyboardPresence followed(window, shownOnce_);
    presence = &followed;
    followed.OnKeyboardPresence(1);
    EXPECT_EQ(duringArrival, 0u);
    EXPECT_EQ(followed.LastPresence(), 1u);
}

TEST_F(KeyboardPresenceTest, NeverOpensOnceShownOnceIsSet)
{
    shownOnce_ = true;  // "/Start", or no keyboard at start-up
    KeyboardPresence presence(Window(), shownOnce_);
    presence.OnKeyboardPresence(1);
    EXPECT_EQ(opens_, 0);
    EXPECT_EQ(presence.LastPresence(), 1u);
}

TEST_F(KeyboardPresenceTest, WorkersWaitForTheWindowAndStopWhenAsked)
{
    ready_ = false;
    KeyboardPresence presence(Window(), shownOnce_);
    presence.Start(1);
    std::this_thread::sleep_for(120ms);
    EXPECT_TRUE(Changes().empty()) << "nothing happens before the window is ready";
    ready_ = true;
    for (int i = 0; i < 100 && Changes().empty(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(Changes(), std::vector<std::uint32_t>{1});

    ready_ = false;
    presence.Start(0);
    presence.Stop();  // returns although the worker still waits for the window
    EXPECT_EQ(presence.LastPresence(), 1u);
}

TEST_F(KeyboardPresenceTest, QuickNotificationsTakeEffectInTheOrderTheyCame)
{
    // The first worker to ask for the window is held until the two others have asked too, so
    // that it would act last if workers simply raced for a lock.
    std::mutex gate;
    std::condition_variable asked;
    int questions = 0;
    auto window = Window();
    window.ready = [&] {
        std::unique_lock lock(gate);
        if (++questions == 1)
            asked.wait_for(lock, 5s, [&] { return questions >= 3; });
        asked.notify_all();
        return true;
    };
    KeyboardPresence presence(window, shownOnce_);
    presence.Start(1);  // plugged in
    presence.Start(0);  // pulled out
    presence.Start(1);  // and in again
    for (int i = 0; i < 500 && Changes().size() < 3; ++i)
        std::this_thread::sleep_for(10ms);
    presence.Stop();
    EXPECT_EQ(Changes(), (std::vector<std::uint32_t>{1, 0, 1}));
    EXPECT_EQ(presence.LastPresence(), 1u) << "the keyboard is present";
}

}  // namespace
}  // namespace tavrin::profiles
