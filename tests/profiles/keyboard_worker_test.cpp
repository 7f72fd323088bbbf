// The keyboard worker runs jobs in the order they came, one at a time off the caller's thread, and a
// keyed job waiting to run is replaced by a newer one of the same key in its place.
#include "profiles/keyboard_worker.h"

#include <gtest/gtest.h>

#include <future>

namespace tavrin::profiles {
namespace {

TEST(KeyboardWorkerTest, OnlyTheNewestWaitingValueOfAKeyRunsInItsPlace)
{
    KeyboardWorker worker;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<std::string> ran;  // written by the worker only, read after Stop
    std::thread::id workerThread;
    worker.Post([&] {
        workerThread = std::this_thread::get_id();
        released.wait();  // a slow keyboard: everything below queues up meanwhile
        ran.push_back("first");
    });
    for (int value = 1; value <= 5; ++value)
        worker.Post([&ran, value] { ran.push_back("brightness " + std::to_string(value)); }, "brightness");
    worker.Post([&] { ran.push_back("paint"); });
    worker.Post([&] { ran.push_back("speed 3"); }, "speed");
    worker.Post([&] { ran.push_back("brightness 6"); }, "brightness");
    EXPECT_FALSE(worker.Idle());
    release.set_value();
    worker.Stop();

    EXPECT_EQ(ran, (std::vector<std::string>{"first", "brightness 6", "paint", "speed 3"}))
        << "the newest value, where the first of its key stood";
    EXPECT_EQ(worker.Replaced(), 5u);
    EXPECT_EQ(worker.Ran(), 4u);
    EXPECT_NE(workerThread, std::this_thread::get_id());
    EXPECT_TRUE(worker.Idle());
    EXPECT_FALSE(worker.Post([] {})) << "nothing is taken once stopped";
}

TEST(KeyboardWorkerTest, AJobThatStartedIsNeverReplaced)
{
    KeyboardWorker worker;
    std::promise<void> started, release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> ran;
    worker.Post(
        [&] {
            started.set_value();
            released.wait();
            ran.push_back(1);
        },
        "slider");
    started.get_future().wait();
    worker.Post([&] { ran.push_back(2); }, "slider");
    release.set_value();
    worker.Stop();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace tavrin::profiles
