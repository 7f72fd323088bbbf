#include "profiles/keyboard_presence.h"

#include <chrono>

namespace tavrin::profiles {

namespace {
constexpr auto kReadyPoll = std::chrono::milliseconds(50);
}

void KeyboardPresence::Start(std::uint32_t presence)
{
    std::lock_guard lock(workersMutex_);
    if (stopping_)
        return;
    std::erase_if(workers_, [](Worker& worker) {
        if (!worker.done->load())
            return false;
        worker.thread.join();
        return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back({std::thread([this, presence, done] {
                            OnKeyboardPresence(presence);
                            *done = true;
                        }),
        done});
}

void KeyboardPresence::OnKeyboardPresence(std::uint32_t presence)
{
    while (!stopping_ && !(window_.ready && window_.ready()))
        std::this_thread::sleep_for(kReadyPoll);
    std::lock_guard turn(turn_);
    if (stopping_ || presence == lastPresence_.load())
        return;
    lastPresence_ = presence;
    if (window_.changed)
        window_.changed(presence);
    if (presence != 0 && !shownOnce_.exchange(true) && window_.open)
        window_.open();
}

void KeyboardPresence::Stop()
{
    std::vector<Worker> workers;
    {
        std::lock_guard lock(workersMutex_);
        stopping_ = true;
        workers.swap(workers_);
    }
    for (auto& worker : workers)
        if (worker.thread.joinable())
            worker.thread.join();
}

}  // namespace tavrin::profiles
